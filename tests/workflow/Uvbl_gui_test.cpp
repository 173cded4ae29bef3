// The object list window on the demo suite: line colours, the selection filter, the batch change
// and its final message, Esc, a suite locked by another process, and bad input.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <cstring>
#include <filesystem>
#include <map>

#include "base/QtText.h"
#include "messages/Msgcat.h"
#include "paths/Dpath.h"
#include "paths/Rdwr_cfg.h"
#include "controls/Uzlangbox.h"
#include "storage/Dsfile.h"
#include "storage/Dutilfile.h"
#include "storage/Dwfile.h"
#include "tests/support/LockHolder.h"
#include "tests/support_gui/Guisupport.h"
#include "tests/workflow/WorkflowFixture.h"
#include "workflow/Uvbl.h"
#include "workflow/Uvbl_compare.h"

namespace {
namespace fs = std::filesystem;

using TFiles = std::map<std::string, std::string>;

bool IsOld(TDemoCase c) {
  return c != TDemoCase::New && c != TDemoCase::UserChanged && c != TDemoCase::Damaged &&
         c != TDemoCase::Missing;
}

// What the window's cell event left on the canvas when a line was drawn.
struct TPainted {
  std::map<int, TColor> Color;
  std::map<int, std::string> Kind; // column 1 of a project list
};

class VblWindow : public TSuiteFixture {
protected:
  // Opens the list window with Russian documents and shows it; its texts in lang.
  std::unique_ptr<TfVbl> Open(uint8_t typeSub, uint8_t typeBn = 0, ELang lang = elg_Rus) {
    if (!Session) Start();
    InstallMsgCatalogue(); // as the program does at start
    Cfg[CfgDocRussian] = 1;
    IFaceLang = lang;
    auto w = std::make_unique<TfVbl>(nullptr, typeSub, typeBn, true);
    DefaultAsk = w->AskConfirm;
    w->AskConfirm = [](const std::string&) { return true; }; // the change is confirmed
    w->FormShow();
    w->show();
    return w;
  }
  // A 32-bit word of a line's list record.
  static uint32_t Word(TfVbl& w, int line, int offset) {
    WRec rec;
    w.tb->Table().ReadRecord(line, &rec, trOther);
    uint32_t v;
    std::memcpy(&v, rec.Data + offset, 4);
    return v;
  }
  // The demo case and construction kind of a line, from its object number.
  static TDemoCase CaseAt(TfVbl& w, int line, int* kind = nullptr) {
    uint32_t number = Word(w, line, 0);
    for (int i = 0; i < 10; ++i) {
      bool blocks = !w.List().Info().Projects();
      uint32_t n = DemoObjectNumber(i) + (blocks ? 100u * w.List().Info().TypeBn : 0);
      if (n != number) continue;
      if (kind) *kind = (i + w.List().Info().TypeSub) % 4;
      return blocks ? DemoBlockCase(i) : DemoProjectCase(i);
    }
    ADD_FAILURE() << "no demo object " << number;
    return TDemoCase::Missing;
  }
  static bool Marked(TfVbl& w, int line) {
    return (w.tb->Table().GetIndex(line, false)->Flags & kIdxMarked) != 0;
  }
  // Marks lines first..last with the selection button and the arrow keys.
  static void Select(TfVbl& w, int first, int last) {
    QTest::keyClick(w.tb, Qt::Key_PageUp, Qt::ControlModifier);
    for (int i = 0; i < first; ++i)
      QTest::keyClick(w.tb, Qt::Key_Down);
    w.Button1->click();
    for (int i = first; i < last; ++i)
      QTest::keyClick(w.tb, Qt::Key_Down);
    w.Button1->click();
  }
  // Records the colour and column 1 of every line the window paints.
  static TPainted Paint(TfVbl& w) {
    TPainted p;
    TZTable& t = w.tb->Table();
    auto inner = t.TabOnOutRk;
    t.TabOnOutRk = [&p, inner](TZTable* s, int col, int row, std::string& buf, TypeField& tf,
                               TypeOut& to, TListFields* lf, TZCell* c, int h, TRect r,
                               TCanvas* can, int& ks, uint8_t& hor) {
      int rc = inner(s, col, row, buf, tf, to, lf, c, h, r, can, ks, hor);
      p.Color[row] = can->Font().Color;
      if (col == 1) p.Kind[row] = buf;
      return rc;
    };
    w.tb->grab();
    t.TabOnOutRk = inner;
    return p;
  }
  // Every file of the suite but the program's own (reference copy, work file, lock).
  TFiles Files() {
    TFiles out;
    for (const auto& e : fs::recursive_directory_iterator(Root)) {
      std::string rel = fs::relative(e.path(), Root).string();
      if (!e.is_regular_file() || rel.rfind("RAB/", 0) == 0 || rel == "oldnew145.bn" ||
          rel == "CFG/ravinel.lock")
        continue;
      out[rel] = ReadAll(e.path().string());
    }
    return out;
  }
  std::string ObjectPath(TfVbl& w, int line) {
    WRec rec;
    w.tb->Table().ReadRecord(line, &rec, trOther);
    TObjLine l = ObjectLineOf(w.List().Info(), ListLineFields(w.List().Info()), &rec, 1);
    return GetRealName(l.File);
  }
  void TearDown() override {
    Cfg[CfgDocRussian] = 1;
    TSuiteFixture::TearDown();
  }
  std::function<bool(const std::string&)> DefaultAsk; // the window's own question box
};

} // namespace

