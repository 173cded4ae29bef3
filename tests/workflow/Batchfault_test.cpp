// Crashes and I/O errors at every file call of a whole batch change over a demo suite: projects
// of three subsystems and four kinds and settings blocks, in both languages. After each one every
// file is readable and holds its old or its new content, and a second run completes the work.
#include "tests/workflow/WorkflowFixture.h"

#include "base/Codec.h"
#include "messages/Zmsg.h"
#include "paths/Dpath.h"
#include "paths/Rdwr_cfg.h"
#include "storage/Recformat.h"
#include "storage/Sysio.h"
#include "tests/support/FaultIo.h"
#include "workflow/History.h"
#include "workflow/Batch.h"
#include "workflow/Objects.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <regex>
#include <set>

namespace fs = std::filesystem;

namespace {
// The lists the batch changes, each with every replaceable line marked.
struct TBatchList {
  uint8_t TypeSub, TypeBn;
  bool Russian;
};
const TBatchList kLists[] = {{1, 0, true}, {2, 0, false}, {3, 0, true}, {5, 0, false}};

// Where one changed line's bytes are: its object file and its list record.
struct TItemFiles {
  std::string Object, List; // OS paths
  std::string ListName;     // the list file's name as the program tells it
  uint32_t Adr = 0;         // the list record's address
};

// Found beside the fault backend, so that the faults and the calls counted stay the batch's.
TItemFiles FilesOf(const TChangeItem& item) {
  TIoSys* faults = SetIoSys(nullptr);
  TItemFiles f{sysio::OsPath(GetRealName(item.Line->File)), sysio::OsPath(FileList->Name),
               FileList->Name, item.Line->Adr};
  SetIoSys(faults);
  return f;
}

// What one run reports.
struct TRunReport {
  bool Started = false;           // the session and every list opened
  std::vector<TChangeItem> Items; // per changed line
  std::vector<TItemFiles> Files;  // per item
  std::vector<std::vector<TObjLine>> Lines;
};

// The batch change as ravinel-cli change --all runs it, list after list.
TRunReport RunBatch(const std::string& prog) {
  TRunReport report;
  try {
    TWorkflowSession session(prog);
    report.Started = true;
    report.Lines.reserve(std::size(kLists));
    for (const TBatchList& l : kLists) {
      TListInfo info = ListInfoOf(l.TypeSub, l.TypeBn);
      Cfg[CfgDocRussian] = l.Russian;
      try {
        FileList = new WFile(ListAliasName(info, l.Russian));
        TObjectFiles files(*FileList, *FileRef, RecWork);
        report.Lines.push_back(LoadObjectLines(files, info, l.Russian));
        std::vector<TObjLine>& lines = report.Lines.back();
        CheckObjectLines(files, info, lines, l.Russian);
        std::vector<const TObjLine*> chosen;
        for (const TObjLine& line : lines)
          if (line.State & stReplaceable) chosen.push_back(&line);
        std::vector<TChangeFailure> failures;
        for (TChangeItem& item : ChangeObjects(files, info, chosen, l.Russian, failures)) {
          report.Items.push_back(item);
          report.Files.push_back(FilesOf(item));
        }
        WriteChangeProtocol(ListAliasName(info, l.Russian), failures);
      } catch (const ZError&) {
        report.Started = false;
      }
      try {
        delete FileList;
      } catch (const ZError&) {
      }
      FileList = nullptr;
    }
  } catch (const ZError&) {
    report.Started = false;
  }
  return report;
}

// A file's content for the comparison: its bytes and, when it opens as a record file, the
// records of each group (prefix byte, then the data).
struct TContent {
  std::string Bytes;
  std::optional<std::vector<std::vector<std::string>>> Groups;
};

std::optional<std::vector<std::vector<std::string>>> ReadGroups(const std::string& path) {
  try {
    std::vector<std::vector<std::string>> groups;
    WFile f(Cp1251FromUtf8(path));
    WRec rec;
    for (unsigned g = 0; g < f.Header.Count; ++g) {
      groups.emplace_back();
      f.WOpen_file(g);
      while (f.WRead(&rec))
        groups.back().push_back(static_cast<char>(rec.Prefix) + std::string(rec.Data, rec.Len));
    }
    return groups;
  } catch (const ZError&) {
    return std::nullopt;
  }
}

// Files of the suite that the batch may touch, by path relative to the suite; process files
// (work file, reference copy, protocols) and scratch files are left out.
// The name a scratch file stands for: "NAME$", "NAME$$", "NAME$w" (a working copy) and the
// scratch files of a working copy all stand for NAME; any other name for itself.
std::string ScratchBase(std::string p) {
  while (!p.empty() && p.back() == '$')
    p.pop_back();
  if (p.size() > 2 && p.compare(p.size() - 2, 2, "$w") == 0) p.resize(p.size() - 2);
  return p;
}

bool IsDataFile(const std::string& rel) {
  std::string name = fs::path(rel).filename().string();
  return ScratchBase(name) == name && name != "oldnew145.bn" &&
         rel.find("LOG/") == std::string::npos && rel.find("RAB/") == std::string::npos &&
         name != "$TMP";
}

std::map<std::string, TContent> Snapshot(const std::string& root, bool parse) {
  std::map<std::string, TContent> out;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (!e.is_regular_file()) continue;
    std::string rel = fs::relative(e.path(), root).string();
    if (!IsDataFile(rel)) continue;
    TContent c{ReadAll(e.path().string()), std::nullopt};
    if (parse) c.Groups = ReadGroups(e.path().string());
    out[rel] = c;
  }
  return out;
}

