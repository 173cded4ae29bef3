// The history commands of ravinel-cli: batches listed and shown, old ones pruned, a batch
// undone, and its report written as CSV or HTML.
#include "tools/cli/Listsession.h"

#include "base/Codec.h"
#include "messages/Utslang.h"
#include "messages/Zmsg.h"
#include "paths/Dpath.h"
#include "storage/Sysio.h"
#include "workflow/History.h"
#include "workflow/Historyreport.h"
#include "workflow/Suitelock.h"

#include <cstdio>

namespace {

std::string U(const std::string& cp) {
  return Utf8FromCp1251(cp);
}

std::string BatchJson(const TBatchInfo& b) {
  return "{\"batch\":" + JsonString(b.Id) + ",\"kind\":" + JsonString(b.Kind) +
         ",\"started\":" + JsonString(b.Started) + ",\"ended\":" + JsonString(b.Ended) +
         ",\"finished\":" + (b.Finished ? "true" : "false") +
         ",\"recovered\":" + (b.Recovered ? "true" : "false") +
         ",\"host\":" + JsonString(U(b.Host)) + ",\"user\":" + JsonString(U(b.User)) +
         ",\"pid\":" + std::to_string(b.Pid) + ",\"list\":" + JsonString(U(b.List)) +
         ",\"undoes\":" + JsonString(b.Undoes) +
         ",\"objects\":" + std::to_string(b.Objects.size()) +
         ",\"changed\":" + std::to_string(b.Count(kResChanged) + b.Count(kResWarning)) +
         ",\"failed\":" + std::to_string(b.Count(kResFailed)) +
         ",\"bytes\":" + std::to_string(b.Bytes) + "}";
}

std::string EntryJson(const TBatchEntry& e) {
  return "{\"n\":" + std::to_string(e.N) + ",\"number\":" + std::to_string(e.Number) +
         ",\"variant\":" + JsonString(U(e.Variant)) + ",\"file\":" + JsonString(U(e.File)) +
         ",\"state\":" + JsonString(e.State) + ",\"result\":" + JsonString(e.Result) +
         ",\"flags_before\":" + std::to_string(e.FlagsBefore) +
         ",\"sha_before\":" + JsonString(e.ShaBefore) + ",\"sha_after\":" + JsonString(e.ShaAfter) +
         ",\"backup\":" + JsonString(U(e.Backup)) + ",\"message\":" + JsonString(U(e.Message)) +
         "}";
}

void PrintBatchLine(const TBatchInfo& b) {
  std::printf("%-24s %-6s %-20s %-12s %-12s %-14s %4zu %4zu %4zu %10llu%s\n", b.Id.c_str(),
              b.Kind.c_str(), b.Started.c_str(), Padded(U(b.User), 12).c_str(),
              Padded(U(b.Host), 12).c_str(), Padded(U(b.List), 14).c_str(), b.Objects.size(),
              b.Count(kResChanged) + b.Count(kResWarning), b.Count(kResFailed),
              static_cast<unsigned long long>(b.Bytes),
              !b.Finished ? U(ByIface(" (не завершен)", " (не завершено)")).c_str()
              : b.Recovered ? U(ByIface(" (восстановлен)", " (відновлено)")).c_str()
                            : "");
}

int HistoryList(TCliContext& o) {
  TCliSession session;
  std::vector<std::string> ids = ListBatches();
  if (o.Json) {
    std::string out = "[";
    for (size_t i = 0; i < ids.size(); ++i)
      out += (i ? "," : "") + BatchJson(ReadBatch(ids[i]));
    std::printf("{\"history\":%s,\"batches\":%s]}\n",
                JsonString(sysio::OsPath(HistoryDir())).c_str(), out.c_str());
    return 0;
  }
  std::printf("%s\n", U(ByIface("пакет                    вид    начат                пользователь "
                                "компьютер    список         объ. изм. ошиб.      байт",
                                "пакет                    вид    почато               користувач   "
                                "комп'ютер    список         об'є зм.  пом.       байт"))
                          .c_str());
  int rc = 0;
  for (const std::string& id : ids) {
    try {
      PrintBatchLine(ReadBatch(id));
    } catch (const ZError& e) { // a damaged batch is named; the others are still listed
      std::printf("%-24s %s\n", id.c_str(), U(MessageLine(e.Text, e.Number)).c_str());
      rc = 1;
    }
  }
  return rc;
}

int HistoryShow(TCliContext& o, const std::string& id) {
  TCliSession session;
  TBatchInfo b = ReadBatch(id);
  if (o.Json) {
    std::string out = "[";
    for (size_t i = 0; i < b.Objects.size(); ++i)
      out += (i ? "," : "") + EntryJson(b.Objects[i]);
    std::printf("{\"batch\":%s,\"objects\":%s]}\n", BatchJson(b).c_str(), out.c_str());
    return 0;
  }
  PrintBatchLine(b);
  for (const TBatchEntry& e : b.Objects)
    std::printf("%6lld %-8u %-8s %-18s %-22s %s%s%s\n", static_cast<long long>(e.N), e.Number,
                Padded(U(e.Variant), 8).c_str(), Padded(U(e.File), 18).c_str(),
                (e.Done ? e.Result : std::string("?")).c_str(), e.ShaAfter.substr(0, 12).c_str(),
                e.Message.empty() ? "" : " ", U(e.Message).c_str());
  return 0;
}

// The suite lock for a command that writes the history; held by another session: exit 1.
struct THistoryLock {
  THistoryLock() : Lock(GetDirCfg()) {
    Lock.RaiseUnlessCanChange();
    Lock.ShowNotice();
  }
  TChangeLock Lock;
};

int HistoryPrune(TCliContext& o, const std::vector<std::string>& args) {
  if (args.size() != 3 || (args[1] != "--keep" && args[1] != "--older-than"))
    throw TUsageError("history prune --keep N | --older-than DAYS");
  long v = ParseNumber(args[2], args[1]);
  TCliSession::RequireSingleInstance();
  THistoryLock lock;
  TCliSession session(true);
  std::vector<std::string> removed = args[1] == "--keep" ? PruneBatches(v, -1) : PruneBatches(0, v);
  if (o.Json) {
    std::string out = "[";
    for (size_t i = 0; i < removed.size(); ++i)
      out += (i ? "," : "") + JsonString(removed[i]);
    std::printf("{\"removed\":%s]}\n", out.c_str());
  } else {
    for (const std::string& id : removed)
      std::printf("%s %s\n", U(ByIface("удален", "видалено")).c_str(), id.c_str());
  }
  return 0;
}

int CmdHistory(TCliContext& o, const std::vector<std::string>& args) {
  if (args.empty()) return HistoryList(o);
  if (args[0] == "show" && args.size() == 2) return HistoryShow(o, args[1]);
  if (args[0] == "prune") return HistoryPrune(o, args);
  throw TUsageError("history [show BATCH | prune --keep N | --older-than DAYS]");
}

} // namespace

