// ravinel-cli on record files written by hand from the byte tables of the format.
#include <gtest/gtest.h>

#include <cstdlib>

#include "base/Codec.h"
#include "tests/support/Clirun.h"
#include "tests/support/RecBytes.h"
#include "tests/support/Tempdir.h"

namespace {
struct Cli : ::testing::Test {
  TTempDir Tmp;

  TRun Run(const std::vector<std::string>& args) {
    const char* cli = std::getenv("RAVINEL_CLI");
    EXPECT_NE(cli, nullptr);
    std::vector<std::string> all = {"-C", Tmp.Path()};
    all.insert(all.end(), args.begin(), args.end());
    return RunProgram(cli ? cli : "ravinel-cli", all, Tmp.Path());
  }
};

// The empty file of three groups, and a group 1 holding a removed and a relocated record.
std::string HandFile() {
  std::string area = Marker() + Marker() + Marker() +
                     Rec(0, 0xFFFFFFFF, std::string("\x04\x00\xC4\x31\x34\x35", 6)) +
                     Rec(-128, 0xFFFFFFFF, "gone") + Rec(-127, 98, "old") + Marker() +
                     Rec(1, 90, "new!");
  return Composite({{32, 8}, {56, 32}, {48, 8}}, area); // end 109, 77 bytes of area, 48 live
}

// Texts in this file are CP1251; the command line and the terminal speak UTF-8.
std::string U8(const std::string& cp1251) {
  return Utf8FromCp1251(cp1251);
}
} // namespace

TEST_F(Cli, DumpsHandWrittenFileAsJsonAndText) {
  WriteAll(Tmp / "h.bn", HandFile());
  TRun r = Run({"--json", "dump", "h.bn", "1"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out,
            "{\"end\":109,\"count\":3,\"unused\":38,"
            "\"groups\":[{\"group\":1,\"offset\":56,\"size\":32,\"records\":["
            "{\"offset\":56,\"prefix\":0,\"link\":4294967295,\"length\":6,\"data\":"
            "\"0400c4313435\"},"
            "{\"offset\":98,\"prefix\":1,\"link\":90,\"length\":4,\"data\":\"6e657721\"}]}]}\n");
  r = Run({"dump", "h.bn"});
  ASSERT_EQ(r.Code, 0);
  EXPECT_NE(r.Out.find("end: 109\ncount: 3\nunused: 38%\n"), std::string::npos);
  EXPECT_NE(r.Out.find("group 1: offset 56, size 32"), std::string::npos);
  EXPECT_NE(r.Out.find(U8("04 00 c4 31 34 35  |..Д145|")), std::string::npos); // preview in UTF-8
}

TEST_F(Cli, CreateCompressAndUnused) {
  TRun r = Run({"create", "e.bn", "3"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  std::string empty = Le32(56) + Le32(3) + Le32(32) + Le32(8) + Le32(40) + Le32(8) + Le32(48) +
                      Le32(8) + Marker() + Marker() + Marker();
  EXPECT_EQ(ReadAll(Tmp / "e.bn"), empty);
  r = Run({"create", "t.bn", "2", "--text", U8("Д145")});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(ReadAll(Tmp / "t.bn").substr(40, 11), Rec(0, 0xFFFFFFFF, "\xC4\x31\x34\x35"));
  r = Run({"create", "v.bn", "2", "--version-text"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(ReadAll(Tmp / "v.bn").substr(47, 7), "5-2.9.1");

  WriteAll(Tmp / "h.bn", HandFile());
  r = Run({"--json", "unused", "h.bn"});
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out, "{\"unused\":38}\n");
  r = Run({"compress", "h.bn"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out, "dead space before: 38%\ndead space after: 0%\n");
  std::string packed = ReadAll(Tmp / "h.bn");
  EXPECT_EQ(packed.substr(32), Marker() +
                                   Rec(0, 0xFFFFFFFF, std::string("\x04\x00\xC4\x31\x34\x35", 6)) +
                                   Rec(1, 0xFFFFFFFF, "new!") + Marker() + Marker());
  r = Run({"--json", "compress", "h.bn", "--threshold", "5"});
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out, "{\"before\":0,\"after\":0,\"compressed\":false}\n");
}

TEST_F(Cli, SimpleDump) {
  WriteAll(Tmp / "s.tmp", Rec(2, 0xFFFFFFFF, "ab") + Marker());
  TRun r = Run({"--json", "dump", "--simple", "s.tmp"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(r.Out, "{\"end\":17,\"records\":[{\"offset\":0,\"prefix\":2,\"link\":4294967295,"
                   "\"length\":2,\"data\":\"6162\"}]}\n");
}

TEST_F(Cli, ErrorsAndUsage) {
  EXPECT_EQ(Run({}).Code, 2);
  EXPECT_EQ(Run({"frobnicate"}).Code, 2);
  EXPECT_EQ(Run({"dump"}).Code, 2);
  EXPECT_EQ(Run({"create", "x.bn", "many"}).Code, 2);
  EXPECT_EQ(Run({"create", "x.bn", "2", "--text", "a", "--version-text"}).Code, 2);
  TRun help = Run({"--help"});
  EXPECT_EQ(help.Code, 0);
  EXPECT_NE(help.Out.find("compress FILE [--threshold N]"), std::string::npos);

  TRun r = Run({"dump", "missing.bn"});
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Err.find("missing.bn"), std::string::npos);
  // A chain that loops: an error with the file's name, not a hang.
  WriteAll(Tmp / "loop.bn", Composite({{16, 20}}, Rec(0, 0xFFFFFFFF, "ab") + Rec(0, 16, "cd")));
  r = Run({"dump", "loop.bn"});
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Err.find("loop.bn"), std::string::npos);
  EXPECT_EQ(r.Out, "");
  // Group number out of range.
  WriteAll(Tmp / "h.bn", HandFile());
  r = Run({"dump", "h.bn", "3"});
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Err.find(U8("невірний номер лог. файлу 3")),
            std::string::npos); // Ukrainian by default
}

TEST_F(Cli, DumpOfGroupsSharingOneLongChainStops) {
  // Every group starts the same chain of removed records: each group alone is readable, but
  // walking all of them would read the file 4096 times over. The dump stops with the chain error.
  const uint32_t groups = 4096;
  std::vector<TDirPair> dir(groups, TDirPair{8 + 8 * groups, 8});
  std::string area;
  for (int i = 0; i < 10000; ++i)
    area += Rec(-128, 0xFFFFFFFF, std::string(100, 'd'));
  WriteAll(Tmp / "shared.bn", Composite(dir, area + Marker()));
  TRun r = Run({"dump", "shared.bn"});
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Err.find(U8("ланцюжок записів")), std::string::npos) << r.Err;
}
