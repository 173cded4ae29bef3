// Each window speaks the interface language alone: the main window, the list window with its
// progress and final message, the message dialog and the protocol viewer, in either language.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <functional>
#include <memory>
#include <QProgressDialog>
#include <QTest>
#include <QTimer>

#include "base/Codec.h"
#include "messages/Msgcat.h"
#include "messages/Umessages.h"
#include "messages/View_prt.h"
#include "paths/Rdwr_cfg.h"
#include "tests/support/Tempdir.h"
#include "tests/support_gui/Guisupport.h"
#include "tests/workflow/WorkflowFixture.h"
#include "workflow/Ucorvane.h"
#include "workflow/Uvbl.h"

namespace {

class OneLanguage : public TSuiteFixture, public ::testing::WithParamInterface<ELang> {
protected:
  void SetUp() override {
    TSuiteFixture::SetUp();
    InstallMsgCatalogue(); // as the program does at start
  }
  void TearDown() override {
    IFaceLang = elg_Rus;
    TSuiteFixture::TearDown();
  }
  void Add(const std::vector<std::string>& more) {
    Texts.insert(Texts.end(), more.begin(), more.end());
  }
  // The texts of the progress dialog that the next piece of work of w puts up (looked for at each
  // turn of the event loop until it is there).
  void AddProgressOf(TfVbl& w, int& seen) {
    auto poll = std::make_shared<std::function<void(int)>>();
    *poll = [this, &w, &seen, poll](int left) {
      auto dialogs = w.findChildren<QProgressDialog*>();
      for (QProgressDialog* d : dialogs) {
        Add(WidgetTexts(d, false));
        ++seen;
      }
      if (dialogs.isEmpty() && left > 0)
        QTimer::singleShot(0, [poll, left] { (*poll)(left - 1); });
      else
        *poll = nullptr;
    };
    QTimer::singleShot(0, [poll] { (*poll)(1000); });
  }
  // The list window: its texts while the check runs, when shown, while the change runs, and
  // the final message the change gives.
  void WalkList(QWidget* owner, unsigned char sub, unsigned char bn, bool rus) {
    TfVbl w(owner, sub, bn, rus);
    int progress = 0;
    AddProgressOf(w, progress);
    w.FormShow();
    w.show();
    Add(WidgetTexts(&w));
    QTest::keyClick(w.tb, Qt::Key_PageUp, Qt::ControlModifier);
    w.Button1->click();
    for (int i = 1; i < w.tb->Table().LineCount(); ++i)
      QTest::keyClick(w.tb, Qt::Key_Down);
    w.Button1->click();
    // The comparison of the current line, and the question before the change with its list of
    // objects, read and answered.
    WhenModal([this](QWidget* view) {
      Add(WidgetTexts(view));
      static_cast<QDialog*>(view)->accept();
    });
    w.kCmp->click();
    WhenModal([this, &w, &progress](QWidget* box) {
      Add(WidgetTexts(box));
      auto* b = static_cast<QMessageBox*>(box);
      WhenModal([this, &w, &progress](QWidget* list) {
        Add(WidgetTexts(list));
        static_cast<QDialog*>(list)->accept();
        WhenModal([this, &w, &progress](QWidget* again) {
          AddProgressOf(w, progress);
          auto* a = static_cast<QMessageBox*>(again);
          for (QAbstractButton* k : a->buttons())
            if (a->buttonRole(k) == QMessageBox::AcceptRole) k->click();
        });
      });
      for (QAbstractButton* k : b->buttons())
        if (b->buttonRole(k) == QMessageBox::ActionRole) k->click();
    });
    Shown shown;
    w.kCh->click();
    EXPECT_EQ(progress, 2) << "both progress dialogs were looked at";
    for (const TMsgRequest& m : shown.All) {
      Final = m;
      Texts.push_back(m.Text);
    }
    w.close();
  }

