// I/O costs of the record files: what a group read costs in OS calls, records across cache
// windows, bytes changed by another writer, directory listings kept, scratch files made lazily.
#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>

#include "storage/Dutilfile.h"
#include "storage/Dwfile.h"
#include "storage/Sysio.h"
#include "tests/support/FaultIo.h"
#include "tests/support/RecBytes.h"
#include "tests/support/Tempdir.h"

namespace {

// A POSIX backend that counts calls by name.
class TCallCounter : public TPosixIoSys {
public:
  std::map<std::string, int> N;
  int Open(const std::string& p, int f, mode_t m) override {
    ++N["open"];
    return TPosixIoSys::Open(p, f, m);
  }
  ssize_t Read(int fd, void* b, size_t c) override {
    ++N["read"];
    return TPosixIoSys::Read(fd, b, c);
  }
  int ListDir(const std::string& p, std::vector<std::string>& names) override {
    ++N["listdir"];
    return TPosixIoSys::ListDir(p, names);
  }
  ssize_t PRead(int fd, void* b, size_t c, off_t o) override {
    ++N["pread"];
    return TPosixIoSys::PRead(fd, b, c, o);
  }
  off_t Seek(int fd, off_t o, int w) override {
    ++N["seek"];
    return TPosixIoSys::Seek(fd, o, w);
  }
  int Close(int fd) override {
    ++N["close"];
    return TPosixIoSys::Close(fd);
  }
  int Stat(const std::string& p, struct stat* st) override {
    ++N["stat"];
    return TPosixIoSys::Stat(p, st);
  }
  int Total() const {
    int t = 0;
    for (const auto& [name, n] : N)
      t += n;
    return t;
  }
};

struct TCountScope {
  TCountScope() : Previous(SetIoSys(&Io)) {}
  ~TCountScope() { SetIoSys(Previous); }
  TCallCounter Io;
  TIoSys* Previous;
};

// count groups; group g holds records of 100 + g bytes, one per 700 bytes of its share.
std::string ManyGroups(unsigned count, const std::vector<uint32_t>& bytes) {
  std::vector<TDirPair> dir;
  std::string area;
  uint32_t at = 8 + 8 * count;
  for (unsigned g = 0; g < count; ++g) {
    std::string group;
    for (uint32_t i = 0; g < bytes.size() && group.size() < bytes[g]; ++i)
      group += Rec(1, EmptyAdr, std::string(100 + g, static_cast<char>('a' + (i + g) % 26)));
    group += Marker();
    dir.push_back({at, static_cast<uint32_t>(group.size())});
    at += static_cast<uint32_t>(group.size());
    area += group;
  }
  return Composite(dir, area);
}

std::vector<std::string> ReadGroup(WFile& f, unsigned g) {
  std::vector<std::string> out;
  WRec rec;
  f.WOpen_file(g);
  while (f.WRead(&rec))
    out.emplace_back(rec.Data, rec.Len);
  return out;
}

} // namespace

TEST(ReadCache, OneGroupOfALargeFileCostsOneJumpAndOneRead) {
  TTempDir tmp;
  std::vector<uint32_t> bytes(150, 0);
  for (unsigned g : {1u, 2u, 5u, 40u, 108u, 110u})
    bytes[g] = 7000;
  bytes[109] = 12000;
  WriteAll(tmp / "obj", ManyGroups(150, bytes));
  std::vector<std::string> expected;
  {
    WFile plain(tmp / "obj");
    expected = ReadGroup(plain, 109);
  }
  ASSERT_GT(expected.size(), 50u);
  TCountScope count;
  {
    WFile f(tmp / "obj");
    f.KeepCache = true;
    EXPECT_EQ(ReadGroup(f, 109), expected);
    EXPECT_EQ(ReadGroup(f, 109), expected); // a second comparison reads nothing again
  }
  // open, header read, end seek, group read, close
  EXPECT_EQ(count.Io.N["open"], 1);
  EXPECT_EQ(count.Io.N["read"], 0); // positioned reads only
  EXPECT_EQ(count.Io.N["pread"], 2);
  EXPECT_LE(count.Io.Total(), 5);
}

TEST(ReadCache, RecordsAcrossCacheWindows) {
  TTempDir tmp;
  std::vector<uint32_t> bytes(4, 0);
  bytes[0] = 300000; // several cache windows
  bytes[2] = 900;
  WriteAll(tmp / "big", ManyGroups(4, bytes));
  WFile f(tmp / "big");
  std::vector<std::string> g0 = ReadGroup(f, 0);
  ASSERT_EQ(g0.size(), 300000u / 107 + 1);
  for (size_t i = 0; i < g0.size(); ++i)
    ASSERT_EQ(g0[i], std::string(100, static_cast<char>('a' + i % 26))) << i;
  EXPECT_EQ(ReadGroup(f, 2).size(), 9u);
  EXPECT_TRUE(ReadGroup(f, 3).empty());
}

