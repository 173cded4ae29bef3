// Text, colour and font conversions between the program and Qt.
#include "base/QtText.h"

#include <QApplication>
#include <QFontInfo>
#include <QPalette>

#include "base/Codec.h"

QString ToQString(const std::string& cp1251) {
  return QString::fromStdString(Utf8FromCp1251(cp1251));
}

std::string FromQString(const QString& text) {
  return Cp1251FromUtf8(text.toStdString());
}

namespace {
// Palette colour of a Windows system colour index.
QColor SystemColor(unsigned index) {
  const QPalette pal = QApplication::palette();
  switch (index) {
  case 5:
    return pal.color(QPalette::Base); // window background
  case 6:
    return pal.color(QPalette::Shadow); // window frame
  case 7:                               // menu text
  case 8:
    return pal.color(QPalette::WindowText); // window text
  case 13:
    return pal.color(QPalette::Highlight); // selection
  case 14:
    return pal.color(QPalette::HighlightedText); // selected text
  case 16:
    return pal.color(QPalette::Mid); // button shadow
  case 17:
    return pal.color(QPalette::Disabled, QPalette::Text); // grey text
  case 18:
    return pal.color(QPalette::ButtonText);
  case 20:
    return pal.color(QPalette::Light); // button highlight
  case 21:
    return pal.color(QPalette::Dark); // dark 3D shadow
  case 22:
    return pal.color(QPalette::Midlight);
  case 23:
    return pal.color(QPalette::ToolTipText);
  case 24:
    return pal.color(QPalette::ToolTipBase);
  case 4:  // menu
  case 15: // button face
  default:
    return pal.color(QPalette::Button);
  }
}
} // namespace

QColor ToQColor(TColor value) {
  if (value & clSystemBit) return SystemColor(value & 0xFF);
  return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

TColor FromQColor(const QColor& color) {
  return static_cast<TColor>(color.red()) | static_cast<TColor>(color.green()) << 8 |
         static_cast<TColor>(color.blue()) << 16;
}

int PixelsOfPoints(int points) {
  return (points * 96 + 36) / 72;
}

QFont ToQFont(const TFontSpec& font) {
  QFont f(ToQString(font.Name));
  f.setPixelSize(std::max(1, PixelsOfPoints(font.Size)));
  f.setBold(font.Style & fsBold);
  f.setItalic(font.Style & fsItalic);
  f.setUnderline(font.Style & fsUnderline);
  f.setStrikeOut(font.Style & fsStrikeOut);
  return f;
}

TFontSpec FromQFont(const QFont& font, TColor color) {
  TFontSpec f;
  f.Name = FromQString(font.family());
  int px = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
  f.Size = (px * 72 + 48) / 96;
  f.Style = (font.bold() ? fsBold : 0) | (font.italic() ? fsItalic : 0) |
            (font.underline() ? fsUnderline : 0) | (font.strikeOut() ? fsStrikeOut : 0);
  f.Color = color;
  return f;
}

void InstallFontSubstitutes() {
  QFont::insertSubstitution("MS Sans Serif", "Liberation Sans");
  QFont::insertSubstitution("Arial", "Liberation Sans");
  QFont::insertSubstitution("Courier New", "Liberation Mono");
  QFont::insertSubstitution("Times New Roman", "Liberation Serif");
}
