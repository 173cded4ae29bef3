// ravinel-cli check and change end to end on a generated demo suite.
#include <gtest/gtest.h>

#include "base/Codec.h"
#include "storage/Dutilfile.h"
#include "storage/Dwfile.h"
#include "tests/support/Clirun.h"
#include "tests/support/LockHolder.h"
#include "tests/support/Tempdir.h"
#include "tests/workflow/WorkflowFixture.h"
#include "tools/demosuite/Demosuite.h"
#include "workflow/Instance.h"
#include "workflow/Objects.h"
#include "workflow/Refdata.h"
#include <algorithm>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <pwd.h>
#include <regex>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using TJsonObj = std::map<std::string, std::string>;

// The flat objects of the array named key in a JSON text (values as raw texts, strings
// without their quotes).
std::vector<TJsonObj> JsonArray(const std::string& json, const std::string& key) {
  std::vector<TJsonObj> out;
  size_t at = json.find("\"" + key + "\":[");
  if (at == std::string::npos) return out;
  at = json.find('[', at) + 1;
  size_t end = json.find(']', at);
  std::regex field(R"re("([a-z]+)":("((?:[^"\\]|\\.)*)"|[^,}]+))re");
  size_t pos = at;
  while (pos < end) {
    size_t close = json.find('}', pos);
    if (close == std::string::npos || close > end) break;
    std::string obj = json.substr(pos, close - pos);
    TJsonObj o;
    for (std::sregex_iterator it(obj.begin(), obj.end(), field), e; it != e; ++it)
      o[(*it)[1]] = (*it)[3].matched ? (*it)[3].str() : (*it)[2].str();
    out.push_back(o);
    pos = close + 2;
  }
  return out;
}

std::string JsonValue(const std::string& json, const std::string& key) {
  std::smatch m;
  std::regex r("\"" + key + "\":([0-9]+)");
  return std::regex_search(json, m, r) ? m[1].str() : "";
}

struct TRecs {
  std::vector<int8_t> Prefix;
  std::vector<std::string> Data;
};

TRecs ReadGroup(const std::string& path, int group) {
  WFile f(path);
  WRec rec;
  TRecs out;
  f.WOpen_file(static_cast<unsigned long>(group));
  while (f.WRead(&rec)) {
    out.Prefix.push_back(rec.Prefix);
    out.Data.push_back(std::string(rec.Data, rec.Len));
  }
  return out;
}

const char* StateOf(TDemoCase c) {
  switch (c) {
  case TDemoCase::New:
    return "replaced";
  case TDemoCase::UserChanged:
    return "user-changed";
  case TDemoCase::Damaged:
    return "unreadable";
  case TDemoCase::Missing:
    return "missing";
  default:
    return "replaceable";
  }
}

uint32_t NumberOf(TDemoCase c) {
  for (int i = 0; i < 10; ++i)
    if (DemoProjectCase(i) == c) return DemoObjectNumber(i);
  return 0;
}

class CorrectionCli : public ::testing::Test {
protected:
  void SetUp() override {
    const char* cli = std::getenv("RAVINEL_CLI");
    ASSERT_NE(cli, nullptr);
    Cli = cli;
    Suite = Tmp / "suite";
    if (const char* x = std::getenv("XDG_RUNTIME_DIR")) OldXdg = x;
    setenv("XDG_RUNTIME_DIR", Tmp.Path().c_str(), 1); // a lock of this test's own
    MakeSuite(Suite, Tmp / "ref.bn");
  }
  void TearDown() override {
    if (OldXdg.empty())
      unsetenv("XDG_RUNTIME_DIR");
    else
      setenv("XDG_RUNTIME_DIR", OldXdg.c_str(), 1);
  }
  TRun Run(const std::vector<std::string>& args, bool inSuite = false) {
    std::vector<std::string> all;
    if (inSuite) all = {"-C", Suite};
    all.insert(all.end(), args.begin(), args.end());
    return RunProgram(Cli, all, Tmp.Path());
  }
  std::vector<TJsonObj> Check(const std::string& list, const std::string& lang = "ukr") {
    TRun r = Run({"--json", "--lang", lang, "check", list}, true);
    EXPECT_EQ(r.Code, 0) << r.Err;
    return JsonArray(r.Out, "lines");
  }
  static const TJsonObj* Line(const std::vector<TJsonObj>& lines, uint32_t number) {
    for (const TJsonObj& l : lines)
      if (l.at("number") == std::to_string(number)) return &l;
    return nullptr;
  }
  std::string Project(uint32_t n) { return Suite + "/LSS/" + std::to_string(n) + ".aru"; }

  TTempDir Tmp;
  std::string Cli, Suite, OldXdg;
};

} // namespace