TEST_F(VblWindow, EachLineIsColouredByItsStateAndShowsItsKind) {
  std::unique_ptr<TfVbl> w = Open(1);
  TZTable& t = w->tb->Table();
  ASSERT_EQ(t.LineCount(), 10);
  TPainted p = Paint(*w);
  ASSERT_EQ(p.Color.size(), 10u) << "every line is drawn";
  const std::map<TDemoCase, TColor> colour = {{TDemoCase::Missing, kColorMissing},
                                              {TDemoCase::New, kColorReplaced},
                                              {TDemoCase::Damaged, kColorUnreadable},
                                              {TDemoCase::UserChanged, kColorUserChanged}};
  const char* letters[] = {"", "П", "Р", "Ж"};
  for (int i = 0; i < 10; ++i) {
    int kind = 0;
    TDemoCase c = CaseAt(*w, i, &kind);
    if (IsOld(c)) {
      for (const auto& [notThis, stateColour] : colour)
        EXPECT_NE(p.Color[i], stateColour) << "line " << i;
    } else {
      EXPECT_EQ(p.Color[i], colour.at(c)) << "line " << i;
    }
    EXPECT_EQ(p.Kind[i], letters[kind]) << "line " << i;
  }
  for (int i = 0; i < kLegendCount; ++i)
    EXPECT_TRUE(w->Lb[i]->isVisible()) << "legend " << i;
  SaveShot(w.get(), "list-window");
}

TEST_F(VblWindow, FinishedSelectionKeepsOnlyReplaceableLines) {
  std::unique_ptr<TfVbl> w = Open(1);
  int lines = w->tb->Table().LineCount();
  // The smallest range of lines that holds states 1, 2, 4 and 8, and one without state 2.
  int first = -1, last = -1, noOld = -1;
  for (int i = 0; i < lines; ++i) {
    TDemoCase c = CaseAt(*w, i);
    if (c == TDemoCase::UserChanged || c == TDemoCase::Missing || c == TDemoCase::New) {
      if (first < 0) first = i;
      last = i;
    }
    if (i > 0 && !IsOld(c) && !IsOld(CaseAt(*w, i - 1))) noOld = i;
  }
  ASSERT_TRUE(first >= 0 && last > first && noOld > 0);
  EXPECT_FALSE(w->kCh->isEnabled());
  Select(*w, first, last);
  int kept = 0;
  for (int i = 0; i < lines; ++i) {
    bool inRange = i >= first && i <= last;
    EXPECT_EQ(Marked(*w, i), inRange && IsOld(CaseAt(*w, i))) << "line " << i;
    kept += Marked(*w, i);
  }
  EXPECT_GT(kept, 0);
  EXPECT_EQ(w->tb->Table().MarkedCount(), kept);
  EXPECT_TRUE(w->kCh->isEnabled());
  w->kRes->click();
  EXPECT_FALSE(w->kCh->isEnabled());
  Select(*w, noOld - 1, noOld);
  EXPECT_EQ(w->tb->Table().MarkedCount(), 0);
  EXPECT_FALSE(w->kCh->isEnabled());
}

