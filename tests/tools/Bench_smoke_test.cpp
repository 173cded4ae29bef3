// ravinel-bench on a tiny suite: it runs to the end and closes with its machine-readable lines,
// so the tool keeps working although it is not run by the tests.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <regex>
#include <sstream>
#include <sys/wait.h>
#include <vector>

#include "tests/support/Tempdir.h"

namespace fs = std::filesystem;

namespace {
// The benchmark program lies next to ravinel-cli in the build tree.
std::string BenchPath() {
  const char* cli = std::getenv("RAVINEL_CLI");
  return cli ? (fs::path(cli).parent_path() / "ravinel-bench").string() : "";
}
} // namespace

TEST(BenchSmoke, TinyRunEndsWithTheFigureLines) {
  std::string bench = BenchPath();
  ASSERT_TRUE(fs::exists(bench)) << bench;
  TTempDir tmp;
  std::string suite = tmp / "suite";
  std::string cmd = bench + " --projects 12 --changes 3 --list 300 --reps 1 --change-reps 1 " +
                    "--kb 8 --calcs 4 --dir '" + suite + "' 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char buf[4096];
  while (size_t n = std::fread(buf, 1, sizeof buf, p))
    out.append(buf, n);
  int status = ::pclose(p);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << out;

  std::vector<std::string> lines;
  std::istringstream in(out);
  for (std::string l; std::getline(in, l);)
    lines.push_back(l);
  const char* forms[] = {
      R"(ratio check/read-all: \d+\.\d\d)",
      R"(ratio change/safe-copy: \d+\.\d\d)",
      R"(ratio undo/safe-copy: \d+\.\d\d)",
      R"(list 100k records: \d+\.\d{3} s)",
      R"(io calls per checked object: \d+)",
      R"(ratio table keys end/start: \d+\.\d\d)",
      R"(table mark all 100k: \d+\.\d{3})",
      R"(table open 100k: \d+\.\d{3})",
      R"(ratio table page end/start: \d+\.\d\d)",
      R"(table index bytes per line: \d+)",
#ifdef RAVINEL_BENCH_WINDOW
      R"(ratio window open/check 5000: \d+\.\d\d)",
#endif
  };
  const size_t n = std::size(forms);
  ASSERT_GE(lines.size(), n) << out;
  for (size_t i = 0; i < n; ++i)
    EXPECT_TRUE(std::regex_match(lines[lines.size() - n + i], std::regex(forms[i])))
        << lines[lines.size() - n + i];
#ifdef RAVINEL_BENCH_WINDOW
  EXPECT_NE(out.find("window open: 12 lines"), std::string::npos) << out;
#endif
  // All twelve projects were checked and the three changes succeeded.
  EXPECT_NE(out.find("check states: missing 0, replaceable"), std::string::npos) << out;
  EXPECT_EQ(out.find("did not succeed"), std::string::npos) << out;
  EXPECT_FALSE(fs::exists(suite)); // removed after the run
}
