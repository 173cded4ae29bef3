// Finding the suite's folder: upward from the start directory, the remembered folder, the user's
// choice and its memory.
#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "messages/Zmsg.h"
#include "tests/support/Tempdir.h"
#include "workflow/Suitedir.h"

namespace fs = std::filesystem;

TEST(Suitedir, StartDirRememberedFolderAndChoice) {
  TTempDir dir;
  fs::path old = fs::current_path();
  setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
  fs::create_directories(dir / "suite/CFG");
  fs::create_directories(dir / "suite/LSS/deep");
  fs::create_directories(dir / "elsewhere");
  fs::create_directories(dir / "other");
  std::vector<std::string> asked;
  // Found upward from the start directory: nobody is asked, nothing remembered.
  EXPECT_TRUE(EnterSuite(dir / "suite/LSS/deep", [&](const std::string& d, const std::string&) {
    asked.push_back(d);
    return std::string();
  }));
  EXPECT_EQ(fs::current_path(), fs::path(dir / "suite/LSS/deep"));
  EXPECT_EQ(ReadRememberedSuite(), "");
  // Not found: the user is asked, a wrong folder asks again, the right one is remembered.
  std::vector<std::string> answers = {dir / "other", dir / "suite"};
  EXPECT_TRUE(EnterSuite(dir / "elsewhere", [&](const std::string& d, const std::string&) {
    asked.push_back(d);
    std::string a = answers.front();
    answers.erase(answers.begin());
    return a;
  }));
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0], dir / "elsewhere");
  EXPECT_EQ(asked[1], dir / "other");
  EXPECT_EQ(ReadRememberedSuite(), dir / "suite");
  // Next start without a folder named: the remembered folder, without asking.
  fs::current_path(dir / "elsewhere");
  EXPECT_TRUE(EnterSuite("", nullptr));
  EXPECT_EQ(fs::current_path(), fs::path(dir / "suite"));
  // A folder named on the command line is not swapped for the remembered one: the user is asked,
  // and giving up ends with false.
  asked.clear();
  auto giveUp = [&](const std::string& d, const std::string&) {
    asked.push_back(d);
    return std::string();
  };
  EXPECT_FALSE(EnterSuite(dir / "elsewhere", giveUp));
  EXPECT_EQ(asked.size(), 1u);
  fs::remove_all(dir / "suite/CFG");
  EXPECT_FALSE(EnterSuite("", giveUp));
  EXPECT_THROW(EnterSuite(dir / "missing", nullptr), ZError);
  fs::current_path(old);
  unsetenv("XDG_CONFIG_HOME");
}
