// The office's own reference calculations: form checks, learning from objects, installation in
// the suite's configuration directory.
#include "workflow/Refstore.h"

#include <filesystem>

#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "storage/Dsfile.h"
#include "storage/Sysio.h"
#include "workflow/Objects.h"
#include "workflow/P145.h"

#include <algorithm>
#include <cctype>
#include <fcntl.h>
#include <set>

const char* const kInstalledRefName = "ravinel-p145.bn";

namespace {

// Scratch name beside a file that is replaced by one rename: a name of this program's own, so
// that a leftover of an interrupted run may be deleted without taking a file of the user's.
// (no "$" in it: a message parameter holding one would be substituted again)
constexpr const char* kScratchTail = ".ravinel-new";
constexpr int kCopyChunk = 10000;

// The offset of the final-line flag in a result line: the code, then the line number.
constexpr size_t kFlagAt = 8;

struct TFieldReader {
  const std::string& Data;
  size_t At = 0;
  bool Ok = true;

  void Skip(size_t n) {
    if (!Ok || At + n > Data.size()) Ok = false;
    At += n;
  }
  std::string Text() {
    if (!Ok || At + 2 > Data.size()) {
      Ok = false;
      return "";
    }
    size_t len = static_cast<unsigned char>(Data[At]) | static_cast<unsigned char>(Data[At + 1])
                                                            << 8;
    if (At + 2 + len > Data.size()) {
      Ok = false;
      return "";
    }
    std::string out = Data.substr(At + 2, len);
    At += 2 + len;
    return out;
  }
  uint16_t U16() {
    if (!Ok || At + 2 > Data.size()) {
      Ok = false;
      return 0;
    }
    uint16_t v = static_cast<uint16_t>(static_cast<unsigned char>(Data[At]) |
                                       static_cast<unsigned char>(Data[At + 1]) << 8);
    At += 2;
    return v;
  }
  uint8_t U8() {
    if (!Ok || At + 1 > Data.size()) {
      Ok = false;
      return 0;
    }
    return static_cast<uint8_t>(Data[At++]);
  }
};

bool StartsWithCode(const std::string& data) {
  static const std::string code = PackText(kP145Code);
  return data.compare(0, code.size(), code) == 0;
}

// The fields of a source line (prefix 1) or a result line (prefix 3); false when they do not
// fit into the record.
bool ReadLine(const TRefRecord& r, TRefLine& line) {
  TFieldReader f{r.Data};
  f.Text(); // the code
  line.Number = f.U16();
  uint8_t flag = f.U8();
  line.Name = f.Text();
  if (r.Prefix == 1) {
    line.Code = f.Text();
  } else {
    line.Final = flag;
    f.Skip(2);
    line.Formula = f.Text();
  }
  return f.Ok;
}

std::string RecordFault(const TRefRecord& r, size_t index) {
  std::string where = "запись " + std::to_string(index + 1);
  if (!StartsWithCode(r.Data)) return where + " не начинается кодом Д145";
  TRefLine line;
  if ((r.Prefix == 1 || r.Prefix == 3) && !ReadLine(r, line))
    return where + ": поля не умещаются в запись";
  return "";
}

} // namespace

void CopyFileBytes(const std::string& from, const std::string& to) {
  SFile in(from, fmRead);
  SFile out(to, fmRewrite, O_EXCL); // a link planted at the name is not followed
  std::string buf(kCopyChunk, '\0');
  for (;;) {
    int n = in.SRead(buf.data(), kCopyChunk);
    if (n <= 0) break;
    out.SWrite(buf.data(), n);
  }
  out.Sync();
}

