// The in-cell editor window: keys, filters, double click and popup menus over the rules of
// Edrk_rules; and the free-standing value editor.
#include "table/Ed_rk.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "base/QtCanvas.h"
#include "base/QtKeys.h"
#include "base/QtText.h"
#include "base/Scale.h"
#include "controls/Fun_memo.h"
#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "table/Edrk_rules.h"

TEditRk* EditRk = nullptr;

namespace {
constexpr int kMinMemoHeight = 20;
const char* const kSkyBlue = "background: #a6caf0; border: none;";

void Borderless(QWidget* w) {
  w->setStyleSheet(kSkyBlue);
  w->setContextMenuPolicy(Qt::CustomContextMenu);
  w->hide();
}
} // namespace

TEditRk::TEditRk(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint) {
  setModal(true);
  vEdit = new QLineEdit(this);
  vMemo = new QPlainTextEdit(this);
  Borderless(vEdit);
  Borderless(vMemo);
  vEdit->setFrame(false);
  vEdit->installEventFilter(this);
  vMemo->installEventFilter(this);
  vMemo->viewport()->installEventFilter(this);
  PM = MakeMenu("Сохранить         Enter", "Не сохранять   Escape");
  PM1 = MakeMenu("Сохранить         Ctrl+Enter", "Не сохранять    Escape");
  connect(vEdit, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { ShowMenu(vEdit->mapToGlobal(p)); });
  connect(vMemo, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { ShowMenu(vMemo->mapToGlobal(p)); });
  EditRk = this;
}

TEditRk::~TEditRk() {
  if (EditRk == this) EditRk = nullptr;
}

QMenu* TEditRk::MakeMenu(const char* save, const char* noSave) {
  auto* menu = new QMenu(this);
  menu->addAction(ToQString(save), this, &TEditRk::SaveText);
  menu->addAction(ToQString(noSave), this, &TEditRk::CloseUnsaved);
  return menu;
}

void TEditRk::ShowMenu(const QPoint& at) {
  (FMemo && !FWrap ? PM1 : PM)->popup(at);
}

void TEditRk::Init(bool Memo, char Filter, const TFontSpec& Font, const std::string& Text,
                   int Right, int Bottom, int Left, int Top) {
  FMemo = Memo;
  FWrap = Memo && Filter == kWrapFilter;
  FFilter = FWrap ? kFilterAny : Filter;
  FInitText = FResultText = Text;
  FResult = kEdRkNotSaved;
  TFontSpec font = Font;
  if (IsScale && OldScr > 0) font.Size = font.Size * NewScr / OldScr;
  const QFont qfont = ToQFont(font);
  if (Memo) {
    setGeometry(Left, Top, Right - Left, std::max(Bottom - Top, kMinMemoHeight));
    vMemo->setFont(qfont);
    vMemo->setGeometry(0, 0, width(), height());
    vEdit->hide();
    vMemo->show();
  } else {
    vEdit->setFont(qfont);
    const int h = QFontMetrics(qfont).height();
    setGeometry(Left, Top, Right - Left, h);
    vEdit->setGeometry(0, 0, width(), h);
    vMemo->hide();
    vEdit->show();
  }
}

void TEditRk::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (FMemo) {
    TQtCanvas canvas(nullptr, FromQFont(vMemo->font()));
    TextToMemo(FResultText, canvas, vMemo, FWrap ? 3 : 2);
    vMemo->setFocus();
    if (CaretPos == 0) vMemo->selectAll();
  } else {
    vEdit->setText(ToQString(FResultText));
    vEdit->setFocus();
    if (CaretPos == 0)
      vEdit->selectAll();
    else
      vEdit->setCursorPosition(CaretPos);
  }
}

void TEditRk::SaveText() {
  std::string text;
  if (FMemo) {
    TextFromMemo(vMemo, text);
  } else {
    text = FromQString(vEdit->text());
    if (EdRkRefused(text)) {
      OutErr("", MsgTrailingComma);
      return;
    }
  }
  FResultText = text;
  FResult = EdRkResult(FInitText, text);
  done(FResult);
}

void TEditRk::CloseUnsaved() {
  FResult = kEdRkNotSaved;
  done(kEdRkNotSaved);
}

bool TEditRk::FilterKey(QKeyEvent* key) {
  switch (EdRkKeyAction(TransKey(key), FMemo, FWrap)) {
  case TEdRkAction::Save:
    SaveText();
    return true;
  case TEdRkAction::Cancel:
    CloseUnsaved();
    return true;
  case TEdRkAction::None:
    break;
  }
  if (FMemo) return false;
  if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) return true;
  const std::string typed = FromQString(key->text());
  if (typed.size() != 1 || static_cast<unsigned char>(typed[0]) < ' ') return false;
  return EdRkFilterKey(typed[0], FFilter, FromQString(vEdit->text()), vEdit->cursorPosition()) == 0;
}

bool TEditRk::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && (watched == vEdit || watched == vMemo))
    return FilterKey(static_cast<QKeyEvent*>(event));
  if (event->type() == QEvent::MouseButtonDblClick) {
    SaveText();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

bool uEditField(QWidget* Form, std::string& Text, TypeField Type, bool /*Flag*/, TPoint TopLeft,
                TPoint BottomRight, const TEdRkCheck& Check, void* User, bool Minus) {
  const TEdRkKind kind = EdRkKindOfValue(Type, Minus);
  TEditRk editor(Form);
  std::string text = Text;
  char filter = kind.Filter;
  for (;;) {
    editor.Init(kind.Memo, filter, FromQFont(Form ? Form->font() : QFont()), text, BottomRight.X,
                BottomRight.Y, TopLeft.X, TopLeft.Y);
    editor.exec();
    if (editor.Result() == kEdRkNotSaved) return false;
    text = editor.ResultText();
    if (!Check || Check(1, TopLeft, BottomRight, filter, text, User)) break;
  }
  Text = text;
  return true;
}
