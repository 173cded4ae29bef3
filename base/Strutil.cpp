// CP1251 upper case and trimming.
#include "base/Strutil.h"

namespace {
unsigned char UpperChar(unsigned char u) {
  if ((u >= 'a' && u <= 'z') || u >= 0xE0) return static_cast<unsigned char>(u - 32);
  switch (u) {
  case 0xB8:
    return 0xA8; // ё
  case 0xB3:
    return 0xB2; // і
  case 0xBF:
    return 0xAF; // ї
  case 0xBA:
    return 0xAA; // є
  case 0xB4:
    return 0xA5; // ґ
  default:
    return u;
  }
}
} // namespace

std::string AnsiUpperCase(const std::string& text) {
  std::string s = text;
  for (char& c : s)
    c = static_cast<char>(UpperChar(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(const std::string& text) {
  size_t b = 0, e = text.size();
  while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
    ++b;
  while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
    --e;
  return text.substr(b, e - b);
}
