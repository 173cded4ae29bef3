// Reader of the menu descriptions of "Cfg#Dop.zev" and the decisions of the window menus: texts,
// titles, help contexts, shortcut key codes, enabled states. No toolkit here (see Utmenu).
#include "messages/Mnudesc.h"
#include "messages/Msgcat.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/Strutil.h"
#include "format/Fun_other.h"
#include "messages/Zmsg.h"
#include "storage/Dwfile.h"
#include "table/Ztable.h"

WFile* DopCfg = nullptr;
unsigned char TypeSub = 0;
std::string ZevHeader;
std::string ZevSps;
std::string ZevHelp;

TDopFile::TDopFile() : F(DopCfg) {
  if (!F) {
    F = new WFile(kDopCfgName);
    Own = true;
  }
}

TDopFile::~TDopFile() noexcept(false) {
  if (Own) delete F;
}

namespace {

// Walks the records of a group; each is laid out by the structure before fn sees it. Fields
// that the record does not hold stay empty.
template <class Fn> void ForEachRecord(WFile& file, int group, TListFields& s, WRec* rec, Fn fn) {
  file.WOpen_file(static_cast<unsigned long>(group));
  while (file.WRead(rec)) {
    for (TField& f : s) {
      f.FOffset = 0;
      f.FLength = 0;
    }
    CreatStructRecord(&s, rec);
    fn();
  }
}

// The text of field i (empty when the structure has no such text field).
std::string FieldText(const TListFields& s, const WRec* rec, size_t i) {
  if (i >= s.size()) return "";
  const TField& f = s[i];
  if (f.FType < tfString || f.FType > tfShort81) return "";
  if (f.FOffset < 0 || f.FLength <= 0 || f.FOffset + f.FLength > rec->Len) return "";
  return std::string(rec->Data + f.FOffset, static_cast<size_t>(f.FLength));
}

// The unsigned value of numeric field i (0 when absent).
uint32_t FieldNumber(const TListFields& s, const WRec* rec, size_t i) {
  if (i >= s.size()) return 0;
  const TField& f = s[i];
  if (f.FOffset < 0 || f.FLength <= 0 || f.FLength > 4 || f.FOffset + f.FLength > rec->Len)
    return 0;
  uint32_t v = 0;
  for (int b = 0; b < f.FLength; ++b)
    v |= static_cast<uint32_t>(static_cast<unsigned char>(rec->Data[f.FOffset + b])) << (8 * b);
  return v;
}

bool ParseDecimal(const std::string& text, int& value) {
  std::string t = Trim(text);
  if (t.empty() || t.size() > 9) return false;
  value = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

} // namespace

void TTextIndex::Build(WFile& file, TListFields& s898, WRec* rec) {
  Entries.clear();
  ForEachRecord(file, kTextGroup, s898, rec, [&] {
    Entries.push_back(
        {AnsiUpperCase(FieldText(s898, rec, 0)), FieldText(s898, rec, 1), FieldText(s898, rec, 2)});
  });
  std::stable_sort(Entries.begin(), Entries.end(),
                   [](const TEntry& a, const TEntry& b) { return a.Upper < b.Upper; });
}

bool TTextIndex::Find(const std::string& key, bool russian, std::string& text) const {
  const std::string upper = AnsiUpperCase(key);
  auto it = std::lower_bound(Entries.begin(), Entries.end(), upper,
                             [](const TEntry& e, const std::string& k) { return e.Upper < k; });
  if (it == Entries.end() || it->Upper != upper) return false;
  text = russian ? it->Rus : it->Ukr;
  return true;
}

std::vector<TMnuDescItem> ReadMenuItems(WFile& file, TListFields& s899, WRec* rec,
                                        const std::string& formKey) {
  std::vector<TMnuDescItem> items;
  bool haveTop = false;
  ForEachRecord(file, kItemGroup, s899, rec, [&] {
    if (FieldText(s899, rec, 1) != formKey) return;
    TMnuDescItem it;
    it.Flags = FieldNumber(s899, rec, 0);
    it.FormKey = formKey;
    it.Level = static_cast<int>(FieldNumber(s899, rec, 2));
    it.ItemKey = FieldText(s899, rec, 3).substr(0, kItemKeyLen);
    it.TextId[0] = FieldText(s899, rec, 4);
    it.Shortcut = FieldText(s899, rec, 5);
    it.TextId[1] = FieldText(s899, rec, 7);
    it.TextId[2] = FieldText(s899, rec, 8);
    if (it.Level != 0 && it.Level != 1) {
      OutWar("Неверный уровень " + std::to_string(it.Level) + " пункта меню " + it.ItemKey,
             MsgSystemError);
      return;
    }
    if (it.Level == 1 && !haveTop) {
      OutWar("Подпункт меню " + it.ItemKey + " без пункта верхнего уровня", MsgSystemError);
      return;
    }
    haveTop = true;
    const std::string help = FieldText(s899, rec, 6);
    if (!Trim(help).empty() && !ParseDecimal(help, it.HelpContext)) {
      OutWar("Неверный контекст справки \"" + help + "\" пункта меню " + it.ItemKey,
             MsgSystemError);
      it.HelpContext = 0;
    }
    items.push_back(std::move(it));
  });
  return items;
}

bool ParseShortcut(const std::string& text, uint32_t& code) {
  code = 0;
  if (Trim(text).empty()) return true;
  uint32_t c = GetKodKey(Trim(text));
  if ((c & 0xFF) == 0) return false;
  code = c;
  return true;
}

uint32_t ShortcutOrWarn(const std::string& text) {
  uint32_t code = 0;
  if (!ParseShortcut(text, code))
    OutWar("Неверное сочетание клавиш \"" + text + "\"", MsgSystemError);
  return code;
}

std::string FallbackTextKey(int position) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "N%04d", position);
  return buf;
}

