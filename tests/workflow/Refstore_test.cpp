// The office's own reference file: learning refuses what it cannot use and writes nothing then,
// installing keeps the previous file until the new one is complete, under every I/O fault.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <sys/stat.h>

#include "messages/Msgcat.h"
#include "storage/Dutilfile.h"
#include "tests/support/FaultIo.h"
#include "tests/workflow/WorkflowFixture.h"
#include "workflow/Refstore.h"

namespace fs = std::filesystem;

namespace {

int Refused(const std::function<void()>& act) {
  try {
    act();
  } catch (const ZError& e) {
    return e.Number;
  }
  ADD_FAILURE() << "not refused";
  return 0;
}

// The file names in dir other than those of the demo suite's configuration.
std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(dir))
    out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

class RefstoreTest : public TSuiteFixture {
protected:
  std::string Cfg() { return Root + "/CFG/"; }
  std::string Project(TDemoCase c) {
    for (int i = 0; i < 10; ++i)
      if (DemoProjectCase(i) == c)
        return Root + "/LSS/" + std::to_string(DemoObjectNumber(i)) + ".aru";
    return "";
  }
  // A second reference file of sound form with other bytes: groups 0 and 1 swapped.
  std::string OtherReference() {
    std::vector<std::vector<TRefRecord>> groups;
    for (int g = 0; g < kRefGroups; ++g)
      groups.push_back(RefRecords(g));
    std::swap(groups[0], groups[1]);
    std::string path = Dir / "other.bn";
    WriteReferenceGroups(groups, path);
    return path;
  }
  // The reference groups in a new file of count groups; group 16 holds extra.
  void ReferenceFile(const std::string& name, int count,
                     const std::vector<TRefRecord>& extra = {}) {
    ASSERT_FALSE(creat_bf(Dir / name, count));
    WFile f(Dir / name);
    for (int g = 0; g <= kRefGroups; ++g) {
      f.WCreat_file(static_cast<unsigned long>(g));
      for (const TRefRecord& r : g < kRefGroups ? RefRecords(g) : extra)
        f.WWrite(r.Prefix, static_cast<unsigned short>(r.Data.size()), r.Data.data());
      f.WClose_file(static_cast<unsigned long>(g));
    }
  }
};

TEST_F(RefstoreTest, LearnRefusesBadPicksAndWritesNothing) {
  Start();
  std::string out = Dir / "learned.bn";
  std::string good = Project(TDemoCase::Old);
  std::string empty = Dir / "empty.aru"; // a project whose calculation group holds nothing
  fs::copy_file(good, empty);
  {
    WFile f(empty);
    f.WClear_file(109);
  }
  fs::create_directory(Dir / "adir");
  const std::vector<std::string> before = Names(Dir.Path());
  struct {
    std::vector<TLearnPick> Picks;
    std::string Out;
    int Number;
  } cases[] = {
      {{{16, good}}, out, MsgRefGroupRange},
      {{{-1, good}}, out, MsgRefGroupRange},
      {{{2, good}, {2, good}}, out, MsgRefGroupTwice},
      {{{0, empty}}, out, MsgNoP145InObject},
      {{{0, Dir / "x.txt"}}, out, MsgUnknownObjectKind},
      {{{0, Project(TDemoCase::Damaged)}}, out, 0}, // its file layer's message
      {{{0, Project(TDemoCase::Missing)}}, out, MsgFileMissing},
      {{{0, good}}, Dir / "adir", MsgOutIsDirectory},
  };
  for (const auto& c : cases) {
    int n = Refused([&] { LearnReference(*FileRef, c.Picks, c.Out); });
    if (c.Number) {
      EXPECT_EQ(n, c.Number) << c.Picks[0].second;
    }
    EXPECT_FALSE(fs::exists(out));
  }
  EXPECT_EQ(Names(Dir.Path()), before) << "a scratch file was left";
  WriteAll(out + ".new", "the user's own file"); // a plausible name is never a scratch file
  LearnReference(*FileRef, {{0, good}}, out);
  CheckReferenceFile(out);
  EXPECT_EQ(ReadAll(out + ".new"), "the user's own file");
}

