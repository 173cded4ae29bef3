// Font property shorthands of the canvas interface.
#include "base/Canvas.h"

void TCanvas::SetFontName(const std::string& name) {
  TFontSpec f = Font();
  f.Name = name;
  SetFont(f);
}

void TCanvas::SetFontSize(int size) {
  TFontSpec f = Font();
  f.Size = size;
  SetFont(f);
}

void TCanvas::SetFontStyle(uint8_t style) {
  TFontSpec f = Font();
  f.Style = style;
  SetFont(f);
}

void TCanvas::SetFontColor(TColor color) {
  TFontSpec f = Font();
  f.Color = color;
  SetFont(f);
}