void PrintRecoveredBatches(const std::vector<std::string>& ids) {
  for (const std::string& id : ids)
    std::fprintf(stderr, "%s %s\n",
                 U(ByIface("пакет, прерванный сбоем, завершен по файлам:",
                           "пакет, перерваний збоєм, завершено за файлами:"))
                     .c_str(),
                 id.c_str());
}

namespace {

int CmdUndo(TCliContext& o, const std::vector<std::string>& args) {
  if (args.empty()) throw TUsageError("undo BATCH [NUMBER...]");
  std::vector<uint32_t> numbers;
  for (size_t i = 1; i < args.size(); ++i)
    numbers.push_back(static_cast<uint32_t>(ParseNumber(args[i], "NUMBER")));
  TCliSession::RequireSingleInstance();
  THistoryLock lock;
  TBatchInfo head;
  {
    TCliSession probe(true);
    PrintRecoveredBatches(RecoverBatches());
    head = ReadBatch(args[0]);
  }
  TCliContext docs = o;
  docs.Russian = head.DocRussian();
  TListSession s(docs, head.ListInfo(), true);
  TUndoResult r = UndoBatch(ReadBatch(args[0]), numbers, FileList);
  size_t restored = 0, refused = 0;
  for (const TUndoItem& it : r.Items) {
    restored += it.Result == "restored";
    refused += it.Result != "restored";
  }
  if (o.Json) {
    std::string out = "[";
    for (size_t i = 0; i < r.Items.size(); ++i)
      out += (i ? "," : "") + std::string("{\"number\":") +
             std::to_string(r.Items[i].Entry.Number) +
             ",\"variant\":" + JsonString(U(r.Items[i].Entry.Variant)) +
             ",\"result\":" + JsonString(r.Items[i].Result) +
             ",\"reason\":" + JsonString(U(r.Items[i].Reason)) + "}";
    std::printf("{\"undone\":%s,\"batch\":%s,\"items\":%s],\"restored\":%zu,\"refused\":%zu}\n",
                JsonString(args[0]).c_str(), JsonString(r.Batch).c_str(), out.c_str(), restored,
                refused);
  } else {
    for (const TUndoItem& it : r.Items)
      std::printf("%u%s%s %s%s%s\n", it.Entry.Number, it.Entry.Variant.empty() ? "" : " ",
                  Shown(it.Entry.Variant).c_str(), it.Result.c_str(), it.Reason.empty() ? "" : ": ",
                  U(it.Reason).c_str());
    std::printf("%s %zu, %s %zu%s%s\n", U(ByIface("восстановлено", "відновлено")).c_str(), restored,
                U(ByIface("отказано", "відмовлено")).c_str(), refused,
                r.Batch.empty() ? "" : U(ByIface(", пакет отмены ", ", пакет скасування ")).c_str(),
                r.Batch.c_str());
  }
  return refused == 0 ? 0 : 1;
}

int CmdReport(TCliContext&, const std::vector<std::string>& args) {
  if (args.size() != 3 || (args[1] != "--csv" && args[1] != "--html"))
    throw TUsageError("report BATCH --csv FILE | --html FILE");
  TCliSession session;
  TBatchInfo b = ReadBatch(args[0]);
  std::vector<TReportLine> lines = ReportLines(b);
  std::string text = args[1] == "--csv" ? ReportCsv(b, lines) : ReportHtml(b, lines);
  WriteReportFile(ArgPath(args[2]), text);
  return 0;
}

} // namespace

void AddHistoryCommands(std::vector<TCommand>& table) {
  table.push_back({"history", "[show BATCH | prune --keep N | --older-than DAYS]",
                   "batches of changes kept in the suite, one batch's objects, old batches removed",
                   CmdHistory});
  table.push_back({"undo", "BATCH [NUMBER...]",
                   "put back the objects a batch changed, where nobody changed them since",
                   CmdUndo});
  table.push_back({"report", "BATCH (--csv FILE | --html FILE)",
                   "what a batch changed, as a table or a printable page", CmdReport});
}
