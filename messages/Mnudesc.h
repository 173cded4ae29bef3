// Menu descriptions of the shared description file "Cfg#Dop.zev" without the toolkit: its reader,
// the text index, window titles, help contexts, shortcut key codes and the enabled/visible rules.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "storage/Fun_struct.h"

class WFile;

// The description file when a host keeps it open for the run (else null: each call opens it).
extern WFile* DopCfg;
constexpr const char* kDopCfgName = "Cfg#Dop.zev";
// Groups of the description file and the structures of their records (fields by position).
constexpr int kTextGroup = 52; // structure 898: key, Russian text, Ukrainian text
constexpr int kItemGroup = 51; // structure 899: flags, form key, level, item key, text id 1,
                               // shortcut, help context, text id 2, text id 3
constexpr int kHelpGroup = 53; // help table: 11-byte records (below), no structure
constexpr int kTextStruct = 898;
constexpr int kItemStruct = 899;
constexpr uint32_t kFixFlag = 0x2000; // an item that SetEnabled_Flag leaves alone
constexpr size_t kItemKeyLen = 32;

// The subsystem type of the window being opened (1 estimate documents ... 8 complex positions;
// 0: none). Its host sets it before a window asks for its caption.
extern unsigned char TypeSub;
// Parts of every window title; empty unless a host sets them.
extern std::string ZevHeader;
extern std::string ZevSps;
extern std::string ZevHelp;

// Where a clicked menu item sends its key code: the table control's key handling (WorkKey).
using TKeySink = std::function<int(unsigned short)>;

// One record of group 51.
struct TMnuDescItem {
  uint32_t Flags = 0;
  std::string FormKey;
  int Level = 0;
  std::string ItemKey; // at most kItemKeyLen characters
  std::string TextId[3];
  std::string Shortcut;
  int HelpContext = 0;
};

// The description file for one call: DopCfg when it is open, else "Cfg#Dop.zev" opened for it.
class TDopFile {
public:
  TDopFile();
  ~TDopFile() noexcept(false);
  TDopFile(const TDopFile&) = delete;
  TDopFile& operator=(const TDopFile&) = delete;
  WFile& File() { return *F; }

private:
  WFile* F;
  bool Own = false;
};

// Texts of group 52 by key, compared without regard to letter case.
class TTextIndex {
public:
  void Build(WFile& file, TListFields& s898, WRec* rec);
  // False when the key has no text.
  bool Find(const std::string& key, bool russian, std::string& text) const;
  void Clear() { Entries.clear(); }
  size_t Size() const { return Entries.size(); }

private:
  struct TEntry {
    std::string Upper, Rus, Ukr;
  };
  std::vector<TEntry> Entries; // sorted by Upper
};

// The records of group 51 whose form key equals formKey (exactly), in file order. A record of
// another level than 0 and 1, a sub-item before any top-level item and a help context that is not
// a number are reported as warnings; the first two are left out, the third gets context 0.
std::vector<TMnuDescItem> ReadMenuItems(WFile& file, TListFields& s899, WRec* rec,
                                        const std::string& formKey);

// A shortcut text such as "Ctrl+Ins" as a key code (virtual key + 256 Alt + 512 Ctrl + 1024
// Shift); an empty text gives 0. False (code 0) when the text names no key.
bool ParseShortcut(const std::string& text, uint32_t& code);
// The same with a warning for a text that names no key.
uint32_t ShortcutOrWarn(const std::string& text);

// The key "N" and the four-digit position of an item in the sorted list.
std::string FallbackTextKey(int position);
// The caption of a subsystem (empty for others than 1 to 8).
std::string SubsystemName(int typeSub, bool russian);
// The form key of a caption: trimmed, beginning with "Ф"; empty when it is none.
std::string FormKeyOf(const std::string& caption);
// ZevHeader [+ subsystem name] + ZevSps + form key + text + "-" + typeSub.
std::string CaptionTitle(const std::string& formKey, const std::string& text, int typeSub,
                         bool russian);

// One entry of the help table: record data of group 53 = a 6-character key, a subsystem
// character ("9": every subsystem) and the help context, 32-bit little-endian.
struct THelpEntry {
  std::string Key; // 6 characters
  char Sub = '9';
  int32_t Context = 0;
};
constexpr int kHelpRecLen = 11;
// The help table of the file; empty when the file has no group 53. Records of another length
// are skipped.
std::vector<THelpEntry> ReadHelpTable(WFile& file, WRec* rec);
// The help context of form key + text for the subsystem; false when no entry fits.
bool FindHelpContext(const std::vector<THelpEntry>& table, const std::string& keyText, int typeSub,
                     int& context);

// The entries of a SetTextMenu list: item key, "=", a number, one separating character.
std::vector<std::pair<std::string, int>> ParseTextMenu(const std::string& list);

// An item with these flags is enabled under the mask unless they share a bit.
inline bool EnabledByFlags(uint32_t flags, uint32_t mask) {
  return (flags & mask) == 0;
}

// What StandartSetEnabled looks at in the table control.
struct TTableState {
  bool Open = true;       // the table shows a list
  int Lines = 0;          // lines of the list
  bool Empty = false;     // the cursor stands on the empty place after the last line
  bool Selecting = false; // a range selection is running
  int Marked = 0;         // marked lines
};
// The state of a table control as StandartSetEnabled looks at it.
class TZTable;
TTableState TableState(const TZTable& table);
// The masks of StandartSetEnabled, by the table's state.
enum : uint32_t {
  kMaskNoLines = 128,
  kMaskOrdinaryLine = 256,
  kMaskMarked = 512,
  kMaskSelecting = 1024,
  kMaskEmptyPlace = 2048,
  kMaskNoList = 4096
};
uint32_t StandartMask(const TTableState& state);

// A menu item's enabled state, shortcut and tag as SetEnabledMenu changes them: disabling an
// enabled item parks its shortcut in the tag and clears it; enabling a disabled item with a
// non-zero tag restores the shortcut from it.
struct TItemSwitch {
  bool Enabled = true;
  int Shortcut = 0;
  int Tag = 0;
};
void SwitchItem(TItemSwitch& item, bool enable);