TEST_F(VblWindow, ChangeTurnsLinesGreenAndReportsTheWarningWithItsProtocol) {
  std::unique_ptr<TfVbl> w = Open(1, 0, elg_Rus);
  int lines = w->tb->Table().LineCount();
  Select(*w, 0, lines - 1);
  ASSERT_TRUE(w->kCh->isEnabled());
  Shown shown;
  w->kCh->click();
  ASSERT_EQ(shown.All.size(), 1u);
  const TMsgRequest& m = shown.All[0];
  EXPECT_NE(m.Text.find("Обработка выделенных файлов закончена"), std::string::npos) << m.Text;
  EXPECT_NE(m.Text.find("Изменено объектов: 6, из них с предупреждениями: 1"), std::string::npos)
      << m.Text;
  ASSERT_TRUE(m.Log);
  ASSERT_TRUE(fs::exists(m.ErrLog)) << m.ErrLog;
  EXPECT_NE(ReadAll(m.ErrLog).find("Объект 18, файл LSS#18.arr: предупреждение: информационная "
                                   "запись в группе 149 длиной 12345 байт, а не 19500"),
            std::string::npos)
      << ReadAll(m.ErrLog);
  // Its bytes: the new calculation (green below) and flags, the information record as it was,
  // the file not compressed.
  std::string path = Root + "/LSS/18.arr";
  {
    WFile f(path);
    WRec rec;
    f.WOpen_file(149);
    ASSERT_TRUE(f.WRead(&rec));
    EXPECT_EQ(rec.Len, 12345);
  }
  EXPECT_GT(def_unused(path), 0);
  TPainted p = Paint(*w);
  for (int i = 0; i < lines; ++i) {
    TDemoCase c = CaseAt(*w, i);
    bool changed = IsOld(c);
    EXPECT_EQ((Word(*w, i, 5) & kChangedFlags) == kChangedFlags, changed) << i;
    if (changed || c == TDemoCase::New) {
      EXPECT_EQ(p.Color[i], kColorReplaced) << "line " << i;
    }
    EXPECT_FALSE(Marked(*w, i));
  }
  EXPECT_EQ(w->tb->Table().MarkedCount(), 0);
  EXPECT_FALSE(w->kCh->isEnabled());
}

TEST_F(VblWindow, AProtocolThatCannotBeWrittenIsToldWithTheCountsAndTheListIsCheckedAgain) {
  std::unique_ptr<TfVbl> w = Open(1);
  fs::remove_all(Root + "/LOG");
  WriteAll(Root + "/LOG", "a file where the protocol folder was");
  Select(*w, 0, w->tb->Table().LineCount() - 1);
  Shown shown;
  w->kCh->click();
  ASSERT_EQ(shown.All.size(), 1u);
  const std::string& text = shown.All[0].Text;
  EXPECT_NE(text.find("Изменено объектов: 6, из них с предупреждениями: 1"), std::string::npos)
      << text;
  EXPECT_NE(text.find("Протокол ошибок не записан"), std::string::npos) << text;
  EXPECT_EQ(w->tb->Table().MarkedCount(), 0);
  EXPECT_FALSE(w->kCh->isEnabled());
}

