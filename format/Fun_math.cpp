// Rounding, number formatting with the decimal comma, and buffer cursor readers.
// The comma is fixed here: nothing depends on the process locale.
#include "format/Fun_math.h"

#include "base/Strutil.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "messages/Zmsg.h"

double MinRound = 1e-10;

namespace {
// A product computed in extended precision and stored as a double.
double Mul(double a, double b) {
  return static_cast<double>(static_cast<long double>(a) * static_cast<long double>(b));
}

long double Pow10(int d) {
  long double p = 1;
  for (int i = 0; i < d; ++i)
    p *= 10;
  return p;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

[[noreturn]] void ConvertError(const std::string& text, const char* what) {
  SetError("\"" + text + "\" " + what, 0);
}

// Parses a '.'-decimal text completely; false when something is left over.
bool ParseDouble(const std::string& text, double& value) {
  const char* b = text.data();
  const char* e = b + text.size();
  if (b < e && *b == '+') ++b;
  auto [ptr, ec] = std::from_chars(b, e, value);
  return ec == std::errc() && ptr == e;
}

// Checks the toolkit's number syntax: [sign] digits [, digits] [E [sign] digits].
bool IsNumberText(const std::string& s) {
  size_t i = 0, n = s.size();
  if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
  size_t digits = 0;
  while (i < n && IsDigit(s[i]))
    ++i, ++digits;
  if (i < n && s[i] == ',') {
    ++i;
    while (i < n && IsDigit(s[i]))
      ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < n && (s[i] == 'E' || s[i] == 'e')) {
    ++i;
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    size_t exp = 0;
    while (i < n && IsDigit(s[i]))
      ++i, ++exp;
    if (exp == 0) return false;
  }
  return i == n;
}

// Lays out the decimal digits of v (at most 15 significant) with d decimals and a comma.
std::string FixedText(double v, int d) {
  std::string zero = "0";
  if (d > 0) zero += "," + std::string(static_cast<size_t>(d), '0');
  if (v == 0 || !std::isfinite(v)) return zero;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", v);
  int e = std::atoi(std::strchr(buf, 'e') + 1);
  int sig = e + d + 1;
  if (sig <= 0) return zero;
  if (sig > 15) sig = 15;
  std::snprintf(buf, sizeof buf, "%.*e", sig - 1, v);
  e = std::atoi(std::strchr(buf, 'e') + 1);
  std::string digits;
  for (const char* p = buf; *p != 'e'; ++p)
    if (IsDigit(*p)) digits += *p;
  auto digitAt = [&](int pos) { // pos: power of ten
    int k = e - pos;
    return k >= 0 && k < static_cast<int>(digits.size()) ? digits[static_cast<size_t>(k)] : '0';
  };
  std::string out;
  for (int pos = e < 0 ? 0 : e; pos >= 0; --pos)
    out += digitAt(pos);
  if (d > 0) {
    out += ',';
    for (int pos = -1; pos >= -d; --pos)
      out += digitAt(pos);
  }
  if (v < 0 && out.find_first_not_of("0,") != std::string::npos) out.insert(0, "-");
  return out;
}

// SpecRound step 2: a small amount keeps at least one significant digit, never fewer than m.
int RoundSmall(double& v, double m) {
  double L = std::log10(std::fabs(v));
  double n = L < 0 ? std::floor(-L) + 1 : 1 - std::floor(L);
  if (n < m) n = m;
  int ni = static_cast<int>(n);
  long double p = Pow10(ni);
  v = static_cast<double>(round(static_cast<double>(p * v), 0) / p);
  return ni;
}

// SpecRound step 3, the lowering path: decimals go down while the amount stays.
int RoundLowering(double& v, double k, int c, int m) {
  double r = round(v, c);
  double a = round(Mul(r, k), 2);
  int keptC = c;
  double keptR = r;
  while (c > m) {
    keptC = c;
    keptR = r;
    double keptA = a;
    --c;
    r = round(v, c);
    a = round(Mul(r, k), 2);
    if (std::fabs(a - keptA) > MinRound) break;
  }
  v = keptR;
  return keptC;
}
} // namespace

double round(double x, int n) {
  int d = n < 0 ? -n : n;
  long double p = Pow10(d);
  double sum = static_cast<double>(std::fabs(static_cast<long double>(x)) * p + 0.5L + 1e-10L);
  double r = static_cast<double>(std::floor(sum) / p);
  return x >= 0 ? r : -r;
}

int SpecRound(bool conditional, double& value, double multiplier, double leastDigits,
              uint32_t flags) {
  int r = static_cast<int>(leastDigits);
  if (multiplier == 0 || value == 0) return r;
  if (conditional && !(flags & 0x10)) return r;
  if (Mul(value, multiplier) <= 0.00499999) return RoundSmall(value, leastDigits);
  double L = std::fabs(std::log10(0.005 / std::fabs(multiplier)));
  int c = static_cast<int>(std::ceil(L));
  if (c <= leastDigits || L == std::floor(L)) {
    value = round(value, c);
    return c;
  }
  return RoundLowering(value, multiplier, c, r);
}

int SpecRoundRes(double& value, double multiplier, uint32_t flags) {
  return SpecRound(true, value, multiplier, 4, flags);
}

int SpecRoundCen(double& value, double multiplier, uint32_t flags) {
  double u = value;
  int r = SpecRound(false, value, multiplier, 2, flags);
  if (std::fabs(Mul(multiplier, u - value)) > 0.01) {
    r = 1;
    value = round(u, 1);
    if (std::fabs(Mul(multiplier, u - value)) > 0.01) {
      r = 0;
      value = round(u, 0);
    }
  }
  std::string text = DFloatToStr(value, r);
  size_t comma = text.find(',');
  if (comma == std::string::npos) return r;
  size_t last = text.find_last_not_of('0');
  if (last == comma) return -1;
  return static_cast<int>(last - comma);
}

std::string DFloatToStr(double x, int n) {
  int d = n < 0 ? -n : n;
  std::string text = FixedText(round(x, d), d);
  if (n < 0 && text.find(',') != std::string::npos) {
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == ',') text.pop_back();
  }
  return text;
}

