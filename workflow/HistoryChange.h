// The history of one batch change: the objects' files kept and the intents journalled before
// anything is replaced, the outcomes journalled after, with the list file's records made
// durable once for the whole batch.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "workflow/History.h"

class TChangeHistory {
public:
  // Completes the journals a crash left unfinished, then keeps the file of every chosen line
  // whose object exists and journals its intent, made durable with one journal flush and one
  // folder flush. Raises when a file cannot be kept (a full disk): then nothing is replaced.
  // The list file's writes are left unflushed until End.
  TChangeHistory(WFile& list, const TListInfo& info, const std::vector<const TObjLine*>& chosen,
                 unsigned char russian);
  ~TChangeHistory();
  TChangeHistory(const TChangeHistory&) = delete;
  TChangeHistory& operator=(const TChangeHistory&) = delete;
  // Makes the list file's records durable and journals every outcome (lines not reached as
  // skipped) and the batch's end.
  void End(const std::vector<TChangeItem>& results);
  std::string Batch() const { return Recorder ? Recorder->Id() : ""; }
  // Batches completed from the files at the start.
  std::vector<std::string> Recovered;

private:
  WFile& List;
  std::unique_ptr<TBatchRecorder> Recorder;
  std::vector<std::pair<const TObjLine*, size_t>> EntryOf; // line -> entry
  bool ListDurable = true;
  bool Ended = false;
};