TEST(ReadCache, SmallKeptFileIsReadOnceForAllGroups) {
  TTempDir tmp;
  BuildReferenceLike(tmp / "ref");
  std::vector<std::vector<std::string>> plain;
  {
    WFile f(tmp / "ref");
    for (unsigned g = 0; g < 17; ++g)
      plain.push_back(ReadGroup(f, g));
  }
  TCountScope count;
  WFile f(tmp / "ref");
  f.KeepCache = true;
  for (int pass = 0; pass < 2; ++pass)
    for (unsigned g = 0; g < 17; ++g)
      EXPECT_EQ(ReadGroup(f, g), plain[g]) << g;
  EXPECT_LE(count.Io.N["pread"], 2); // the header, then the whole file
}

TEST(ReadCache, ChangesOfAnotherWriterAreSeenAtTheNextGroupOpen) {
  TTempDir tmp;
  std::vector<uint32_t> bytes = {500, 500};
  WriteAll(tmp / "list", ManyGroups(2, bytes));
  WFile f(tmp / "list");
  std::vector<std::string> before = ReadGroup(f, 1);
  ASSERT_FALSE(before.empty());
  {
    WFile other(tmp / "list"); // another program edits the first record in place
    WRec rec;
    other.WOpen_file(1);
    other.WRead(&rec);
    std::memset(rec.Data, 'Z', rec.Len);
    rec.Adr = EmptyAdr;
    other.WUpdate(other.LastAdr, &rec);
  }
  std::vector<std::string> after = ReadGroup(f, 1);
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(after[0], std::string(before[0].size(), 'Z'));
}

TEST(ReadCache, CompressionOpensTheSourceOnceAndWalksNoDirectory) {
  TTempDir tmp;
  for (int i = 0; i < 20; ++i)
    WriteAll(tmp / ("other" + std::to_string(i)), "x");
  std::vector<uint32_t> bytes(10, 300);
  WriteAll(tmp / "obj", ManyGroups(10, bytes));
  std::vector<std::vector<std::string>> before;
  {
    WFile f(tmp / "obj");
    for (unsigned g = 0; g < 10; ++g)
      before.push_back(ReadGroup(f, g));
  }
  {
    TCountScope count;
    compress_bf(tmp / "obj", 0);
    EXPECT_EQ(count.Io.N["listdir"], 0);
    EXPECT_EQ(count.Io.N["open"], 3); // the source, the scratch file, the directory to flush
  }
  WFile f(tmp / "obj");
  for (unsigned g = 0; g < 10; ++g)
    EXPECT_EQ(ReadGroup(f, g), before[g]) << g;
  EXPECT_EQ(def_unused(tmp / "obj"), 0);
}

TEST(DirCache, MissingNamesListASettledDirectoryOnceAndNewNamesAreFound) {
  TTempDir tmp;
  std::string dir = tmp / "objs";
  ASSERT_EQ(sysio::Mkdir(dir), 0);
  for (int i = 0; i < 30; ++i)
    WriteAll(dir + "/" + std::to_string(i) + ".arr", "x");
  // A directory changed long ago keeps its listing.
  struct timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, dir.c_str(), past, 0), 0);
  {
    TCountScope count;
    for (int i = 100; i < 120; ++i)
      EXPECT_FALSE(sysio::FileExists(dir + "/" + std::to_string(i) + ".arr"));
    EXPECT_TRUE(sysio::FileExists(dir + "/7.ARR"));
    EXPECT_EQ(count.Io.N["listdir"], 1);
    // A file created since then changes the directory's time stamp and is found.
    WriteAll(dir + "/NEW.ARR", "y");
    EXPECT_EQ(sysio::OsPath(dir + "/new.arr"), dir + "/NEW.ARR");
    EXPECT_EQ(count.Io.N["listdir"], 2);
  }
}

TEST(DirCache, ARecentlyChangedDirectoryIsListedAgain) {
  TTempDir tmp;
  WriteAll(tmp / "a.arr", "x");
  TCountScope count;
  EXPECT_FALSE(sysio::FileExists(tmp / "b.arr"));
  WriteAll(tmp / "B.arr", "y"); // may fall within the same time stamp as the first listing
  EXPECT_TRUE(sysio::FileExists(tmp / "b.arr"));
  EXPECT_EQ(count.Io.N["listdir"], 2);
}

TEST(ScratchFile, OnlyAGroupThatOutgrowsMemoryGoesThroughTheScratchFile) {
  TTempDir tmp;
  std::string path = tmp / "f.bn";
  creat_bf(path, 3, nullptr);
  std::vector<std::string> big;
  for (int i = 0; i < 100; ++i)
    big.push_back(std::string(1000, static_cast<char>('A' + i % 26)));
  {
    WFile f(path);
    TCountScope count;
    f.WCreat_file(1);
    f.WWrite(std::string("small"));
    f.WClose_file(1);
    EXPECT_EQ(count.Io.N["open"], 0);
    f.WCreat_file(2);
    for (const std::string& r : big)
      f.WWrite(1, static_cast<unsigned short>(r.size()), r.data());
    f.WClose_file(2);
    EXPECT_EQ(count.Io.N["open"], 1);
    EXPECT_EQ(ReadGroup(f, 2), big);
  }
  EXPECT_FALSE(sysio::FileExists(path + "$$"));
  EXPECT_EQ(GroupRecords(path, 1).size(), 1u);
}
