// The object list window's work without its widgets: the table's events, the check pass that
// colours the lines and the batch change over the marked lines. TfVbl shows it.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "table/Ztable.h"
#include "workflow/Objects.h"
#include "workflow/Survey.h"
#include "workflow/Uvbl_texts.h"

// Text colours of the line states.
constexpr TColor kColorMissing = 0x0000FF;     // red
constexpr TColor kColorReplaced = 0x008000;    // green
constexpr TColor kColorUnreadable = 0xFF0000;  // blue
constexpr TColor kColorUserChanged = 0x00FFFF; // yellow
constexpr int kLegendCount = 5;

// The text colour of a line with the given state bits; false when the normal colour stays.
bool StateColor(uint8_t state, TColor& color);
// The construction kind's letter in column 1 of a project list: "П", "Р", "Ж", or "".
std::string KindLetter(int8_t kind);

// Told before each object of a change: how many are done of how many, and the object file's
// alias name of the next one; false asks to stop before it.
using TObjectProgress = std::function<bool(size_t done, size_t total, const std::string& object)>;

class TVblList {
public:
  // Binds the events of tb: tbTabInit, tbTabRead, tbTabOnKey, tbTabOnOutRk, tbTabOnOnLoadKey,
  // tbTabOnStartEndSelect.
  TVblList(TZTable& tb, uint8_t typeSub, uint8_t typeBn, bool isRus);
  ~TVblList();
  TVblList(const TVblList&) = delete;
  TVblList& operator=(const TVblList&) = delete;

  // The window's caption and the first line of its heading, by the objects listed.
  std::string Caption() const;
  std::string Heading() const;
  // Loads the list's screen; false when it cannot be read (the table has said why).
  bool LoadScreen();
  // Opens the list file and the table on it, then checks every object.
  void FormShow(const TProgress& progress = {});
  void FormClose() noexcept;
  // The check pass: adds one state bit to every line and sets the legend.
  void CheckObjects(const TProgress& progress = {});
  // The batch change over the marked lines (kChClick up to its final message).
  TBatchReport ChangeMarked(const TObjectProgress& progress = {});
  // kChClick after its final message: the check pass again, and all marks removed.
  void FinishChange();

  const TListInfo& Info() const { return FInfo; }
  bool IsRus() const { return FIsRus; }
  // Legend label i (0..4 = Lb1..Lb5: replaceable, replaced, user-changed, unreadable, missing).
  bool Legend(int i) const { return FLegend[i]; }
  uint8_t StateOf(int line) const;
  int32_t LastNum = -1;
  // The status line's counts: objects, replaceable ones, marked ones.
  TListCounts Counts() const;
  // The object file names of the marked lines, in list order.
  std::vector<std::string> MarkedObjects();
  // The current line's calculation beside the new reference; false when the list is empty.
  bool CompareCurrent(TCalcComparison& out);

  // The window's side: Esc in the table, kCh's enabled state, the counts that may have changed
  // (told while the table is still at work: read them when it is done), and the comparison key.
  std::function<void()> OnClose;
  std::function<void(bool)> OnEnableChange;
  std::function<void()> OnCountsChanged;
  std::function<void()> OnCompare;

private:
  bool tbTabRead(TypeRead type, TZTabIndex* index, WRec* rec);
  int tbTabOnOutRk(int col, int row, std::string& buffer, TCanvas* can);
  bool tbTabOnStartEndSelect(etpslSelect status);
  TObjLine LineAt(int i);
  // LineAt; a list record that cannot be read gives the line as the first check saw it.
  TObjLine ReadLine(int i, bool& damaged);
  // The line numbers ordered by their records' addresses in the list file.
  std::vector<int> LinesInFileOrder();
  void EnableChange(bool on);
  // The files of a check or change: this window's list file, the process's reference file and
  // its shared record buffer.
  TObjectFiles Files();
  void CountsChanged();

  TZTable& tb;
  TListInfo FInfo;
  bool FIsRus;
  TListFields FFields;         // the leading fields of a list record
  std::vector<int8_t> FKind;   // construction kind per line, from the last check pass
  std::vector<TObjLine> FLast; // the lines as the first check pass read them
  WRec FRec;                   // the line read by LineAt
  WFile* FOwnList = nullptr;   // the list file FormShow opened (FileList while shown)
  bool FLegend[kLegendCount] = {};
};
