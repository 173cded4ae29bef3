// Files whose names differ only in letter case from what the program asks for still open, as
// they do on the file systems the suites are copied from.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

#include "base/Codec.h"
#include "paths/Dpath.h"
#include "paths/Zcomp_var.h"
#include "storage/Dsfile.h"
#include "storage/Sysio.h"
#include "tests/support/Tempdir.h"

namespace {
std::string ReadThrough(const std::string& name) {
  SFile f(name, fmRead);
  char buf[64];
  int n = f.SRead(buf, sizeof buf);
  return std::string(buf, static_cast<size_t>(n));
}

TEST(CaseFallback, LatinNamesAndDirectories) {
  TTempDir root;
  std::filesystem::create_directories(root / "Lss");
  WriteAll(root / "Lss/AdmSs.rus", "list");
  EXPECT_EQ(ReadThrough(root / "Lss/ADMSS.RUS"), "list");
  EXPECT_EQ(ReadThrough(root / "LSS/admss.rus"), "list");
  EXPECT_TRUE(sysio::FileExists(root / "lss/AdmSs.RUS"));
  EXPECT_TRUE(sysio::DirExists(root / "LSS"));
  EXPECT_FALSE(sysio::FileExists(root / "LSS/AdmSs.ukr"));
}

TEST(CaseFallback, ExactMatchWinsOverAnotherCase) {
  TTempDir root;
  WriteAll(root / "a.dat", "small");
  WriteAll(root / "A.dat", "big");
  EXPECT_EQ(ReadThrough(root / "A.dat"), "big");
  EXPECT_EQ(ReadThrough(root / "a.dat"), "small");
}

TEST(CaseFallback, CyrillicNames) {
  TTempDir root;
  // On disk the name is UTF-8; the program asks in CP1251 and in another case.
  WriteAll(root.Path() + "/" + Utf8FromCp1251("Смета.dat"), "cyr");
  EXPECT_EQ(ReadThrough(root.Path() + "/СМЕТА.DAT"), "cyr");
  std::vector<std::string> names;
  ASSERT_EQ(sysio::ListDir(root.Path(), names), 0);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], "Смета.dat");
}

TEST(CaseFallback, AliasPathsKeepTheirCaseAndStillResolve) {
  TTempDir root;
  std::filesystem::create_directories(root / "Rab");
  WriteAll(root / "Rab/Temp", "tmp");
  DeInitPath();
  tAlias = new std::vector<TAliasEntry>;
  tPath = new std::vector<std::string>;
  AddAliasRecord("rab#" + root.Path() + "/RAB/");
  SortAliases();
  EXPECT_EQ(GetRealName("RAB#TEMP"), root.Path() + "/RAB/TEMP");
  EXPECT_EQ(ReadThrough("RAB#TEMP"), "tmp");
  DeInitPath();
}

TEST(CaseFallback, CreationKeepsTheAskedLeafName) {
  TTempDir root;
  std::filesystem::create_directories(root / "Out");
  {
    SFile f(root / "OUT/New.Dat", fmRewrite);
    f.SWrite("x", 1);
  }
  EXPECT_TRUE(std::filesystem::exists(root / "Out/New.Dat"));
  // Rewriting in another case replaces that file (as a case-blind file system would) instead of
  // leaving a second one beside it.
  {
    SFile f(root / "out/NEW.DAT", fmRewrite);
    f.SWrite("yz", 2);
  }
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(root / "Out"))
    names.push_back(e.path().filename().string());
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(ReadAll(root / ("Out/" + names[0])), "yz");
}
TEST(CaseFallback, LinkTakesTheNewNameAsAskedAndMatchesMissingFolders) {
  TTempDir root;
  std::filesystem::create_directories(root / "Keep");
  WriteAll(root / "Obj.dat", "old");
  WriteAll(root / "Keep/obj.dat", "other");
  // A case variant of the new name is another name; the exact one is made beside it.
  ASSERT_EQ(sysio::Link(root / "Obj.dat", root / "Keep/OBJ.DAT"), 0);
  EXPECT_EQ(ReadAll(root / "Keep/OBJ.DAT"), "old");
  EXPECT_EQ(ReadAll(root / "Keep/obj.dat"), "other");
  // A folder asked in another case is still found, for either path.
  ASSERT_EQ(sysio::Link(root / "OBJ.DAT", root / "KEEP/second.dat"), 0);
  EXPECT_EQ(ReadAll(root / "Keep/second.dat"), "old");
  EXPECT_NE(sysio::Link(root / "Obj.dat", root / "Keep/OBJ.DAT"), 0);
  EXPECT_EQ(errno, EEXIST);
}
} // namespace
