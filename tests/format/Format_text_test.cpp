// Text layout and drawing measured with the fixed-metrics canvas (10 px a character, 16 px a line).
#include <gtest/gtest.h>

#include "base/FixedCanvas.h"
#include "format/Format_text.h"

namespace {
using Lines = std::vector<std::string>;

Lines LinesOf(const std::string& text, const TLineLayout& t, int n) {
  Lines out;
  for (int i = 0; i < n; ++i)
    out.push_back(t.Line(text, i));
  return out;
}

Lines Word(const std::string& text, int width, bool keep = false) {
  TFixedCanvas c;
  TLineLayout t;
  int total, maxH;
  int n = FormatTextWord(text, width, c, t, keep, total, maxH);
  EXPECT_EQ(total, 16 * n);
  return LinesOf(text, t, n);
}

Lines Chars(const std::string& text, int width, bool ignore = false) {
  TFixedCanvas c;
  TLineLayout t;
  int total, maxH;
  return LinesOf(text, t, FormatTextLen(text, width, c, t, ignore, total, maxH));
}

int FitLine(const std::string& text, int width, int mode, int* len = nullptr) {
  TFixedCanvas c;
  TLineLayout t;
  int total, maxH;
  int r = FormatTextLine(text, width, c, t, mode, false, total, maxH);
  EXPECT_EQ(total, 16);
  if (len) *len = t.Len[0];
  return r;
}

const int32_t kBold = ffBold << 8, kFollow = ffFollow << 8, kItalic = ffItalic << 8;
} // namespace

TEST(FormatTextWord, WrapsAfterBlankAndComma) {
  // Seven characters fit in 75 px; the blank that would be the eighth does not, so the line
  // ends after the last blank that did fit.
  EXPECT_EQ(Word("aaa bbb ccc", 75), (Lines{"aaa ", "bbb ccc"}));
  // A plain comma is a break point and stays at the line end.
  EXPECT_EQ(Word("ab 12,x", 65), (Lines{"ab 12,", "x"}));
  // A decimal comma is not: the number moves to the next line whole.
  EXPECT_EQ(Word("ab 12,5", 65), (Lines{"ab ", "12,5"}));
  // The later of blank and comma wins.
  EXPECT_EQ(Word("a b,cdef", 55), (Lines{"a b,", "cdef"}));
  // No break point: cut before the character that does not fit.
  EXPECT_EQ(Word("abcdefgh", 35), (Lines{"abc", "def", "gh"}));
  // A width below one character still moves on by one character a line.
  EXPECT_EQ(Word("abc", 5), (Lines{"a", "b", "c"}));
}

TEST(FormatTextWord, HashBreakWithAndWithoutKeepFlag) {
  EXPECT_EQ(Word("Запись#(Ошибка)", 1000), (Lines{"Запись", "(Ошибка)"}));
  EXPECT_EQ(Word("Запись#(Ошибка)", 1000, true), (Lines{"Запись#", "(Ошибка)"}));
  // "##" gives an empty line; a kept break keeps every "#" so the text can be rebuilt.
  EXPECT_EQ(Word("a##b", 1000), (Lines{"a", "", "b"}));
  EXPECT_EQ(Word("a##b", 1000, true), (Lines{"a#", "#", "b"}));
  // A leading "#" is skipped, a trailing one adds no line.
  EXPECT_EQ(Word("#a#", 1000), (Lines{"a"}));
  // The control character 3 always breaks and never shows.
  EXPECT_EQ(Word("ab\3cd", 1000, true), (Lines{"ab", "cd"}));
}

TEST(FormatTextWord, BreakCharacterChoice) {
  TFixedCanvas c;
  TLineLayout t;
  int total, maxH;
  std::string text = "a#b\3c";
  int n = SFormatTextWord(text, 1000, c, t, false, false, total, maxH);
  EXPECT_EQ(LinesOf(text, t, n), (Lines{"a#b", "c"}));
  n = SFormatTextWord(text, 1000, c, t, false, true, total, maxH);
  EXPECT_EQ(LinesOf(text, t, n), (Lines{"a", "b", "c"}));
}

TEST(FormatTextLen, CharacterWrapAndIgnoredBreak) {
  EXPECT_EQ(Chars("ab cdefg", 35), (Lines{"ab ", "cde", "fg"}));
  EXPECT_EQ(Chars("ab#cd", 1000), (Lines{"ab", "cd"}));
  EXPECT_EQ(Chars("ab#cd", 1000, true), (Lines{"ab#cd"}));
  EXPECT_EQ(Chars("ab\3cd", 1000, true), (Lines{"ab", "cd"}));
}

TEST(FormatTextWord, FormatBlocksAndFollowFlag) {
  TFixedCanvas c;
  TLineLayout t;
  int total, maxH;
  std::string text = "\1S12ЖF\1one#two#\1К\1three#four";
  int n = FormatTextWord(text, 1000, c, t, false, total, maxH);
  ASSERT_EQ(n, 4);
  EXPECT_EQ(LinesOf(text, t, n), (Lines{"one", "two", "three", "four"}));
  EXPECT_EQ(t.Format[0], kBold + kFollow + 12);
  EXPECT_EQ(t.Format[1], kBold + kFollow + 12); // inherited
  EXPECT_EQ(t.Format[2], kItalic);              // a block without "F" ends the inheritance
  EXPECT_EQ(t.Format[3], 0);

  text = "\1Ж\1a#b";
  n = FormatTextWord(text, 1000, c, t, false, total, maxH);
  ASSERT_EQ(n, 2);
  EXPECT_EQ(t.Format[0], kBold);
  EXPECT_EQ(t.Format[1], 0);

  // Colour in hexadecimal; an unknown code voids the block and stays in the text.
  text = "\1Д0000FFЛ\1x#\1ЖX\1y";
  n = FormatTextWord(text, 1000, c, t, false, total, maxH);
  ASSERT_EQ(n, 2);
  EXPECT_EQ(t.Color[0], 0xFF);
  EXPECT_EQ(t.Format[0], ffLeft << 8);
  EXPECT_EQ(t.Format[1], 0);
  EXPECT_EQ(t.Color[1], 0);
  EXPECT_EQ(t.Line(text, 1), "X\1y");
}