TEST_F(VblWindow, BlocksChangeWithoutTouchingTheListAndEscCloses) {
  std::unique_ptr<TfVbl> w = Open(5, 2);
  EXPECT_EQ(w->windowTitle(), ToQString("Список блоков настроек \x97 Ремонтные работы на "
                                        "предприятиях Минпромполитики Украины"));
  EXPECT_EQ(w->ZText1->Text(1), "Выделите нужные блоки настройки и нажмите кнопку \"Изменить\"");
  EXPECT_TRUE(w->ZText1->Font(1).Style & fsBold);
  std::string list = ReadAll(Root + "/LBN/AdmBn.rus");
  Select(*w, 0, w->tb->Table().LineCount() - 1);
  QString said;
  WhenModal([&](QWidget* box) {
    said = static_cast<QMessageBox*>(box)->text();
    static_cast<QMessageBox*>(box)->accept();
  });
  w->kCh->click();
  EXPECT_TRUE(said.startsWith(ToQString("Обработка выделенных файлов закончена")));
  EXPECT_TRUE(said.contains(ToQString("Изменено объектов: 2"))) << said.toStdString();
  EXPECT_EQ(ReadAll(Root + "/LBN/AdmBn.rus"), list);
  TPainted p = Paint(*w);
  for (int i = 0; i < w->tb->Table().LineCount(); ++i)
    if (IsOld(CaseAt(*w, i))) {
      EXPECT_EQ(p.Color[i], kColorReplaced) << "line " << i;
    }
  ASSERT_TRUE(w->isVisible());
  QTest::keyClick(w->tb, Qt::Key_Escape);
  EXPECT_FALSE(w->isVisible());
}

TEST_F(VblWindow, ListOfASuiteLockedByAnotherProcessIsReadOnly) {
  Start();
  TLockHolder other(GetDirCfg());
  ASSERT_TRUE(other.Acquired());
  TFiles before = Files();
  {
    Shown shown;
    std::unique_ptr<TfVbl> w = Open(1);
    EXPECT_TRUE(shown.All.empty()) << "the heading tells it, no message on top";
    EXPECT_TRUE(w->ReadOnly());
    // The heading: read-only, and who holds the suite (user, computer, since when, process).
    EXPECT_EQ(w->ZText1->Text(1), "Только просмотр: выделение и изменение недоступны");
    const std::string holder = w->ZText1->Text(2);
    EXPECT_EQ(holder.rfind("Данные комплекса изменяет пользователь ", 0), 0u) << holder;
    for (const std::string& part : {std::string(" на компьютере "), std::string(" с 20"),
                                    "(процесс " + std::to_string(other.Pid()) + ")"})
      EXPECT_NE(holder.find(part), std::string::npos) << holder;
    EXPECT_EQ(TPainted(Paint(*w)).Color.size(), 10u) << "the list is shown and checked";
    SaveShot(w.get(), "list-window-read-only");
    Select(*w, 0, w->tb->Table().LineCount() - 1);
    EXPECT_EQ(w->tb->Table().MarkedCount(), 0) << "no selection";
    for (QPushButton* b : {w->kCh, w->Button1, w->kCan, w->kRes})
      EXPECT_FALSE(b->isEnabled());
    w->kChClick();
    EXPECT_TRUE(shown.All.empty());
  }
  EXPECT_EQ(Files(), before);
  EXPECT_EQ(other.End(), 0);
  // Once free, the suite is this session's from the list's show to its close.
  Shown none;
  {
    std::unique_ptr<TfVbl> w = Open(1);
    EXPECT_FALSE(w->ReadOnly());
    EXPECT_FALSE(TLockHolder(GetDirCfg()).Acquired()) << "an open list holds the suite";
    w->close();
    EXPECT_TRUE(TLockHolder(GetDirCfg()).Acquired()) << "a closed list lets it go";
  }
  EXPECT_TRUE(none.All.empty());
}

TEST_F(VblWindow, BadListsAreReportedAndTheProgramGoesOn) {
  Start();
  fs::remove(Root + "/LSS/AdmSs.rus");
  WriteAll(Root + "/LDC/AdmDc.rus", "not a record file at all");
  TFiles before = Files();
  for (uint8_t typeSub : {1, 2}) {
    Shown shown;
    OpenObjectList(nullptr, typeSub, 0, true);
    ASSERT_EQ(shown.All.size(), 1u) << int(typeSub);
    EXPECT_EQ(shown.All[0].Mode, TMsgMode::Error);
  }
  EXPECT_EQ(Files(), before);
  // A later list opens and may be changed: the failed ones left no lock and no open file.
  Shown none;
  std::unique_ptr<TfVbl> w = Open(3);
  EXPECT_FALSE(w->ReadOnly());
  EXPECT_GT(w->tb->Table().LineCount(), 0);
  EXPECT_TRUE(none.All.empty());
}

