// A canvas with fixed metrics that draws nothing but records every drawing call.
// Lets text layout and custom-drawn controls be checked to the pixel without a display.
#pragma once
#include <vector>

#include "base/Canvas.h"

struct TDrawCall {
  enum Kind { Text, Fill, Line } What = Text;
  int X = 0, Y = 0, X2 = 0, Y2 = 0; // text origin, rectangle corners or line ends
  std::string Str;                  // the text drawn
  TFontSpec Font;                   // font at the call
  TColor Color = 0;                 // brush colour of a fill, pen colour of a line
  int PenWidth = 1;
};

class TFixedCanvas : public TCanvas {
public:
  // Every character is charWidth pixels wide, every text lineHeight pixels high.
  explicit TFixedCanvas(int charWidth = 10, int lineHeight = 16)
      : CharWidth(charWidth), LineHeight(lineHeight) {}

  const TFontSpec& Font() const override { return FFont; }
  void SetFont(const TFontSpec& font) override { FFont = font; }
  int TextWidth(const std::string& text) override;
  int TextHeight(const std::string& text) override;
  void TextOut(int x, int y, const std::string& text) override;
  TColor BrushColor() const override { return FBrush; }
  void SetBrushColor(TColor color) override { FBrush = color; }
  void FillRect(const TRect& rect) override;
  TColor PenColor() const override { return FPen; }
  void SetPenColor(TColor color) override { FPen = color; }
  int PenWidth() const override { return FPenWidth; }
  void SetPenWidth(int width) override { FPenWidth = width; }
  void Line(int x1, int y1, int x2, int y2) override;

  int CharWidth;
  int LineHeight;
  // When set, a font of another size scales both metrics by size / BaseSize.
  int BaseSize = 0;
  std::vector<TDrawCall> Calls;
  // Only the text calls, in order.
  std::vector<TDrawCall> Texts() const;

private:
  int Scaled(int value) const;
  TFontSpec FFont;
  TColor FBrush = clWhite;
  TColor FPen = clBlack;
  int FPenWidth = 1;
};
