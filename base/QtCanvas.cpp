// QPainter canvas.
#include "base/QtCanvas.h"

#include <QFontMetrics>

#include "base/QtText.h"

TQtCanvas::TQtCanvas(QPainter* painter, const TFontSpec& font) : FPainter(painter) {
  SetFont(font);
}

void TQtCanvas::SetFont(const TFontSpec& font) {
  FFont = font;
  FQFont = ToQFont(font);
}

int TQtCanvas::TextWidth(const std::string& text) {
  return QFontMetrics(FQFont).horizontalAdvance(ToQString(text));
}

int TQtCanvas::TextHeight(const std::string&) {
  return QFontMetrics(FQFont).height();
}

void TQtCanvas::TextOut(int x, int y, const std::string& text) {
  if (!FPainter) return;
  FPainter->setFont(FQFont);
  FPainter->setPen(ToQColor(FFont.Color));
  FPainter->drawText(x, y + QFontMetrics(FQFont).ascent(), ToQString(text));
}

void TQtCanvas::FillRect(const TRect& rect) {
  if (!FPainter) return;
  FPainter->fillRect(rect.Left, rect.Top, rect.Width(), rect.Height(), ToQColor(FBrush));
}

void TQtCanvas::Line(int x1, int y1, int x2, int y2) {
  if (!FPainter) return;
  FPainter->setPen(QPen(ToQColor(FPen), FPenWidth));
  FPainter->drawLine(x1, y1, x2, y2);
}
