// Memo text helpers and the signed-number keystroke filter.
#include "controls/Fun_memo.h"

#include <QScrollBar>
#include <QTextBlock>

#include "base/QtText.h"
#include "format/Format_text.h"

namespace {
int Wrap(const std::string& text, int width, TCanvas& canvas, TLineLayout& table, int mode,
         int& total) {
  int maxLine;
  switch (mode) {
  case 0:
    return FormatTextLen(text, width, canvas, table, true, total, maxLine);
  case 1:
    return FormatTextWord(text, width, canvas, table, true, total, maxLine);
  case 2:
    return FormatTextLen(text, width, canvas, table, false, total, maxLine);
  default:
    return FormatTextWord(text, width, canvas, table, false, total, maxLine);
  }
}
} // namespace

int TextToMemo(const std::string& text, TCanvas& canvas, QPlainTextEdit* memo, int wrapMode) {
  memo->clear();
  if (text.empty()) return 0;
  const TFontSpec saved = canvas.Font();
  canvas.SetFont(FromQFont(memo->font()));
  TLineLayout table;
  int total = 0, reserve = 0;
  int lines = Wrap(text, memo->width() - reserve - 5, canvas, table, wrapMode, total);
  if (total > memo->height() - 5) {
    reserve = 16; // room for the vertical scroll bar
    lines = Wrap(text, memo->width() - reserve - 5, canvas, table, wrapMode, total);
  }
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo->setVerticalScrollBarPolicy(reserve ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  QStringList out;
  for (int i = 0; i < lines; ++i)
    out << ToQString(table.Line(text, i));
  memo->setPlainText(out.join('\n'));
  memo->moveCursor(QTextCursor::Start);
  int height = canvas.TextHeight("Wg") * lines;
  canvas.SetFont(saved);
  return height;
}

void TextFromMemo(const QPlainTextEdit* memo, std::string& text) {
  text.clear();
  for (QTextBlock b = memo->document()->begin(); b.isValid(); b = b.next()) {
    std::string line = FromQString(b.text());
    for (char& c : line)
      if (c == '\r' || c == '\n') c = ' ';
    text += line;
  }
}

char MinusCheckKey(char key, const QLineEdit* edit) {
  if (key == 8 || (key >= '0' && key <= '9')) return key;
  if (key == '-') return edit->cursorPosition() == 0 ? key : 0;
  if (key == DecimalSeparator)
    return FromQString(edit->text()).find(DecimalSeparator) == std::string::npos ? key : 0;
  return 0;
}