struct TFigures {
  long Calls = 0, Crashes = 0, Errors = 0, FilesLost = 0, Runs = 0;
  long EntriesUndone = 0; // directory entry changes the crashes undid
};

class TBatchMatrix : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    // In memory when possible: every run copies the whole suite.
    const char* tmpdir = std::getenv("TMPDIR");
    std::string oldTmp = tmpdir ? tmpdir : "";
    if (fs::is_directory("/dev/shm")) setenv("TMPDIR", "/dev/shm", 1);
    Base = new TTempDir;
    if (tmpdir)
      setenv("TMPDIR", oldTmp.c_str(), 1);
    else
      unsetenv("TMPDIR");
    // The aliases name the suite's absolute path, so every run works at that one path on a
    // fresh copy of the pristine suite.
    Template = Base->Path() + "/pristine";
    TDemoOptions options;
    options.Projects = 2; // the first two cases: both replaceable
    options.Blocks = 2;
    MakeSuite(Base->Path() + "/work", *Base / "ref.bn", options);
    fs::rename(Base->Path() + "/work", Template);
    Prog = *Base / "prog";
    WriteAll(Prog, ProgramBytes(ReadAll(*Base / "ref.bn")));
  }
  static void TearDownTestSuite() {
    delete Base;
    Base = nullptr;
  }
  void SetUp() override {
    ::getcwd(OldCwd, sizeof OldCwd);
    Work = Base->Path() + "/work";
    Fresh();
    Before = Snapshot(Work, true);
    TRunReport full;
    {
      TNoSyncIo fast;
      full = RunBatch(Prog);
    }
    ASSERT_TRUE(full.Started);
    for (const TChangeItem& item : full.Items)
      Changed += item.Outcome.Result == TChangeResult::Changed;
    After = Snapshot(Work, true);
    const char* stride = std::getenv("RAVINEL_MATRIX_STRIDE");
    Stride = stride ? std::max(1L, std::atol(stride)) : 1;
  }
  void TearDown() override { ::chdir(OldCwd); }

  // A fresh copy of the suite as the current directory.
  void Fresh() {
    ::chdir(Base->Path().c_str());
    fs::remove_all(Work);
    fs::copy(Source.empty() ? Template : Source, Work, fs::copy_options::recursive);
    ASSERT_EQ(::chdir(Work.c_str()), 0);
  }

  // Checks every file against its old and new content; returns the number of files lost.
  long Verify(const std::string& when) {
    long lost = 0;
    std::map<std::string, TContent> now = Snapshot(Work, false);
    for (const auto& [rel, old] : Before) {
      auto it = now.find(rel);
      if (it == now.end()) {
        ADD_FAILURE() << when << ": " << rel << " is gone";
        ++lost;
        continue;
      }
      const TContent& neu = After.at(rel);
      if (it->second.Bytes == old.Bytes || it->second.Bytes == neu.Bytes) continue;
      if (!SameOrNew(rel, ReadGroups(Work + "/" + rel), old, neu, when)) ++lost;
    }
    // No file lives on only under a scratch name.
    for (const auto& e : fs::recursive_directory_iterator(Work)) {
      std::string p = ScratchBase(e.path().string());
      EXPECT_TRUE(fs::exists(p)) << when << ": only the scratch " << e.path() << " is left";
    }
    return lost;
  }

  // Every group old or new; list records each old or new (a list's records change one by one).
  bool SameOrNew(const std::string& rel,
                 const std::optional<std::vector<std::vector<std::string>>>& now,
                 const TContent& old, const TContent& neu, const std::string& when) {
    if (!now || !old.Groups || now->size() != old.Groups->size()) {
      ADD_FAILURE() << when << ": " << rel << " cannot be read or changed its groups";
      return false;
    }
    bool list = fs::path(rel).filename().string().rfind("Adm", 0) == 0;
    bool ok = true;
    for (size_t g = 0; g < now->size(); ++g) {
      const auto &n = (*now)[g], &o = (*old.Groups)[g], &w = (*neu.Groups)[g];
      bool good = n == o || n == w;
      if (!good && list && n.size() == o.size() && o.size() == w.size()) {
        good = true;
        for (size_t i = 0; i < n.size(); ++i)
          good &= n[i] == o[i] || n[i] == w[i];
      }
      if (!good)
        ADD_FAILURE() << when << ": " << rel << " group " << g << " is neither old nor new";
      ok &= good;
    }
    return ok;
  }

  // A second run without faults must leave every file with its new content.
  void Complete(const std::string& when) {
    {
      TNoSyncIo fast; // what the second run makes durable is not under test here
      Run();
    }
    for (const auto& [rel, neu] : Snapshot(Work, false)) {
      auto it = After.find(rel);
      if (it == After.end() || it->second.Bytes == neu.Bytes) continue;
      // The batches of this run are its own (their names repeat those of the clean run).
      if (rel.find("ravinel-history/") != std::string::npos && !Before.count(rel)) continue;
      auto groups = ReadGroups(Work + "/" + rel);
      EXPECT_TRUE(groups && groups == it->second.Groups)
          << when << ": the second run left " << rel << " unfinished";
    }
    // A working copy left by the crash belongs to an object still to change: the second run
    // replaces and removes it.
    for (const auto& e : fs::recursive_directory_iterator(Work)) {
      std::string p = e.path().string();
      EXPECT_FALSE(p.size() > 2 && p.compare(p.size() - 2, 2, "$w") == 0)
          << when << ": the second run left the working copy " << e.path();
    }
  }

  // Runs the batch with a fault at every call; returns the calls exercised.
  void Matrix(TFaultIo::TKind kind, int code, TFigures& fig) {
    long calls = CountCalls();
    fig.Calls = std::max(fig.Calls, calls);
    for (long k = 1; k <= calls; k += Stride) {
      Fresh();
      TRunReport report;
      {
        TFaultScope scope;
        scope.Io.ModelSyncs();
        scope.Io.Arm(kind, k, code);
        scope.Io.TearAt(k);
        report = Run();
        if (!scope.Io.Fired()) continue;
        fig.EntriesUndone += scope.Io.EntriesUndone();
      }
      std::string when =
          "kind " + std::to_string(static_cast<int>(kind)) + " at call " + std::to_string(k);
      long lost = Verify(when);
      VerifyHistory(when);
      fig.FilesLost += lost;
      ++fig.Runs;
      bool crash = kind != TFaultIo::TKind::FailOnce && kind != TFaultIo::TKind::FailAlways;
      if (!crash) CheckReported(report, kind, when);
      if (lost == 0) ++(crash ? fig.Crashes : fig.Errors);
      Complete(when);
      if (HasFailure()) return; // one broken run tells enough
    }
  }

  std::string Rel(const std::string& path) const { return fs::relative(path, Work).string(); }
  // The bytes of an item's list record (header and data) in a list file's bytes.
  static std::string ListRecord(const TItemFiles& f, const std::string& list) {
    if (list.size() < f.Adr + kRecHeadSize) return "";
    size_t len = static_cast<unsigned char>(list[f.Adr + 5]) |
                 static_cast<size_t>(static_cast<unsigned char>(list[f.Adr + 6])) << 8;
    return list.substr(f.Adr, kRecHeadSize + len);
  }

  long CountCalls() {
    Fresh();
    TFaultScope scope;
    scope.Io.ModelSyncs();
    Run();
    return scope.Io.Calls();
  }

  // A failed object is named, and its file and list record are as before (the record may stay
  // new only when its restore failed too, which the message tells with the list file's name); a
  // changed one has its new bytes. After a single failure the change went on with the others.
  void CheckReported(const TRunReport& report, TFaultIo::TKind kind, const std::string& when) {
    int failed = 0, changed = 0;
    for (size_t i = 0; i < report.Items.size(); ++i) {
      const TChangeOutcome& out = report.Items[i].Outcome;
      const TItemFiles& f = report.Files[i];
      std::string object = fs::relative(f.Object, Work).string();
      std::string what = when + ": " + object + " " + ChangeResultName(out.Result);
      if (out.Result == TChangeResult::Failed) {
        ++failed;
        EXPECT_FALSE(out.Error.empty()) << when;
        EXPECT_TRUE(ReadAll(f.Object) == Before.at(object).Bytes) << what;
        bool restoreFailed =
            kind == TFaultIo::TKind::FailAlways && out.Error.find(f.ListName) != std::string::npos;
        if (!restoreFailed) {
          EXPECT_TRUE(ListRecord(f, ReadAll(f.List)) == ListRecord(f, Before.at(Rel(f.List)).Bytes))
              << what << ", its list record is new: " << Utf8FromCp1251(out.Error);
        }
      }
      if (out.Result == TChangeResult::Changed) {
        ++changed;
        EXPECT_TRUE(ReadAll(f.Object) == After.at(object).Bytes) << what << " but not new";
      }
    }
    if (kind == TFaultIo::TKind::FailOnce && report.Started && failed == 1) {
      EXPECT_EQ(changed, Changed - 1) << when << ": the change did not go on after a failure";
    }
  }

  static TTempDir* Base;
  static std::string Template, Prog;
  // The run under test: the batch change, or an undo.
  virtual TRunReport Run() { return RunBatch(Prog); }

  // Every journal reads back, and every object that holds its new content has its old bytes
  // kept in the history.
  void VerifyHistory(const std::string& when) {
    std::set<std::string> kept;
    fs::path hist = Work + "/CFG/ravinel-history";
    if (fs::exists(hist))
      for (const auto& batch : fs::directory_iterator(hist))
        for (const auto& f : fs::directory_iterator(batch.path())) {
          if (f.path().filename() != "journal.jsonl") {
            kept.insert(ReadAll(f.path().string()));
            continue;
          }
          try {
            ReadJournalFile(Cp1251FromUtf8(f.path().string()));
          } catch (const ZError& e) {
            ADD_FAILURE() << when << ": " << f.path()
                          << " does not read back: " << Utf8FromCp1251(e.Message);
          }
        }
    for (const auto& [rel, old] : Before) {
      bool list = fs::path(rel).filename().string().rfind("Adm", 0) == 0;
      const std::string& neu = After.at(rel).Bytes;
      if (list || rel.find("ravinel-history") != std::string::npos || neu == old.Bytes) continue;
      if (ReadAll(Work + "/" + rel) == neu) {
        EXPECT_TRUE(kept.count(old.Bytes))
            << when << ": " << rel << " is new, its old bytes not kept";
      }
    }
  }

  std::string Work, Source;
  std::map<std::string, TContent> Before, After;
  int Changed = 0;
  long Stride = 1;
  char OldCwd[4096];
};
TTempDir* TBatchMatrix::Base = nullptr;
std::string TBatchMatrix::Template, TBatchMatrix::Prog;

