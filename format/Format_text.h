// Cell text layout: format blocks, word / character / one-line wrapping into a table of at most
// 100 lines, and drawing of the wrapped lines into a rectangle. Works through TCanvas only.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "base/Canvas.h"

constexpr int MaxFormatLines = 100;
// Opens and closes a format block.
constexpr char WDelimInt = 1;
// A forced line break in every mode; the line ends before it.
constexpr char CharBreak3 = 3;

// Flag bits of a format word (shifted left by 8 there; the low 8 bits hold the size).
enum : int32_t {
  ffLeft = 1,
  ffCenter = 2,
  ffRight = 4,
  ffItalic = 8,
  ffBold = 0x10,
  ffUnderline = 0x20,
  ffStrikeOut = 0x40,
  ffFollow = 0x80
};

// The line layout table: per line its start (from 1), length, format word and colour (0 = none).
struct TLineLayout {
  std::array<int32_t, MaxFormatLines> Start{};
  std::array<int32_t, MaxFormatLines> Len{};
  std::array<int32_t, MaxFormatLines> Format{};
  std::array<int32_t, MaxFormatLines> Color{};
  // The text of line i.
  std::string Line(const std::string& text, int i) const;
};

// Word wrap with "#" as the break character; keepBreak leaves the "#" at the end of its line.
int FormatTextWord(const std::string& text, int width, TCanvas& canvas, TLineLayout& table,
                   bool keepBreak, int& totalHeight, int& maxLineHeight);
// Character wrap; ignoreBreak makes "#" an ordinary character.
int FormatTextLen(const std::string& text, int width, TCanvas& canvas, TLineLayout& table,
                  bool ignoreBreak, int& totalHeight, int& maxLineHeight);
// One line only: 1, or -1 when the text does not fit (fit mode 1: any overflow; fit mode 2:
// overflow with no comma up to the cut; other modes never -1).
int FormatTextLine(const std::string& text, int width, TCanvas& canvas, TLineLayout& table,
                   int fitMode, bool unused, int& totalHeight, int& maxLineHeight);

// The same with the break character chosen: hashBreak true = "#", false = control character 3.
int SFormatTextWord(const std::string& text, int width, TCanvas& canvas, TLineLayout& table,
                    bool keepBreak, bool hashBreak, int& totalHeight, int& maxLineHeight);
int SFormatTextLen(const std::string& text, int width, TCanvas& canvas, TLineLayout& table,
                   bool ignoreBreak, bool hashBreak, int& totalHeight, int& maxLineHeight);
int SFormatTextLine(const std::string& text, int width, TCanvas& canvas, TLineLayout& table,
                    int fitMode, bool unused, bool hashBreak, int& totalHeight, int& maxLineHeight);

// Draws the wrapped lines into rect. hor: 0 left, 1 centre, 2 right (a line's own block
// overrides it); ver: 0 top, 1 centre, 2 bottom.
void CellOutText(const std::string& text, const TRect& rect, TCanvas& canvas, int hor, int ver,
                 int lineCount, int textHeight, const TLineLayout& table);

// Sets the canvas font for a line's format word and colour on top of the starting font;
// returns the line's horizontal alignment (baseHor unless the word names one).
int ApplyLineFormat(TCanvas& canvas, const TFontSpec& start, int32_t format, int32_t color,
                    int baseHor);
