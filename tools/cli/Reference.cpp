// ravinel-cli reference (show, learn, install, remove) and survey: the reference calculations
// in use, and the office's own ones learned from its objects and installed for its suite.
#include "tools/cli/Listsession.h"

#include "base/Codec.h"
#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "paths/Dpath.h"
#include "paths/Rdwr_cfg.h"
#include "storage/Sysio.h"
#include "workflow/Changetext.h"
#include "workflow/Refstore.h"
#include "workflow/Suitelock.h"
#include "workflow/Survey.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

std::string GroupTitle(int g) {
  return "group " + std::to_string(g) + ": kind " + std::to_string(g % 4) + ", " +
         (g % 8 < 4 ? "rus" : "ukr") + ", " + (g >= 8 ? "new" : "old");
}

std::string SourceLinesJson(const TRefCalc& c) {
  std::string out = "[";
  for (const TRefLine& l : c.Source)
    out += (out.size() > 1 ? "," : "") + std::string("{\"line\":") + std::to_string(l.Number) +
           ",\"code\":" + JsonString(Utf8FromCp1251(l.Code)) +
           ",\"name\":" + JsonString(Utf8FromCp1251(l.Name)) + "}";
  return out + "]";
}

std::string ResultLinesJson(const TRefCalc& c) {
  std::string out = "[";
  for (const TRefLine& l : c.Result)
    out += (out.size() > 1 ? "," : "") + std::string("{\"line\":") + std::to_string(l.Number) +
           ",\"final\":" + (l.Final ? "true" : "false") +
           ",\"name\":" + JsonString(Utf8FromCp1251(l.Name)) +
           ",\"formula\":" + JsonString(Utf8FromCp1251(l.Formula)) + "}";
  return out + "]";
}

void PrintCalc(int g, const TRefCalc& c, unsigned long bytes) {
  std::printf("%s, %lu bytes, %zu source lines, %zu result lines\n", GroupTitle(g).c_str(), bytes,
              c.Source.size(), c.Result.size());
  for (const TRefLine& l : c.Source)
    std::printf("  source %-3u %s %s\n", l.Number, Padded(Shown(l.Code), 8).c_str(),
                Shown(l.Name).c_str());
  for (const TRefLine& l : c.Result)
    std::printf("  result %-3u %-8s %s = %s\n", l.Number, l.Final ? "final" : "",
                Shown(l.Name).c_str(), Shown(l.Formula).c_str());
}

int ReferenceShow(TCliContext& o) {
  TCliSession session;
  std::string groups = "[";
  if (!o.Json) std::printf("%s\n", ReferenceLine().c_str());
  for (int g = 0; g < kRefGroups; ++g) {
    TRefCalc c = DecodeCalc(ReadGroupRecords(*FileRef, g));
    unsigned long bytes = FileRef->Dir[static_cast<size_t>(g)].Size;
    if (!o.Json) {
      PrintCalc(g, c, bytes);
      continue;
    }
    groups +=
        (g ? "," : "") + std::string("{\"group\":") + std::to_string(g) +
        ",\"kind\":" + std::to_string(g % 4) + ",\"lang\":" + (g % 8 < 4 ? "\"rus\"" : "\"ukr\"") +
        ",\"version\":" + (g >= 8 ? "\"new\"" : "\"old\"") + ",\"bytes\":" + std::to_string(bytes) +
        ",\"source\":" + SourceLinesJson(c) + ",\"result\":" + ResultLinesJson(c) + "}";
  }
  if (o.Json)
    std::printf("{\"reference\":%s,\"groups\":%s]}\n", ReferenceJson().c_str(), groups.c_str());
  return 0;
}

// GROUP=OBJECT; a group that is no number in 0..15 is refused as bad input, not as wrong usage.
TLearnPick ParsePick(const std::string& arg) {
  size_t eq = arg.find('=');
  if (eq == std::string::npos || eq + 1 == arg.size())
    throw TUsageError("expected GROUP=OBJECT, got '" + arg + "'");
  std::string g = arg.substr(0, eq);
  bool digits = !g.empty() && g.size() <= 4 && std::all_of(g.begin(), g.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
  });
  if (!digits) SetError(Cp1251FromUtf8(g), MsgRefGroupRange);
  return {std::stoi(g), ArgPath(arg.substr(eq + 1))};
}

// An owner the new file could not keep, on stderr.
void TellOwner(const TOwnerChange& owner, const std::string& file) {
  if (owner.Changed)
    std::fprintf(stderr, "warning: %s\n", Shown(OwnerWarning(owner, file)).c_str());
}

int ReferenceLearn(const std::vector<std::string>& args) {
  if (args.size() < 3) throw TUsageError("reference learn OUT GROUP=OBJECT...");
  TCliSession session; // its messages speak the session's language
  std::vector<TLearnPick> picks;
  for (size_t i = 2; i < args.size(); ++i)
    picks.push_back(ParsePick(args[i]));
  std::string out = ArgPath(args[1]);
  TellOwner(LearnReference(*FileRef, picks, out), out);
  std::printf("reference file %s written (from %s)\n", args[1].c_str(),
              ReferenceFromSuite() ? "the suite's installed file" : "the program's data");
  for (const TLearnPick& p : picks)
    std::printf("  %s <- %s\n", GroupTitle(p.first).c_str(), Utf8FromCp1251(p.second).c_str());
  return 0;
}