std::string DIntToStr(int32_t value, int width, char fill, int radix) {
  if (width == 0) return std::to_string(value);
  if (radix < 2 || radix > 36) radix = 10;
  bool minus = radix == 10 && value < 0;
  uint64_t u = minus ? static_cast<uint64_t>(-static_cast<int64_t>(value))
                     : static_cast<uint64_t>(static_cast<uint32_t>(value));
  std::string text;
  do {
    int digit = static_cast<int>(u % static_cast<uint64_t>(radix));
    text.insert(text.begin(), static_cast<char>(digit < 10 ? '0' + digit : 'A' + digit - 10));
    u /= static_cast<uint64_t>(radix);
  } while (u);
  if (minus) text.insert(0, "-");
  if (static_cast<int>(text.size()) < width)
    text.insert(0, static_cast<size_t>(width) - text.size(), fill);
  return text;
}

int32_t DStrToInt(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ')
    ++i;
  bool minus = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) minus = text[i++] == '-';
  int64_t v = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > 2147483648LL) v = 2147483648LL; // saturates instead of wrapping
  }
  if (minus) v = -v;
  if (v > INT32_MAX) v = INT32_MAX;
  return static_cast<int32_t>(v);
}

double DStrToFloat(const std::string& text) {
  if (text.empty() || text == "-") return 0;
  std::string s = Trim(text);
  double value = 0;
  std::string dotted = s;
  for (char& c : dotted)
    if (c == ',') c = '.';
  if (!IsNumberText(s) || !ParseDouble(dotted, value))
    ConvertError(text, "не является правильным числом");
  return value;
}

int32_t StrToIntStrict(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ')
    ++i;
  const char* b = text.data() + i;
  const char* e = text.data() + text.size();
  if (b < e && *b == '+' && e - b > 1 && b[1] != '-') ++b;
  int32_t value = 0;
  auto [ptr, ec] = std::from_chars(b, e, value);
  if (b == e || ec != std::errc() || ptr != e)
    ConvertError(text, "не является правильным целым числом");
  return value;
}

void LoadSubString(const char*& cursor, char stop, char stop2, std::string& text, bool skip) {
  const char* start = cursor;
  while (*cursor && *cursor != stop && *cursor != stop2)
    ++cursor;
  text.assign(start, cursor);
  if (skip && *cursor && *cursor == stop) ++cursor;
}

int32_t LoadIntNumeric(const char*& cursor) {
  uint32_t v = 0;
  for (int i = 0; i < 29 && IsDigit(*cursor); ++i, ++cursor)
    v = v * 10 + static_cast<uint32_t>(*cursor - '0');
  return static_cast<int32_t>(v);
}

double LoadDoubleNumeric(const char*& cursor, int& count) {
  std::string s;
  if (*cursor == '+' || *cursor == '-') s += *cursor++;
  bool comma = false;
  while (s.size() < 28 && (IsDigit(*cursor) || (*cursor == ',' && !comma))) {
    if (*cursor == ',') comma = true;
    s += *cursor++;
    ++count;
  }
  for (char& c : s)
    if (c == ',') c = '.';
  if (s.find_first_of("0123456789") == std::string::npos) return 0;
  double value = 0;
  ParseDouble(s, value);
  return value;
}

double LoadDoubleNumeric(const char*& cursor) {
  int count = 0;
  return LoadDoubleNumeric(cursor, count);
}

namespace {
static_assert(std::endian::native == std::endian::little, "the files are little-endian");

template <class T> T LoadBinary(const char*& cursor) {
  T v;
  std::memcpy(&v, cursor, sizeof v);
  cursor += sizeof v;
  return v;
}
} // namespace

uint8_t LoadByte(const char*& cursor) {
  return LoadBinary<uint8_t>(cursor);
}
uint16_t LoadWord(const char*& cursor) {
  return LoadBinary<uint16_t>(cursor);
}
uint32_t LoadDword(const char*& cursor) {
  return LoadBinary<uint32_t>(cursor);
}
int32_t LoadInt(const char*& cursor) {
  return LoadBinary<int32_t>(cursor);
}
double LoadDouble(const char*& cursor) {
  return LoadBinary<double>(cursor);
}

std::string LoadText(const char*& cursor) {
  uint16_t n = LoadWord(cursor);
  std::string text(cursor, n);
  cursor += n;
  return text;
}