TEST_F(CorrectionCli, ChecksEveryListInBothLanguages) {
  for (const char* lang : {"ukr", "rus"}) {
    for (const char* list : {"ss", "dc"}) {
      auto lines = Check(list, lang);
      ASSERT_EQ(lines.size(), 10u) << list;
      for (int i = 0; i < 10; ++i) {
        const TJsonObj* l = Line(lines, DemoObjectNumber(i));
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(l->at("state"), StateOf(DemoProjectCase(i))) << list << " " << i;
      }
    }
    for (int bn = 0; bn < 4; ++bn) {
      auto lines = Check("bn" + std::to_string(bn), lang);
      ASSERT_EQ(lines.size(), 6u);
      for (int i = 0; i < 6; ++i) {
        const TJsonObj* l = Line(lines, DemoObjectNumber(i) + 100u * bn);
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(l->at("state"), StateOf(DemoBlockCase(i)));
      }
    }
  }
  auto pd = Check("pd", "rus");
  ASSERT_EQ(pd.size(), 14u);
  int hidden = 0;
  for (size_t i = 0; i < pd.size(); ++i) {
    EXPECT_EQ(pd[i].at("line"), std::to_string(i));
    hidden += pd[i].at("hidden") == "true";
    if (i) {
      EXPECT_LE(std::stoul(pd[i - 1].at("number")), std::stoul(pd[i].at("number")));
    }
  }
  EXPECT_EQ(hidden, 1);
  const TJsonObj* seven = Line(pd, 7);
  EXPECT_EQ(seven->at("file"), "LPD#7_B.pd1r");
  EXPECT_EQ(seven->at("hidden"), "true");
  EXPECT_EQ(seven->at("path"), Suite + "/LPD/7_B.pd1r");
  const TJsonObj* unsafe = Line(pd, 11);
  EXPECT_EQ(unsafe->at("state"), "unreadable");
  EXPECT_EQ(unsafe->at("bits"), "16");
  EXPECT_EQ(unsafe->at("file"), "");
  EXPECT_EQ(Run({"check", "xx"}, true).Code, 2);
}

TEST_F(CorrectionCli, DemoCommandIsDeterministicAndRefusesAFullDirectory) {
  EXPECT_EQ(Run({"demo", Suite}).Code, 1); // not empty
  for (const char* d : {"a", "b"}) {
    TRun r = Run({"demo", Tmp / d, "--projects", "2", "--blocks", "1", "--seed", "7"});
    ASSERT_EQ(r.Code, 0) << r.Err;
  }
  for (const char* f : {"LSS/AdmSs.ukr", "LPD/AdmPd.rus", "LBN/AdmBn.ukr", "LSS/5.arr",
                        "LPD/7_A.pd1u", "LBN/5.ukr", "CFG/Boib.sfr", "CFG/cfg.zev"}) {
    EXPECT_TRUE(fs::exists(Tmp / (std::string("a/") + f))) << f;
    EXPECT_EQ(ReadAll(Tmp / (std::string("a/") + f)), ReadAll(Tmp / (std::string("b/") + f))) << f;
  }
  EXPECT_FALSE(fs::exists(Tmp / "a/oldnew145.tmp"));
  TRun r = Run({"--json", "check", "ss"}, false);
  EXPECT_EQ(r.Code, 1); // no configuration directory here
}

