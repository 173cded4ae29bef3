// The format's field helpers against hand-written bytes, and the compact layout: its image, the
// same bytes when the body is taken in pieces, and the record length limit.
#include <gtest/gtest.h>

#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "storage/Dutilfile.h"
#include "storage/Recformat.h"
#include "tests/support/RecBytes.h"
#include "tests/support/Tempdir.h"

TEST(Recformat, FieldsAreLittleEndianAndUnsigned) {
  char b[4];
  PutLe32(b, 0xFEDCBA98u);
  EXPECT_EQ(std::string(b, 4), Le32(0xFEDCBA98u));
  EXPECT_EQ(GetLe32("\x98\xBA\xDC\xFE"), 0xFEDCBA98u); // high bytes do not spread their sign
  PutLe16(b, 0xFF80);
  EXPECT_EQ(std::string(b, 2), Le16(0xFF80));
  EXPECT_EQ(GetLe16("\x80\xFF"), 0xFF80);
  std::string rec;
  AppendRecord(rec, -3, 0x01020304u, "abc", 3);
  EXPECT_EQ(rec, Rec(-3, 0x01020304u, "abc"));
  EXPECT_EQ(std::string(kEndMarker, LenEof), Marker());
  EXPECT_EQ(DirEntryAt(3), 32u);
}

namespace {
// Groups 0 and 2 of three hold records; group 1 is empty.
void FillThree(TCompactLayout& layout, std::string* taken) {
  layout.Add(1, "first", 5);
  if (taken) { // a writer of a large file takes what is there
    *taken += layout.Body;
    layout.Body.clear();
  }
  layout.Add(0, "second", 6);
  layout.EndGroup();
  layout.EndGroup();
  layout.Add(2, "x", 1);
  layout.EndGroup();
}
} // namespace

TEST(Recformat, CompactLayoutIsTheFileThatCompressionGives) {
  const std::string g0 = Rec(1, EmptyAdr, "first") + Rec(0, EmptyAdr, "second") + Marker();
  const std::string g2 = Rec(2, EmptyAdr, "x") + Marker();
  const uint32_t area = 32;
  const std::string want =
      Composite({{area, static_cast<uint32_t>(g0.size())},
                 {static_cast<uint32_t>(area + g0.size()), 8},
                 {static_cast<uint32_t>(area + g0.size() + 8), static_cast<uint32_t>(g2.size())}},
                g0 + Marker() + g2);
  TCompactLayout whole("f.bn", 3);
  FillThree(whole, nullptr);
  EXPECT_EQ(whole.Image(), want);
  EXPECT_EQ(whole.End(), want.size());

  TCompactLayout pieces("f.bn", 3);
  std::string taken;
  FillThree(pieces, &taken);
  EXPECT_EQ(pieces.Head() + taken + pieces.Body, want);

  TTempDir tmp;
  WriteAll(tmp / "f.bn", want);
  using TRecords = std::vector<std::pair<int, std::string>>;
  EXPECT_EQ(GroupRecords(tmp / "f.bn", 0), (TRecords{{1, "first"}, {0, "second"}}));
  EXPECT_EQ(GroupRecords(tmp / "f.bn", 1), TRecords{});
  EXPECT_EQ(GroupRecords(tmp / "f.bn", 2), (TRecords{{2, "x"}}));
}

TEST(Recformat, CompactLayoutRefusesARecordThatCouldNotBeReadBack) {
  TCompactLayout layout("f.bn", 1);
  std::string data(UseLenRec + 1, 'x');
  layout.Add(0, data.data(), UseLenRec); // the longest readable record
  try {
    layout.Add(0, data.data(), data.size());
    ADD_FAILURE() << "a record over the limit was taken";
  } catch (const ZError& e) {
    EXPECT_EQ(e.Number, MsgRecordTooLong);
    EXPECT_EQ(e.Message, "f.bn|( 20001)|20000");
  }
  EXPECT_EQ(layout.End(), DirEntryAt(1) + kRecHeadSize + UseLenRec);
}