// Every change batch of the history undone, as ravinel-cli undo runs it after completing what a
// crash left unfinished.
TRunReport RunUndo(const std::string& prog) {
  TRunReport report;
  try {
    TWorkflowSession session(prog);
    report.Started = true;
    RecoverBatches();
    for (const std::string& id : ListBatches()) {
      TBatchInfo b = ReadBatch(id);
      if (b.Kind != "change") continue;
      Cfg[CfgDocRussian] = b.DocRussian();
      try {
        FileList = new WFile(b.List);
        UndoBatch(b, {}, FileList);
      } catch (const ZError&) {
        report.Started = false;
      }
      try {
        delete FileList;
      } catch (const ZError&) {
      }
      FileList = nullptr;
    }
  } catch (const ZError&) {
    report.Started = false;
  }
  return report;
}

// The undo of a whole change: it starts from the changed suite with its history, and every
// object and list record ends old (changed) or new (put back).
class TUndoMatrix : public TBatchMatrix {
protected:
  void SetUp() override {
    TBatchMatrix::SetUp(); // the work copy now holds the change and its history
    if (HasFatalFailure()) return;
    Source = Base->Path() + "/changed";
    fs::remove_all(Source);
    fs::copy(Work, Source, fs::copy_options::recursive);
    Fresh();
    Before = Snapshot(Work, true);
    {
      TNoSyncIo fast;
      ASSERT_TRUE(Run().Started);
    }
    After = Snapshot(Work, true);
  }
  TRunReport Run() override { return RunUndo(Prog); }
};

