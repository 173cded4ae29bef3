// Decisions of the in-cell editor that need no widgets: the editor kind and key filter of a field
// type, the keystroke filter, which key saves or abandons, and the result of a save.
#pragma once
#include <string>

#include "storage/Fun_struct.h"

// Filter values of the editor: any key, digits, digits and one decimal comma, the same with a
// leading minus; with a memo, kWrapFilter asks for word wrap.
constexpr char kFilterAny = 0;
constexpr char kFilterDigits = 1;
constexpr char kFilterNumber = 2;
constexpr char kFilterSigned = 3;
constexpr char kWrapFilter = 4;

// Editor results: not saved, saved unchanged, saved changed.
enum : int { kEdRkNotSaved = 0, kEdRkSame = 1, kEdRkChanged = 2 };

struct TEdRkKind {
  bool Memo = false;
  char Filter = kFilterAny;
};
// The editor kind of a table cell: type 1 a memo, types 3 and 9 numbers (signed with canMinus),
// every other type digits only.
TEdRkKind EdRkKindOfCell(TypeField type, bool canMinus);
// The editor kind of a free-standing value: as a cell, but type 0 takes any key.
TEdRkKind EdRkKindOfValue(TypeField type, bool minus);

// The keystroke filter of the single-line editor: the character, or 0 to discard it.
// Backspace always passes; the minus sign only with kFilterSigned and up, at the caret position 0.
char EdRkFilterKey(char key, char filter, const std::string& text, int caret);

enum class TEdRkAction { None, Save, Cancel };
// What a key code (virtual key + 512 for Ctrl) does: Escape abandons; Enter saves a single line
// or a wrapping memo; Ctrl+Enter saves a memo without word wrap.
TEdRkAction EdRkKeyAction(int code, bool memo, bool wrap);

// A single-line text that may not be saved: one that ends with ",".
bool EdRkRefused(const std::string& text);
// kEdRkChanged when the text differs from the initial one, else kEdRkSame.
int EdRkResult(const std::string& initial, const std::string& text);
