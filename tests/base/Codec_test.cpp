// CP1251 <-> UTF-8 conversion.
#include <gtest/gtest.h>

#include "base/Codec.h"

TEST(Codec, LiteralsAreCp1251) {
  const std::string d145 = "Д145";
  ASSERT_EQ(d145.size(), 4u);
  EXPECT_EQ(static_cast<unsigned char>(d145[0]), 0xC4);
}

TEST(Codec, EveryByteRoundTrips) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Cp1251FromUtf8(Utf8FromCp1251(all)), all);
}

TEST(Codec, KnownLettersAndUnmappable) {
  EXPECT_EQ(Utf8FromCp1251("Ґє"), "\xD2\x90\xD1\x94");
  EXPECT_EQ(Cp1251FromUtf8("\xE2\x82\xAC"), "\x88"); // euro sign
  EXPECT_EQ(Cp1251FromUtf8("\xE4\xB8\xAD"), "?");    // no CP1251 byte
  EXPECT_EQ(Cp1251FromUtf8("a\xFF" "b"), "a?b");     // malformed
  EXPECT_EQ(Cp1251FromUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}
