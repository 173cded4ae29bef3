// QPainter canvas.
#include "base/QtCanvas.h"

#include <QFontMetrics>

#include <algorithm>
#include <cmath>

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

// Lines and fills are laid on whole device pixels: at a fractional scale, and with the control
// at a fractional device offset, the painter would otherwise round each line on its own, so one
// line came out one pixel and the next two, and a frame line on the widget's edge fell outside
// its clip. Every edge maps through one rounding, and a line of width w is floor(w * scale)
// device pixels (at least one) thick, whatever its place.
namespace {

// The device pixel where the logical coordinate v begins.
int DevicePixel(double v) {
  return static_cast<int>(std::floor(v + 0.5));
}

} // namespace

void TQtCanvas::FillDevice(double left, double top, double right, double bottom, TColor color) {
  const QTransform& t = FPainter->deviceTransform();
  if (t.type() > QTransform::TxScale) { // rotated or sheared: no pixel grid to keep
    FPainter->fillRect(QRectF(QPointF(left, top), QPointF(right, bottom)), ToQColor(color));
    return;
  }
  QPointF a = t.map(QPointF(left, top)), b = t.map(QPointF(right, bottom));
  int l = DevicePixel(a.x()), r = DevicePixel(b.x()), tp = DevicePixel(a.y()),
      bt = DevicePixel(b.y());
  FillDevicePixels(l, tp, r, bt, color);
}

void TQtCanvas::FillDevicePixels(int l, int t, int r, int b, TColor color) {
  if (r <= l || b <= t) return;
  const QTransform back = FPainter->deviceTransform().inverted();
  FPainter->fillRect(back.mapRect(QRectF(l, t, r - l, b - t)), ToQColor(color));
}

void TQtCanvas::FillRect(const TRect& rect) {
  if (!FPainter) return;
  FillDevice(rect.Left, rect.Top, rect.Right, rect.Bottom, FBrush);
}

// A line is the band its pen covers: across, from half the width before the line to half after
// it; along, the pixels from the first point up to the end point, which is left out (a line of
// one point keeps that point), widened at both ends by half the width as the pen's square cap.
void TQtCanvas::Line(int x1, int y1, int x2, int y2) {
  if (!FPainter) return;
  const int w = std::max(FPenWidth, 1);
  const QTransform& t = FPainter->deviceTransform();
  if ((x1 != x2 && y1 != y2) || t.type() > QTransform::TxScale) {
    FPainter->setPen(QPen(ToQColor(FPen), w));
    FPainter->drawLine(x1, y1, x2, y2);
    return;
  }
  const bool vertical = x1 == x2;
  const int from = vertical ? y1 : x1, to = vertical ? y2 : x2;
  const int first = from <= to ? from : to + 1, last = from < to ? to - 1 : from;
  const int lo = first - w / 2, hi = last - w / 2 + w, at = (vertical ? x1 : y1) - w / 2;
  const double scale = vertical ? std::abs(t.m11()) : std::abs(t.m22());
  const int thick = std::max(1, static_cast<int>(std::floor(w * scale + 1e-9)));
  QPointF a = vertical ? t.map(QPointF(at, lo)) : t.map(QPointF(lo, at));
  QPointF b = vertical ? t.map(QPointF(at, hi)) : t.map(QPointF(hi, at));
  int acrossAt = DevicePixel(vertical ? std::min(a.x(), b.x()) : std::min(a.y(), b.y()));
  int alongLo = DevicePixel(vertical ? std::min(a.y(), b.y()) : std::min(a.x(), b.x()));
  int alongHi = DevicePixel(vertical ? std::max(a.y(), b.y()) : std::max(a.x(), b.x()));
  if (vertical)
    FillDevicePixels(acrossAt, alongLo, acrossAt + thick, alongHi, FPen);
  else
    FillDevicePixels(alongLo, acrossAt, alongHi, acrossAt + thick, FPen);
}
