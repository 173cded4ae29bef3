// Menus and captions of forms from the demo suite's description file: CreatCaption, SetTextLang,
// built menus of both kinds reaching a key sink, the item switches; a screenshot of both.
#include <gtest/gtest.h>

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include "base/QtText.h"
#include "base/Scale.h"
#include "table/QtZtable.h"
#include "tests/table/TableFixture.h"
#include "controls/Ztext.h"
#include "messages/Utmenu.h"
#include "tests/support/MenuSuite.h"
#include "tests/support_gui/Guisupport.h"

namespace {

// The texts shown end with the warning (the catalogue may put its heading in front).
bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string Text(const QAction* a) {
  return FromQString(a->text());
}

// A designed form: caption, a named main menu with named items.
struct TDesigned {
  QWidget Form;
  QMenuBar* Bar;
  explicit TDesigned(const char* caption) : Bar(new QMenuBar(&Form)) {
    Form.setWindowTitle(ToQString(caption));
    Bar->setObjectName("MainMenu");
  }
  QAction* Add(const char* name, const char* caption) {
    QAction* a = Bar->addAction(ToQString(caption));
    a->setObjectName(name);
    return a;
  }
};

struct TypeSubGuard {
  unsigned char Saved = TypeSub;
  explicit TypeSubGuard(unsigned char t) { TypeSub = t; }
  ~TypeSubGuard() { TypeSub = Saved; }
};

TEST(CreatCaption, FormKeyGivesTitleHelpAndCaptionsOtherFormsStayAsDesigned) {
  TMenuSuite suite(0); // Ukrainian interface
  {
    TDesigned plain("Окно");
    QAction* a = plain.Add("aOne", "Как задумано");
    CreatCaption(&plain.Form, " x");
    EXPECT_EQ(FromQString(plain.Form.windowTitle()), "Окно");
    EXPECT_EQ(Text(a), "Как задумано");
    EXPECT_FALSE(plain.Form.property("HelpContext").isValid());
  }
  {
    TypeSubGuard t(0);
    TDesigned f(" Ф119 ");
    QAction* a = f.Add("aOne", "?");
    CreatCaption(&f.Form, "");
    EXPECT_EQ(FromQString(f.Form.windowTitle()), "Ф119-0");
    EXPECT_EQ(Text(a), "Пункт один");
    EXPECT_EQ(a->shortcut(), QKeySequence(Qt::Key_F2));
    EXPECT_FALSE(f.Form.property("HelpContext").isValid()); // the table has no entry for 0
  }
  {
    TypeSubGuard t(2);
    TDesigned f("Ф119");
    CreatCaption(&f.Form, "");
    EXPECT_EQ(FromQString(f.Form.windowTitle()), "Договірна цінаФ119-2");
    EXPECT_EQ(f.Form.property("HelpContext").toInt(), 1192);
  }
  {
    // Asked to scale: the form and its multi-line labels get "Arial", the labels' sizes scaled.
    IsScale = true;
    NewScr = 2 * OldScr;
    TDesigned f("Ф118");
    auto* label = new TZText(&f.Form);
    label->setGeometry(10, 10, 50, 20);
    const int size = label->Font(1).Size;
    CreatCaption(&f.Form, "");
    IsScale = false;
    NewScr = OldScr;
    EXPECT_EQ(label->Font(1).Name, "Arial");
    EXPECT_EQ(label->Font(1).Size, 2 * size);
    EXPECT_EQ(label->width(), 100);
    EXPECT_EQ(f.Form.font().family(), "Arial");
  }
  EXPECT_TRUE(suite.Shown.empty());
}

TEST(TMnu, SetTextLangCaptionsDescribedItemsAndFallsBackToThePositionKey) {
  TMenuSuite suite;
  TDesigned f("Ф119");
  QAction* one = f.Add("aOne", "1");
  QAction* two = f.Add("bTwo", "2");
  QAction* other = f.Add("cOther", "Как задумано");
  TMnu mnu;
  EXPECT_TRUE(mnu.SetTextLang("Ф119", &f.Form, 1));
  EXPECT_EQ(Text(one), "Пункт один");
  EXPECT_EQ(Text(two), "Пункт два"); // no text 1: the key "N0001" of its sorted position
  EXPECT_EQ(two->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F3));
  EXPECT_EQ(Text(other), "Как задумано");
  EXPECT_TRUE(suite.Shown.empty());
  delete other;
  EXPECT_FALSE(mnu.SetTextLang("Ф119", &f.Form, 0));
  // A form with an unnamed menu is left alone.
  f.Bar->setObjectName("");
  one->setText("1");
  EXPECT_FALSE(mnu.SetTextLang("Ф119", &f.Form, 1));
  EXPECT_EQ(Text(one), "1");
}