void Print(const char* what, const TFigures& f) {
  std::cout << what << ": calls exercised " << f.Calls << ", runs " << f.Runs
            << ", crashes survived " << f.Crashes << ", errors survived " << f.Errors
            << ", directory entries undone " << f.EntriesUndone << ", files lost " << f.FilesLost
            << std::endl;
}
} // namespace

TEST_F(TBatchMatrix, TheSuiteHasEnoughObjectsToChange) {
  // 8 projects of 3 subsystems and 4 kinds, 2 settings blocks, in both languages.
  EXPECT_EQ(Changed, 10);
  int changedFiles = 0;
  for (const auto& [rel, old] : Before)
    changedFiles += After.at(rel).Bytes != old.Bytes;
  EXPECT_EQ(changedFiles, 10 + 3); // and three list files
}

TEST_F(TBatchMatrix, CrashAtEveryCall) {
  TFigures fig;
  Matrix(TFaultIo::TKind::CrashDropUnsynced, 5, fig);
  Matrix(TFaultIo::TKind::Crash, 5, fig);
  Print("crash matrix", fig);
  EXPECT_EQ(fig.FilesLost, 0);
  EXPECT_GT(fig.Crashes, 0);
}

TEST_F(TBatchMatrix, PowerLossWithTornWritesAtEveryCall) {
  TFigures fig;
  Matrix(TFaultIo::TKind::CrashTorn, 5, fig);
  Print("power-loss matrix", fig);
  EXPECT_EQ(fig.FilesLost, 0);
}

