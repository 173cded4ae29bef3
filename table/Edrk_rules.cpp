// The in-cell editor's kinds, keystroke filter, save keys and results.
#include "table/Edrk_rules.h"

#include "format/Fun_other.h"

namespace {
constexpr int kVkReturn = 13;
constexpr int kVkEscape = 27;
constexpr int kCtrlCode = 512;
} // namespace

TEdRkKind EdRkKindOfCell(TypeField type, bool canMinus) {
  if (type == tfString) return {true, kFilterAny};
  if (type == tfShort81 || type == tfDouble)
    return {false, canMinus ? kFilterSigned : kFilterNumber};
  return {false, kFilterDigits};
}

TEdRkKind EdRkKindOfValue(TypeField type, bool minus) {
  if (type == 0) return {false, kFilterAny};
  return EdRkKindOfCell(type, minus);
}

char EdRkFilterKey(char key, char filter, const std::string& text, int caret) {
  if (filter < kFilterSigned) return CheckKey(key, filter, text);
  if (key == '-') return caret == 0 && text.find('-') == std::string::npos ? key : 0;
  return CheckKey(key, kFilterNumber, text);
}

TEdRkAction EdRkKeyAction(int code, bool memo, bool wrap) {
  if (code == kVkEscape) return TEdRkAction::Cancel;
  if (code == kVkReturn && (!memo || wrap)) return TEdRkAction::Save;
  if (code == kVkReturn + kCtrlCode && memo && !wrap) return TEdRkAction::Save;
  return TEdRkAction::None;
}

bool EdRkRefused(const std::string& text) {
  return !text.empty() && text.back() == ',';
}

int EdRkResult(const std::string& initial, const std::string& text) {
  return initial == text ? kEdRkSame : kEdRkChanged;
}
