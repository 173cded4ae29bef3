// The batch change over the chosen lines of a list: every object kept in the suite's history
// first, then changed one by one, the list records and outcomes made durable at the end.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "workflow/Objects.h"

// How a caller takes part in a batch change. WriteList writes the packed list record of the
// k-th chosen line (default: in place in the list file at the line's address); Progress is
// asked before each object and may stop the batch between two objects, never inside one.
struct TChangeHooks {
  std::function<void(size_t k, WRec* rec)> WriteList;
  TProgress Progress;
  std::string* Batch = nullptr; // receives the name of the batch in the suite's history
};
// The batch change over the chosen lines of the list file: each line's list record is read and its
// object changed; a failure of one line (its list record included) is reported in its outcome
// and in failures, and the change goes on with the next line; a change with a warning is in
// failures too, marked as a warning. The directories are flushed once at the end; the objects
// of a directory that cannot be flushed are in place and carry a warning that they may not
// survive a power loss. After a stop the result holds the lines done so far.
// The warnings are in the interface language. The batch is kept in the suite's history (see
// workflow/HistoryChange.h): before anything is replaced, every chosen object's file is kept
// and the intents are made durable; the list records and the outcomes are made durable once at
// the end. A file that cannot be kept raises, and then nothing is changed.
std::vector<TChangeItem> ChangeObjects(TObjectFiles& files, const TListInfo& info,
                                       const std::vector<const TObjLine*>& chosen,
                                       unsigned char russian, std::vector<TChangeFailure>& failures,
                                       const TChangeHooks& hooks = {});
// Writes the failures and warnings to a unique error protocol under the alias "LOG" named after
// the list file, in the interface language; returns its name, or "" when there is no LOG alias
// or nothing to tell.
std::string WriteChangeProtocol(const std::string& listName,
                                const std::vector<TChangeFailure>& failures);
// The same after a batch whose changes are made: a protocol that cannot be written must not hide
// them, so its error comes back in `error` instead of being raised.
std::string WriteChangeProtocol(const std::string& listName,
                                const std::vector<TChangeFailure>& failures, std::string& error);
// The objects that failed (warnings left out).
size_t FailedCount(const std::vector<TChangeFailure>& failures);