TEST_F(CorrectionCli, ChangeOfAllReplaceableProjects) {
  const uint32_t between = NumberOf(TDemoCase::OldBetween);
  const uint32_t other = NumberOf(TDemoCase::Old149Other);
  const uint32_t empty = NumberOf(TDemoCase::Old149Empty);
  const uint32_t old = NumberOf(TDemoCase::Old);
  TRecs before = ReadGroup(Project(between), 109);
  TRecs userBefore = ReadGroup(Project(NumberOf(TDemoCase::UserChanged)), 109);
  std::string listBefore = ReadAll(Suite + "/LSS/AdmSs.ukr");

  TRun r = Run({"--json", "change", "ss", "--all"}, true);
  EXPECT_EQ(r.Code, 0) << r.Err;
  auto results = JsonArray(r.Out, "results");
  ASSERT_EQ(results.size(), 6u);
  for (const TJsonObj& res : results) {
    // The project with the information record of another length is changed with a warning.
    bool warned = res.at("number") == std::to_string(other);
    EXPECT_EQ(res.at("result"), "changed") << res.at("number");
    EXPECT_EQ(res.at("error"), "");
    EXPECT_EQ(res.at("warning").find("12345") != std::string::npos, warned) << res.at("warning");
    if (warned) {
      EXPECT_NE(res.at("warning").find("19500"), std::string::npos);
    }
  }
  EXPECT_EQ(JsonValue(r.Out, "changed"), "6");
  EXPECT_EQ(JsonValue(r.Out, "warnings"), "1");
  EXPECT_EQ(JsonValue(r.Out, "failed"), "0");
  EXPECT_NE(ReadAll(Suite + "/LOG/AdmSs_ukr.Log").find("попередження: "), std::string::npos);
  auto linesAfter = JsonArray(r.Out, "lines");
  ASSERT_EQ(linesAfter.size(), 10u);
  for (int i = 0; i < 10; ++i) {
    const TJsonObj* l = Line(linesAfter, DemoObjectNumber(i));
    ASSERT_NE(l, nullptr);
    std::string want = StateOf(DemoProjectCase(i));
    // Every replaceable one is replaced, the one with the information record of another
    // length too: only that record was left as it is.
    if (want == "replaceable") want = "replaced";
    EXPECT_EQ(l->at("state"), want) << DemoObjectNumber(i);
  }

  // List records: the flag bits, the rest untouched (same length, written in place).
  std::string listAfter = ReadAll(Suite + "/LSS/AdmSs.ukr");
  EXPECT_EQ(listAfter.size(), listBefore.size());
  {
    WFile list(Suite + "/LSS/AdmSs.ukr");
    WRec rec;
    list.WOpen_file(1);
    while (list.WRead(&rec)) {
      uint32_t n, flags;
      std::memcpy(&n, rec.Data, 4);
      std::memcpy(&flags, rec.Data + 5, 4);
      bool changed = n == between || n == other || n == empty || n == old ||
                     n == NumberOf(TDemoCase::OldLongTitle) ||
                     n == NumberOf(TDemoCase::OldLaterDiff);
      EXPECT_EQ((flags & kChangedFlags) == kChangedFlags, changed) << n;
    }
  }
  // Information records: in place, or a new group 149; changed files compressed.
  for (uint32_t n : {between, empty, old}) {
    TRecs info = ReadGroup(Project(n), kInfoGroup);
    ASSERT_EQ(info.Data.size(), 1u);
    EXPECT_EQ(info.Data[0].size(), static_cast<size_t>(kInfoRecLen));
    uint32_t flags;
    std::memcpy(&flags, info.Data[0].data() + 5, 4);
    EXPECT_EQ(flags & kChangedFlags, kChangedFlags);
    EXPECT_EQ(def_unused(Project(n)), 0);
  }
  EXPECT_EQ(ReadGroup(Project(other), kInfoGroup).Data[0].size(), 12345u);
  EXPECT_GT(def_unused(Project(other)), 0); // not compressed

  // The neighbours of the replaced calculation keep their place and bytes.
  TRecs after = ReadGroup(Project(between), 109);
  size_t lead = 0;
  while (before.Data[lead].compare(0, 6, std::string("\x04\x00\xC4\x31\x34\x35", 6)) != 0)
    ++lead;
  ASSERT_GT(lead, 0u);
  size_t tailBefore = before.Data.size(), tailAfter = after.Data.size();
  const std::string d145("\x04\x00\xC4\x31\x34\x35", 6);
  auto finalP145 = [&](const TRecs& g, size_t i) {
    return g.Prefix[i] == 3 && g.Data[i][8] == 1 && g.Data[i].compare(0, 6, d145) == 0;
  };
  while (!finalP145(before, tailBefore - 1))
    --tailBefore;
  while (!finalP145(after, tailAfter - 1))
    --tailAfter;
  for (size_t i = 0; i < lead; ++i)
    EXPECT_EQ(after.Data[i], before.Data[i]);
  ASSERT_EQ(before.Data.size() - tailBefore, after.Data.size() - tailAfter);
  EXPECT_GT(before.Data.size() - tailBefore, 0u);
  for (size_t i = 0; i < before.Data.size() - tailBefore; ++i)
    EXPECT_EQ(after.Data[tailAfter + i], before.Data[tailBefore + i]);
  TRecs user = ReadGroup(Project(NumberOf(TDemoCase::UserChanged)), 109);
  EXPECT_EQ(user.Data, userBefore.Data);

  // Nothing left to change; a replaced project asked for by number is unchanged.
  r = Run({"--json", "change", "ss", "--all"}, true);
  EXPECT_EQ(r.Code, 0);
  EXPECT_EQ(JsonValue(r.Out, "changed"), "0");
  EXPECT_TRUE(JsonArray(r.Out, "results").empty());
  std::string bytes = ReadAll(Project(old));
  r = Run(
      {"--json", "change", "ss", std::to_string(old), std::to_string(NumberOf(TDemoCase::Missing))},
      true);
  EXPECT_EQ(r.Code, 0);
  results = JsonArray(r.Out, "results");
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].at("result"), "unchanged");
  EXPECT_EQ(results[1].at("result"), "missing");
  EXPECT_EQ(ReadAll(Project(old)), bytes);
  EXPECT_EQ(Run({"change", "ss", "99999"}, true).Code, 2);
}

