// The program's entry and main window on the demo suite: the seven choices and the language, the
// files of a run, a failed start-up, and a second instance.
#include <gtest/gtest.h>

#include <QTimer>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <tuple>

#include "paths/Rdwr_cfg.h"
#include "tests/support/Clirun.h"
#include "tests/support_gui/Guisupport.h"
#include "tests/workflow/WorkflowFixture.h"
#include "workflow/Instance.h"
#include "workflow/Ucorvane.h"

extern char** environ;

namespace {
namespace fs = std::filesystem;

// (TypeSub, TypeBn, isRus, DocRussian) as the list window would get them.
using TCall = std::tuple<int, int, bool, int>;

class Corvane : public TSuiteFixture {
protected:
  TCorvaneOptions RunOptions() {
    TCorvaneOptions o;
    o.ProgramFile = Dir / "prog";
    o.OpenList = [this](QWidget* owner, unsigned char sub, unsigned char bn, bool rus) {
      EXPECT_EQ(owner, fMain);
      Calls.push_back({sub, bn, rus, Cfg[CfgDocRussian]});
    };
    o.AskSuiteDir = [](const std::string&, const std::string&) { return std::string(); };
    return o;
  }
  bool Exists(const std::string& name) { return fs::exists(Root + "/" + name); }
  void TearDown() override {
    IFaceLang = elg_Rus; // the language the window tests read
    TSuiteFixture::TearDown();
  }
  std::vector<TCall> Calls;
};

} // namespace

TEST_F(Corvane, SevenChoicesAndTheLanguageReachTheListWindow) {
  WriteAll(Root + "/$tmp", "left over");
  bool duringRun[3] = {};
  QTimer::singleShot(0, [&] {
    ASSERT_NE(fMain, nullptr);
    duringRun[0] = !Exists("$tmp");
    duringRun[1] = Exists("oldnew145.bn");
    duringRun[2] = Exists("RAB/Temp") && fs::file_size(Root + "/RAB/Temp") > 0;
    EXPECT_TRUE(fMain->UDLang->isChecked());
    fMain->vSs->click(); // untouched radio buttons: Ukrainian documents
    fMain->RDLang->click();
    EXPECT_EQ(IFaceLang, elg_Rus);
    EXPECT_NE(Cfg[CfgDocRussian], 0);
    fMain->vDc->click();
    fMain->Button3->click();
    fMain->vPd->click(); // TypeBn keeps its last value
    fMain->UDLang->click();
    EXPECT_EQ(IFaceLang, elg_Ukr);
    EXPECT_EQ(Cfg[CfgDocRussian], 0);
    fMain->Button1->click();
    fMain->Button2->click();
    fMain->Button4->click();
    // A screen reader's toggle checks the button without a click: the choice follows as well.
    fMain->RDLang->setChecked(true);
    EXPECT_EQ(IFaceLang, elg_Rus);
    fMain->UDLang->setChecked(true);
    EXPECT_EQ(IFaceLang, elg_Ukr);
    EXPECT_EQ(fMain->Memo1->document()->blockCount(), 17);
    // The status line names the reference data in use and the suite's folder.
    EXPECT_TRUE(fMain->Status->text().contains(ToQString("Тека комплексу: " + Root)))
        << fMain->Status->text().toStdString();
    SaveShot(fMain, "main-window");
    fMain->kExit->click();
  });
  Cfg[CfgDocRussian] = 1;
  EXPECT_EQ(RunCorvane(RunOptions()), 0);
  EXPECT_EQ(fMain, nullptr);
  std::vector<TCall> want = {{1, 0, false, 0}, {2, 0, true, 1},  {5, 2, true, 1}, {3, 2, true, 1},
                             {5, 0, false, 0}, {5, 1, false, 0}, {5, 3, false, 0}};
  EXPECT_EQ(Calls, want);
  EXPECT_TRUE(duringRun[0]) << "$TMP is deleted at start";
  EXPECT_TRUE(duringRun[1]) << "the reference file is extracted";
  EXPECT_FALSE(Exists("oldnew145.bn"));
  EXPECT_FALSE(Exists("RAB/Temp")) << "the work file is deleted at the end";
  EXPECT_EQ(ListFields147, nullptr);
  EXPECT_EQ(TMP, nullptr);
  EXPECT_EQ(Boib, nullptr);
}

TEST_F(Corvane, StartUpErrorIsShownAndTheRunEndsCleanly) {
  // A program file without reference data: the main window's construction fails.
  TCorvaneOptions o = RunOptions();
  o.ProgramFile = Dir / "ref.bn";
  {
    Shown shown;
    EXPECT_EQ(RunCorvane(o), 1);
    ASSERT_EQ(shown.All.size(), 1u);
    EXPECT_EQ(shown.All[0].Mode, TMsgMode::Error);
  }
  EXPECT_EQ(fMain, nullptr);
  EXPECT_FALSE(Exists("oldnew145.bn"));
  EXPECT_FALSE(Exists("RAB/Temp"));
  EXPECT_EQ(ListFields147, nullptr);
  // No screen description file: the process-wide files fail before any window.
  WriteAll(Root + "/$TMP", "x");
  fs::remove(Root + "/CFG/Boib.sfr");
  {
    Shown shown;
    EXPECT_EQ(RunCorvane(RunOptions()), 1);
    ASSERT_EQ(shown.All.size(), 1u);
    EXPECT_NE(shown.All[0].Text.find("Boib"), std::string::npos) << shown.All[0].Text;
  }
  EXPECT_FALSE(Exists("$TMP"));
  EXPECT_EQ(TMP, nullptr);
  EXPECT_TRUE(Calls.empty());
}

TEST_F(Corvane, SecondInstanceEndsAtOnceWithoutAWord) {
  const char* program = RAVINEL_PROGRAM;
  std::string runtime = Dir / "runtime";
  fs::create_directory(runtime);
  fs::permissions(runtime, fs::perms::owner_all);
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  pid_t first = 0;
  char* argv[] = {const_cast<char*>(program), Root.data(), nullptr};
  ASSERT_EQ(posix_spawn(&first, program, nullptr, nullptr, argv, environ), 0);
  // The first instance holds the lock once its window is up (the reference file is there).
  bool up = false;
  for (int i = 0; i < 200 && !up; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    up = Exists("oldnew145.bn") &&
         !TInstanceLock(SuiteInstanceName(Root + "/CFG/"), runtime).Acquire();
  }
  EXPECT_TRUE(up);
  auto t0 = std::chrono::steady_clock::now();
  // A copy that did not give way would open its window and never end on its own.
  TRun second = RunProgram("timeout", {"5", program, Root}, Dir.Path());
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_EQ(second.Code, 0);
  EXPECT_EQ(second.Out + second.Err, "");
  EXPECT_LT(seconds, 2.0);
  EXPECT_TRUE(Exists("oldnew145.bn")) << "the second copy leaves the first one's files alone";
  kill(first, SIGKILL);
  int status = 0;
  waitpid(first, &status, 0);
  unsetenv("XDG_RUNTIME_DIR");
}