TEST_F(VblWindow, DamagedScreenIsReportedAndNoListOpens) {
  uint32_t adr = 0;
  {
    WFile boib(Root + "/CFG/Boib.sfr");
    WRec rec;
    boib.WOpen_file(222);
    ASSERT_TRUE(boib.WRead(&rec));
    adr = boib.LastAdr;
  }
  {
    SFile raw(Root + "/CFG/Boib.sfr", fmUpdate);
    raw.Seek(adr + 5);
    raw.SWrite("\xFF\xFF", 2); // a record longer than any buffer
  }
  Start();
  TFiles before = Files();
  {
    Shown shown;
    OpenObjectList(nullptr, 1, 0, true);
    ASSERT_GE(shown.All.size(), 1u);
    EXPECT_EQ(shown.All[0].Mode, TMsgMode::Error);
  }
  EXPECT_EQ(Files(), before);
  Shown none;
  EXPECT_GT(Open(5, 0)->tb->Table().LineCount(), 0) << "screen 210 is intact";
}

TEST_F(VblWindow, UnreadableObjectAndShortListRecordSpoilOnlyTheirLine) {
  // The list record of project 5 cut short behind its flag word; project 12's file is garbage.
  {
    WFile list(Root + "/LSS/AdmSs.rus");
    std::vector<std::string> recs;
    WRec rec;
    list.WOpen_file(1);
    while (list.WRead(&rec))
      recs.emplace_back(rec.Data, rec.Len);
    list.WCreat_file(1);
    for (std::string& r : recs) {
      if (r.compare(0, 4, std::string("\x05\0\0\0", 4)) == 0) r.resize(9);
      list.WWrite(0, static_cast<unsigned short>(r.size()), r.data());
    }
    list.WClose_file(1);
  }
  std::unique_ptr<TfVbl> w = Open(1);
  int lines = w->tb->Table().LineCount(), cut = -1, bad = -1;
  for (int i = 0; i < lines; ++i) {
    if (Word(*w, i, 0) == 5) cut = i;
    if (Word(*w, i, 0) == 12) bad = i;
  }
  ASSERT_TRUE(cut >= 0 && bad >= 0);
  std::string badFile = ObjectPath(*w, bad);
  WriteAll(badFile, "garbage");
  w.reset();
  w = Open(1);
  EXPECT_EQ(Paint(*w).Color[bad], kColorUnreadable);
  Select(*w, 0, lines - 1);
  EXPECT_FALSE(Marked(*w, bad));
  std::string cutFile = ObjectPath(*w, cut), cutBytes = ReadAll(cutFile);
  Shown shown;
  w->kChClick();
  ASSERT_EQ(shown.All.size(), 1u);
  EXPECT_NE(
      shown.All[0].Text.find("Изменено объектов: 4, из них с предупреждениями: 1, с ошибками: 1"),
      std::string::npos)
      << shown.All[0].Text;
  EXPECT_NE(ReadAll(shown.All[0].ErrLog).find("Объект 5,"), std::string::npos);
  EXPECT_EQ(ReadAll(cutFile), cutBytes) << "its object is left as it was";
  EXPECT_EQ(ReadAll(badFile), "garbage");
  EXPECT_EQ(w->tb->Table().MarkedCount(), 0);
}