int ReferenceInstall(const std::vector<std::string>& args) {
  if (args.size() != 2) throw TUsageError("reference install FILE");
  std::string dir = GetDirCfg();
  ReadCfg(dir);           // the suite's interface language, for the messages
  TChangeLock suite(dir); // one writer of the suite's files at a time
  suite.RaiseUnlessCanChange();
  suite.ShowNotice();
  TellOwner(InstallReference(ArgPath(args[1]), dir), InstalledReferencePath(dir));
  std::printf("installed %s\n", sysio::OsPath(InstalledReferencePath(dir)).c_str());
  return 0;
}

int ReferenceRemove(const std::vector<std::string>& args) {
  if (args.size() != 1) throw TUsageError("reference remove");
  std::string dir = GetDirCfg();
  ReadCfg(dir);
  TChangeLock suite(dir);
  suite.RaiseUnlessCanChange();
  suite.ShowNotice();
  if (RemoveInstalledReference(dir))
    std::printf("removed %s: the data built into the program is used\n",
                sysio::OsPath(InstalledReferencePath(dir)).c_str());
  else
    std::printf("no reference file installed in %s\n", sysio::OsPath(dir).c_str());
  return 0;
}

int CmdReference(TCliContext& o, const std::vector<std::string>& args) {
  if (args.empty()) throw TUsageError("reference subcommand missing");
  const std::string& sub = args[0];
  if (sub == "show" && args.size() == 1) return ReferenceShow(o);
  if (sub == "learn") return ReferenceLearn(args);
  if (sub == "install") return ReferenceInstall(args);
  if (sub == "remove") return ReferenceRemove(args);
  if (args.size() != 1) throw TUsageError("unknown reference subcommand " + sub);
  ExtractReference(kProgramSelf, ArgPath(sub)); // FILE: the data built into the program
  return 0;
}

std::string NumbersText(const TSurveyCalc& c, const char* sep) {
  std::string out;
  for (uint32_t n : c.Numbers)
    out += (out.empty() ? "" : sep) + std::to_string(n);
  return out;
}

std::string FirstResultFormula(const TSurveyCalc& c) {
  TRefCalc d = DecodeCalc(c.Calc);
  return d.Result.empty() ? "" : d.Result[0].Formula;
}

std::string MatchText(const TSurveyCalc& c) {
  if (c.Match == TSurveyMatch::Neither) return "neither reference (user-changed)";
  return std::string(c.Match == TSurveyMatch::Old ? "old" : "new") + " reference (group " +
         std::to_string(c.RefGroup) + ")";
}

void PrintSurvey(const TSurvey& s, const std::string& list, bool russian, size_t objects) {
  std::printf("%s\n", ReferenceLine().c_str());
  std::printf("list %s (%s): %zu objects, %zu distinct calculations; missing %d, unreadable %d, "
              "without P145 %d\n",
              list.c_str(), russian ? "rus" : "ukr", objects, s.Calcs.size(), s.Missing,
              s.Unreadable, s.WithoutP145);
  int kind = -1;
  for (const TSurveyCalc& c : s.Calcs) {
    if (c.Kind != kind) std::printf("kind %d, %s:\n", kind = c.Kind, russian ? "rus" : "ukr");
    TRefCalc d = DecodeCalc(c.Calc);
    std::printf("  %d object%s (%s%s): %s; %zu source lines, first result line %s\n", c.Objects,
                c.Objects == 1 ? "" : "s", NumbersText(c, " ").c_str(),
                c.Objects > static_cast<int>(c.Numbers.size()) ? " ..." : "", MatchText(c).c_str(),
                d.Source.size(), Shown(FirstResultFormula(c)).c_str());
  }
}

std::string SurveyJson(const TSurvey& s) {
  std::string out = "[";
  for (const TSurveyCalc& c : s.Calcs)
    out += (out.size() > 1 ? "," : "") + std::string("{\"kind\":") + std::to_string(c.Kind) +
           ",\"lang\":" + (c.Russian ? "\"rus\"" : "\"ukr\"") +
           ",\"objects\":" + std::to_string(c.Objects) + ",\"numbers\":[" + NumbersText(c, ",") +
           "],\"equals\":" + JsonString(SurveyMatchName(c.Match)) +
           ",\"group\":" + std::to_string(c.RefGroup) +
           ",\"sources\":" + std::to_string(DecodeCalc(c.Calc).Source.size()) +
           ",\"first\":" + JsonString(Utf8FromCp1251(FirstResultFormula(c))) + "}";
  return out + "]";
}

int CmdSurvey(TCliContext& o, const std::vector<std::string>& args) {
  if (args.size() != 1) throw TUsageError("survey LIST");
  TListSession s(o, ParseList(args[0]));
  TObjectFiles files = s.Files();
  std::vector<TObjLine> lines = LoadObjectLines(files, s.Info, s.Russian);
  TSurvey survey = SurveyObjectLines(files, s.Info, lines, s.Russian);
  if (!o.Json) {
    PrintSurvey(survey, args[0], s.Russian, lines.size());
    return 0;
  }
  std::printf("{%s,\"objects\":%zu,\"missing\":%d,\"unreadable\":%d,\"withoutp145\":%d,"
              "\"calculations\":%s}\n",
              ListJsonHead(s, args[0]).c_str(), lines.size(), survey.Missing, survey.Unreadable,
              survey.WithoutP145, SurveyJson(survey).c_str());
  return 0;
}

} // namespace

void AddReferenceCommands(std::vector<TCommand>& table) {
  table.push_back({"survey", "LIST",
                   "the distinct P145 calculations of a list's objects, against the references",
                   CmdSurvey});
  table.push_back({"reference", "show | learn OUT GROUP=OBJECT... | install FILE | remove | FILE",
                   "show the reference data in use; learn a reference file from objects; install "
                   "it for the suite or remove it; FILE: write the data built into the program",
                   CmdReference});
}
