// The history window on the demo suite: undo of a change restores the bytes and lists the
// object changed since, a locked suite is only shown, and the report is printed to PDF.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <map>

#include "base/Codec.h"
#include "base/QtText.h"
#include "messages/Msgcat.h"
#include "paths/Dpath.h"
#include "paths/Rdwr_cfg.h"
#include "tests/support/LockHolder.h"
#include "tests/support_gui/Guisupport.h"
#include "tests/workflow/WorkflowFixture.h"
#include "workflow/Uhistory.h"
#include "workflow/Uvbl.h"

namespace {
namespace fs = std::filesystem;

using TFiles = std::map<std::string, std::string>;

class HistoryWindow : public TSuiteFixture {
protected:
  void SetUp() override {
    TSuiteFixture::SetUp();
    Start();
    InstallMsgCatalogue();
    Cfg[CfgDocRussian] = 1;
    IFaceLang = elg_Rus;
  }
  void TearDown() override {
    IFaceLang = elg_Rus;
    TSuiteFixture::TearDown();
  }
  // The suite's files but the program's own and the history's.
  TFiles Files() {
    TFiles out;
    for (const auto& e : fs::recursive_directory_iterator(Root)) {
      std::string rel = fs::relative(e.path(), Root).string();
      if (!e.is_regular_file() || rel.rfind("RAB/", 0) == 0 || rel.rfind("LOG/", 0) == 0 ||
          rel == "oldnew145.bn" || rel == "CFG/ravinel.lock" ||
          rel.find("ravinel-history") != std::string::npos)
        continue;
      out[rel] = ReadAll(e.path().string());
    }
    return out;
  }
  // Every replaceable object of the estimates' list changed in the list window.
  void ChangeAll() {
    TfVbl w(nullptr, 1, 0, true);
    w.AskConfirm = [](const std::string&) { return true; };
    w.FormShow();
    w.show();
    QTest::keyClick(w.tb, Qt::Key_PageUp, Qt::ControlModifier);
    w.Button1->click();
    for (int i = 1; i < w.tb->Table().LineCount(); ++i)
      QTest::keyClick(w.tb, Qt::Key_Down);
    w.Button1->click();
    Shown shown; // the final message carries a warning
    w.kCh->click();
    ASSERT_EQ(shown.All.size(), 1u);
    w.close();
  }
  std::unique_ptr<TfHistory> Open() {
    auto h = std::make_unique<TfHistory>(nullptr);
    h->FormShow();
    h->show();
    return h;
  }
  static std::string Os(const std::string& alias) { return sysio::OsPath(GetRealName(alias)); }
  // The row of the history's change batch.
  static int ChangeRow(TfHistory& h) {
    for (int i = 0; i < h.List().BatchCount(); ++i) {
      h.ChooseBatch(i);
      if (h.List().Batch() && h.List().Batch()->Kind == "change") return i;
    }
    return -1;
  }
  // Answers the next message box with its default button; returns its text (and a screenshot).
  static void AnswerBox(QString& said, const std::string& shot, bool yes = true) {
    WhenModal([&said, shot, yes](QWidget* w) {
      auto* box = static_cast<QMessageBox*>(w);
      said = box->text();
      SaveShot(box, shot);
      if (yes)
        box->defaultButton()->click();
      else
        box->reject();
    });
  }
};

} // namespace

