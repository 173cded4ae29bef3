// The correction from the command line: the same start-up, object tables, check and change as
// the windowed program, with text or JSON output.
#include "tools/cli/Listsession.h"

#include "base/Codec.h"
#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "paths/Dpath.h"
#include "paths/Rdwr_cfg.h"
#include "storage/Sysio.h"
#include "tools/demosuite/Demosuite.h"
#include "workflow/History.h"
#include "workflow/Instance.h"
#include "workflow/Batch.h"
#include "workflow/Objects.h"
#include "workflow/Suitelock.h"
#include "workflow/Ucommon.h"

#include <cstdio>
#include <cstdlib>
#include <set>
#include <unistd.h>

namespace {

const char* StateName(uint8_t bits) {
  if (bits & stMissing) return "missing";
  if (bits & stReplaced) return "replaced";
  if (bits & stUnreadable) return "unreadable";
  if (bits & stUserChanged) return "user-changed";
  if (bits & stReplaceable) return "replaceable";
  return "unchecked";
}

std::string OsPathOf(const TObjLine& l) {
  return l.File.empty() ? "" : sysio::OsPath(GetRealName(l.File));
}

std::string LinesJson(const std::vector<TObjLine>& lines) {
  std::string out = "[";
  for (size_t i = 0; i < lines.size(); ++i) {
    const TObjLine& l = lines[i];
    out += (i ? "," : "") + std::string("{\"line\":") + std::to_string(i) +
           ",\"number\":" + std::to_string(l.Number) +
           ",\"variant\":" + JsonString(Utf8FromCp1251(l.Variant)) +
           ",\"kind\":" + std::to_string(l.Kind) + ",\"hidden\":" + (l.Hidden ? "true" : "false") +
           ",\"file\":" + JsonString(Utf8FromCp1251(l.File)) +
           ",\"path\":" + JsonString(OsPathOf(l)) + ",\"state\":" + JsonString(StateName(l.State)) +
           ",\"bits\":" + std::to_string(l.State) + "}";
  }
  return out + "]";
}

void PrintLines(const std::vector<TObjLine>& lines) {
  std::printf("%-4s %-8s %-8s %-4s %-6s %-18s %-40s %s\n", "line", "number", "variant", "kind",
              "hidden", "file", "path", "state");
  for (size_t i = 0; i < lines.size(); ++i) {
    const TObjLine& l = lines[i];
    std::printf("%-4zu %-8u %s %-4d %-6s %s %s %s\n", i, l.Number,
                Padded(Shown(l.Variant), 8).c_str(), l.Kind, l.Hidden ? "yes" : "no",
                Padded(Shown(l.File), 18).c_str(), Padded(OsPathOf(l), 40).c_str(),
                StateName(l.State));
  }
}

std::vector<const TObjLine*> SelectLines(const std::vector<TObjLine>& lines,
                                         const std::vector<std::string>& args) {
  std::vector<const TObjLine*> chosen;
  if (args.size() == 2 && args[1] == "--all") {
    for (const TObjLine& l : lines)
      if (l.State & stReplaceable) chosen.push_back(&l);
    return chosen;
  }
  if (args.size() < 2) throw TUsageError("change LIST (NUMBER... | --all)");
  std::set<uint32_t> wanted;
  for (size_t i = 1; i < args.size(); ++i) {
    char* end = nullptr;
    unsigned long n = std::strtoul(args[i].c_str(), &end, 10);
    if (args[i].empty() || *end || n > 0xFFFFFFFFul)
      throw TUsageError("bad number '" + args[i] + "'");
    bool listed = false;
    for (const TObjLine& l : lines)
      listed |= l.Number == n;
    if (!listed) throw TUsageError("object " + args[i] + " is not in the list");
    wanted.insert(static_cast<uint32_t>(n));
  }
  for (const TObjLine& l : lines)
    if (wanted.count(l.Number)) chosen.push_back(&l);
  return chosen;
}

} // namespace