// A demo form with a table, its menus built by TMnu and clicks recorded.
struct TDemoForm {
  QWidget Form;
  QTableWidget* Table;
  std::vector<int> Keys;
  TMnu Mnu;
  explicit TDemoForm(unsigned char kind) {
    Form.setWindowTitle(ToQString("Ф118"));
    auto* lay = new QVBoxLayout(&Form);
    Table = new QTableWidget(4, 3, &Form);
    lay->addWidget(Table);
    Form.resize(420, 200);
    Mnu.CreateMenu(kind, &Form, Table, [this](unsigned short k) {
      Keys.push_back(k);
      return 1;
    });
  }
  QAction* Find(const char* name, QWidget* menu) {
    for (QAction* a : menu->findChildren<QAction*>())
      if (a->objectName() == name) return a;
    return nullptr;
  }
};

TEST(TMnu, BuiltMenusCarryTextsShortcutsAndSendKeyCodes) {
  TMenuSuite suite;
  TDemoForm d(kBothMenus);
  auto* popup = qobject_cast<QMenu*>(d.Mnu.Menu1);
  auto* bar = qobject_cast<QMenuBar*>(d.Mnu.Menu2);
  ASSERT_TRUE(popup && bar);
  EXPECT_EQ(d.Table->contextMenuPolicy(), Qt::CustomContextMenu);
  ASSERT_EQ(bar->actions().size(), 3);
  EXPECT_EQ(Text(bar->actions()[0]), "Файл");
  ASSERT_TRUE(bar->actions()[0]->menu());
  EXPECT_EQ(bar->actions()[0]->menu()->actions().size(), 3);
  EXPECT_EQ(Text(popup->actions()[1]), "Переход");
  QAction* del = d.Find("mDel", bar);
  ASSERT_TRUE(del);
  EXPECT_EQ(del->shortcut(), QKeySequence(Qt::Key_Delete));
  EXPECT_EQ(del->data().toInt(), del->shortcut()[0].toCombined());
  EXPECT_EQ(del->property("HelpContext").toInt(), 1182);
  for (const char* name : {"mIns", "mMark", "mFirst", "mLast", "mGo"})
    d.Find(name, popup)->trigger();
  d.Find("mLast", bar)->trigger();
  EXPECT_EQ(d.Keys, (std::vector<int>{kKeyInsert, kKeyAbandon, kKeyCtrlPageUp, kKeyCtrlPageDown,
                                      kKeyCtrlPageDown})); // mGo has no shortcut

  // Kind 1 on a form with a table: the main menu goes, the table gets the pop-up menu.
  TDemoForm p(kPopupMenu);
  EXPECT_TRUE(p.Form.findChildren<QMenuBar*>().isEmpty());
  EXPECT_TRUE(qobject_cast<QMenu*>(p.Mnu.Menu1));
  EXPECT_TRUE(suite.Shown.empty());
}

