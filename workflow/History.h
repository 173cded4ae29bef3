// The history of batches: each change or undo keeps, under the suite's configuration directory,
// a folder "ravinel-history/<batch>/" with a journal and the object files it replaced (hard
// links to the old files, or copies where the file system refuses links). Shared by the command
// line and the windows.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "workflow/Journal.h"
#include "workflow/Objects.h"

class SFile;

// Results of an object in a journal.
constexpr const char* kResChanged = "changed";
constexpr const char* kResWarning = "changed-with-warning";
constexpr const char* kResFailed = "failed";
constexpr const char* kResSkipped = "skipped";

// One object of a batch: its intent (written before anything is replaced) and its outcome.
struct TBatchEntry {
  int64_t N = 0;
  uint32_t Number = 0;
  std::string Variant, File; // alias name of the object file
  uint32_t Adr = 0;          // its list record's address
  int64_t FlagsBefore = -1;  // the list record's flag word; -1 for settings blocks
  std::string State;         // state before ("replaceable", "changed" for an undo)
  // ShaBefore: in the intent, or (a change) in the outcome, taken from the bytes replaced.
  std::string ShaBefore, Backup;
  int64_t Size = 0;
  bool Done = false; // the outcome is journalled
  std::string Result, ShaAfter, Message;
  std::string Restores; // undo: the batch whose kept file this puts back
};

struct TBatchInfo {
  std::string Id, Kind; // Kind: "change" or "undo"
  std::string Started, Ended, Host, User, List, DocLang, Reference, Undoes;
  int64_t Pid = 0;
  int TypeSub = 1, TypeBn = 0;
  bool Finished = false;  // its end is journalled
  bool Recovered = false; // completed from the files after a crash
  std::vector<TBatchEntry> Objects;
  uint64_t Bytes = 0; // space its kept files hold alone
  size_t Count(const char* result) const;
  TListInfo ListInfo() const {
    return ListInfoOf(static_cast<uint8_t>(TypeSub), static_cast<uint8_t>(TypeBn));
  }
  bool DocRussian() const { return DocLang == "rus"; }
};

// The history folder of the current suite, ending with "/" (CP1251).
std::string HistoryDir();
std::string BatchDir(const std::string& id);
std::string JournalPath(const std::string& id);
// A batch name as the history makes them (time and process); raises MsgBadBatchName otherwise.
void CheckBatchId(const std::string& id);
// The batches of the history, newest first (folders with a journal).
std::vector<std::string> ListBatches();
// True when the journal's last whole line is its end (read from the tail alone); false tells
// nothing (ReadBatch knows).
bool JournalEnded(const std::string& id);
// Reads and checks a batch's journal; raises MsgNoBatch, MsgBadJournal or MsgOutsideSuite.
TBatchInfo ReadBatch(const std::string& id);
// The time now as the journal writes it: "2026-12-11T01:23:45Z" (UTC).
std::string HistoryNow();
// The SHA-256 of a file's bytes (CP1251 path); raises a system error.
std::string FileSha256(const std::string& path);
// Copies what is left of in to out, to in's end; raises a system error.
void CopyBytes(SFile& in, SFile& out);

// Writes one batch: the folder, the kept files and the journal. Keep every object first, then
// Commit (one journal flush, one folder flush), then change the objects and journal their
// outcomes, made durable by Flush in group commits; Finish closes the journal.
class TBatchRecorder {
public:
  // Creates the batch folder and journals the batch's line. undoes: the batch an undo reverses.
  TBatchRecorder(const char* kind, const TListInfo& info, bool docRussian,
                 const std::string& listName, const std::string& undoes = "");
  // A batch given up before Commit (its kept files taken, nothing replaced) is removed.
  ~TBatchRecorder();
  TBatchRecorder(const TBatchRecorder&) = delete;
  TBatchRecorder& operator=(const TBatchRecorder&) = delete;
  const std::string& Id() const { return Batch; }
  // Keeps the object's file real and journals the intent; returns the entry's number. A file
  // that cannot be kept raises: nothing is replaced before Commit. A ShaBefore given is taken
  // as the digest of real; without it the outcome brings the digest of the bytes replaced (the
  // kept file's).
  size_t Keep(TBatchEntry entry, const std::string& real);
  void Commit();
  // Journals the outcome of entry n; for a changed object the digest of real as it now is
  // (sha when the caller knows it) and, where the intent had none, the digest before (shaBefore,
  // else that of the kept file).
  void Outcome(size_t n, const std::string& result, const std::string& message,
               const std::string& real, const std::string& sha = "",
               const std::string& shaBefore = "");
  void Flush() { Journal->Flush(); }
  void Finish();
  const std::vector<TBatchEntry>& Entries() const { return Objects; }

private:
  std::string Batch, Dir;
  std::unique_ptr<TJournalWriter> Journal;
  std::vector<TBatchEntry> Objects;
  bool Committed = false;
};

// Removes a batch's folder, its journal first. The caller holds the suite lock.
void RemoveBatch(const std::string& id);

// The name a batch keeps entry n's file under.
std::string BackupName(int64_t n, const std::string& file);
// Keeps real as dir + name: a hard link, or where links are refused a copy made durable.
void KeepFile(const std::string& real, const std::string& target);

// Removes batches: all but the newest keep, or (olderThanDays >= 0) those started earlier.
// Unfinished batches are kept. Returns the names removed. The caller holds the suite lock.
std::vector<std::string> PruneBatches(long keep, long olderThanDays);

// Puts back what a batch changed (numbers: only those objects; empty: all). An object whose
// bytes are no longer what the batch wrote is refused with its reason. The undo is a batch of
// its own. list: the batch's list file when the caller has it open (else it is opened here);
// the caller holds the suite lock and the workflow's start-up is done.
struct TUndoItem {
  TBatchEntry Entry;  // of the batch undone
  std::string Result; // "restored", "refused", "failed"
  std::string Reason; // CP1251
};
struct TUndoResult {
  std::string Batch; // the undo's own batch ("" when nothing was to undo)
  std::vector<TUndoItem> Items;
};
// Told before each object the undo puts back: how many are done of how many, and its file.
using TUndoProgress = std::function<void(size_t done, size_t total, const std::string& file)>;
TUndoResult UndoBatch(const TBatchInfo& batch, const std::vector<uint32_t>& numbers,
                      WFile* list = nullptr, const TUndoProgress& progress = {});

// Completes the journals a crash left unfinished, from the files as they are: each object
// without an outcome is found changed or not by its digest, its list record's flags are made to
// match, and the journal is ended as recovered. Returns the batches completed. The caller holds
// the suite lock; the start-up of the workflow is done; open: a list file the caller has open.
std::vector<std::string> RecoverBatches(WFile* open = nullptr);
