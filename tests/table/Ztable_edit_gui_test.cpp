// Form editing of the table control: a form's edit, combo box and memo bound by field name,
// values stored back only when they differ, and in-cell editing that writes the line.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "base/QtText.h"
#include "messages/Zmsg.h"
#include "storage/Dwfile.h"
#include "table/QtZtable_form.h"
#include "tests/support/Tempdir.h"
#include "tests/support_gui/Guisupport.h"
#include "tests/table/TableFixture.h"

namespace {
// Record kind 0 with the fields Name (short text), Kind (byte) and Note (text), and one column
// showing Name.
void Describe(TZTable& t) {
  TListFields fields(3);
  fields[0].FName = "Name";
  fields[0].FType = tfShort82;
  fields[1].FName = "Kind";
  fields[1].FType = tfByte;
  fields[2].FName = "Note";
  fields[2].FType = tfString;
  TZOutField out;
  out.Name = "Name";
  out.FieldIndex = 0;
  TZLayout l;
  TZCell& cell = l.AddCell({10, 20, 210, 60}, {});
  cell.FontName = "Arial";
  cell.FontSize = 10;
  l.DataColumns = 1;
  l.AreaTop = 20;
  l.LineAreaHeight = 200;
  t.SetLayout(std::move(l), {fields}, {TZOutFields{out}});
}

std::string Value(TZTable& t, const std::string& name) {
  int index = -1;
  bool found = false;
  return t.GetValue(name, index, found, false);
}
} // namespace

TEST(EditFormGui, BindsByFieldNameAndStoresOnlyChanges) {
  TTestHost host;
  TZTable t(&host);
  Describe(t);
  t.KorCreat(0);
  t.StoreField(0, "Иванов");
  t.StoreField(1, "1");
  t.StoreField(2, "первая строка");

  QWidget form;
  form.setObjectName("fCard");
  auto* edit = new QLineEdit("Name", &form);
  auto* combo = new QComboBox(&form);
  combo->setEditable(true);
  combo->addItems({"no", "yes", "sometimes"});
  combo->setEditText("Kind");
  auto* memo = new QPlainTextEdit("Note", &form);
  auto* other = new QLineEdit(ToQString("Прочее"), &form); // names no field: left alone
  t.SetEditChanged(false);
  StartEditRecord(t, &form, false);
  EXPECT_EQ(t.BoundCount(), 3);
  EXPECT_EQ(FromQString(edit->text()), "Иванов");
  EXPECT_EQ(combo->currentIndex(), 1);
  EXPECT_EQ(FromQString(memo->toPlainText()), "первая строка");
  EXPECT_EQ(FromQString(other->text()), "Прочее");

  EndEditRecord(t, &form, nullptr); // nothing was changed
  EXPECT_FALSE(t.EditChanged());
  EXPECT_EQ(t.BoundCount(), 0);

  edit->setText("Name"); // a form shown again names its fields again
  combo->setEditText("Kind");
  memo->setPlainText("Note");
  StartEditRecord(t, &form, false);
  edit->setText(ToQString("Петров"));
  combo->setCurrentIndex(2);
  static int afterCalls;
  afterCalls = 0;
  EndEditRecord(t, &form, [] { ++afterCalls; });
  EXPECT_TRUE(t.EditChanged());
  EXPECT_EQ(afterCalls, 1);
  EXPECT_EQ(Value(t, "Name"), "Петров");
  EXPECT_EQ(Value(t, "Kind"), "2");
  EXPECT_EQ(Value(t, "Note"), "первая строка");

  QWidget empty;
  empty.setObjectName("fEmpty");
  try {
    StartEditRecord(t, &empty, false);
    ADD_FAILURE() << "bound nothing silently";
  } catch (const ZError& e) {
    EXPECT_STREQ(e.what(), "На форме fEmpty нет компонент для редактирования");
  }
}

TEST(EditFormGui, InCellEditWritesTheLineAndChecksStages) {
  TTempDir dir;
  { WFile create(dir / "tmp", fmCreate); }
  WFile tmp(dir / "tmp", fmUpdate);
  TTestHost host;
  TZTable t(&host);
  Describe(t);
  t.TmpFile = &tmp;
  t.SetTabType(true);
  TTestOwner owner(t);
  owner.Lines = {
      {0, std::string("\x03\x82one", 5) + std::string(1, '\0') + std::string(2, '\0'), ""},
      {0, std::string("\x03\x82two", 5) + std::string(1, '\0') + std::string(2, '\0'), ""}};
  t.TabOpen(nullptr, 0);
  ASSERT_EQ(t.LineCount(), 2);

  std::vector<int> stages;
  TEdRkCheck check = [&](char stage, TPoint&, TPoint&, char&, std::string& text, void*) {
    stages.push_back(stage);
    return stage != 1 || text != "12"; // a save of "12" is refused once
  };
  WhenModal([](QWidget* w) {
    auto* e = static_cast<TEditRk*>(w);
    QTest::keyClicks(e->vEdit, "1x2"); // the field takes digits only
    QTest::keyClick(e->vEdit, Qt::Key_Return);
    WhenModal([](QWidget* w) {
      auto* e = static_cast<TEditRk*>(w);
      EXPECT_EQ(FromQString(e->vEdit->text()), "12"); // shown again with the edited text
      e->vEdit->setText("345");
      SaveShot(e, "table_in_cell_editor_check");
      QTest::keyClick(e->vEdit, Qt::Key_Return);
    });
  });
  ASSERT_TRUE(vEditField(nullptr, &t, 0, check, nullptr));
  EXPECT_EQ(stages, (std::vector<int>{0, 1, 1}));
  EXPECT_TRUE(t.TabType()); // cell mode only for the edit
  WRec rec;
  t.ReadRecord(0, &rec, trOther);
  EXPECT_EQ(std::string(rec.Data + 2, 3), "345");
  EXPECT_TRUE(t.GetIndex(0)->Flags & kIdxWritten);
  EXPECT_TRUE(t.Modified());

  WhenModal([](QWidget* w) { QTest::keyClick(static_cast<TEditRk*>(w)->vEdit, Qt::Key_Escape); });
  EXPECT_FALSE(vEditField(nullptr, &t, 0, {}, nullptr));
  t.ReadRecord(0, &rec, trOther);
  EXPECT_EQ(std::string(rec.Data + 2, 3), "345");
}