TEST_F(HistoryWindow, UndoRestoresTheBytesAndListsTheObjectChangedSince) {
  const TFiles before = Files();
  ChangeAll();
  std::unique_ptr<TfHistory> h = Open();
  ASSERT_EQ(h->Batches->rowCount(), 1);
  const TBatchInfo b = *h->List().Batch();
  std::vector<const TBatchEntry*> changed;
  for (const TBatchEntry& e : b.Objects)
    if (e.Result == "changed" || e.Result == "changed-with-warning") changed.push_back(&e);
  ASSERT_GE(changed.size(), 2u);
  EXPECT_EQ(h->Objects->rowCount(), static_cast<int>(b.Objects.size()));
  EXPECT_TRUE(h->kUndo->isEnabled());
  SaveShot(h.get(), "history-window");
  // One object is edited between the change and the undo.
  const TBatchEntry& victim = *changed.back();
  const std::string changedBytes = ReadAll(Os(victim.File));
  const std::string edited = changedBytes + "edited";
  WriteAll(Os(victim.File), edited);

  QString asked;
  AnswerBox(asked, "history-confirm");
  Shown shown;
  h->kUndo->click();
  EXPECT_TRUE(asked.contains(ToQString("(" + std::to_string(changed.size()) + ")")))
      << asked.toStdString();
  ASSERT_EQ(shown.All.size(), 1u) << "a refusal is a warning";
  const std::string& text = shown.All[0].Text;
  EXPECT_NE(
      text.find("Восстановлено объектов: " + std::to_string(changed.size() - 1) + ", отказано: 1"),
      std::string::npos)
      << text;
  EXPECT_NE(text.find("#" + std::to_string(victim.Number) + " (" + victim.File +
                      "): файл изменен после пакета"),
            std::string::npos)
      << text;
  TFiles after = Files();
  const std::string victimRel = fs::relative(Os(victim.File), Root).string();
  EXPECT_EQ(after[victimRel], edited) << "the refused object is kept";
  const std::string listRel = fs::relative(Os(b.List), Root).string();
  for (const auto& [rel, bytes] : before)
    if (rel != victimRel && rel != listRel) {
      EXPECT_TRUE(after[rel] == bytes) << rel;
    }

  // With the changed bytes back, the marked object alone is undone: the whole suite is as
  // it was before the change, the list file included.
  WriteAll(Os(victim.File), changedBytes);
  int row = ChangeRow(*h);
  ASSERT_GE(row, 0);
  EXPECT_EQ(h->List().BatchCells(row)[8], "отменен частично");
  for (int i = 0; i < h->Objects->rowCount(); ++i)
    if (h->List().ObjectCells(i)[0] == std::to_string(victim.Number))
      h->Objects->item(i, 0)->setCheckState(Qt::Checked);
  ASSERT_EQ(h->Marked().size(), 1u);
  QString again, done;
  h->AskConfirm = [&again](const std::string& t) {
    again = ToQString(t);
    return true;
  };
  AnswerBox(done, "history-undone");
  h->kUndo->click();
  EXPECT_TRUE(again.contains(ToQString("(1)"))) << again.toStdString();
  EXPECT_TRUE(done.contains(ToQString("Восстановлено объектов: 1, отказано: 0")))
      << done.toStdString();
  EXPECT_TRUE(Files() == before) << "every object file and the list file byte for byte";
  row = ChangeRow(*h);
  EXPECT_EQ(h->List().BatchCells(row)[8], "отменен");
  EXPECT_FALSE(h->kUndo->isEnabled()) << "nothing left to undo";
}

TEST_F(HistoryWindow, ALockedSuiteIsOnlyShownAndTheUndoRefusedPolitely) {
  ChangeAll();
  const TFiles before = Files();
  TLockHolder other(GetDirCfg());
  ASSERT_TRUE(other.Acquired());
  std::unique_ptr<TfHistory> h = Open();
  EXPECT_TRUE(h->ReadOnly());
  EXPECT_TRUE(h->Heading->isVisible());
  EXPECT_TRUE(h->Heading->text().startsWith(ToQString("Только просмотр")));
  EXPECT_FALSE(h->kUndo->isEnabled());
  EXPECT_TRUE(h->kReport->isEnabled()) << "the report only reads";
  Shown shown;
  h->kUndoClick();
  ASSERT_EQ(shown.All.size(), 1u);
  EXPECT_NE(shown.All[0].Text.find("отмена изменений недоступна"), std::string::npos);
  EXPECT_TRUE(Files() == before);
}

TEST_F(HistoryWindow, ReportIsSavedAsPdfCsvAndHtmlHoldingTheObjectNumbers) {
  ChangeAll();
  IFaceLang = elg_Ukr;
  std::unique_ptr<TfHistory> h = Open();
  EXPECT_TRUE(OtherLanguage(WidgetTexts(h.get()), false).empty());
  EXPECT_EQ(h->kUndo->text(), ToQString("Скасувати зміни"));
  SaveShot(h.get(), "history-window-ukr");
  QString asked;
  AnswerBox(asked, "history-confirm-ukr", false);
  const TFiles before = Files();
  h->kUndo->click();
  EXPECT_TRUE(asked.startsWith(ToQString("Скасувати зміни пакета від "))) << asked.toStdString();
  EXPECT_TRUE(Files() == before) << "declined: nothing undone";

  const std::string pdf = Dir / "report.pdf", csv = Dir / "report.csv", html = Dir / "report.htm";
  for (const std::string& p : {pdf, csv, html})
    h->SaveReport(QString::fromStdString(p));
  const std::string bytes = ReadAll(pdf);
  ASSERT_GT(bytes.size(), 2000u);
  EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
  std::string printed = h->ReportDocument()->toPlainText().toStdString(), pdfText;
  if (FILE* p = ::popen(("pdftotext -layout '" + pdf + "' - 2>/dev/null").c_str(), "r")) {
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
      pdfText.append(buf, n);
    ::pclose(p);
  }
  EXPECT_NE(pdfText.find(h->List().Batch()->Id), std::string::npos)
      << "pdftotext (poppler-utils) reads the page:\n"
      << pdfText;
  for (const TBatchEntry& e : h->List().Batch()->Objects) {
    const std::string n = std::to_string(e.Number);
    EXPECT_NE(printed.find(n), std::string::npos) << n;
    EXPECT_NE(pdfText.find(n), std::string::npos) << n;
    EXPECT_NE(ReadAll(csv).find("\n" + n + ","), std::string::npos) << n;
    EXPECT_NE(ReadAll(html).find("<td>" + n + "</td>"), std::string::npos) << n;
  }
  EXPECT_NE(ReadAll(csv).find(Utf8FromCp1251("Користувач")), std::string::npos);
}
