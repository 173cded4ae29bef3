// File utilities: creation, the dead-space measure and compression, byte for byte.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "messages/Zmsg.h"
#include "storage/Dutilfile.h"
#include "storage/Dwfile.h"
#include "storage/Sysio.h"
#include "tests/support/RecBytes.h"
#include "tests/support/Tempdir.h"

namespace {
struct Util : ::testing::Test {
  TTempDir Tmp;
  std::string Path = Tmp / "f.bn";
};

std::string EmptyThree() {
  std::string bytes = Le32(56) + Le32(3);
  for (uint32_t i = 0; i < 3; ++i)
    bytes += Le32(32 + 8 * i) + Le32(8);
  for (int i = 0; i < 3; ++i)
    bytes += Marker();
  return bytes;
}
} // namespace

TEST_F(Util, EmptyFileOfThreeGroupsIs56Bytes) {
  EXPECT_FALSE(creat_bf(Path, 3, nullptr));
  EXPECT_EQ(ReadAll(Path), EmptyThree());
  EXPECT_EQ(def_unused(Path), 0);
}

TEST_F(Util, VersionTextGoesIntoGroupZero) {
  creat_bf(Path, 2);
  std::string bytes = ReadAll(Path);
  EXPECT_EQ(bytes.substr(40), Rec(0, EmptyAdr, "5-2.9.1") + Marker());
  EXPECT_EQ(bytes.substr(8, 8), Le32(40) + Le32(22));
  EXPECT_EQ(def_unused(Path), 100 - (100 * 30 / 38)); // area 62 - 24, live 22 + 8
}

TEST_F(Util, SkeletonIsZeroButTheCount) {
  creat_bfsp(Path, 2);
  EXPECT_EQ(ReadAll(Path), Le32(0) + Le32(2) + std::string(16, '\0'));
}

TEST_F(Util, ExistingFileIsKeptWhenTheUserDeclines) {
  WriteAll(Path, "mine");
  TMsgPresenter old = SetMsgPresenter([](const TMsgRequest&) { return false; });
  try {
    creat_bf(Path, 3, nullptr);
    ADD_FAILURE();
  } catch (const ZError& e) {
    EXPECT_EQ(e.Number, 999);
  }
  SetMsgPresenter(old);
  EXPECT_EQ(ReadAll(Path), "mine");
}

TEST_F(Util, ReferenceLikeFileCompressesToGroupOrder) {
  BuildReferenceLike(Path);
  std::string bytes = ReadAll(Path);
  ASSERT_EQ(bytes.size(), 28722u);
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x32\x70\0\0\x11\0\0\0", 8));
  EXPECT_EQ(bytes.substr(0x08, 8), std::string("\x27\x01\0\0\x43\x08\0\0", 8));
  EXPECT_EQ(bytes.substr(0x10, 8), std::string("\x7A\x12\0\0\x79\x03\0\0", 8));
  EXPECT_EQ(bytes.substr(0x88, 8), std::string("\x10\x01\0\0\x08\0\0\0", 8));
  std::string markers;
  for (int i = 0; i < 17; ++i)
    markers += Marker();
  EXPECT_EQ(bytes.substr(0x90, 136), markers);
  EXPECT_EQ(bytes.substr(0x118, 15), RecHead(0, EmptyAdr, 0) + Marker());
  EXPECT_EQ(bytes.substr(0x127, 13),
            std::string("\0\xFF\xFF\xFF\xFF\x06\0\x04\0\xC4\x31\x34\x35", 13));
  EXPECT_EQ(bytes.substr(0x134, 7), std::string("\x01\xFF\xFF\xFF\xFF\x6C\0", 7));
  EXPECT_EQ(def_unused(Path), 1);

  std::vector<std::vector<std::pair<int, std::string>>> before;
  for (unsigned g = 0; g < 17; ++g)
    before.push_back(GroupRecords(Path, g));
  EXPECT_FALSE(compress_bf(Path, 0));
  EXPECT_EQ(ReadAll(Path).size(), 28579u);
  WFile f(Path);
  EXPECT_EQ(f.Header.End, 28579u);
  EXPECT_EQ(f.Dir[0].Offset, 144u);
  EXPECT_EQ(f.Dir[0].Size, 2115u);
  EXPECT_EQ(f.Dir[1].Offset, 2259u);
  EXPECT_EQ(f.Dir[1].Size, 889u);
  EXPECT_EQ(f.Dir[16].Offset, 28571u);
  EXPECT_EQ(f.Dir[16].Size, 8u);
  for (unsigned g = 0; g + 1 < 17; ++g)
    EXPECT_EQ(f.Dir[g + 1].Offset, f.Dir[g].Offset + f.Dir[g].Size);
  for (unsigned g = 0; g < 17; ++g)
    EXPECT_EQ(GroupRecords(Path, g), before[g]) << g;
  EXPECT_EQ(def_unused(Path), 0);
  EXPECT_FALSE(sysio::FileExists(Path + "$"));
}

