// The bridge between the program's CP1251 texts, colours and fonts and their Qt forms.
// Every CP1251 <-> QString conversion and every toolkit colour goes through these functions.
#pragma once
#include <QColor>
#include <QFont>
#include <QString>
#include <string>

#include "base/Canvas.h"

QString ToQString(const std::string& cp1251);
std::string FromQString(const QString& text);

// A toolkit colour value (0x00BBGGRR; bit 31 set: the system colour with that index, taken from
// the application palette) as a QColor.
QColor ToQColor(TColor value);
// The toolkit value of an RGB colour.
TColor FromQColor(const QColor& color);

// Points are taken at 96 pixels per inch, as the designed forms assume: 8 points = 11 pixels.
int PixelsOfPoints(int points);
QFont ToQFont(const TFontSpec& font);
TFontSpec FromQFont(const QFont& font, TColor color = clWindowText);

// Maps "MS Sans Serif", "Arial" and "Courier New" to the metric-compatible Liberation faces,
// which also carry Cyrillic. Called once when the application starts.
void InstallFontSubstitutes();
