// The recording canvas with fixed character width and line height.
#include "base/FixedCanvas.h"

int TFixedCanvas::Scaled(int value) const {
  if (BaseSize <= 0 || FFont.Size == BaseSize) return value;
  return value * FFont.Size / BaseSize;
}

int TFixedCanvas::TextWidth(const std::string& text) {
  return Scaled(CharWidth) * static_cast<int>(text.size());
}

int TFixedCanvas::TextHeight(const std::string&) {
  return Scaled(LineHeight);
}

void TFixedCanvas::TextOut(int x, int y, const std::string& text) {
  TDrawCall c;
  c.What = TDrawCall::Text;
  c.X = x;
  c.Y = y;
  c.Str = text;
  c.Font = FFont;
  c.Color = FFont.Color;
  Calls.push_back(c);
}

void TFixedCanvas::FillRect(const TRect& rect) {
  TDrawCall c;
  c.What = TDrawCall::Fill;
  c.X = rect.Left;
  c.Y = rect.Top;
  c.X2 = rect.Right;
  c.Y2 = rect.Bottom;
  c.Color = FBrush;
  Calls.push_back(c);
}

void TFixedCanvas::Line(int x1, int y1, int x2, int y2) {
  TDrawCall c;
  c.What = TDrawCall::Line;
  c.X = x1;
  c.Y = y1;
  c.X2 = x2;
  c.Y2 = y2;
  c.Color = FPen;
  c.PenWidth = FPenWidth;
  Calls.push_back(c);
}

std::vector<TDrawCall> TFixedCanvas::Texts() const {
  std::vector<TDrawCall> out;
  for (const TDrawCall& c : Calls)
    if (c.What == TDrawCall::Text) out.push_back(c);
  return out;
}
