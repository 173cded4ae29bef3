// Rounding, SpecRound family, number texts with the decimal comma, and the cursor readers.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "format/Fun_math.h"
#include "messages/Zmsg.h"
#include "tests/support/Tempdir.h"

namespace {
TEST(Round, HalfAwayFromZeroWithNudge) {
  EXPECT_DOUBLE_EQ(round(2.345, 2), 2.35);
  EXPECT_DOUBLE_EQ(round(-2.345, 2), -2.35);
  EXPECT_DOUBLE_EQ(round(0.125, -2), 0.13);
  EXPECT_DOUBLE_EQ(round(1.005, 2), 1.01);
  EXPECT_DOUBLE_EQ(round(2.5, 0), 3);
  EXPECT_DOUBLE_EQ(round(-2.5, 0), -3);
  EXPECT_DOUBLE_EQ(round(1.2344999, 3), 1.234);
}

TEST(DFloatToStr, FixedDecimalsAndDroppedZeros) {
  EXPECT_EQ(DFloatToStr(3.14159, 3), "3,142");
  EXPECT_EQ(DFloatToStr(2.5, -3), "2,5");
  EXPECT_EQ(DFloatToStr(7, -2), "7");
  EXPECT_EQ(DFloatToStr(12.5, 2), "12,50");
  EXPECT_EQ(DFloatToStr(12, 0), "12");
  EXPECT_EQ(DFloatToStr(-0.5, 1), "-0,5");
  EXPECT_EQ(DFloatToStr(-0.001, 2), "0,00"); // no negative zero
  EXPECT_EQ(DFloatToStr(0.1 + 0.2, -9), "0,3");
  EXPECT_EQ(DFloatToStr(1234567.891, -9), "1234567,891");
  // Beyond 15 significant digits the places show zeros.
  EXPECT_EQ(DFloatToStr(123456789012.3456, 6), "123456789012,346000");
}

namespace {
// A locale whose decimal separator is a comma, generated into dir (the scripts install the
// locale sources, Debian's "locales"); the process is switched to it through LOCPATH.
bool UseCommaLocale(const std::string& dir) {
  std::string out = dir + "/ru_RU.UTF-8";
  std::string cmd = "localedef -c -i ru_RU -f UTF-8 '" + out + "' >/dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0 && !std::filesystem::exists(out + "/LC_NUMERIC")) return false;
  setenv("LOCPATH", dir.c_str(), 1);
  bool ok = std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") != nullptr;
  unsetenv("LOCPATH");
  return ok;
}
} // namespace

TEST(DFloatToStr, IgnoresTheProcessLocale) {
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = old ? old : "C";
  TTempDir dir;
  ASSERT_TRUE(UseCommaLocale(dir.Path())) << "no comma locale could be made (localedef, locales)";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  EXPECT_EQ(DFloatToStr(1.5, 1), "1,5");
  EXPECT_EQ(DFloatToStr(-1234.25, 2), "-1234,25");
  EXPECT_DOUBLE_EQ(DStrToFloat("1,5"), 1.5);
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(DFloatToStr(1.5, 1), "1,5");
  EXPECT_DOUBLE_EQ(DStrToFloat("1,5"), 1.5);
}

TEST(DIntToStr, WidthFillAndRadix) {
  EXPECT_EQ(DIntToStr(5, 4, '0', 10), "0005");
  EXPECT_EQ(DIntToStr(12345, 4, '0', 10), "12345");
  EXPECT_EQ(DIntToStr(-42, 0, '0', 10), "-42");
  EXPECT_EQ(DIntToStr(-5, 4, ' ', 10), "  -5");
  EXPECT_EQ(DIntToStr(255, 4, '0', 16), "00FF");
}

TEST(DStrToInt, LenientPrefix) {
  EXPECT_EQ(DStrToInt("12ab"), 12);
  EXPECT_EQ(DStrToInt(""), 0);
  EXPECT_EQ(DStrToInt("  -7x"), -7);
  EXPECT_EQ(DStrToInt("abc"), 0);
}

TEST(DStrToFloat, StrictWithDecimalComma) {
  EXPECT_EQ(DStrToFloat("-"), 0);
  EXPECT_EQ(DStrToFloat(""), 0);
  EXPECT_DOUBLE_EQ(DStrToFloat("1,5"), 1.5);
  EXPECT_DOUBLE_EQ(DStrToFloat(" -2,25 "), -2.25);
  EXPECT_DOUBLE_EQ(DStrToFloat("1E3"), 1000);
  EXPECT_THROW(DStrToFloat("1.5"), ZError);
  EXPECT_THROW(DStrToFloat("abc"), ZError);
  EXPECT_THROW(DStrToFloat("1,5x"), ZError);
  EXPECT_THROW(DStrToFloat(","), ZError);
}

TEST(StrToIntStrict, RefusesNonNumbers) {
  EXPECT_EQ(StrToIntStrict("-12"), -12);
  EXPECT_EQ(StrToIntStrict("+3"), 3);
  EXPECT_THROW(StrToIntStrict("12ab"), ZError);
  EXPECT_THROW(StrToIntStrict("99999999999"), ZError);
  EXPECT_THROW(StrToIntStrict(""), ZError);
}

TEST(SpecRound, WorkedExampleLowersWhileTheAmountStays) {
  double v = 1.23456789;
  EXPECT_EQ(SpecRound(false, v, 1000, 4, 0), 5);
  EXPECT_DOUBLE_EQ(v, 1.23457);
}

TEST(SpecRound, UnchangedCases) {
  double v = 1.23456789;
  EXPECT_EQ(SpecRoundRes(v, 1000, 0), 4); // bit 0x10 not set
  EXPECT_DOUBLE_EQ(v, 1.23456789);
  EXPECT_EQ(SpecRound(false, v, 0, 3, 0), 3);
  EXPECT_DOUBLE_EQ(v, 1.23456789);
  EXPECT_EQ(SpecRoundRes(v, 1000, 0x10), 5);
  EXPECT_DOUBLE_EQ(v, 1.23457);
}

TEST(SpecRound, SmallAmountKeepsASignificantDigit) {
  double v = 0.000123456; // v * k = 0.000123 <= 0.005
  EXPECT_EQ(SpecRound(false, v, 1, 2, 0), 4);
  EXPECT_DOUBLE_EQ(v, 0.0001);
  double w = -3.14159; // negative products take the same path
  EXPECT_EQ(SpecRound(false, w, 1, 3, 0), 3);
  EXPECT_DOUBLE_EQ(w, -3.142);
}

TEST(SpecRound, WholeLogarithmOrFewDigitsRoundDirectly) {
  double v = 1.0; // k = 0.5: L = |log10(0.01)| = 2, a whole number: no lowering to 1
  EXPECT_EQ(SpecRound(false, v, 0.5, 0, 0), 2);
  EXPECT_DOUBLE_EQ(v, 1.0);
  double w = 1.23456; // c = 3 <= m = 4
  EXPECT_EQ(SpecRound(false, w, 1, 4, 0), 3);
  EXPECT_DOUBLE_EQ(w, 1.235);
}

TEST(SpecRound, NeverBelowLeastDigitsPlusOneOnTheLoweringPath) {
  double v = 2.0; // c = 3 > m = 1; the amount never changes, so the lowering ends at c = 2
  EXPECT_EQ(SpecRound(false, v, 1, 1, 0), 2);
  EXPECT_DOUBLE_EQ(v, 2.0);
}

TEST(SpecRoundCen, DecimalsToShowForPrices) {
  double a = 12.0, b = 12.5, c = 12.34;
  EXPECT_EQ(SpecRoundCen(a, 1, 0), -1);
  EXPECT_EQ(SpecRoundCen(b, 1, 0), 1);
  EXPECT_EQ(SpecRoundCen(c, 1, 0), 2);
  EXPECT_DOUBLE_EQ(c, 12.34);
  EXPECT_EQ(DFloatToStr(a, SpecRoundCen(a, 1, 0)), "12");
  double d = 3.14159; // the lowering path keeps m + 1 = 3 decimals
  EXPECT_EQ(SpecRoundCen(d, 1, 0), 3);
  EXPECT_DOUBLE_EQ(d, 3.142);
  double e = 0.123456; // k = 100: the amount 12.35 needs 4 decimals, 3 would give 12.3
  EXPECT_EQ(SpecRoundCen(e, 100, 0), 4);
  EXPECT_DOUBLE_EQ(e, 0.1235);
}

TEST(CursorReaders, NumbersAndStrings) {
  const char* text = "-12,5;x";
  const char* cur = text;
  int count = 0;
  EXPECT_DOUBLE_EQ(LoadDoubleNumeric(cur, count), -12.5);
  EXPECT_EQ(*cur, ';');
  EXPECT_EQ(count, 4);

  const char* two = "1,2,3";
  cur = two;
  EXPECT_DOUBLE_EQ(LoadDoubleNumeric(cur), 1.2);
  EXPECT_EQ(cur, two + 3);

  const char* ints = "0042abc";
  cur = ints;
  EXPECT_EQ(LoadIntNumeric(cur), 42);
  EXPECT_EQ(cur, ints + 4);

  const char* words = "ab;cd|ef";
  cur = words;
  std::string s;
  LoadSubString(cur, ';', '|', s, true);
  EXPECT_EQ(s, "ab");
  EXPECT_EQ(*cur, 'c');
  LoadSubString(cur, ';', '|', s, true);
  EXPECT_EQ(s, "cd");
  EXPECT_EQ(*cur, '|'); // the second stop is not passed over
  ++cur;
  LoadSubString(cur, ';', '|', s, false);
  EXPECT_EQ(s, "ef");
  EXPECT_EQ(*cur, '\0');
}

TEST(CursorReaders, LittleEndianFields) {
  const char bytes[] = "\x01\x34\x12\x78\x56\x34\x12\xFE\xFF\xFF\xFF"
                       "\x00\x00\x00\x00\x00\x00\xF8\x3F"
                       "\x03\x00"
                       "abc";
  const char* cur = bytes;
  EXPECT_EQ(LoadByte(cur), 1);
  EXPECT_EQ(LoadWord(cur), 0x1234);
  EXPECT_EQ(LoadDword(cur), 0x12345678u);
  EXPECT_EQ(LoadInt(cur), -2);
  EXPECT_DOUBLE_EQ(LoadDouble(cur), 1.5);
  EXPECT_EQ(LoadText(cur), "abc");
  EXPECT_EQ(cur, bytes + sizeof bytes - 1);
}
} // namespace
