// Rounding of amounts, quantities and prices, number <-> text conversions with the decimal comma,
// and cursor readers that take numbers, texts and binary fields from a buffer.
#pragma once
#include <cstdint>
#include <string>

// Two amounts closer than this count as equal.
extern double MinRound;

// Half away from zero with a 1e-10 nudge, to |n| decimals.
double round(double x, int n);

// Rounds value so that round(value * multiplier, 2) stays as it was; returns the decimals kept.
// conditional: round only when bit 0x10 of flags is set.
int SpecRound(bool conditional, double& value, double multiplier, double leastDigits,
              uint32_t flags);
// Resource quantities: SpecRound(true, value, multiplier, 4, flags).
int SpecRoundRes(double& value, double multiplier, uint32_t flags);
// Prices: rounds value and returns the number of decimals to show (-1: show no fraction).
int SpecRoundCen(double& value, double multiplier, uint32_t flags);

// x rounded to |n| decimals with a decimal comma; negative n drops trailing zeros of the fraction.
std::string DFloatToStr(double x, int n);
// width 0: plain decimal; otherwise in radix, left-padded with fill up to width (never cut).
std::string DIntToStr(int32_t value, int width, char fill, int radix);
// Leading blanks, sign and digits; the rest is ignored. 0 for an empty text or no digits.
int32_t DStrToInt(const std::string& text);
// 0 for "" and "-"; otherwise the strict conversion (ZError on a text that is not a number).
double DStrToFloat(const std::string& text);
// Strict whole-number conversion of a text; ZError on a text that is not a 32-bit number.
int32_t StrToIntStrict(const std::string& text);

// Cursor readers: each advances the cursor past what it read.
// Up to the terminating zero or either stop; with skip, a first-stop character is passed too.
void LoadSubString(const char*& cursor, char stop, char stop2, std::string& text, bool skip);
// Up to 29 decimal digits (no sign), as a 32-bit number.
int32_t LoadIntNumeric(const char*& cursor);
// Optional sign, digits with at most one "," (28 characters at most).
double LoadDoubleNumeric(const char*& cursor);
// The same, adding the number of digit and comma characters read to count.
double LoadDoubleNumeric(const char*& cursor, int& count);
// Little-endian binary fields.
uint8_t LoadByte(const char*& cursor);
uint16_t LoadWord(const char*& cursor);
uint32_t LoadDword(const char*& cursor);
int32_t LoadInt(const char*& cursor);
double LoadDouble(const char*& cursor);
// A 16-bit length, then that many bytes.
std::string LoadText(const char*& cursor);
