// The texts the list window and the main window add to their own: the list's name, the counts
// under the table, the confirmation, the progress and the final message of a change.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "workflow/Objects.h"

// What a batch change did.
struct TBatchReport {
  int Changed = 0, Unchanged = 0, Missing = 0, Failed = 0;
  int Warned = 0; // of the changed ones, those with a warning
  bool Stopped = false;
  std::string Protocol;                 // the error protocol written, or ""
  std::string ProtocolError;            // why the protocol could not be written, or ""
  std::vector<TChangeFailure> Failures; // and the warnings, marked
};

// The main window's buttons, which name the lists: Russian, then Ukrainian.
extern const char* const kProjectNames[3][2]; // TypeSub 1, 2, 3
extern const char* const kBlockNames[4][2];   // TypeBn 0..3

// The list's own name (subsystem or settings-block kind), in the interface language.
std::string ListName(const TListInfo& info);

// What the status line under the table counts.
struct TListCounts {
  int Lines = 0;       // objects of the list
  int Replaceable = 0; // shown black: the calculation can be replaced
  int Marked = 0;
  bool operator==(const TListCounts&) const = default;
};
std::string CountsText(const TListCounts& c);

// The question before a change of count objects of the list.
std::string ConfirmChangeText(int count, const TListInfo& info);

// The progress of a change: object done + 1 of total is being changed; after a few seconds of
// work the remaining time is estimated from the time taken so far. label: what is done (the
// change's "Замена расчета П145" when empty).
std::string ProgressText(size_t done, size_t total, const std::string& object, int64_t elapsedMs,
                         const std::string& label = "");
// "1 мин 05 с", "40 с": a time left.
std::string DurationText(int64_t ms);

// The final message of a change ("#" breaks lines): changed, with a warning, failed.
std::string FinalChangeText(const TBatchReport& r);

// The main window's line naming the suite's folder.
std::string SuiteFolderText(const std::string& folder);
// The suite's folder: the one that holds the configuration directory dirCfg (ending with "/").
std::string SuiteFolderOfCfg(const std::string& dirCfg);
