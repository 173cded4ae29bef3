// The canvas over a QPainter: measures with QFontMetrics, paints with the painter.
// Without a painter it only measures (for layout done before painting).
#pragma once
#include <QFont>
#include <QPainter>

#include "base/Canvas.h"

class TQtCanvas : public TCanvas {
public:
  explicit TQtCanvas(QPainter* painter = nullptr, const TFontSpec& font = TFontSpec());

  const TFontSpec& Font() const override { return FFont; }
  void SetFont(const TFontSpec& font) override;
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

private:
  // Fills the logical rectangle with its edges on whole device pixels.
  void FillDevice(double left, double top, double right, double bottom, TColor color);
  // Fills device pixels [l, r) x [t, b).
  void FillDevicePixels(int l, int t, int r, int b, TColor color);

  QPainter* FPainter;
  TFontSpec FFont;
  QFont FQFont;
  TColor FBrush = clWhite;
  TColor FPen = clBlack;
  int FPenWidth = 1;
};