TEST_F(Util, ThresholdAndPermissions) {
  creat_bf(Path, 3, "x");
  chmod(Path.c_str(), 0640);
  std::string before = ReadAll(Path);
  int unused = def_unused(Path);
  EXPECT_EQ(unused, 20);         // area 72 - 32 = 40, live 16 + 8 + 8
  compress_bf(Path, unused + 1); // below the threshold: untouched
  EXPECT_EQ(ReadAll(Path), before);
  compress_bf(Path, unused);
  EXPECT_EQ(def_unused(Path), 0);
  struct stat st;
  ASSERT_EQ(stat(Path.c_str(), &st), 0);
  mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(st.st_mode & 0777, 0640u & ~mask); // never wider than before
  // A file without dead space is still rewritten with threshold 0: a new file of equal bytes.
  std::string packed = ReadAll(Path);
  ASSERT_EQ(stat(Path.c_str(), &st), 0);
  ino_t oldInode = st.st_ino;
  std::string keep = Path + ".keep"; // holds the old inode so that it cannot be reused
  ASSERT_EQ(link(Path.c_str(), keep.c_str()), 0);
  compress_bf(Path, 0);
  ASSERT_EQ(stat(Path.c_str(), &st), 0);
  EXPECT_NE(st.st_ino, oldInode);
  EXPECT_EQ(ReadAll(Path), packed);
  unlink(keep.c_str());
}

TEST_F(Util, DamagedSourceIsReportedAsSystemErrorAndKept) {
  std::string bad = Composite({{16, 20}}, Rec(0, EmptyAdr, "ab") + Rec(0, 16, "cd"));
  WriteAll(Path, bad);
  try {
    compress_bf(Path, 0);
    ADD_FAILURE();
  } catch (const ZError& e) {
    EXPECT_EQ(e.Number, 99);
  }
  EXPECT_EQ(ReadAll(Path), bad);
  EXPECT_FALSE(sysio::FileExists(Path + "$"));
}

// Small files are written in one piece, large ones in pieces behind a header filled in last;
// both give the compact layout byte for byte, and the sink sees exactly the file's bytes.
TEST_F(Util, CompressionWritesTheCompactLayoutWholeOrInPiecesAndTellsItsBytes) {
  for (int records : {3, 260}) { // about 57 KB and 5 MB
    sysio::Unlink(Path);
    creat_bf(Path, 2, nullptr);
    TCompactLayout expected(Path, 2);
    {
      WFile f(Path);
      f.WCreat_file(1);
      for (int i = 0; i < records; ++i) {
        std::string data(19000, static_cast<char>('a' + i % 26));
        f.WWrite(1, static_cast<unsigned short>(data.size()), data.c_str());
      }
      f.WClose_file(1);
    }
    expected.EndGroup();
    for (const auto& [prefix, data] : GroupRecords(Path, 1))
      expected.Add(static_cast<int8_t>(prefix), data.data(), data.size());
    expected.EndGroup();
    std::string told;
    {
      WFile src(Path);
      compress_to(src, Tmp / "out.bn", {}, Path, [&](std::string b) { told = std::move(b); });
    }
    std::string written = ReadAll(Tmp / "out.bn");
    EXPECT_EQ(written, expected.Image()) << records;
    EXPECT_EQ(told, written) << records;
    sysio::Unlink(Tmp / "out.bn");
  }
}
