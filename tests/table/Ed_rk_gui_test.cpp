// The in-cell editor window driven by keys: save, abandon, the "," refusal, memo save keys,
// double click, popup menus and the free-standing value editor.
#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

#include "base/QtText.h"
#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "table/Ed_rk.h"
#include "table/Edrk_rules.h"
#include "tests/support_gui/Guisupport.h"

namespace {

// Opens the editor, runs act once it is shown, and returns the result.
int RunEditor(TEditRk& e, std::function<void(TEditRk&)> act) {
  QTimer::singleShot(0, &e, [&] { act(e); });
  e.exec();
  return e.Result();
}

QWidget* Focused(TEditRk& e) {
  return e.vMemo->isVisible() ? (QWidget*)e.vMemo : e.vEdit;
}
} // namespace

TEST(EditRkGui, SingleLineSavesFiltersAndRefusesTrailingComma) {
  Shown shown;
  TEditRk e(nullptr);
  e.Init(false, kFilterNumber, TFontSpec(), "12", 200, 40, 10, 20);
  EXPECT_EQ(RunEditor(e, [](TEditRk& e) { QTest::keyClick(e.vEdit, Qt::Key_Return); }), kEdRkSame);
  EXPECT_EQ(e.ResultText(), "12");
  EXPECT_EQ(e.vEdit->height(), QFontMetrics(e.vEdit->font()).height());

  e.Init(false, kFilterNumber, TFontSpec(), "12", 200, 40, 10, 20);
  int result = RunEditor(e, [&](TEditRk& e) {
    QTest::keyClick(e.vEdit, Qt::Key_End);
    QTest::keyClicks(e.vEdit, "a,");
    QTest::keyClick(e.vEdit, Qt::Key_Return); // refused: "12," ends with a comma
    EXPECT_TRUE(e.isVisible());
    QTest::keyClicks(e.vEdit, "5,");
    SaveShot(&e, "table_in_cell_editor");
    QTest::keyClick(e.vEdit, Qt::Key_Return);
  });
  EXPECT_EQ(result, kEdRkChanged);
  EXPECT_EQ(e.ResultText(), "12,5");
  ASSERT_EQ(shown.All.size(), 1u);
  EXPECT_EQ(shown.All[0].Text, creat_msg("", MsgTrailingComma));

  e.Init(false, kFilterAny, TFontSpec(), "x", 200, 40, 10, 20);
  EXPECT_EQ(RunEditor(e,
                      [](TEditRk& e) {
                        QTest::keyClicks(e.vEdit, "y");
                        QTest::keyClick(e.vEdit, Qt::Key_Escape);
                      }),
            kEdRkNotSaved);
}

TEST(EditRkGui, MemoSaveKeysDoubleClickAndMenus) {
  TEditRk e(nullptr);
  e.Init(true, kFilterAny, TFontSpec(), "abc", 200, 25, 10, 20);
  EXPECT_GE(e.height(), 20);
  int result = RunEditor(e, [](TEditRk& e) {
    QTest::keyClick(e.vMemo, Qt::Key_Return); // no wrap: Enter is a line break
    EXPECT_TRUE(e.isVisible());
    QTest::keyClick(e.vMemo, Qt::Key_Return, Qt::ControlModifier);
  });
  EXPECT_EQ(result, kEdRkChanged);

  e.Init(true, kWrapFilter, TFontSpec(), "abc", 200, 60, 10, 20);
  EXPECT_EQ(RunEditor(e, [](TEditRk& e) { QTest::keyClick(Focused(e), Qt::Key_Return); }),
            kEdRkSame);
  EXPECT_EQ(e.ResultText(), "abc");

  e.Init(true, kWrapFilter, TFontSpec(), "abc", 200, 60, 10, 20);
  EXPECT_EQ(
      RunEditor(e, [](TEditRk& e) { QTest::mouseDClick(e.vMemo->viewport(), Qt::LeftButton); }),
      kEdRkSame);

  EXPECT_EQ(FromQString(e.PM->actions()[0]->text()), "Сохранить         Enter");
  EXPECT_EQ(FromQString(e.PM1->actions()[1]->text()), "Не сохранять    Escape");
  e.Init(false, kFilterAny, TFontSpec(), "abc", 200, 60, 10, 20);
  EXPECT_EQ(RunEditor(e, [](TEditRk& e) { e.PM->actions()[1]->trigger(); }), kEdRkNotSaved);
  e.Init(false, kFilterAny, TFontSpec(), "abc", 200, 60, 10, 20);
  EXPECT_EQ(RunEditor(e, [](TEditRk& e) { e.PM->actions()[0]->trigger(); }), kEdRkSame);
}

TEST(EditRkGui, ValueEditorShowsAgainWhileTheCheckRejects) {
  std::string text = "7";
  int checks = 0;
  TEdRkCheck check = [&](char stage, TPoint&, TPoint&, char&, std::string& t, void*) {
    EXPECT_EQ(stage, 1);
    ++checks;
    return t != "7";
  };
  WhenModal([](QWidget* w) {
    auto* e = static_cast<TEditRk*>(w);
    QTest::keyClick(e->vEdit, Qt::Key_Return); // unchanged "7": rejected by the check
    WhenModal([](QWidget* w) {
      auto* e = static_cast<TEditRk*>(w);
      QTest::keyClick(e->vEdit, Qt::Key_End);
      QTest::keyClicks(e->vEdit, "x8");
      QTest::keyClick(e->vEdit, Qt::Key_Return);
    });
  });
  EXPECT_TRUE(uEditField(nullptr, text, tfDword, false, {0, 0}, {100, 20}, check, nullptr, false));
  EXPECT_EQ(text, "78");
  EXPECT_EQ(checks, 2);
}
