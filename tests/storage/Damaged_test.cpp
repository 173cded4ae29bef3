// Damaged record files found by fuzzing: each input here once crashed, hung or broke a property;
// now it must give an error or a sound result, in time proportional to the file.
#include <gtest/gtest.h>

#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "storage/Dutilfile.h"
#include "storage/Dwfile.h"
#include "storage/Sysio.h"
#include "tests/support/FaultIo.h"
#include "tests/support/RecBytes.h"
#include "tests/support/Tempdir.h"

namespace {
std::string Bytes(std::initializer_list<unsigned char> b) {
  return std::string(b.begin(), b.end());
}

struct Damaged : ::testing::Test {
  TTempDir Tmp;
  std::string Path = Tmp / "f.bn";
};
} // namespace

TEST_F(Damaged, DirectoryClaimingMoreThanTheAreaMeasuresNoDeadSpace) {
  // Group sizes far beyond the file: the share of live bytes does not fit an int.
  WriteAll(Path, Composite({{24, 0xFFFFFFF0}, {24, 0xFFFFFFF0}}, Marker()));
  EXPECT_EQ(def_unused(Path), 0);
  // The same as found: two groups of a version file, one size field damaged.
  const unsigned char found[] = {0x3e, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x28, 0x00, 0x19,
                                 0x00, 0x00, 0x16, 0x00, 0xf8, 0x00, 0x02, 0x00, 0x74, 0x00, 0x00,
                                 0x00, 0x01, 0x00, 0x40, 0x00, 0xff, 0xff, 0xff, 0xff, 0x01, 0x00,
                                 0x40, 0x00, 0xff, 0xff, 0x00, 0xff, 0xff, 0xff, 0xff, 0x01, 0x00,
                                 0x40, 0xff, 0xff, 0x07, 0x00, 0x35, 0x2d, 0x32, 0x2e, 0x39, 0x2e,
                                 0x31, 0x00, 0xff, 0xff, 0xff, 0xff, 0x01, 0x00, 0x40};
  WriteAll(Path, std::string(reinterpret_cast<const char*>(found), sizeof found));
  EXPECT_EQ(def_unused(Path), 0);
}

TEST_F(Damaged, GroupsSharingOneLongChainCompressInLinearTime) {
  // 4096 directory entries all start one chain of 10,000 removed records: reading every group
  // would walk 4096 times the file. Compression stops once it has walked a few times the file.
  const uint32_t groups = 4096, records = 10000;
  std::vector<TDirPair> dir(groups, TDirPair{8 + 8 * groups, 8});
  std::string area;
  for (uint32_t i = 0; i < records; ++i)
    area += Rec(-128, EmptyAdr, std::string(100, 'd'));
  area += Marker();
  std::string bytes = Composite(dir, area);
  WriteAll(Path, bytes);
  TFaultScope counting;
  try {
    compress_bf(Path, 0);
    ADD_FAILURE() << "compressed";
  } catch (const ZError& e) {
    EXPECT_EQ(e.Number, 99);
  }
  // Unbounded, it walks all 4096 passes: about two million calls; bounded, a few ten thousand.
  EXPECT_LT(counting.Io.Calls(), 200000);
  EXPECT_EQ(ReadAll(Path), bytes);
  EXPECT_FALSE(sysio::FileExists(Path + "$"));
}

TEST_F(Damaged, TwoGroupsSharingAChainStillCompress) {
  // Not written by this program, but readable: both groups yield the same records.
  WriteAll(Path, Composite({{24, 16}, {24, 16}}, Rec(1, EmptyAdr, "x") + Marker()));
  compress_bf(Path, 0);
  EXPECT_EQ(GroupRecords(Path, 0), GroupRecords(Path, 1));
  EXPECT_EQ(GroupRecords(Path, 1).size(), 1u);
}

TEST_F(Damaged, LinkIntoTheHeaderIsAnErrorAndEditsNeverReachIt) {
  // The second record links to offset 8, the directory entry of group 0.
  WriteAll(Path, Composite({{16, 16}}, Rec(0, 8, "x") + Marker()));
  WFile f(Path);
  f.WOpen_file(0);
  WRec rec;
  EXPECT_TRUE(f.WRead(&rec));
  try {
    f.WRead(&rec);
    ADD_FAILURE();
  } catch (const ZError& e) {
    EXPECT_EQ(e.Number, MsgLinkIntoHeader);
    EXPECT_EQ(e.Message, f.Name + "|8");
  }
  std::string before = ReadAll(Path);
  EXPECT_THROW(f.WUpdatePrefix(8, 0x80), ZError);
  EXPECT_THROW(f.WEditFile(weDelete, 0, 0, 0, &rec), ZError);
  EXPECT_EQ(ReadAll(Path), before);

  // As found: group 1's chain ran through the directory, so rewriting group 2 changed it.
  WriteAll(Path,
           Bytes({0x68, 0,    0,    0,    3,    0,    0,    0,    0x20, 0,    0,    0,    0x16,
                  0,    0x20, 0,    0x36, 0,    0,    0,    0x2a, 0,    0,    0,    0x60, 0,
                  0,    0,    8,    0,    0,    0,    0,    0xff, 0xff, 0xff, 0xff, 7,    0,
                  'r',  'a',  'v',  'i',  'n',  'e',  'l',  0,    0xff, 0xff, 0xff, 0xff, 1,
                  0,    0x40, 0,    7,    0,    0,    0,    4,    0,    'z',  'e',  'r',  'o',
                  0,    0xff, 0xff, 0,    0xf1, 0xff, 0xff, 0xff, 1,    0,    0x30, 6,    0,
                  0xff, 0xff, 0xff, 0xff, 7,    0,    'r',  'a',  'v',  'i',  'n',  'e',  'l',
                  0,    0xff, 0xff, 0xff, 0xff, 1,    0,    0x40, 0,    0xff, 0xff, 0xff, 0x40}));
  EXPECT_THROW(GroupRecords(Path, 1), ZError);
}
