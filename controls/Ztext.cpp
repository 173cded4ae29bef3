// The multi-line two-language label.
#include "controls/Ztext.h"

#include <QPainter>
#include <algorithm>

#include "base/QtCanvas.h"
#include "format/Format_text.h"
#include "messages/Zmsg.h"

namespace {
constexpr TColor kFrameGrey = 0x858585; // red, green and blue 133
}

TZText::TZText(QWidget* parent) : QWidget(parent), FLang(IFaceLang) {
  setGeometry(20, 20, 50, 50);
}

size_t TZText::Slot(int i) {
  return static_cast<size_t>(std::clamp(i, 1, TextCount) - 1);
}

void TZText::Changed() {
  // Screen readers read the painted texts as the label's name.
  std::string all;
  for (int i = 1; i <= TextCount; ++i)
    if (!Text(i).empty()) all += (all.empty() ? "" : "\n") + Text(i);
  setAccessibleName(ToQString(all));
  if (!Reading) update();
}

std::string TZText::Text(int i) const {
  return FLang == elg_Rus ? TextR(i) : TextU(i);
}

void TZText::SetText(int i, const std::string& text) {
  if (FLang == elg_Rus)
    SetTextR(i, text);
  else
    SetTextU(i, text);
}

void TZText::SetTextR(int i, const std::string& text) {
  FRus[Slot(i)] = text;
  Changed();
}

void TZText::SetTextU(int i, const std::string& text) {
  FUkr[Slot(i)] = text;
  Changed();
}

void TZText::SetFont(int i, const TFontSpec& font) {
  FFonts[Slot(i)] = font;
  Changed();
}

void TZText::SetHor(int i, int value) {
  if (value < 0 || value >= 3) {
    OutErr("Неверно задан признак выравнивания", 0);
    return;
  }
  FHor[Slot(i)] = value;
  Changed();
}

void TZText::SetBorder(bool on) {
  FBorder = on;
  Changed();
}

void TZText::SetColor(TColor color) {
  FColor = color;
  Changed();
}

void TZText::WLang(ELang lang) {
  FLang = lang;
  Changed();
}

void TZText::DrawBorder(TCanvas& c) {
  const int w = width(), h = height();
  c.SetPenWidth(1);
  c.SetPenColor(kFrameGrey); // outer top and left
  c.Line(0, 0, w - 1, 0);
  c.Line(0, 0, 0, h - 1);
  c.SetPenColor(clWhite); // outer bottom and right
  c.Line(0, h - 1, w - 1, h - 1);
  c.Line(w - 1, 0, w - 1, h - 1);
  c.Line(1, 1, w - 2, 1); // inner top and left
  c.Line(1, 1, 1, h - 2);
  c.SetPenColor(kFrameGrey); // inner bottom and right
  c.Line(1, h - 2, w - 2, h - 2);
  c.Line(w - 2, 1, w - 2, h - 2);
}

bool TZText::PaintOn(TCanvas& canvas) {
  canvas.SetBrushColor(FColor);
  canvas.FillRect(TRect{0, 0, width(), height()});
  if (FBorder) DrawBorder(canvas);
  struct TPart {
    TLineLayout Table;
    int Lines = 0, Height = 0;
  };
  std::array<TPart, TextCount> parts;
  int sum = 0;
  bool any = false;
  for (int i = 1; i <= TextCount; ++i) {
    const std::string text = Text(i);
    if (text.empty()) continue;
    any = true;
    TPart& part = parts[Slot(i)];
    canvas.SetFont(Font(i));
    int maxLine;
    part.Lines = FormatTextWord(text, width() - 4, canvas, part.Table, false, part.Height, maxLine);
    sum += part.Height;
  }
  if (!any) return true;
  if ((FAlign == alTop || FAlign == alBottom || FAlign == alCustom) && height() != sum + 4) {
    resize(width(), sum + 4);
    update();
    return false;
  }
  int top = 2;
  for (int i = 1; i <= TextCount; ++i) {
    const TPart& part = parts[Slot(i)];
    if (part.Lines == 0) continue;
    canvas.SetFont(Font(i));
    CellOutText(Text(i), TRect{2, top, width() - 2, top + part.Height}, canvas, Hor(i), 0,
                part.Lines, part.Height, part.Table);
    top += part.Height;
  }
  return true;
}

void TZText::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  TQtCanvas canvas(&painter);
  PaintOn(canvas);
}
