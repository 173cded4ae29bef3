// Form editing of the table control's edit record: a form's edits, combo boxes and memos bound
// by the field names they show, and in-cell editing of one cell with the editor TEditRk.
#pragma once
#include <QWidget>

#include "table/Ed_rk.h"
#include "table/Ztable.h"

// Binds the form's controls that name a field of the edit record and shows the values: an edit
// whose text, a combo box whose text (fields of a type other than 1) or a memo whose first line
// is a field name. Raises "На форме <name> нет компонент для редактирования" when none binds.
void StartEditRecord(TZTable& Table, QWidget* Form, bool Flag);
// Stores every bound control's value that differs into the edit record (setting the changed
// flag), calls After when given and unbinds; the owner then calls FinishEdit.
void EndEditRecord(TZTable& Table, QWidget* Form, void (*After)());
// Edits cell Col of the current line in place; Check (an owner method) or CheckFn (a plain
// function, which wins) is asked at stages 0, 1 and 2. Returns whether the text was saved.
bool vEditField(QWidget* Form, TZTable* Table, int Col, const TEdRkCheck& Check, void* User,
                const TEdRkCheck& CheckFn = {});