TEST_F(CorrectionCli, ContractorAndUnsafeVariantInTextForm) {
  TRun r = Run({"change", "pd", "7", "11"}, true);
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Out.find("7 B changed"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("7 A changed"), std::string::npos);
  EXPECT_NE(r.Out.find("11 ../11 unsafe-name"), std::string::npos);
  EXPECT_FALSE(fs::exists(Tmp / "11.pd1u"));
  std::string log = ReadAll(Suite + "/LOG/AdmPd_ukr.Log");
  EXPECT_NE(log.find("../11"), std::string::npos);
  auto lines = Check("pd");
  EXPECT_EQ(Line(lines, 7)->at("state"), "replaced");
}

TEST_F(CorrectionCli, AChangeWithAWarningInTextFormExitsWithZero) {
  const uint32_t other = NumberOf(TDemoCase::Old149Other);
  TRun r = Run({"--lang", "rus", "change", "ss", std::to_string(other)}, true);
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_NE(r.Out.find(Utf8FromCp1251(
                std::to_string(other) +
                " changed, warning: информационная запись в группе 149 длиной 12345 байт, а не "
                "19500, оставлена как есть; файл не сжат\n")),
            std::string::npos)
      << r.Out;
  EXPECT_NE(r.Out.find("changed 1, with warnings 1, failed 0\n"), std::string::npos);
}