TEST(FormatTextWord, LineHeightsFollowTheFontAndFontIsRestored) {
  TFixedCanvas c;
  c.BaseSize = 8;
  TFontSpec start = c.Font();
  start.Size = 8;
  start.Color = 0x123456;
  c.SetFont(start);
  TLineLayout t;
  int total, maxH;
  // The 16-point line is twice as high and its characters twice as wide.
  std::string text = "\1S16\1abcd#ab";
  int n = FormatTextWord(text, 50, c, t, false, total, maxH);
  EXPECT_EQ(LinesOf(text, t, n), (Lines{"ab", "cd", "ab"}));
  EXPECT_EQ(total, 32 + 16 + 16); // "cd" is a new line without a block: 8 points again
  EXPECT_EQ(maxH, 32);
  EXPECT_EQ(c.Font(), start);
}

TEST(FormatTextWord, CutsAtHundredLinesAndEmptyTextIsOneLine) {
  std::string text;
  for (int i = 0; i < 150; ++i)
    text += "a#";
  TFixedCanvas c;
  TLineLayout t;
  int total, maxH;
  EXPECT_EQ(FormatTextWord(text, 1000, c, t, false, total, maxH), 100);
  EXPECT_EQ(total, 1600);
  EXPECT_EQ(FormatTextLen(text, 1000, c, t, false, total, maxH), 100);
  EXPECT_EQ(FormatTextWord("", 1000, c, t, false, total, maxH), 1);
  EXPECT_EQ(total, 0);
  EXPECT_EQ(t.Len[0], 0);
}

TEST(FormatTextLine, FitModes) {
  int len = 0;
  EXPECT_EQ(FitLine("abc", 40, 1, &len), 1);
  EXPECT_EQ(len, 3);
  EXPECT_EQ(FitLine("123456", 35, 1, &len), -1);
  EXPECT_EQ(len, 3);
  EXPECT_EQ(FitLine("123456", 35, 0), 1);
  // Mode 2 accepts a cut among the decimals: a comma lies within, or is where it stopped.
  EXPECT_EQ(FitLine("12,345", 35, 2), 1);
  EXPECT_EQ(FitLine("123,45", 35, 2), 1);
  EXPECT_EQ(FitLine("12345", 35, 2), -1);
  // A break ends the one line; the text fits.
  EXPECT_EQ(FitLine("ab#cdefgh", 35, 1, &len), 1);
  EXPECT_EQ(len, 2);
}

TEST(CellOutText, AlignmentsAndVerticalPlacement) {
  std::string text = "abc#de";
  TFixedCanvas c;
  TLineLayout t;
  int total, maxH;
  int n = FormatTextWord(text, 100, c, t, false, total, maxH);
  ASSERT_EQ(n, 2);
  TRect r{10, 0, 110, 50};
  struct {
    int hor, ver, x0, x1, y0;
  } cases[] = {{0, 0, 10, 10, 0}, {1, 1, 45, 50, 9}, {2, 2, 80, 90, 18}};
  for (auto k : cases) {
    c.Calls.clear();
    CellOutText(text, r, c, k.hor, k.ver, n, total, t);
    auto out = c.Texts();
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].Str, "abc");
    EXPECT_EQ(out[1].Str, "de");
    EXPECT_EQ(out[0].X, k.x0) << k.hor;
    EXPECT_EQ(out[1].X, k.x1) << k.hor;
    EXPECT_EQ(out[0].Y, k.y0) << k.ver;
    EXPECT_EQ(out[1].Y, k.y0 + 16) << k.ver;
  }
  // A line that would reach below the rectangle is not drawn.
  c.Calls.clear();
  CellOutText(text, TRect{0, 0, 100, 20}, c, 0, 0, n, total, t);
  EXPECT_EQ(c.Texts().size(), 1u);
}

TEST(CellOutText, LineFormatOverridesAndFontIsRestored) {
  std::string text = "\1ПД0000FFЖ\1ab#cd";
  TFixedCanvas c;
  TLineLayout t;
  int total, maxH;
  int n = FormatTextWord(text, 100, c, t, false, total, maxH);
  TFontSpec start = c.Font();
  CellOutText(text, TRect{0, 0, 100, 100}, c, 1, 0, n, total, t);
  auto out = c.Texts();
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].X, 80); // right-aligned by its block
  EXPECT_EQ(out[0].Font.Color, 0xFFu);
  EXPECT_EQ(out[0].Font.Style, fsBold);
  EXPECT_EQ(out[1].X, 40); // the base alignment: centred
  EXPECT_EQ(out[1].Font, start);
  EXPECT_EQ(c.Font(), start);
  // Nothing for an empty text or no lines.
  c.Calls.clear();
  CellOutText("", TRect{0, 0, 100, 100}, c, 0, 0, 1, 0, t);
  CellOutText(text, TRect{0, 0, 100, 100}, c, 0, 0, 0, 0, t);
  EXPECT_TRUE(c.Calls.empty());
}