TEST_F(TBatchMatrix, IoErrorAtEveryCallOnceAndForGood) {
  TFigures fig;
  for (int error : {EIO, ENOSPC}) {
    Matrix(TFaultIo::TKind::FailOnce, error, fig);
    Matrix(TFaultIo::TKind::FailAlways, error, fig);
  }
  Print("I/O error matrix", fig);
  EXPECT_EQ(fig.FilesLost, 0);
  EXPECT_GT(fig.Errors, 0);
}

TEST_F(TBatchMatrix, PowerLossAfterReportedSuccessKeepsTheNewContent) {
  Fresh();
  TRunReport report;
  {
    TFaultScope scope;
    scope.Io.ModelSyncs();
    report = RunBatch(Prog);
    scope.Io.PowerLoss();
  }
  ASSERT_TRUE(report.Started);
  // The history's batch names and times may lie in another second than the reference run's:
  // its files are compared by their names inside the batch and their contents, times aside.
  std::regex times("\"(started|ended)\":\"[^\"]*\"|[0-9]{8}T[0-9]{6}Z-[0-9]+(-[0-9]+)?");
  auto history = [&](const std::map<std::string, TContent>& files) {
    std::multiset<std::pair<std::string, std::string>> kept;
    for (const auto& [rel, c] : files)
      if (rel.rfind("CFG/ravinel-history/", 0) == 0)
        kept.insert({fs::path(rel).filename().string(), std::regex_replace(c.Bytes, times, "")});
    return kept;
  };
  std::map<std::string, TContent> now = Snapshot(Work, false);
  EXPECT_TRUE(history(now) == history(After)) << "the history lost its new content";
  for (const auto& [rel, neu] : After) {
    if (rel.rfind("CFG/ravinel-history/", 0) == 0) continue;
    EXPECT_EQ(ReadAll(Work + "/" + rel), neu.Bytes) << rel << " lost its new content";
  }
}

TEST_F(TUndoMatrix, TheUndoGivesBackThePristineSuite) {
  // Objects and list files as before the change, the change's history kept.
  std::map<std::string, TContent> pristine = Snapshot(Template, false);
  for (const auto& [rel, c] : pristine)
    EXPECT_EQ(After.at(rel).Bytes, c.Bytes) << rel;
}

TEST_F(TUndoMatrix, CrashAndPowerLossAtEveryCall) {
  TFigures fig;
  Matrix(TFaultIo::TKind::CrashDropUnsynced, 5, fig);
  Matrix(TFaultIo::TKind::CrashTorn, 5, fig);
  Print("undo crash and power-loss matrix", fig);
  EXPECT_EQ(fig.FilesLost, 0);
  EXPECT_GT(fig.Crashes, 0);
}

TEST_F(TUndoMatrix, IoErrorAtEveryCallOnceAndForGood) {
  TFigures fig;
  for (int error : {EIO, ENOSPC}) {
    Matrix(TFaultIo::TKind::FailOnce, error, fig);
    Matrix(TFaultIo::TKind::FailAlways, error, fig);
  }
  Print("undo I/O error matrix", fig);
  EXPECT_EQ(fig.FilesLost, 0);
  EXPECT_GT(fig.Errors, 0);
}