namespace {

int CmdCheck(TCliContext& o, const std::vector<std::string>& args) {
  if (args.size() != 1) throw TUsageError("check LIST");
  TListSession s(o, ParseList(args[0]));
  std::vector<TObjLine> lines = s.Check();
  if (o.Json) {
    std::printf("{%s,\"lines\":%s}\n", ListJsonHead(s, args[0]).c_str(), LinesJson(lines).c_str());
  } else {
    std::printf("%s\n", ReferenceLine().c_str());
    PrintLines(lines);
  }
  return 0;
}

int CmdChange(TCliContext& o, const std::vector<std::string>& args) {
  if (args.empty()) throw TUsageError("change LIST (NUMBER... | --all)");
  TListInfo info = ParseList(args[0]);
  // The suite lock before anything is written; held by another session: exit 1, no change.
  TListSession::RequireSingleInstance();
  TChangeLock suite(GetDirCfg());
  suite.RaiseUnlessCanChange();
  suite.ShowNotice();
  TListSession s(o, info, true);
  PrintRecoveredBatches(RecoverBatches(FileList)); // before the check: its states then hold
  std::vector<TObjLine> lines = s.Check();
  std::vector<TChangeFailure> failures;
  TObjectFiles files = s.Files();
  TChangeHooks hooks;
  std::string batch;
  hooks.Batch = &batch;
  std::vector<TChangeItem> results =
      ChangeObjects(files, s.Info, SelectLines(lines, args), s.Russian, failures, hooks);
  std::string logError;
  std::string log = WriteChangeProtocol(s.ListName, failures, logError);
  if (!logError.empty())
    std::fprintf(stderr, "error protocol not written: %s\n", Shown(logError).c_str());
  int changed = 0, warned = 0;
  for (const TChangeItem& r : results) {
    changed += r.Outcome.Result == TChangeResult::Changed;
    warned += !r.Outcome.Warning.empty();
  }
  size_t failed = FailedCount(failures);
  std::vector<TObjLine> after = s.Check();
  if (o.Json) {
    std::string rs = "[";
    for (size_t i = 0; i < results.size(); ++i) {
      const TChangeItem& r = results[i];
      rs += (i ? "," : "") + std::string("{\"number\":") + std::to_string(r.Line->Number) +
            ",\"variant\":" + JsonString(Utf8FromCp1251(r.Line->Variant)) +
            ",\"result\":" + JsonString(ChangeResultName(r.Outcome.Result)) +
            ",\"error\":" + JsonString(Utf8FromCp1251(r.Outcome.Error)) +
            ",\"warning\":" + JsonString(Utf8FromCp1251(r.Outcome.Warning)) + "}";
    }
    std::printf("{%s,\"batch\":%s,\"results\":%s],\"changed\":%d,\"warnings\":%d,\"failed\":%zu,"
                "\"protocol\":%s,\"lines\":%s}\n",
                ListJsonHead(s, args[0]).c_str(), JsonString(batch).c_str(), rs.c_str(), changed,
                warned, failed, JsonString(log.empty() ? "" : sysio::OsPath(log)).c_str(),
                LinesJson(after).c_str());
  } else {
    std::printf("%s\n", ReferenceLine().c_str());
    for (const TChangeItem& r : results) {
      std::string res = ChangeResultName(r.Outcome.Result);
      if (r.Outcome.Result == TChangeResult::Failed) res += ": " + Shown(r.Outcome.Error);
      if (!r.Outcome.Warning.empty()) res += ", warning: " + Shown(r.Outcome.Warning);
      std::printf("%u%s%s %s\n", r.Line->Number, r.Line->Variant.empty() ? "" : " ",
                  Shown(r.Line->Variant).c_str(), res.c_str());
    }
    std::printf("changed %d, with warnings %d, failed %zu\n", changed, warned, failed);
    std::printf("history batch: %s\n", batch.c_str());
    if (!log.empty()) std::printf("error protocol: %s\n", sysio::OsPath(log).c_str());
    PrintLines(after);
  }
  return failed == 0 ? 0 : 1;
}

int CmdDemo(TCliContext&, const std::vector<std::string>& args) {
  if (args.empty()) throw TUsageError("demo DIR [--projects N] [--blocks N] [--seed S]");
  TDemoOptions opt;
  for (size_t i = 1; i < args.size(); i += 2) {
    if (i + 1 >= args.size()) throw TUsageError("missing value after " + args[i]);
    char* end = nullptr;
    long v = std::strtol(args[i + 1].c_str(), &end, 10);
    if (*end || v < 0 || v > 100000) throw TUsageError("bad value '" + args[i + 1] + "'");
    if (args[i] == "--projects")
      opt.Projects = static_cast<int>(v);
    else if (args[i] == "--blocks")
      opt.Blocks = static_cast<int>(v);
    else if (args[i] == "--seed")
      opt.Seed = static_cast<uint32_t>(v);
    else
      throw TUsageError("unknown option " + args[i]);
  }
  std::string dir = args[0];
  if (dir.empty()) throw TUsageError("empty DIR");
  if (dir[0] != '/') dir = Utf8FromCp1251(GetCurrentDir()) + "/" + dir;
  while (dir.size() > 1 && dir.back() == '/')
    dir.pop_back();
  std::string cpDir = Cp1251FromUtf8(dir);
  if (Utf8FromCp1251(cpDir) != dir) SetError("Имя каталога вне кодовой страницы 1251: " + cpDir, 0);
  std::vector<std::string> names;
  if (sysio::DirExists(cpDir) && sysio::ListDir(cpDir, names) == 0 && !names.empty())
    SetError("Каталог " + cpDir + " не пуст", 0);
  if (!sysio::DirExists(cpDir) && sysio::Mkdir(cpDir, 0777) != 0)
    OutSystemError("Каталог " + cpDir);
  std::string ref = cpDir + "/oldnew145.tmp";
  ExtractReference(kProgramSelf, ref);
  try {
    CreateDemoSuite(cpDir, ref, opt);
  } catch (...) {
    sysio::Unlink(ref);
    throw;
  }
  sysio::Unlink(ref);
  std::printf("demo suite created in %s\n", dir.c_str());
  return 0;
}

} // namespace

void AddCorrectionCommands(std::vector<TCommand>& table) {
  table.push_back(
      {"check", "LIST", "states of the objects of a list (ss, dc, pd, bn0..bn3)", CmdCheck});
  table.push_back({"change", "LIST (NUMBER... | --all)",
                   "replace the old P145 calculation of the given or of all replaceable objects",
                   CmdChange});
  table.push_back({"demo", "DIR [--projects N] [--blocks N] [--seed S]",
                   "create a demo suite in an empty directory", CmdDemo});
}