// A stop asked between two objects ends the batch there: the objects done keep their change and
// are reported, the marked objects after them are not touched.
TEST_F(VblWindow, AStoppedChangeKeepsWhatWasDoneAndTouchesNothingAfter) {
  std::unique_ptr<TfVbl> w = Open(1);
  const int lines = w->tb->Table().LineCount();
  Select(*w, 0, lines - 1);
  ASSERT_GT(w->tb->Table().MarkedCount(), 3);
  std::vector<int> marked;
  for (int i = 0; i < lines; ++i)
    if (Marked(*w, i)) marked.push_back(i);
  std::vector<std::string> before;
  for (int line : marked)
    before.push_back(ReadAll(ObjectPath(*w, line)));
  TBatchReport r =
      w->List().ChangeMarked([](size_t done, size_t, const std::string&) { return done < 2; });
  EXPECT_TRUE(r.Stopped);
  EXPECT_EQ(r.Changed + r.Unchanged + r.Missing + r.Failed, 2);
  EXPECT_EQ(r.Changed, 2);
  for (size_t k = 0; k < marked.size(); ++k) {
    bool done = k < 2;
    EXPECT_EQ(ReadAll(ObjectPath(*w, marked[k])) != before[k], done) << "line " << marked[k];
    EXPECT_EQ((Word(*w, marked[k], 5) & kChangedFlags) == kChangedFlags, done)
        << "line " << marked[k];
  }
}

TEST_F(VblWindow, ReopensWithTheSizeAndPlaceTheUserGaveIt) {
  {
    std::unique_ptr<TfVbl> w = Open(1);
    // Within the offscreen screen (800 x 600), which a newer Qt fits a restored window to, and
    // wider than the window at its smallest.
    w->setGeometry(4, 50, 790, 455);
    w->close();
  }
  std::unique_ptr<TfVbl> again = Open(1);
  EXPECT_EQ(again->size(), QSize(790, 455));
  again->resize(900, 600);
  again->close();
}

// Screen readers read the current line's cells through the table's accessible interface, the
// heading and the legend through their names.
TEST_F(VblWindow, TheCurrentLineAndTheTextsAreReadableByScreenReaders) {
  std::unique_ptr<TfVbl> w = Open(1);
  QTest::keyClick(w->tb, Qt::Key_PageUp, Qt::ControlModifier);
  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(w->tb);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->role(), QAccessible::Table);
  std::vector<std::string> cells = w->tb->Table().LineTexts(w->tb->Table().CurrentLine());
  ASSERT_EQ(table->childCount(), static_cast<int>(cells.size()));
  const std::string first = "Стройка " + std::to_string(Word(*w, 0, 0)) + " (жилой дом)";
  bool named = false;
  for (int i = 0; i < table->childCount(); ++i)
    named = named || FromQString(table->child(i)->text(QAccessible::Name)) == first;
  EXPECT_TRUE(named) << table->text(QAccessible::Name).toStdString();
  QTest::keyClick(w->tb, Qt::Key_Down);
  EXPECT_NE(FromQString(table->text(QAccessible::Name))
                .find("Стройка " + std::to_string(Word(*w, 1, 0)) + " "),
            std::string::npos)
      << "the next line once moved";
  EXPECT_EQ(FromQString(QAccessible::queryAccessibleInterface(w->ZText1)->text(QAccessible::Name)),
            w->ZText1->Text(1));
  EXPECT_EQ(FromQString(w->Lb[1]->accessibleName()),
            "Зеленый цвет - замена расчета П145 уже выполнена");
}