namespace {

void RemoveScratch(const std::string& path) noexcept {
  try {
    if (sysio::FileExists(path)) sysio::Unlink(path);
  } catch (...) {
  }
}

// Gives the complete scratch file what target keeps, renames it over target and flushes the
// directory entry.
TOwnerChange CommitScratch(const std::string& scratch, const std::string& target) {
  TOwnerChange owner = KeepFileOf(sysio::OsPath(target), sysio::OsPath(scratch));
  if (sysio::Rename(scratch, target) != 0) OutSystemError(target);
  if (sysio::SyncDir(target) != 0) OutSystemError(target);
  return owner;
}

// Whether two names lead to one existing file.
bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (sysio::Stat(a, &sa) != 0 || sysio::Stat(b, &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Whether two names lead to one place, existing or not.
bool SamePlace(const std::string& a, const std::string& b) {
  namespace fs = std::filesystem;
  return fs::absolute(sysio::OsPath(a)).lexically_normal() ==
         fs::absolute(sysio::OsPath(b)).lexically_normal();
}

// A scratch name that holds no leftover of an earlier attempt.
std::string FreshScratch(const std::string& target) {
  std::string scratch = target + kScratchTail;
  if (sysio::FileExists(scratch)) sysio::Unlink(scratch);
  return scratch;
}

std::string LowerAscii(std::string s) {
  for (char& c : s)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

} // namespace

std::string CalcFormFault(const TCalcRecords& recs) {
  size_t i = 0, n = recs.size();
  if (n == 0 || recs[0].Prefix != 0) return "нет заглавной записи";
  for (size_t k = 0; k < n; ++k) {
    std::string fault = RecordFault(recs[k], k);
    if (!fault.empty()) return fault;
  }
  size_t sources = 0, results = 0;
  for (i = 1; i < n && recs[i].Prefix == 1; ++i)
    ++sources;
  if (sources == 0) return "нет строк исходных данных";
  if (i >= n || recs[i].Prefix != 2) return "нет разделителя после строк исходных данных";
  for (++i; i < n && recs[i].Prefix == 3; ++i) {
    ++results;
    bool last = i + 1 == n || recs[i + 1].Prefix != 3;
    bool final = recs[i].Data[kFlagAt] != 0;
    if (final != last)
      return last ? "последняя строка итогов не отмечена как итоговая"
                  : "признак итоговой строки не у последней строки итогов";
  }
  if (results == 0) return "нет строк итогов";
  if (i < n) return "запись " + std::to_string(i + 1) + " лишняя после итоговой строки";
  return "";
}

TRefCalc DecodeCalc(const TCalcRecords& recs) {
  TRefCalc calc;
  for (const TRefRecord& r : recs) {
    if (r.Prefix != 1 && r.Prefix != 3) continue;
    TRefLine line;
    ReadLine(r, line);
    (r.Prefix == 1 ? calc.Source : calc.Result).push_back(line);
  }
  return calc;
}

TCalcRecords ReadGroupRecords(WFile& file, int group) {
  TCalcRecords out;
  WRec rec;
  file.WOpen_file(static_cast<unsigned long>(group));
  while (file.WRead(&rec))
    out.push_back({rec.Prefix, std::string(rec.Data, rec.Len)});
  return out;
}

TCalcRecords TakeP145(WFile& file, int group) {
  TCalcRecords out;
  WRec rec;
  file.WOpen_file(static_cast<unsigned long>(group));
  bool found = false;
  while (file.WRead(&rec)) {
    if (!found && !IsP145Title(&rec)) continue;
    found = true;
    out.push_back({rec.Prefix, std::string(rec.Data, rec.Len)});
    if (IsFinalLine(&rec)) break;
  }
  return out;
}

std::string ComparedBytes(const TCalcRecords& recs) {
  std::string out;
  for (size_t i = 1; i < recs.size(); ++i) {
    const TRefRecord& r = recs[i];
    uint16_t len = static_cast<uint16_t>(r.Data.size());
    out += static_cast<char>(r.Prefix);
    out += static_cast<char>(len & 0xFF);
    out += static_cast<char>(len >> 8);
    out += r.Data;
    if (r.Prefix == 3) break;
  }
  return out;
}

std::string ReferenceFault(const ZError& e, const std::string& copy, const std::string& original) {
  std::string why = e.Number == MsgNotReferenceFile ? e.Text.substr(e.Text.find('|') + 1)
                                                    : creat_msg(e.Text, e.Number);
  for (size_t at = 0; (at = why.find(copy, at)) != std::string::npos; at += original.size())
    why.replace(at, copy.size(), original);
  return why;
}

std::string InstalledReferencePath(const std::string& dirCfg) {
  return dirCfg + kInstalledRefName;
}

void CheckReferenceFile(const std::string& path) {
  std::string fault;
  try {
    WFile f(path);
    if (f.Header.Count != static_cast<uint32_t>(kRefFileGroups))
      fault = "групп " + std::to_string(f.Header.Count) + " вместо 17";
    for (int g = 0; fault.empty() && g < kRefGroups; ++g) {
      std::string why = CalcFormFault(ReadGroupRecords(f, g));
      if (!why.empty()) fault = "группа " + std::to_string(g) + ": " + why;
    }
    if (fault.empty() && !ReadGroupRecords(f, kRefGroups).empty()) fault = "группа 16 не пуста";
  } catch (const ZError& e) {
    fault = creat_msg(e.Text, e.Number);
  }
  if (!fault.empty()) SetError(path + "|" + fault, MsgNotReferenceFile);
}

TOwnerChange WriteReferenceFileSafely(const std::vector<TCalcRecords>& groups,
                                      const std::string& out) {
  if (sysio::DirExists(out)) SetError(out, MsgOutIsDirectory);
  std::string scratch = FreshScratch(out);
  try {
    WriteReferenceGroups(groups, scratch);
    CheckReferenceFile(scratch);
    return CommitScratch(scratch, out);
  } catch (...) {
    RemoveScratch(scratch);
    throw;
  }
}

TOwnerChange InstallReference(const std::string& file, const std::string& dirCfg) {
  if (sysio::DirExists(file)) SetError(file, MsgOutIsDirectory);
  std::string target = InstalledReferencePath(dirCfg);
  std::string scratch = FreshScratch(target);
  try {
    CopyFileBytes(file, scratch);
    try {
      CheckReferenceFile(scratch);
    } catch (const ZError& e) {
      SetError(file + "|" + ReferenceFault(e, scratch, file), MsgNotReferenceFile);
    }
    return CommitScratch(scratch, target);
  } catch (...) {
    RemoveScratch(scratch);
    throw;
  }
}

bool RemoveInstalledReference(const std::string& dirCfg) {
  std::string target = InstalledReferencePath(dirCfg);
  struct stat st;
  if (sysio::Stat(target, &st) != 0) return false;
  if (sysio::Unlink(target) != 0) OutSystemError(target);
  if (sysio::SyncDir(target) != 0) OutSystemError(target);
  return true;
}

int CalcGroupOfFile(const std::string& name) {
  size_t slash = name.find_last_of("/#");
  size_t dot = name.rfind('.');
  std::string ext = dot == std::string::npos || (slash != std::string::npos && dot < slash)
                        ? ""
                        : LowerAscii(name.substr(dot));
  for (uint8_t sub : {1, 2, 3}) {
    TListInfo info = ListInfoOf(sub, 0);
    if (ext == info.ExtUkr || ext == info.ExtRus) return info.CalcGroup;
  }
  for (uint8_t bn = 0; bn < 4; ++bn) {
    TListInfo info = ListInfoOf(5, bn);
    if (ext == info.ExtUkr || ext == info.ExtRus) return info.CalcGroup;
  }
  SetError(name, MsgUnknownObjectKind);
}

namespace {

// The P145 calculation of one object file, refused when missing or of the wrong form.
TCalcRecords LearnFrom(const std::string& object) {
  int group = CalcGroupOfFile(object);
  TCalcRecords calc;
  {
    WFile file(object);
    calc = TakeP145(file, group);
  }
  std::string at = object + "|" + std::to_string(group);
  if (calc.empty()) SetError(at, MsgNoP145InObject);
  std::string fault = CalcFormFault(calc);
  if (!fault.empty()) SetError(at + "|" + fault, MsgBadP145Form);
  return calc;
}

} // namespace

TOwnerChange LearnReference(WFile& ref, const std::vector<TLearnPick>& picks,
                            const std::string& out) {
  if (sysio::DirExists(out)) SetError(out, MsgOutIsDirectory);
  // The working copy of the reference (this process's, or the suite's of the windows) is deleted
  // at close-down: a file learned into it would be reported written and then be gone.
  if (SameFile(out, ref.Name) || SamePlace(out, kRefFileName)) SetError(out, MsgOutIsWorkFile);
  std::set<int> seen;
  for (const TLearnPick& p : picks) {
    if (p.first < 0 || p.first >= kRefGroups) SetError(std::to_string(p.first), MsgRefGroupRange);
    if (!seen.insert(p.first).second) SetError(std::to_string(p.first), MsgRefGroupTwice);
  }
  std::vector<TCalcRecords> groups;
  for (int g = 0; g < kRefGroups; ++g)
    groups.push_back(ReadGroupRecords(ref, g));
  for (const TLearnPick& p : picks)
    groups[static_cast<size_t>(p.first)] = LearnFrom(p.second);
  return WriteReferenceFileSafely(groups, out);
}