// Run as root: a file given away to others keeps owner, group, mode and attributes when it is
// changed and when it is compressed.
TEST_F(CorrectionCli, ReplacedFilesKeepOwnerGroupModeAndAttributes) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give the object file another owner";
  std::string path = Project(NumberOf(TDemoCase::Old));
  const char value[] = "kept";
  ASSERT_EQ(::chown(path.c_str(), 1234, 5678), 0);
  ASSERT_EQ(::chmod(path.c_str(), 0664), 0);
  if (::setxattr(path.c_str(), "user.ravinel", value, 4, 0) != 0 && errno == ENOTSUP)
    GTEST_SKIP() << "the file system of " << path << " has no user attributes";
  auto expectKept = [&](const char* after) {
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 1234u) << after;
    EXPECT_EQ(st.st_gid, 5678u) << after;
    EXPECT_EQ(st.st_mode & 07777, 0664u) << after;
    char got[16] = {};
    EXPECT_EQ(::getxattr(path.c_str(), "user.ravinel", got, sizeof got), 4) << after;
    EXPECT_STREQ(got, value) << after;
  };
  mode_t mask = umask(077); // the mode is the old file's, whatever the umask
  TRun r = Run({"change", "ss", std::to_string(NumberOf(TDemoCase::Old))}, true);
  umask(mask);
  EXPECT_EQ(r.Code, 0) << r.Out << r.Err;
  EXPECT_EQ(r.Err.find("warning"), std::string::npos) << r.Err;
  expectKept("change");
  r = Run({"compress", path});
  EXPECT_EQ(r.Code, 0) << r.Out << r.Err;
  expectKept("compress");
}

// While the windows work on a suite (its working-files lock and the suite lock held), reading
// commands run beside them on it and on another suite; a change of it is refused.
TEST_F(CorrectionCli, ReadersRunBesideTheWindowsAndOnlyWritersAreRefused) {
  const std::string other = Tmp / "other";
  MakeSuite(other, Tmp / "ref.bn");
  TInstanceLock windows(SuiteInstanceName(Suite + "/CFG/"));
  ASSERT_TRUE(windows.Acquire());
  WriteAll(Suite + "/oldnew145.bn", "the windows' own copy");
  EXPECT_EQ(Run({"check", "ss"}, true).Code, 0);
  EXPECT_EQ(Run({"-C", other, "check", "ss"}).Code, 0) << "another suite";
  EXPECT_EQ(Run({"survey", "ss"}, true).Code, 0);
  EXPECT_EQ(ReadAll(Suite + "/oldnew145.bn"), "the windows' own copy") << "its files untouched";
  TRun r = Run({"change", "ss", "--all"}, true);
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Err.find(Utf8FromCp1251("П145 вже запущена")), std::string::npos) << r.Err;
  r = Run({"-C", other, "change", "ss", "--all"});
  EXPECT_EQ(r.Err.find(Utf8FromCp1251("П145 вже запущена")), std::string::npos) << r.Err;
  EXPECT_NE(r.Out.find("changed"), std::string::npos) << "another suite is changed";
}

namespace {
// Every file under dir with its bytes.
std::map<std::string, std::string> Snapshot(const std::string& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    if (e.is_regular_file()) files[e.path().string()] = ReadAll(e.path().string());
  return files;
}
} // namespace

TEST_F(CorrectionCli, ChangeIsRefusedWhileAnotherSessionHoldsTheSuite) {
  const std::string old = std::to_string(NumberOf(TDemoCase::Old));
  const std::string between = std::to_string(NumberOf(TDemoCase::OldBetween));
  {
    TLockHolder other(Suite + "/CFG/");
    ASSERT_TRUE(other.Acquired());
    auto before = Snapshot(Suite);
    TRun r = Run({"--json", "change", "ss", old}, true);
    EXPECT_EQ(r.Code, 1);
    // The holder by the user's name, the computer, the time and the process.
    const std::string who = std::string("користувач ") + getpwuid(getuid())->pw_name + " на ";
    EXPECT_NE(r.Err.find(Utf8FromCp1251(who)), std::string::npos) << r.Err;
    EXPECT_NE(r.Err.find(Utf8FromCp1251("(процес " + std::to_string(other.Pid()) + ")")),
              std::string::npos)
        << r.Err;
    EXPECT_EQ(r.Out, "");
    EXPECT_TRUE(Snapshot(Suite) == before); // nothing written, not even the work files
    EXPECT_EQ(Run({"check", "ss"}, true).Code, 0) << "a check needs no lock";
    EXPECT_EQ(other.End(), 0);
  }
  TRun r = Run({"--json", "change", "ss", old}, true);
  EXPECT_EQ(r.Code, 0) << r.Err;
  auto results = JsonArray(r.Out, "results");
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].at("result"), "changed");
  // A holder killed with the lock blocks nobody.
  TLockHolder killed(Suite + "/CFG/");
  ASSERT_TRUE(killed.Acquired());
  killed.Kill();
  r = Run({"--json", "change", "ss", between}, true);
  EXPECT_EQ(r.Code, 0) << r.Err;
  results = JsonArray(r.Out, "results");
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].at("result"), "changed");
}

