// Alias resolution, the configuration directory search and the configuration record.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "messages/Zmsg.h"
#include "paths/Dpath.h"
#include "paths/Rdwr_cfg.h"
#include "paths/Zcomp_var.h"
#include "tests/support/SuiteBuilder.h"
#include "tests/support/Tempdir.h"

namespace {
// Runs a test in another current directory.
struct TChdir {
  std::string Saved = std::filesystem::current_path().string();
  explicit TChdir(const std::string& dir) { std::filesystem::current_path(dir); }
  ~TChdir() { std::filesystem::current_path(Saved); }
};

// An in-memory alias table, released at the end of the test.
class AliasTable : public ::testing::Test {
protected:
  void SetUp() override {
    SavedCfg = Cfg;
    DeInitPath();
    tAlias = new std::vector<TAliasEntry>;
    tPath = new std::vector<std::string>;
  }
  void TearDown() override {
    DeInitPath();
    Cfg = SavedCfg;
  }
  void Load(const std::vector<std::string>& records) {
    for (const std::string& r : records)
      AddAliasRecord(r);
    SortAliases();
  }
  std::array<unsigned char, CfgSize> SavedCfg;
};

int ErrorNumber(const std::string& name, std::string* text = nullptr) {
  try {
    GetRealName(name);
  } catch (const ZError& e) {
    if (text) *text = e.Text;
    return e.Number;
  }
  return -1;
}

TEST_F(AliasTable, PlainAliasesAndSpelling) {
  Load({"RAB#/suite/RAB/", " lss # /Suite/Lss/ ", "CFG#/suite/CFG/"});
  EXPECT_EQ(GetRealName("RAB#Temp"), "/suite/RAB/Temp");
  EXPECT_EQ(GetRealName("rab # Temp"), "/suite/RAB/Temp");
  EXPECT_EQ(GetRealName("cfg#Boib.sfr"), GetRealName("CFG#Boib.sfr"));
  // Paths are trimmed but keep their letter case; alias names are found in any case.
  EXPECT_EQ(GetRealName("LSS#AdmSs.rus"), "/Suite/Lss/AdmSs.rus");
  EXPECT_EQ(GetAliasPath("Lss"), "/Suite/Lss/");
  EXPECT_EQ(GetRealName("oldnew145.bn"), "oldnew145.bn");
  EXPECT_EQ(GetRealName("cfg#"), "CFG"); // nothing behind "#": the alias part itself
}

TEST_F(AliasTable, TwoLanguagePathsFollowTheDocumentLanguage) {
  Load({"NSI#/data/RUS/#/data/UKR/", "RAB#/suite/RAB/"});
  Cfg[CfgDocRussian] = 0;
  EXPECT_EQ(GetRealName("NSI#x.dat"), "/data/UKR/x.dat");
  Cfg[CfgDocRussian] = 1;
  EXPECT_EQ(GetRealName("NSI#x.dat"), "/data/RUS/x.dat");
  Cfg[CfgDocRussian] = 2; // any non-zero value is Russian
  EXPECT_EQ(GetRealName("NSI#x.dat"), "/data/RUS/x.dat");
  EXPECT_EQ((*tPath)[0], "\x04/data/RUS/\x05/data/UKR/");
}

TEST_F(AliasTable, BadNamesRaiseMessagesSixAndSeven) {
  Load({"RAB#/suite/RAB/"});
  EXPECT_EQ(ErrorNumber("#"), 6);
  std::string text;
  EXPECT_EQ(ErrorNumber("  #  ", &text), 6);
  EXPECT_EQ(text, "  #  ");
  EXPECT_EQ(ErrorNumber("xyz#file", &text), 7);
  EXPECT_EQ(text, "XYZ");
  EXPECT_EQ(ErrorNumber("#file"), 7);
}

TEST(AliasLifecycle, NamesWithHashFailBeforeTheTableExists) {
  DeInitPath();
  EXPECT_EQ(ErrorNumber("RAB#Temp"), 7);
  EXPECT_EQ(GetRealName("plain.dat"), "plain.dat");
}

TEST(GetDirCfg, SearchesUpwardInAnyLetterCase) {
  TTempDir root;
  std::filesystem::create_directories(root / "CFG");
  std::filesystem::create_directories(root / "a/b");
  {
    TChdir in(root / "a/b");
    EXPECT_EQ(GetDirCfg(), root.Path() + "/CFG/");
  }
  {
    TChdir in(root.Path());
    EXPECT_EQ(GetDirCfg(), root.Path() + "/CFG/");
  }
  TTempDir other;
  std::filesystem::create_directories(other / "Cfg");
  std::filesystem::create_directories(other / "x/y");
  std::filesystem::create_directories(other / "x/cfg.txt"); // not the directory CFG
  TChdir in(other / "x/y");
  EXPECT_EQ(GetDirCfg(), other.Path() + "/Cfg/");
}

TEST(GetDirCfg, MissingDirectoryIsReported) {
  TTempDir root;
  if (std::filesystem::exists("/tmp/CFG") || std::filesystem::exists("/CFG")) GTEST_SKIP();
  TChdir in(root.Path());
  try {
    GetDirCfg();
    FAIL() << "no error";
  } catch (const ZError& e) {
    EXPECT_EQ(e.Text, "Отсутствует директория CFG");
  }
}

TEST(ReadCfg, ReadsUpToTheRecordSize) {
  auto saved = Cfg;
  TTempDir root;
  std::string bytes(CfgSize + 10, '\0');
  bytes[CfgDocRussian] = 0;
  bytes[CfgIfaceRussian] = 7;
  bytes[CfgSize - 1] = 'z';
  WriteAll(root / "cfg.zev", bytes);
  Cfg.fill(0xAA);
  ReadCfg(root.Path() + "/");
  EXPECT_EQ(Cfg[CfgDocRussian], 0);
  EXPECT_EQ(Cfg[CfgIfaceRussian], 7);
  EXPECT_EQ(Cfg[CfgSize - 1], 'z');
  // A short file leaves the rest as it was.
  WriteAll(root / "cfg.zev", std::string(30, '\x01'));
  Cfg.fill(0xAA);
  ReadCfg(root.Path() + "/");
  EXPECT_EQ(Cfg[29], 1);
  EXPECT_EQ(Cfg[30], 0xAA);
  // A missing file raises message 1.
  std::filesystem::remove(root / "cfg.zev");
  try {
    ReadCfg(root.Path() + "/");
    FAIL() << "no error";
  } catch (const ZError& e) {
    EXPECT_EQ(e.Number, 1);
  }
  Cfg = saved;
}
} // namespace
