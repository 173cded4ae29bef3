// Commands on record files: dump, create, compress, unused.
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <sstream>

#include "base/Codec.h"
#include "storage/Dutilfile.h"
#include "storage/Dwfile.h"
#include "tools/cli/Cli.h"
#include "workflow/Changetext.h"

namespace {
constexpr size_t kHexShown = 24; // data bytes shown in text output

struct TRecordOut {
  uint32_t Offset;
  int Prefix;
  uint32_t Link;
  std::string Data;
};

// Reads the current chain of f up to its end marker.
std::vector<TRecordOut> ReadChain(WFile& f) {
  std::vector<TRecordOut> out;
  WRec rec;
  while (f.WRead(&rec))
    out.push_back({f.LastAdr, rec.Prefix, rec.Adr, std::string(rec.Data, rec.Len)});
  return out;
}

std::string RecordsJson(const std::vector<TRecordOut>& recs) {
  std::ostringstream s;
  s << "[";
  for (size_t i = 0; i < recs.size(); ++i) {
    const TRecordOut& r = recs[i];
    s << (i ? "," : "") << "{\"offset\":" << r.Offset << ",\"prefix\":" << r.Prefix
      << ",\"link\":" << r.Link << ",\"length\":" << r.Data.size() << ",\"data\":\""
      << Hex(r.Data.data(), r.Data.size(), "") << "\"}";
  }
  s << "]";
  return s.str();
}

void RecordsText(std::ostream& s, const std::vector<TRecordOut>& recs) {
  s << "  offset      prefix  link        length  data\n";
  for (const TRecordOut& r : recs) {
    size_t shown = std::min(r.Data.size(), kHexShown);
    char head[80];
    std::string link = r.Link == EmptyAdr ? "-" : std::to_string(r.Link);
    std::snprintf(head, sizeof head, "  %-10u  %6d  %-10s  %6zu  ", r.Offset, r.Prefix,
                  link.c_str(), r.Data.size());
    s << head << Hex(r.Data.data(), shown, " ") << (shown < r.Data.size() ? " ..." : "") << "  |"
      << Preview(r.Data.data(), std::min<size_t>(r.Data.size(), 64)) << "|\n";
  }
}

int DumpSimple(TCliContext& ctx, const std::string& name) {
  WFile f(name, fmRead);
  std::vector<TRecordOut> recs = ReadChain(f);
  if (ctx.Json) {
    std::cout << "{\"end\":" << f.Header.End << ",\"records\":" << RecordsJson(recs) << "}\n";
    return 0;
  }
  std::ostringstream s;
  s << "file: " << Utf8FromCp1251(f.Name) << "\nend: " << f.Header.End << "\n";
  RecordsText(s, recs);
  std::cout << s.str();
  return 0;
}

int Dump(TCliContext& ctx, const std::vector<std::string>& args) {
  bool simple = false;
  std::vector<std::string> pos;
  for (const std::string& a : args) {
    if (a == "--simple")
      simple = true;
    else if (!a.empty() && a[0] == '-')
      throw TUsageError("unknown option " + a);
    else
      pos.push_back(a);
  }
  if (pos.empty()) throw TUsageError("no file given");
  std::string name = ArgPath(pos[0]);
  if (simple) {
    if (pos.size() > 1) throw TUsageError("--simple takes no groups");
    return DumpSimple(ctx, name);
  }
  std::vector<unsigned long> groups;
  for (size_t i = 1; i < pos.size(); ++i)
    groups.push_back(static_cast<unsigned long>(ParseNumber(pos[i], "GROUP")));
  WFile f(name);
  LimitWholeFileWalk(f);
  if (pos.size() == 1)
    for (unsigned long g = 0; g < f.Header.Count; ++g)
      groups.push_back(g);
  std::ostringstream s;
  int unused = UnusedPercent(f);
  if (ctx.Json) {
    s << "{\"end\":" << f.Header.End << ",\"count\":" << f.Header.Count << ",\"unused\":" << unused
      << ",\"groups\":[";
    for (size_t i = 0; i < groups.size(); ++i) {
      unsigned long size = f.WOpen_file(groups[i]);
      s << (i ? "," : "") << "{\"group\":" << groups[i] << ",\"offset\":" << f.CurAdr
        << ",\"size\":" << size << ",\"records\":" << RecordsJson(ReadChain(f)) << "}";
    }
    s << "]}\n";
  } else {
    s << "file: " << Utf8FromCp1251(f.Name) << "\nend: " << f.Header.End
      << "\ncount: " << f.Header.Count << "\nunused: " << unused << "%\ndirectory:\n";
    for (uint32_t g = 0; g < f.Header.Count; ++g)
      s << "  group " << g << ": offset " << f.Dir[g].Offset << ", size " << f.Dir[g].Size << "\n";
    for (unsigned long g : groups) {
      unsigned long size = f.WOpen_file(g);
      s << "group " << g << " (offset " << f.CurAdr << ", size " << size << "):\n";
      RecordsText(s, ReadChain(f));
    }
  }
  std::cout << s.str();
  return 0;
}

int Create(TCliContext& ctx, const std::vector<std::string>& args) {
  std::vector<std::string> pos;
  bool version = false, hasText = false;
  std::string text;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--version-text") {
      version = true;
    } else if (args[i] == "--text") {
      if (i + 1 >= args.size()) throw TUsageError("--text needs a text");
      hasText = true;
      text = Cp1251FromUtf8(args[++i]);
    } else if (!args[i].empty() && args[i][0] == '-') {
      throw TUsageError("unknown option " + args[i]);
    } else {
      pos.push_back(args[i]);
    }
  }
  if (pos.size() != 2) throw TUsageError("FILE and COUNT are needed");
  if (version && hasText) throw TUsageError("--text and --version-text exclude each other");
  long count = ParseNumber(pos[1], "COUNT");
  if (count > 0x0FFFFFFF) throw TUsageError("COUNT is too large: " + pos[1]);
  std::string name = ArgPath(pos[0]);
  int n = static_cast<int>(count);
  if (version)
    creat_bf(name, n);
  else
    creat_bf(name, n, hasText ? text.c_str() : nullptr);
  WFile f(name);
  if (ctx.Json)
    std::cout << "{\"file\":" << JsonString(Utf8FromCp1251(f.Name)) << ",\"end\":" << f.Header.End
              << ",\"count\":" << f.Header.Count << "}\n";
  else
    std::cout << "created " << Utf8FromCp1251(f.Name) << ": " << f.Header.Count << " groups, "
              << f.Header.End << " bytes\n";
  return 0;
}