TEST_F(CorrectionCli, ReferenceDataAndStrippedProgram) {
  TRun r = Run({"reference", Tmp / "ref.bn"});
  ASSERT_EQ(r.Code, 0) << r.Err;
  {
    WFile ref(Tmp / "ref.bn");
    EXPECT_EQ(ref.Header.Count, 17u);
    EXPECT_EQ(ref.Dir[0].Offset, 0x127u);
  }
  if (std::system("command -v strip >/dev/null 2>&1") != 0) GTEST_SKIP() << "no strip";
  fs::copy_file(Cli, Tmp / "stripped");
  ASSERT_EQ(std::system(("strip " + Quote(Tmp / "stripped")).c_str()), 0);
  std::string saved = Cli;
  Cli = Tmp / "stripped";
  r = Run({"check", "ss"}, true);
  Cli = saved;
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Err.find(Utf8FromCp1251("еталонних даних")), std::string::npos) << r.Err;
  EXPECT_FALSE(fs::exists(Suite + "/oldnew145.bn"));
  EXPECT_FALSE(fs::exists(Suite + "/RAB/Temp"));
}

TEST_F(CorrectionCli, LearnedSuiteReferenceMakesTheUserChangedProjectReplaceable) {
  const uint32_t user = NumberOf(TDemoCase::UserChanged);
  TRun r = Run({"--json", "survey", "ss"}, true);
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_NE(r.Out.find("\"numbers\":[" + std::to_string(user) + "],\"equals\":\"neither\""),
            std::string::npos)
      << r.Out;
  int kind = std::stoi(Line(Check("ss"), user)->at("kind"));
  int old = RefGroupOf(kind, false, false);
  std::string learned = Tmp / "learned.bn";
  r = Run({"reference", "learn", learned, std::to_string(old) + "=" + std::to_string(old) + "=x"},
          true);
  EXPECT_EQ(r.Code, 1); // an object name that does not exist
  EXPECT_FALSE(fs::exists(learned));
  r = Run({"reference", "learn", learned,
           std::to_string(old) + "=LSS#" + std::to_string(user) + ".aru"},
          true);
  ASSERT_EQ(r.Code, 0) << r.Err;
  ASSERT_EQ(Run({"reference", "install", learned}, true).Code, 0);
  // Every report names the installed file as the data in use; show gives its group sizes.
  r = Run({"--json", "check", "ss"}, true);
  EXPECT_NE(r.Out.find("\"source\":\"suite\""), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("ravinel-p145.bn"), std::string::npos) << r.Out;
  r = Run({"--json", "reference", "show"}, true);
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_NE(r.Out.find("\"source\":\"suite\""), std::string::npos) << r.Out;
  size_t at = r.Out.find("{\"group\":" + std::to_string(old) + ",");
  ASSERT_NE(at, std::string::npos) << r.Out;
  at = r.Out.find("\"bytes\":", at) + 8;
  EXPECT_EQ(std::stoul(r.Out.substr(at)), WFile(learned).Dir[static_cast<size_t>(old)].Size);
  EXPECT_NE(r.Out.find("{\"group\":15,"), std::string::npos);
  EXPECT_EQ(Line(Check("ss"), user)->at("state"), "replaceable");
  ASSERT_EQ(Run({"change", "ss", std::to_string(user)}, true).Code, 0);
  std::vector<TRefRecord> fresh = RefRecords(old + 8);
  TRecs got = ReadGroup(Project(user), 109);
  std::vector<std::string> expect;
  for (const TRefRecord& x : fresh)
    expect.push_back(x.Data);
  EXPECT_NE(std::search(got.Data.begin(), got.Data.end(), expect.begin(), expect.end()),
            got.Data.end());
  EXPECT_EQ(Line(Check("ss"), user)->at("state"), "replaced");
  // A damaged installed file stops the start-up; remove brings the built-in data back.
  WriteAll(Suite + "/CFG/ravinel-p145.bn", ReadAll(learned).substr(0, 3000));
  r = Run({"check", "ss"}, true);
  EXPECT_EQ(r.Code, 1);
  EXPECT_NE(r.Err.find("ravinel-p145.bn"), std::string::npos) << r.Err;
  EXPECT_FALSE(fs::exists(Suite + "/oldnew145.bn"));
  EXPECT_EQ(Run({"reference", "install", Tmp / "nothing"}, true).Code, 1);
  ASSERT_EQ(Run({"reference", "remove"}, true).Code, 0);
  r = Run({"--json", "check", "ss"}, true);
  EXPECT_NE(r.Out.find("\"source\":\"program\""), std::string::npos) << r.Out;
}

