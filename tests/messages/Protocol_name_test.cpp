// Names of protocol files under the alias LOG.
#include <gtest/gtest.h>

#include "messages/Zmsg.h"
#include "paths/Dpath.h"
#include "paths/Zcomp_var.h"
#include "tests/support/Tempdir.h"

namespace {
class ProtocolName : public ::testing::Test {
protected:
  void SetUp() override {
    DeInitPath();
    tAlias = new std::vector<TAliasEntry>;
    tPath = new std::vector<std::string>;
    AddAliasRecord("LOG#" + Log.Path() + "/");
    AddAliasRecord("DAT#/data/");
    SortAliases();
  }
  void TearDown() override { DeInitPath(); }
  TTempDir Log;
};

TEST_F(ProtocolName, ExtensionDotBecomesUnderscore) {
  std::string name;
  CreatNameLog("DAT#Smeta.dat", name, "", false);
  EXPECT_EQ(name, Log.Path() + "/Smeta_dat.Log");
  CreatNameLog("/elsewhere/Smeta.dat", name, "err", false);
  EXPECT_EQ(name, Log.Path() + "/Smeta_dat_err.Log");
  CreatNameLog("DAT#Temp", name, "", false);
  EXPECT_EQ(name, Log.Path() + "/Temp.Log");
}

TEST_F(ProtocolName, UniqueNamesSkipExistingFiles) {
  std::string name;
  CreatNameLog("DAT#A", name, "", true);
  EXPECT_EQ(name, Log.Path() + "/A.Log");
  WriteAll(Log / "A.Log", "x");
  WriteAll(Log / "A_1.Log", "x");
  CreatNameLog("DAT#A", name, "", true);
  EXPECT_EQ(name, Log.Path() + "/A_2.Log");
  EXPECT_EQ(CreatUnikalNameLog(Log / "A", "Log"), Log / "A_2.Log");
  EXPECT_EQ(CreatUnikalNameLog(Log / "B", "Log"), Log / "B.Log");
}
} // namespace
