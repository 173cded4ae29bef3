// Alias resolution, the configuration directory search and the configuration record.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "messages/Utslang.h"
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
  for (ELang lang : {elg_Ukr, elg_Rus}) { // the text follows the interface language
    IFaceLang = lang;
    try {
      GetDirCfg();
      ADD_FAILURE() << "no error";
    } catch (const ZError& e) {
      EXPECT_EQ(e.Text, lang == elg_Ukr ? "Відсутній каталог CFG" : "Отсутствует директория CFG");
    }
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

namespace {
class SuiteStart : public ::testing::Test {
protected:
  void SetUp() override { SavedCfg = Cfg; }
  void TearDown() override {
    DeInitPath();
    Cfg = SavedCfg;
  }
  TTempDir Root;
  std::array<unsigned char, CfgSize> SavedCfg;
};

TEST_F(SuiteStart, InitPathReadsAliasesAndConfiguration) {
  TSuiteBuilder suite(Root.Path());
  suite.AliasDir("RAB", "Rab")
      .Alias(" nsi # " + Root.Path() + "/Rus/ # " + Root.Path() + "/Ukr/ ")
      .Languages(0, 1)
      .Write();
  std::filesystem::create_directories(Root / "work/deep");
  TChdir in(Root / "work/deep");
  InitPath(true);
  EXPECT_EQ(DirCfg, Root.Path() + "/CFG/");
  EXPECT_EQ(Cfg[CfgDocRussian], 0);
  EXPECT_EQ(Cfg[CfgIfaceRussian], 1);
  EXPECT_EQ(GetRealName("rab#Temp"), Root.Path() + "/Rab/Temp");
  EXPECT_EQ(GetRealName("NSI#x.dat"), Root.Path() + "/Ukr/x.dat");
  EXPECT_EQ(GetRealName("CFG#Boib.sfr"), Root.Path() + "/CFG/Boib.sfr");
  ASSERT_EQ(tPath->size(), 3u); // in the order of the file's records
  EXPECT_EQ((*tPath)[1], Root.Path() + "/Rab/");
}

TEST_F(SuiteStart, WithoutFullTheOtherAliasFileAndNoCatalogue) {
  TSuiteBuilder(Root.Path()).Write();
  WriteAll(Root / "CFG/File.Cfg", SimpleFileBytes({{0, "ONLY#/only/"}}));
  TLoadMsg savedHook = cLoadMsg;
  cLoadMsg = [](uint16_t, unsigned char, int) { return std::string("x"); };
  Cfg[CfgDocRussian] = 9;
  TChdir in(Root.Path());
  InitPath(false);
  EXPECT_FALSE(cLoadMsg);
  cLoadMsg = savedHook;
  EXPECT_EQ(Cfg[CfgDocRussian], 9); // the configuration record is not read
  EXPECT_EQ(GetRealName("only#a"), "/only/a");
  EXPECT_EQ(ErrorNumber("CFG#a"), 7);
}

TEST_F(SuiteStart, MissingAliasFileRaisesMessageOne) {
  std::filesystem::create_directories(Root / "CFG");
  WriteAll(Root / "CFG/cfg.zev", std::string(CfgSize, '\0'));
  TChdir in(Root.Path());
  try {
    InitPath(true);
    FAIL() << "no error";
  } catch (const ZError& e) {
    EXPECT_EQ(e.Number, 1);
  }
}
} // namespace