// Every refusal of learn and install ends with exit code 1, a message in the language of --lang
// (Ukrainian when it is not given), and nothing written or installed.
TEST_F(CorrectionCli, ReferenceRefusalsExitWithOneAndWriteNothing) {
  const std::string good = "LSS#" + std::to_string(NumberOf(TDemoCase::Old)) + ".aru";
  const std::string damagedFile = std::to_string(NumberOf(TDemoCase::Damaged)) + ".aru";
  const std::string damaged = "LSS#" + damagedFile;
  const std::string out = Tmp / "learned.bn", installed = Suite + "/CFG/ravinel-p145.bn";
  fs::create_directory(Tmp / "adir");
  WriteAll(Tmp / "short.bn", ReadAll(Tmp / "ref.bn").substr(0, 4000));
  struct {
    std::vector<std::string> Args;
    std::string Says; // CP1251
  } cases[] = {
      {{"reference", "learn", out, "16=" + good}, "поза межами від 0 до 15"},
      {{"reference", "learn", out, "2=" + good, "2=" + good}, "вказано двічі"},
      {{"reference", "learn", out, "0=" + damaged}, "/LSS/" + damagedFile + " пошкоджено"},
      {{"reference", "learn", Tmp / "adir", "0=" + good}, "є каталогом"},
      {{"reference", "install", Tmp / "short.bn"}, "не є файлом еталонних розрахунків"},
      {{"reference", "install", Tmp / "adir"}, "є каталогом"},
      {{"reference", "learn", Suite + "/oldnew145.bn", "0=" + good}, "робочий файл програми"},
  };
  for (const auto& c : cases) {
    TRun r = Run(c.Args, true);
    EXPECT_EQ(r.Code, 1) << c.Args[1] << " " << c.Args.back();
    EXPECT_NE(r.Err.find(Utf8FromCp1251(c.Says)), std::string::npos) << r.Err;
    EXPECT_FALSE(fs::exists(out));
    EXPECT_FALSE(fs::exists(installed));
  }
}