std::string SubsystemName(int typeSub, bool russian) {
  static const char* const kRus[] = {
      "Сметные документы", "Договорная цена",   "Подрядчик", "НСИ",
      "Блоки настройки",   "Региональные цены", "Фрагменты", "Комплексные позиции"};
  static const char* const kUkr[] = {
      "Кошторисні документи", "Договірна ціна",   "Підрядник", "НСІ",
      "Блоки настройки",      "Регіональні ціни", "Фрагменти", "Комплексні позиції"};
  if (typeSub < 1 || typeSub > 8) return "";
  return russian ? kRus[typeSub - 1] : kUkr[typeSub - 1];
}

std::string FormKeyOf(const std::string& caption) {
  std::string key = Trim(caption);
  return !key.empty() && key[0] == 'Ф' ? key : "";
}

std::string CaptionTitle(const std::string& formKey, const std::string& text, int typeSub,
                         bool russian) {
  std::string title = ZevHeader;
  if (typeSub != 0) title += SubsystemName(typeSub, russian);
  return title + ZevSps + formKey + text + "-" + std::to_string(typeSub);
}

std::vector<THelpEntry> ReadHelpTable(WFile& file, WRec* rec) {
  std::vector<THelpEntry> table;
  if (file.Header.Count <= static_cast<uint32_t>(kHelpGroup)) return table;
  file.WOpen_file(kHelpGroup);
  while (file.WRead(rec)) {
    if (rec->Len != kHelpRecLen) continue;
    THelpEntry e;
    e.Key.assign(rec->Data, 6);
    e.Sub = rec->Data[6];
    std::memcpy(&e.Context, rec->Data + 7, 4);
    table.push_back(e);
  }
  return table;
}

bool FindHelpContext(const std::vector<THelpEntry>& table, const std::string& keyText, int typeSub,
                     int& context) {
  std::string key = keyText.substr(0, 8);
  key.resize(8, '\0');
  const char sub = std::to_string(typeSub)[0];
  for (const THelpEntry& e : table)
    if (e.Key.compare(0, 6, key, 0, 6) == 0 && (e.Sub == '9' || e.Sub == sub)) {
      context = e.Context;
      return true;
    }
  return false;
}

std::vector<std::pair<std::string, int>> ParseTextMenu(const std::string& list) {
  std::vector<std::pair<std::string, int>> out;
  size_t at = 0;
  while (at < list.size()) {
    size_t eq = list.find('=', at);
    if (eq == std::string::npos) break;
    size_t end = eq + 1;
    int n = 0;
    while (end < list.size() && list[end] >= '0' && list[end] <= '9' && n < 1000)
      n = n * 10 + (list[end++] - '0');
    out.emplace_back(list.substr(at, eq - at), n);
    at = end + 1; // the separating character
  }
  return out;
}

TTableState TableState(const TZTable& t) {
  TTableState s;
  s.Open = t.IsOpen();
  s.Lines = t.LineCount();
  s.Empty = t.EmptyState();
  s.Selecting = t.Select();
  s.Marked = t.MarkedCount();
  return s;
}

uint32_t StandartMask(const TTableState& s) {
  if (!s.Open) return kMaskNoList;
  if (s.Lines == 0) return kMaskNoLines;
  if (s.Empty) return kMaskEmptyPlace;
  if (s.Selecting) return kMaskSelecting;
  if (s.Marked > 0) return kMaskMarked;
  return kMaskOrdinaryLine;
}

void SwitchItem(TItemSwitch& item, bool enable) {
  if (!enable && item.Enabled) {
    item.Tag = item.Shortcut;
    item.Shortcut = 0;
  } else if (enable && !item.Enabled && item.Tag != 0) {
    item.Shortcut = item.Tag;
  }
  item.Enabled = enable;
}