  std::vector<std::string> Texts;
  TMsgRequest Final;
};

TEST_P(OneLanguage, EveryWindowShowsItsTextsInTheInterfaceLanguageOnly) {
  const bool russian = GetParam() == elg_Rus;
  IFaceLang = elg_Ukr; // as at start
  TCorvaneOptions o;
  o.ProgramFile = Dir / "prog";
  o.AskSuiteDir = [](const std::string&, const std::string&) { return std::string(); };
  o.OpenList = [this](QWidget* owner, unsigned char sub, unsigned char bn, bool rus) {
    WalkList(owner, sub, bn, rus);
  };
  QTimer::singleShot(0, [&] {
    if (russian) fMain->RDLang->click(); // the main window changes language at once
    Add(WidgetTexts(fMain));
    SaveShot(fMain, russian ? "main-window-rus" : "main-window-ukr");
    fMain->vSs->click();
    fMain->kExit->click();
  });
  ASSERT_EQ(RunCorvane(o), 0);
  // The final message as the dialog shows it, and the viewer of its protocol.
  ASSERT_TRUE(Final.Log) << "one object fails and is named in the protocol";
  TDMessages d(nullptr, true, dmWarning);
  d.Text = Final.Text;
  d.HasProtocol = true;
  d.ErrLog = Final.ErrLog;
  d.show();
  Add(WidgetTexts(&d));
  d.close();
  TViewPrt v(nullptr);
  v.ErrLog = Final.ErrLog;
  v.show();
  Add(WidgetTexts(&v));
  v.close();
  const std::string own = russian ? "Корректировка расчета 145" : "Коригування розрахунку 145";
  EXPECT_NE(std::find(Texts.begin(), Texts.end(), own), Texts.end());
  EXPECT_GT(Texts.size(), 30u);
  EXPECT_EQ(Final.Text.find("№"), std::string::npos) << "the catalogue's text";
  for (const std::string& t : OtherLanguage(Texts, russian))
    ADD_FAILURE() << "a text of the other language: " << Utf8FromCp1251(t);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, OneLanguage, ::testing::Values(elg_Rus, elg_Ukr),
                         [](const auto& info) {
                           return info.param == elg_Rus ? "Russian" : "Ukrainian";
                         });

} // namespace

// Started where no CFG lies above: the warning is a sentence in the start language under a title
// of that language, and the folder dialog after it speaks that language too (Qt's own texts).
TEST(NoSuiteHere, TheWarningAndTheFolderDialogSpeakTheStartLanguage) {
  TTempDir dir;
  const std::string config = dir / "config";
  setenv("XDG_CONFIG_HOME", config.c_str(), 1); // no folder remembered
  IFaceLang = elg_Ukr;
  InstallMsgCatalogue();
  QString title;
  std::string text;
  std::vector<std::string> dialogTexts;
  WhenModal([&](QWidget* w) {
    auto* d = dynamic_cast<TDMessages*>(w);
    ASSERT_NE(d, nullptr);
    title = d->windowTitle();
    text = d->Text;
    WhenModal([&](QWidget* folders) {
      dialogTexts = WidgetTexts(folders);
      static_cast<QDialog*>(folders)->reject();
    });
    d->reject();
  });
  TCorvaneOptions o;
  o.StartDir = dir.Path();
  EXPECT_EQ(RunCorvane(o), 0) << "the user gave up choosing";
  IFaceLang = elg_Rus;
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(title, ToQString("     П о п е р е д ж е н н я  !"));
  EXPECT_EQ(text.rfind("Не знайдено каталог налаштування комплексу CFG", 0), 0u) << text;
  EXPECT_EQ(text.find("№"), std::string::npos) << text;
  ASSERT_FALSE(dialogTexts.empty());
  EXPECT_TRUE(OtherLanguage(dialogTexts, false).empty());
  for (std::string t : dialogTexts) {
    // Qt's own words in English ("Look in", "Choose") tell that its translation is missing.
    for (size_t at; (at = t.find("CFG")) != std::string::npos;)
      t.erase(at, 3);
    EXPECT_EQ(t.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"),
              std::string::npos)
        << Utf8FromCp1251(t);
  }
}