// The file argument and no other.
std::string OneFile(const std::vector<std::string>& args) {
  if (args.size() != 1) throw TUsageError(args.empty() ? "no file given" : "too many arguments");
  if (!args[0].empty() && args[0][0] == '-') throw TUsageError("unknown option " + args[0]);
  return ArgPath(args[0]);
}

int Compress(TCliContext& ctx, const std::vector<std::string>& args) {
  std::vector<std::string> rest;
  long threshold = 0;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--threshold") {
      if (i + 1 >= args.size()) throw TUsageError("--threshold needs a number");
      threshold = ParseNumber(args[++i], "N");
    } else {
      rest.push_back(args[i]);
    }
  }
  std::string name = OneFile(rest);
  int before = def_unused(name);
  TOwnerChange owner;
  compress_bf(name, static_cast<int>(std::min(threshold, 1000L)), &owner);
  if (owner.Changed) std::cerr << "warning: " << Utf8FromCp1251(OwnerWarning(owner, name)) << "\n";
  int after = def_unused(name);
  bool done = before >= threshold;
  if (ctx.Json)
    std::cout << "{\"before\":" << before << ",\"after\":" << after
              << ",\"compressed\":" << (done ? "true" : "false") << "}\n";
  else
    std::cout << "dead space before: " << before << "%\ndead space after: " << after << "%"
              << (done ? "" : " (below the threshold, not compressed)") << "\n";
  return 0;
}

int Unused(TCliContext& ctx, const std::vector<std::string>& args) {
  int unused = def_unused(OneFile(args));
  if (ctx.Json)
    std::cout << "{\"unused\":" << unused << "}\n";
  else
    std::cout << "dead space: " << unused << "%\n";
  return 0;
}
} // namespace

void AddStorageCommands(std::vector<TCommand>& table) {
  table.push_back({"dump", "FILE [GROUP...] | --simple FILE",
                   "end value, count, dead space, directory and the records of a record file",
                   Dump});
  table.push_back({"create", "FILE COUNT [--text TEXT | --version-text]",
                   "create an empty composite file of COUNT groups", Create});
  table.push_back({"compress", "FILE [--threshold N]",
                   "rewrite a composite file without dead space when it has at least N%",
                   Compress});
  table.push_back({"unused", "FILE", "dead space of a composite file in percent", Unused});
}
