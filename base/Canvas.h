// The drawing surface that text layout and the custom-drawn controls measure and paint through.
// Texts are CP1251; colours are toolkit colour values (0x00BBGGRR, bit 31 set = system colour).
#pragma once
#include <cstdint>
#include <string>

using TColor = uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clSystemBit = 0x80000000;
constexpr TColor clBtnFace = 0x8000000F;
constexpr TColor clWindow = 0x80000005;
constexpr TColor clWindowText = 0x80000008;
constexpr TColor clGrayText = 0x80000011;
constexpr TColor clBtnText = 0x80000012;

// Font style bits.
enum : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

struct TFontSpec {
  std::string Name = "MS Sans Serif";
  int Size = 8; // points
  uint8_t Style = 0;
  TColor Color = clWindowText;
  bool operator==(const TFontSpec&) const = default;
};

struct TPoint {
  int X = 0, Y = 0;
};

struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const TRect&) const = default;
};

class TCanvas {
public:
  virtual ~TCanvas() = default;

  virtual const TFontSpec& Font() const = 0;
  virtual void SetFont(const TFontSpec& font) = 0;
  void SetFontName(const std::string& name);
  void SetFontSize(int size);
  void SetFontStyle(uint8_t style);
  void SetFontColor(TColor color);

  // Pixel extent of a one-line text in the current font.
  virtual int TextWidth(const std::string& text) = 0;
  virtual int TextHeight(const std::string& text) = 0;
  // Draws a one-line text with its top-left corner at (x, y), background left untouched.
  virtual void TextOut(int x, int y, const std::string& text) = 0;

  virtual TColor BrushColor() const = 0;
  virtual void SetBrushColor(TColor color) = 0;
  // Fills the rectangle (right and bottom excluded) with the brush colour.
  virtual void FillRect(const TRect& rect) = 0;

  virtual TColor PenColor() const = 0;
  virtual void SetPenColor(TColor color) = 0;
  virtual int PenWidth() const = 0;
  virtual void SetPenWidth(int width) = 0;
  // A line from (x1, y1) to (x2, y2) in the pen colour and width, the end point excluded.
  virtual void Line(int x1, int y1, int x2, int y2) = 0;
};