TEST_F(RefstoreTest, InstallRefusesFilesOfTheWrongFormAndKeepsTheInstalledOne) {
  InstallReference(Dir / "ref.bn", Cfg());
  // Installed again, the file keeps the mode the office gave it.
  std::string installed = InstalledReferencePath(Cfg());
  ASSERT_EQ(::chmod(installed.c_str(), 0640), 0);
  InstallReference(Dir / "ref.bn", Cfg());
  struct stat st;
  ASSERT_EQ(::stat(installed.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  const std::vector<std::string> cfg = Names(Cfg());
  WriteAll(Dir / "short.bn", RefBytes.substr(0, RefBytes.size() / 2));
  WriteAll(Dir / "text.bn", "Not a reference file at all\n");
  std::string hollow = Dir / "hollow.bn"; // group 5 without its calculation
  {
    std::vector<std::vector<TRefRecord>> groups;
    for (int g = 0; g < kRefGroups; ++g)
      groups.push_back(RefRecords(g));
    groups[5].clear();
    WriteReferenceGroups(groups, hollow);
  }
  // Sound reference groups, but an eighteenth group, or a calculation in group 16.
  ReferenceFile("eighteen.bn", kRefFileGroups + 1);
  ReferenceFile("filled16.bn", kRefFileGroups, RefRecords(0));
  for (std::string bad :
       {"short.bn", "text.bn", "hollow.bn", "eighteen.bn", "filled16.bn", "missing.bn", "suite"}) {
    SCOPED_TRACE(bad);
    Refused([&] { InstallReference(Dir / bad, Cfg()); });
    EXPECT_TRUE(ReadAll(InstalledReferencePath(Cfg())) == RefBytes) << "the installed file changed";
    EXPECT_EQ(Names(Cfg()), cfg);
  }
  EXPECT_EQ(Refused([&] { InstallReference(Dir / "text.bn", Cfg()); }), MsgNotReferenceFile);
  EXPECT_TRUE(RemoveInstalledReference(Cfg()));
  EXPECT_FALSE(RemoveInstalledReference(Cfg()));
}

// At every call of an install: a failure, or a crash followed by a power loss, leaves the old
// installed file or the whole new one, never anything else; a reported success survives a power
// loss.
TEST_F(RefstoreTest, InstallUnderFaultsKeepsTheOldOrTheWholeNewFile) {
  const std::string next = OtherReference(), nextBytes = ReadAll(next);
  const std::string target = InstalledReferencePath(Cfg());
  WriteAll(target, RefBytes);
  const std::vector<std::string> cfg = Names(Cfg());
  long calls = 0, kept = 0, replaced = 0;
  for (auto kind : {TFaultIo::TKind::FailOnce, TFaultIo::TKind::FailAlways,
                    TFaultIo::TKind::CrashDropUnsynced, TFaultIo::TKind::CrashTorn}) {
    for (long k = 1;; ++k) {
      WriteAll(target, RefBytes);
      bool fired;
      {
        TFaultScope scope;
        scope.Io.ModelSyncs();
        scope.Io.Arm(kind, k);
        try {
          InstallReference(next, Cfg());
        } catch (const ZError&) {
        }
        fired = scope.Io.Fired();
        scope.Io.PowerLoss();
      }
      std::string now = ReadAll(target);
      ASSERT_TRUE(now == RefBytes || now == nextBytes) << "call " << k << " size " << now.size();
      if (!fired) {
        EXPECT_EQ(now, nextBytes); // success, then a power loss
        break;
      }
      if (kind == TFaultIo::TKind::FailOnce || kind == TFaultIo::TKind::FailAlways) {
        EXPECT_EQ(Names(Cfg()), cfg) << "a failed install left its scratch file, call " << k;
      }
      ++calls;
      (now == RefBytes ? kept : replaced)++;
    }
  }
  EXPECT_GT(kept, 0);
  EXPECT_GT(replaced, 0);
  std::printf("install faults: %ld calls, old kept %ld, new kept %ld\n", calls, kept, replaced);
}

} // namespace