// The status line counts the objects, the replaceable and the marked ones as a selection goes;
// "Изменить" asks once, naming the count and the list, and a "no" changes nothing.
TEST_F(VblWindow, CountsFollowASelectionAndTheChangeAsksFirst) {
  std::unique_ptr<TfVbl> w = Open(1);
  TZTable& t = w->tb->Table();
  const int lines = t.LineCount();
  int old = 0;
  for (int i = 0; i < lines; ++i)
    old += IsOld(CaseAt(*w, i));
  ASSERT_GT(old, 2);
  auto counts = [&] {
    QApplication::processEvents();
    return FromQString(w->Counts->text());
  };
  EXPECT_EQ(counts(), CountsText({lines, old, 0}));
  EXPECT_NE(counts().find("Объектов: " + std::to_string(lines)), std::string::npos) << counts();
  Select(*w, 0, lines - 1);
  EXPECT_EQ(counts(), CountsText({lines, old, old}));
  TFiles before = Files();
  std::string asked;
  WhenModal([&](QWidget* box) {
    auto* b = static_cast<QMessageBox*>(box);
    asked = FromQString(b->text());
    for (QAbstractButton* k : b->buttons())
      if (b->buttonRole(k) == QMessageBox::RejectRole) k->click();
  });
  w->AskConfirm = DefaultAsk;
  w->kCh->click();
  EXPECT_EQ(asked, "Заменить расчет П145 у выделенных объектов (" + std::to_string(old) +
                       ") списка \"Сметные документы\"?");
  EXPECT_EQ(Files(), before);
  EXPECT_EQ(t.MarkedCount(), old);
  w->kRes->click();
  EXPECT_EQ(counts(), CountsText({lines, old, 0}));
}

// The comparison of a replaceable and of a user-changed object with the new reference marks the
// lines that differ; the window shows just those highlighted.
TEST_F(VblWindow, TheComparisonShowsTheDifferingLines) {
  std::unique_ptr<TfVbl> w = Open(1);
  TZTable& t = w->tb->Table();
  std::map<TSurveyMatch, int> seen;
  QTest::keyClick(w->tb, Qt::Key_PageUp, Qt::ControlModifier);
  for (int i = 0; i < t.LineCount(); ++i) {
    if (i > 0) QTest::keyClick(w->tb, Qt::Key_Down);
    ASSERT_EQ(t.CurrentLine(), i);
    TDemoCase c = CaseAt(*w, i);
    if (!IsOld(c) && c != TDemoCase::UserChanged) continue;
    TCalcComparison cmp;
    ASSERT_TRUE(w->List().CompareCurrent(cmp));
    EXPECT_EQ(cmp.Match, IsOld(c) ? TSurveyMatch::Old : TSurveyMatch::Neither) << "line " << i;
    EXPECT_TRUE(cmp.Fault.empty()) << cmp.Fault;
    int differs = 0, results = 0;
    for (const TCompareRow& r : cmp.Rows) {
      differs += r.Differs;
      results += r.Result;
      EXPECT_EQ(r.Differs, r.Object != r.Reference);
      EXPECT_FALSE(r.Reference.empty() && r.Object.empty());
    }
    EXPECT_GT(differs, 0) << "line " << i;
    EXPECT_GT(results, 0);
    TfCompare view(w.get(), cmp);
    EXPECT_EQ(view.DifferingRows(), differs);
    EXPECT_NE(FromQString(view.Verdict->text()).find(cmp.Object), std::string::npos);
    if (seen[cmp.Match]++ == 0) {
      view.show();
      QTest::qWait(50); // the rows take their heights once the columns are laid out
      SaveShot(&view, cmp.Match == TSurveyMatch::Old ? "compare-replaceable" : "compare-user");
    }
  }
  EXPECT_GT(seen[TSurveyMatch::Old], 0);
  EXPECT_GT(seen[TSurveyMatch::Neither], 0);
}

// The progress of a change names each object as it comes, in the order of the marked lines.
TEST_F(VblWindow, TheProgressNamesTheObjectBeingChanged) {
  std::unique_ptr<TfVbl> w = Open(1);
  Select(*w, 0, w->tb->Table().LineCount() - 1);
  const std::vector<std::string> marked = w->List().MarkedObjects();
  ASSERT_GT(marked.size(), 2u);
  std::vector<std::string> told;
  w->List().ChangeMarked([&](size_t done, size_t total, const std::string& object) {
    EXPECT_EQ(total, marked.size());
    EXPECT_EQ(done, told.size());
    told.push_back(ProgressText(done, total, object, 0));
    return true;
  });
  ASSERT_EQ(told.size(), marked.size());
  for (size_t k = 0; k < told.size(); ++k)
    EXPECT_EQ(told[k], "Замена расчета П145: " + std::to_string(k + 1) + " из " +
                           std::to_string(marked.size()) + " \x97 " + marked[k]);
}