TEST(TMnu, CaptionListsStatesAndFlagMasks) {
  TMenuSuite suite;
  TDemoForm d(kBothMenus);
  TMnu& m = d.Mnu;
  QAction* del1 = d.Find("mDel", m.Menu1);
  QAction* del2 = d.Find("mDel", m.Menu2);
  m.SetTextMenu("mDel=2;mIns=3;zz=1;");
  EXPECT_EQ(Text(del1), "Удалить отмеченные");
  EXPECT_EQ(Text(del2), "Удалить отмеченные");
  ASSERT_EQ(suite.Shown.size(), 1u);
  EXPECT_TRUE(EndsWith(suite.Shown[0], "Не найден пункт меню zz"));
  m.SetTextMenu("ALL");
  EXPECT_EQ(Text(del2), "Удалить");
  EXPECT_EQ(m.GetText("TNone", 1, true), "");
  EXPECT_TRUE(EndsWith(suite.Shown.back(), "Нет текста для идентификатора TNone"));

  // mIns fixed disabled: the masks leave it alone.
  m.SetVisEnb(0, "mIns", true, false);
  m.SetEnabled_Flag(256);
  EXPECT_FALSE(m.IsVisEnb(0, "mIns"));
  EXPECT_TRUE(m.IsVisEnb(0, "mDel"));
  m.StandartSetEnabled({true, 0, false, false, 0}); // no lines: 128
  EXPECT_FALSE(m.IsVisEnb(0, "mDel"));
  EXPECT_FALSE(del1->isEnabled());
  EXPECT_FALSE(m.IsVisEnb(0, "mMark"));
  EXPECT_TRUE(m.IsVisEnb(0, "mHelp"));
  EXPECT_FALSE(m.IsVisEnb(0, "mIns"));
  // Hidden items are not switched by the masks.
  m.SetVisEnb(1, "mHelp#mGo", false, false);
  EXPECT_FALSE(m.IsVisEnb(1, "mHelp"));
  m.SetEnabled_Flag(0);
  EXPECT_FALSE(m.IsVisEnb(0, "mHelp"));
  EXPECT_TRUE(m.IsVisEnb(0, "mDel"));
  m.SetVisEnb(1, "ALL", true, true); // visibility only, no fix
  EXPECT_TRUE(m.IsVisEnb(1, "mHelp"));
  EXPECT_FALSE(m.IsVisEnb(0, "mHelp"));
  m.SetEnabled_Flag(4096);
  EXPECT_TRUE(m.IsVisEnb(0, "mHelp"));
  EXPECT_FALSE(m.IsVisEnb(0, "mIns"));
  size_t shown = suite.Shown.size();
  EXPECT_FALSE(m.IsVisEnb(0, "mNone"));
  EXPECT_EQ(suite.Shown.size(), shown + 1);
}

TEST(MenuSwitches, DisablingParksTheShortcutEnablingRestoresIt) {
  QWidget form;
  QMenuBar bar(&form);
  QMenu* sub = bar.addMenu("Файл");
  QAction* a = sub->addAction("A");
  a->setObjectName("kA");
  a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F5));
  QAction* b = sub->addAction("B");
  b->setObjectName("kB");
  b->setEnabled(false); // disabled elsewhere, tag 0
  SetEnabledMenu(&form, "kA#kB", false);
  EXPECT_FALSE(a->isEnabled());
  EXPECT_TRUE(a->shortcut().isEmpty());
  SetEnabledMenu(&form, "kA#kB", true);
  EXPECT_TRUE(a->isEnabled());
  EXPECT_EQ(a->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F5));
  EXPECT_TRUE(b->isEnabled());
  EXPECT_TRUE(b->shortcut().isEmpty());
  EXPECT_EQ(b->data().toInt(), 0);
  SetVisibleMenu(&form, "kB", false);
  EXPECT_FALSE(b->isVisible());
  SetEnabledAllMnu(&bar, false);
  EXPECT_FALSE(a->isEnabled());
  EXPECT_FALSE(sub->menuAction()->isEnabled());
}

