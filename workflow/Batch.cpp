// The batch change over the chosen lines of a list, its error protocol and its counts.
// The objects themselves are changed by ChangeObject; the history keeps what they held.
#include "workflow/Batch.h"

#include "base/Sha256pool.h"
#include "messages/Msgcat.h"
#include "messages/Utslang.h"
#include "messages/Zmsg.h"
#include "paths/Dlist.h"
#include "paths/Dpath.h"
#include "storage/Dsfile.h"
#include "workflow/Changetext.h"
#include "workflow/HistoryChange.h"

#include <algorithm>

namespace {
// Flushes the directories the batch changed; the objects changed in a directory whose flush
// failed are in place but may not survive a power loss: their results carry a warning.
void FlushDirs(const TPendingDirs& pending, const std::vector<std::string>& dirOf,
               std::vector<TChangeItem>& results) {
  for (const auto& [dir, file] : pending) {
    std::string warning = FlushDir(file, nullptr);
    if (warning.empty()) continue;
    for (size_t i = 0; i < results.size(); ++i) {
      TChangeOutcome& out = results[i].Outcome;
      if (dirOf[i] == dir) out.Warning = JoinWarnings(out.Warning, warning);
    }
  }
}

void AddWarnings(const std::vector<TChangeItem>& results, std::vector<TChangeFailure>& failures) {
  std::string label = ChangeText(TChangeText::WarningLabel) + ": ";
  for (const TChangeItem& r : results)
    if (!r.Outcome.Warning.empty())
      failures.push_back(
          {r.Line->Number, r.Line->Variant, r.Line->File, label + r.Outcome.Warning, true});
}
} // namespace

std::vector<TChangeItem> ChangeObjects(TObjectFiles& files, const TListInfo& info,
                                       const std::vector<const TObjLine*>& chosen,
                                       unsigned char russian, std::vector<TChangeFailure>& failures,
                                       const TChangeHooks& hooks) {
  std::vector<TChangeItem> results;
  std::vector<std::string> dirOf; // per result: the directory its rename left unflushed
  TPendingDirs pending;
  WRec listRec;
  TDigestPool digests; // the objects' bytes are hashed while their files are flushed
  TChangeHistory history(files.List, info, chosen, russian);
  if (hooks.Batch) *hooks.Batch = history.Batch();
  for (size_t k = 0; k < chosen.size(); ++k) {
    if (hooks.Progress && !hooks.Progress(k, chosen.size())) break;
    const TObjLine* l = chosen[k];
    TChangeOutcome out;
    TPendingDirs mine;
    TListWriter write = [&](WRec* rec) { files.List.WUpdate(l->Adr, rec); };
    if (hooks.WriteList) write = [&](WRec* rec) { hooks.WriteList(k, rec); };
    try {
      files.List.WRead(l->Adr, &listRec);
      out = ChangeObject(files, info, *l, listRec, russian, write, &mine, &digests);
    } catch (const std::exception& e) { // the list record could not be read
      out = {TChangeResult::Failed, ErrorText(e)};
    }
    if (out.Result == TChangeResult::Failed || out.Result == TChangeResult::UnsafeName)
      failures.push_back({l->Number, l->Variant, l->File, out.Error});
    results.push_back({l, out});
    dirOf.push_back(mine.empty() ? "" : mine.begin()->first);
    pending.insert(mine.begin(), mine.end());
  }
  FlushDirs(pending, dirOf, results);
  history.End(results);
  AddWarnings(results, failures);
  return results;
}

size_t FailedCount(const std::vector<TChangeFailure>& failures) {
  return static_cast<size_t>(
      std::count_if(failures.begin(), failures.end(), [](const auto& f) { return !f.Warning; }));
}

std::string WriteChangeProtocol(const std::string& listName,
                                const std::vector<TChangeFailure>& failures) {
  if (failures.empty()) return "";
  try {
    GetAliasPath("LOG");
  } catch (const ZError&) {
    return "";
  }
  std::string log;
  CreatNameLog(listName, log, "", true);
  SFile out(log, fmRewrite);
  out.SWrite(FailedCount(failures) ? ByIface("Ошибки замены расчета П145, список ",
                                             "Помилки заміни розрахунку П145, список ") +
                                         listName
                                   : ChangeText(TChangeText::WarningsHeading, listName));
  for (const TChangeFailure& f : failures) {
    std::string object = std::to_string(f.Number) + (f.Variant.empty() ? "" : " " + f.Variant);
    out.SWrite(ByIface("Объект ", "Об'єкт ") + object + ByIface(", файл ", ", файл ") + f.File +
               ": " + f.Message);
  }
  out.Sync();
  return log;
}

std::string WriteChangeProtocol(const std::string& listName,
                                const std::vector<TChangeFailure>& failures, std::string& error) {
  try {
    return WriteChangeProtocol(listName, failures);
  } catch (const std::exception& e) {
    error = ErrorText(e);
    return "";
  }
}
