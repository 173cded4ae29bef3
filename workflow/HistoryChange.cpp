// The history's part of the batch change: kept files and intents first, outcomes at the end.
#include "workflow/HistoryChange.h"

#include "messages/Zmsg.h"
#include "paths/Dpath.h"
#include "storage/Dwfile.h"
#include "storage/Sysio.h"
#include "workflow/Fieldlists.h"

#include <cerrno>
#include <map>

namespace {

const char* StateText(uint8_t bits) {
  if (bits & stReplaceable) return "replaceable";
  if (bits & stReplaced) return "replaced";
  if (bits & stUserChanged) return "user-changed";
  return "unchecked";
}

TBatchEntry EntryOfLine(WFile& list, const TListInfo& info, const TObjLine& l) {
  TBatchEntry e;
  e.Number = l.Number;
  e.Variant = l.Variant;
  e.File = l.File;
  e.Adr = l.Adr;
  e.State = StateText(l.State);
  if (info.Projects()) {
    WRec rec;
    list.WRead(l.Adr, &rec);
    TRecImage image;
    image.Resize(ImageSize(*ListFields147));
    RecStruct(ListFields147, &rec, image);
    e.FlagsBefore = image.Get<uint32_t>(kImgFlags);
  }
  return e;
}

const char* ResultOf(const TChangeOutcome& out) {
  switch (out.Result) {
  case TChangeResult::Changed:
    return out.Warning.empty() ? kResChanged : kResWarning;
  case TChangeResult::Failed:
  case TChangeResult::UnsafeName:
    return kResFailed;
  default:
    return kResSkipped;
  }
}

} // namespace

TChangeHistory::TChangeHistory(WFile& list, const TListInfo& info,
                               const std::vector<const TObjLine*>& chosen, unsigned char russian)
    : List(list) {
  Recovered = RecoverBatches(&list);
  ListDurable = List.Durable;
  List.Durable = false;
  Recorder = std::make_unique<TBatchRecorder>("change", info, russian != 0,
                                              ListAliasName(info, russian != 0));
  for (const TObjLine* l : chosen) {
    if (l->File.empty()) continue;
    std::string real = GetRealName(l->File);
    struct stat st;
    if (sysio::Stat(real, &st) != 0) {
      if (errno == ENOENT) continue; // missing: the change reports it so
      OutSystemErrorCode(real, errno);
    }
    EntryOf.emplace_back(l, Recorder->Keep(EntryOfLine(List, info, *l), real));
  }
  Recorder->Commit();
}

TChangeHistory::~TChangeHistory() {
  List.Durable = ListDurable;
}

void TChangeHistory::End(const std::vector<TChangeItem>& results) {
  if (Ended) return;
  Ended = true;
  List.File->Sync();
  std::map<const TObjLine*, const TChangeOutcome*> outcomes;
  for (const TChangeItem& r : results)
    outcomes[r.Line] = &r.Outcome;
  for (const auto& [line, n] : EntryOf) {
    auto found = outcomes.find(line);
    const TChangeOutcome* out = found == outcomes.end() ? nullptr : found->second;
    std::string message = out ? (out->Error.empty() ? out->Warning : out->Error) : "";
    std::string after = out && out->After.valid() ? out->After.get() : "";
    std::string before = out && out->Before.valid() ? out->Before.get() : "";
    Recorder->Outcome(n, out ? ResultOf(*out) : kResSkipped, message, GetRealName(line->File),
                      after, before);
  }
  Recorder->Finish();
}