// The demo form "Ф118" over a real table control: the items work their keys in the control, and
// the control's state, told through TabOnSetEnbMnu, enables them.
TEST(TMnu, ClicksWorkTheTableControlWhoseStateEnablesTheItems) {
  TMenuSuite suite;
  QWidget form;
  form.setWindowTitle(ToQString("Ф118"));
  auto* tb = new TQtZTable(&form);
  (new QVBoxLayout(&form))->addWidget(tb);
  form.resize(420, 300);
  form.show();
  TZTable& t = tb->Table();
  TZLayout l;
  l.AddCell({0, 0, 200, 20}, {1, 1, 199, 19});
  l.AddCell({0, 20, 200, 181}, {2, 21, 198, 181});
  l.SetTemplate(1);
  l.DesignWidth = 200;
  t.SetLayout(std::move(l), {TListFields{}}, {TZOutFields{TZOutField{"RNpp", 0, 0, -1}}});
  t.SetCanSelect(true);
  t.SetCanEmpty(true);
  TTestOwner owner(t);
  TMnu mnu;
  mnu.CreateMenu(kPopupMenu, &form, tb);
  t.TabOnSetEnbMnu = [&mnu](TZTable* s) { mnu.StandartSetEnabled(*s); };
  auto click = [&mnu](const char* name) {
    for (QAction* a : mnu.Menu1->findChildren<QAction*>())
      if (a->objectName() == name) a->trigger();
  };
  // The enabled state of mIns, mDel, mMark, mFirst and mLast.
  auto enabled = [&mnu] {
    std::string s;
    for (const char* key : {"mIns", "mDel", "mMark", "mFirst", "mLast"})
      s += mnu.IsVisEnb(0, key) ? '1' : '0';
    return s;
  };

  mnu.StandartSetEnabled(t); // no list
  EXPECT_EQ(enabled(), "00000");
  EXPECT_TRUE(mnu.IsVisEnb(0, "mHelp"));
  t.TabOpen(nullptr, 0);
  t.WorkKey(kKeyShowAgain); // no lines
  EXPECT_EQ(enabled(), "10000");
  t.TabClose();
  for (int i = 0; i < 5; ++i)
    owner.Lines.push_back({0, "x", ""});
  t.TabOpen(nullptr, 0);
  t.WorkKey(kKeyShowAgain); // an ordinary line
  EXPECT_EQ(enabled(), "11111");
  click("mLast");
  EXPECT_EQ(t.CurrentLine(), 4);
  click("mFirst");
  EXPECT_EQ(t.CurrentLine(), 0);
  click("mIns");
  EXPECT_TRUE(t.Select());
  EXPECT_EQ(enabled(), "00111"); // selecting
  click("mDel");                 // disabled: the table is not told
  EXPECT_TRUE(t.Select());
  click("mMark"); // abandons the selection
  EXPECT_FALSE(t.Select());
  click("mIns");
  click("mLast");
  t.WorkKey(kKeyInsert); // ends the selection: every line marked
  EXPECT_EQ(t.MarkedCount(), 5);
  EXPECT_EQ(enabled(), "11111"); // marked lines: no item of the demo form carries that mask
  click("mDel");
  EXPECT_EQ(t.MarkedCount(), 0);
  t.WorkKey(kKeyDown); // past the last line: the empty place
  ASSERT_TRUE(t.EmptyState());
  EXPECT_EQ(enabled(), "00011");
  click("mFirst");
  EXPECT_FALSE(t.EmptyState());
  EXPECT_EQ(t.CurrentLine(), 0);
  t.TabOnSetEnbMnu = nullptr;
  t.TabClose();
}

// Both languages side by side: the form with its main menu open and its pop-up menu.
TEST(TMnu, Screenshot) {
  QWidget sheet;
  auto* row = new QHBoxLayout(&sheet);
  for (unsigned char russian : {1, 0}) {
    TMenuSuite suite(russian);
    TDemoForm d(kBothMenus);
    d.Form.show();
    auto* bar = qobject_cast<QMenuBar*>(d.Mnu.Menu2);
    QMenu* file = bar->actions()[0]->menu();
    auto* col = new QVBoxLayout;
    auto* formShot = new QLabel;
    formShot->setPixmap(d.Form.grab());
    auto* fileShot = new QLabel;
    file->adjustSize();
    fileShot->setPixmap(file->grab());
    auto* popupShot = new QLabel;
    d.Mnu.Menu1->adjustSize();
    popupShot->setPixmap(d.Mnu.Menu1->grab());
    col->addWidget(formShot);
    auto* menus = new QHBoxLayout;
    menus->addWidget(fileShot);
    menus->addWidget(popupShot);
    col->addLayout(menus);
    row->addLayout(col);
    EXPECT_FALSE(formShot->pixmap().isNull());
  }
  sheet.adjustSize();
  SaveShot(&sheet, "menus_demo_form");
}

} // namespace
