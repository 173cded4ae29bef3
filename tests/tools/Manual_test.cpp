// The manual page and the bash completion of ravinel-cli against what its --help names, and
// --version against the build's version and the reference data the program carries.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/Clirun.h"
#include "tests/support/Tempdir.h"
#include "workflow/Version.h"

namespace {

std::string Cli() {
  const char* cli = std::getenv("RAVINEL_CLI");
  return cli ? cli : "ravinel-cli";
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    out.push_back(line);
  return out;
}

std::string FirstWord(const std::string& s) {
  size_t end = s.find_first_of(" ,");
  return s.substr(0, end);
}

// The commands and options --help lists: "  NAME ..." under "commands:", "  -X ..." above it.
struct THelp {
  std::vector<std::string> Commands, Options;
};

THelp ParseHelp(const std::string& text) {
  THelp h;
  bool commands = false;
  for (const std::string& l : Lines(text)) {
    if (l == "commands:") commands = true;
    if (l.size() < 3 || l.compare(0, 2, "  ") != 0 || l[2] == ' ') continue;
    (commands ? h.Commands : h.Options).push_back(FirstWord(l.substr(2)));
  }
  return h;
}

// The first word of every tagged paragraph of a manual page (".TP" then ".B", ".BI" or ".BR"),
// with the roff escapes of "-" and the quotes removed: the commands, options and statuses.
std::set<std::string> ManualEntries(const std::string& page) {
  std::set<std::string> out;
  std::vector<std::string> lines = Lines(page);
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    if (lines[i - 1] != ".TP" || l.compare(0, 2, ".B") != 0) continue;
    std::string text;
    for (size_t at = l.find(' ') + 1; at < l.size(); ++at) {
      if (l.compare(at, 2, "\\-") == 0) continue;
      if (l[at] != '"') text += l[at];
    }
    out.insert(FirstWord(text));
  }
  return out;
}

} // namespace

TEST(Manual, NamesEveryCommandOptionAndStatusOfHelp) {
  TTempDir tmp;
  TRun help = RunProgram(Cli(), {"--help"}, tmp.Path());
  ASSERT_EQ(help.Code, 0);
  THelp h = ParseHelp(help.Out);
  ASSERT_GE(h.Commands.size(), 9u) << help.Out;
  ASSERT_GE(h.Options.size(), 5u) << help.Out;
  std::set<std::string> entries =
      ManualEntries(ReadAll(std::string(RAVINEL_SOURCE_DIR) + "/docs/man/ravinel-cli.1"));
  for (const std::string& c : h.Commands)
    EXPECT_TRUE(entries.count(c)) << "ravinel-cli.1 has no entry for the command " << c;
  for (const std::string& o : h.Options)
    EXPECT_TRUE(entries.count(o)) << "ravinel-cli.1 has no entry for the option " << o;
  for (const char* status : {"0", "1", "2"})
    EXPECT_TRUE(entries.count(status)) << "ravinel-cli.1 has no entry for exit status " << status;
}

TEST(Manual, CompletionOffersEveryCommandAndOnlyListsTheProgramTakes) {
  TTempDir tmp;
  std::string script = std::string(RAVINEL_SOURCE_DIR) + "/data/ravinel-cli.bash";
  std::string text = ReadAll(script);
  auto value = [&](const std::string& var) {
    size_t at = text.find("local " + var + "=\"");
    EXPECT_NE(at, std::string::npos) << var;
    at = text.find('"', at) + 1;
    std::istringstream in(text.substr(at, text.find('"', at) - at));
    std::set<std::string> out;
    for (std::string w; in >> w;)
      out.insert(w);
    return out;
  };
  std::set<std::string> commands = value("commands"), lists = value("lists");
  for (const std::string& c : ParseHelp(RunProgram(Cli(), {"--help"}, tmp.Path()).Out).Commands)
    EXPECT_TRUE(commands.count(c)) << "the completion does not offer " << c;
  ASSERT_FALSE(lists.empty());
  // A list the program does not know is wrong usage (2); a known one fails only for want of a
  // suite in the empty directory (1).
  for (const std::string& l : lists)
    EXPECT_EQ(RunProgram(Cli(), {"-C", tmp.Path(), "check", l}, tmp.Path()).Code, 1) << l;
  EXPECT_EQ(RunProgram(Cli(), {"-C", tmp.Path(), "check", "bn4"}, tmp.Path()).Code, 2);
}

TEST(Version, NamesTheBuildVersionAndTheReferenceBytesCarried) {
  EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u); // the check value of this CRC-32
  TTempDir tmp;
  TRun r = RunProgram(Cli(), {"--version"}, tmp.Path());
  ASSERT_EQ(r.Code, 0) << r.Err;
  std::string ref = ReadAll(std::string(RAVINEL_BUILD_DIR) + "/oldnew145.bn");
  ASSERT_FALSE(ref.empty());
  char crc[16];
  std::snprintf(crc, sizeof crc, "%08x", Crc32(ref.data(), ref.size()));
  EXPECT_EQ(r.Out, "ravinel-cli " + std::string(kPackageVersion) +
                       "\nreference P145 data built in: " + std::to_string(ref.size()) +
                       " bytes, CRC-32 " + crc + "\n");
  // A copy without the trailer, as stripping leaves it, says that it carries no data.
  std::string prog = ReadAll(Cli()), copy = tmp / "ravinel-cli";
  WriteAll(copy, prog.substr(0, prog.size() - 16));
  std::filesystem::permissions(copy, std::filesystem::perms::owner_all);
  r = RunProgram(copy, {"--version"}, tmp.Path());
  EXPECT_EQ(r.Code, 1);
  EXPECT_EQ(r.Out, "ravinel-cli " + std::string(kPackageVersion) + "\n");
  EXPECT_FALSE(r.Err.empty());
}