// The command line speaks the language of --lang: the catalogue's messages and the lock refusal,
// without a word of the other language; --help names the option.
TEST_F(CorrectionCli, MessagesSpeakTheLanguageOfLang) {
  EXPECT_NE(Run({"--help"}).Out.find("language of the messages"), std::string::npos);
  const std::string old = std::to_string(NumberOf(TDemoCase::Old));
  const struct {
    const char* Lang;
    const char* Missing; // CP1251
    const char* Locked;
    const char* Foreign; // letters of the other language
  } langs[] = {{"rus", "не найден", "Файл блокировки", "іїєґ"},
               {"ukr", "не знайдено", "Файл блокування", "ыэъё"}};
  std::map<std::string, std::vector<std::string>> said;
  for (const auto& l : langs) {
    TRun missing = Run({"--lang", l.Lang, "reference", "install", Tmp / "nothing.bn"}, true);
    EXPECT_EQ(missing.Code, 1);
    EXPECT_NE(missing.Err.find(Utf8FromCp1251(l.Missing)), std::string::npos) << missing.Err;
    said[l.Lang].push_back(missing.Err);
  }
  TLockHolder other(Suite + "/CFG/");
  ASSERT_TRUE(other.Acquired());
  for (const auto& l : langs) {
    TRun locked = Run({"--lang", l.Lang, "change", "ss", old}, true);
    EXPECT_EQ(locked.Code, 1);
    EXPECT_NE(locked.Err.find(Utf8FromCp1251(l.Locked)), std::string::npos) << locked.Err;
    said[l.Lang].push_back(locked.Err);
    for (const std::string& text : said[l.Lang])
      EXPECT_EQ(Cp1251FromUtf8(text).find_first_of(l.Foreign), std::string::npos) << text;
  }
  EXPECT_EQ(other.End(), 0);
}

TEST_F(CorrectionCli, UndoOfAChangeGivesBackEveryFileAndRefusesOneChangedSince) {
  auto data = [&]() { // the suite's files without the history and the program's own
    std::map<std::string, std::string> files;
    for (const auto& [path, bytes] : Snapshot(Suite))
      if (path.find("ravinel-history") == std::string::npos &&
          path.find("/RAB/") == std::string::npos && path.find("/LOG/") == std::string::npos)
        files[path] = bytes;
    return files;
  };
  auto pristine = data();
  TRun r = Run({"--json", "change", "ss", "--all"}, true);
  ASSERT_EQ(r.Code, 0) << r.Err;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(r.Out, m, std::regex("\"batch\":\"([^\"]+)\""))) << r.Out;
  std::string batch = m[1];
  auto changed = data();
  r = Run({"--json", "history"}, true);
  EXPECT_NE(r.Out.find("\"batch\":\"" + batch + "\""), std::string::npos) << r.Out;
  r = Run({"undo", batch}, true);
  EXPECT_EQ(r.Code, 0) << r.Out << r.Err;
  auto undone = data();
  for (const auto& [path, bytes] : pristine)
    EXPECT_TRUE(undone.count(path) && undone[path] == bytes) << path << " not given back";

  // Changed again, then one project edited by hand: its undo is refused and its bytes kept.
  r = Run({"--json", "change", "ss", "--all"}, true);
  ASSERT_TRUE(std::regex_search(r.Out, m, std::regex("\"batch\":\"([^\"]+)\""))) << r.Out;
  batch = m[1];
  const std::string edited = Project(NumberOf(TDemoCase::Old));
  WriteAll(edited, ReadAll(edited) + "x");
  std::string editedBytes = ReadAll(edited);
  r = Run({"--json", "undo", batch}, true);
  EXPECT_EQ(r.Code, 1);
  auto items = JsonArray(r.Out, "items");
  int refused = 0;
  for (const TJsonObj& it : items)
    refused += it.at("result") == "refused";
  EXPECT_EQ(refused, 1) << r.Out;
  EXPECT_EQ(ReadAll(edited), editedBytes);
  for (const auto& [path, bytes] : pristine) {
    if (path != edited && path.find("AdmSs") == std::string::npos) {
      EXPECT_EQ(ReadAll(path), bytes) << path;
    }
  }
  r = Run({"report", batch, "--html", Tmp / "r.html"}, true);
  EXPECT_EQ(r.Code, 0) << r.Err;
  EXPECT_NE(ReadAll(Tmp / "r.html").find(batch), std::string::npos);
  EXPECT_EQ(Run({"undo", "../../etc"}, true).Code, 1);
}
