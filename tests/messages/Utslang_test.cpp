// Choosing the language part of two-language texts.
#include <gtest/gtest.h>

#include "messages/Utslang.h"

namespace {
const std::string kRa = LangRa, kUa = LangUa;
const std::string kBoth = kRa + "Дом" + kUa + "Будинок";

TEST(GetTextLang, PicksTheLanguagePart) {
  EXPECT_EQ(GetTextLang(elRus, kBoth), "Дом");
  EXPECT_EQ(GetTextLang(elUkr, kBoth), "Будинок");
  EXPECT_EQ(GetTextLang(elBoth, kBoth), kBoth);
  EXPECT_EQ(GetTextLang(elRus, "Дом"), "Дом");
  EXPECT_EQ(GetTextLang(elUkr, "Дом"), "Дом");
  EXPECT_EQ(GetTextLang(elUkr, kRa + "Дом"), "");
  EXPECT_EQ(GetTextLang(elRus, kRa + "Дом"), "Дом");
  EXPECT_EQ(GetTextLang(elRus, kRa + kUa + "Будинок"), "");
  // Ukrainian first in the text works the same way.
  EXPECT_EQ(GetTextLang(elRus, kUa + "Будинок" + kRa + "Дом"), "Дом");
  EXPECT_EQ(GetTextLang(elUkr, kUa + "Будинок" + kRa + "Дом"), "Будинок");
  // Any non-zero language flag other than 2 is Russian.
  EXPECT_EQ(GetTextLang(255, kBoth), "Дом");
  // An explicit length cuts the text.
  EXPECT_EQ(GetTextLang(elRus, kBoth, 3), "До");
}

TEST(GetTextLang, PrintableMarkersAndZeroTerminatedLength) {
  const char* text = "^Дом&Будинок";
  const char* start = nullptr;
  int n = GetTextLang(elUkr, text, 0, start, true);
  EXPECT_EQ(std::string(start, static_cast<size_t>(n)), "Будинок");
  n = GetTextLang(elRus, text, 0, start, true);
  EXPECT_EQ(std::string(start, static_cast<size_t>(n)), "Дом");
  // Without the printable flag "^" and "&" are ordinary characters.
  n = GetTextLang(elRus, text, 0, start, false);
  EXPECT_EQ(std::string(start, static_cast<size_t>(n)), text);
  n = GetTextLang(elUkr, "^Дом", 0, start, true);
  EXPECT_EQ(n, 0);
  EXPECT_STREQ(start, "");
}
} // namespace
