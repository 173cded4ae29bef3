// Form editing of the table control: binding a form's controls by field name and the in-cell
// editor over the current cell.
#include "table/QtZtable_form.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <cstdlib>
#include <memory>

#include "base/QtCanvas.h"
#include "base/QtText.h"
#include "controls/Fun_memo.h"
#include "messages/Zmsg.h"
#include "table/Edrk_rules.h"

namespace {
enum : uint8_t { kBoundMemo = 0, kBoundEdit = 1, kBoundCombo = 2 };
// Memos of a form wrap by words; "#" breaks a line.
constexpr int kFormMemoWrap = 3;

// The field a control's text names, or -1; value receives the field's text.
int NamedField(TZTable& Table, const QString& text, bool Flag, std::string& value) {
  const std::string name = FromQString(text);
  if (name.empty()) return -1;
  int index = -1;
  bool found = false;
  value = Table.GetValue(name, index, found, Flag);
  return found ? index : -1;
}

bool BindEdit(TZTable& Table, QLineEdit* edit, bool Flag) {
  if (qobject_cast<QComboBox*>(edit->parentWidget())) return false; // the combo box binds
  std::string value;
  const int field = NamedField(Table, edit->text(), Flag, value);
  if (field < 0) return false;
  edit->setText(ToQString(value));
  Table.AddBound(kBoundEdit, edit, field);
  return true;
}

bool BindCombo(TZTable& Table, QComboBox* combo) {
  std::string value;
  const int field = NamedField(Table, combo->currentText(), false, value);
  if (field < 0 || (*Table.EditFields())[static_cast<size_t>(field)].FType == tfString)
    return false;
  combo->setCurrentIndex(value.empty() ? 0 : std::atoi(value.c_str()));
  Table.AddBound(kBoundCombo, combo, field);
  return true;
}

bool BindMemo(TZTable& Table, QPlainTextEdit* memo, bool Flag) {
  const QString first = memo->toPlainText().section('\n', 0, 0);
  std::string value;
  const int field = NamedField(Table, first, Flag, value);
  if (field < 0) return false;
  TQtCanvas canvas(nullptr, FromQFont(memo->font()));
  TextToMemo(value, canvas, memo, kFormMemoWrap);
  Table.AddBound(kBoundMemo, memo, field);
  return true;
}

// The text a bound control holds now; false when it holds no storable value.
bool BoundText(uint8_t kind, void* control, std::string& text) {
  switch (kind) {
  case kBoundMemo:
    TextFromMemo(static_cast<QPlainTextEdit*>(control), text);
    return true;
  case kBoundEdit:
    text = FromQString(static_cast<QLineEdit*>(control)->text());
    return true;
  default: {
    auto* combo = static_cast<QComboBox*>(control);
    const int item = combo->findText(combo->currentText());
    if (item < 0) return false; // a free text matches no item: the field keeps its value
    text = std::to_string(item);
    return true;
  }
  }
}
} // namespace

void StartEditRecord(TZTable& Table, QWidget* Form, bool Flag) {
  Table.UnpackEdit();
  Table.ClearBound();
  if (Table.EditFields()) {
    for (QWidget* w : Form->findChildren<QWidget*>()) {
      if (auto* edit = qobject_cast<QLineEdit*>(w))
        BindEdit(Table, edit, Flag);
      else if (auto* combo = qobject_cast<QComboBox*>(w))
        BindCombo(Table, combo);
      else if (auto* memo = qobject_cast<QPlainTextEdit*>(w))
        BindMemo(Table, memo, Flag);
    }
  }
  if (Table.BoundCount() == 0)
    SetError("На форме " + FromQString(Form->objectName()) + " нет компонент для редактирования",
             0);
}

void EndEditRecord(TZTable& Table, QWidget* /*Form*/, void (*After)()) {
  Table.BeginStoreBound();
  for (int i = 0; i < Table.BoundCount(); ++i) {
    std::string text;
    if (BoundText(Table.BoundKind(i), Table.BoundControl(i), text))
      Table.StoreField(Table.BoundField(i), text);
  }
  if (After) After();
  Table.ClearBound();
}

bool vEditField(QWidget* Form, TZTable* Table, int Col, const TEdRkCheck& Check, void* User,
                const TEdRkCheck& CheckFn) {
  const bool tabType = Table->TabType();
  Table->SetTabType(false);
  Table->SetEditColumn(Col);
  bool ready = false;
  try {
    ready = Table->InitCurrentEdit();
  } catch (...) {
    Table->SetTabType(tabType);
    throw;
  }
  Table->SetTabType(tabType);
  if (!ready) return false;
  const TEdRkCheck& check = CheckFn ? CheckFn : Check;
  const TField& field = (*Table->EditFields())[static_cast<size_t>(Table->EditColumnField())];
  const TEdRkKind kind = EdRkKindOfCell(field.FType, Table->CanMinus());
  auto editor = std::make_unique<TEditRk>(Form);
  std::string text = Table->CellText();
  char filter = kind.Filter;
  TPoint topLeft = Table->EditTopLeft(), bottomRight = Table->EditBottomRight();
  if (check) check(0, topLeft, bottomRight, filter, text, User);
  bool saved = false;
  for (;;) {
    editor->Init(kind.Memo, filter, Table->EditFont(), text, bottomRight.X, bottomRight.Y,
                 topLeft.X, topLeft.Y);
    editor->exec();
    saved = editor->Result() != kEdRkNotSaved;
    if (!check) break;
    if (saved) {
      std::string edited = editor->ResultText();
      if (check(1, topLeft, bottomRight, filter, edited, User)) break;
      text = edited; // after a refused save the editor starts from the edited text
    } else {
      std::string kept = text;
      if (check(2, topLeft, bottomRight, filter, kept, User)) break;
    }
  }
  if (saved) Table->EndEditRk(editor->ResultText());
  return saved;
}
