// The object tables of the list window, and the check and change of one object.
#include "workflow/Objects.h"

#include "base/Codec.h"
#include "base/Sha256pool.h"
#include "format/Fun_other.h"
#include "messages/Msgcat.h"
#include "messages/Utslang.h"
#include "messages/Zmsg.h"
#include "paths/Dlist.h"
#include "paths/Dpath.h"
#include "storage/Dsfile.h"
#include "storage/Dutilfile.h"
#include "storage/Sysio.h"
#include "storage/Filekeep.h"
#include "workflow/Changetext.h"
#include "workflow/Readahead.h"
#include "workflow/Fieldlists.h"
#include "workflow/P145.h"
#include "workflow/Refdata.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <memory>
#include <typeinfo>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

namespace {

bool KnownKind(int8_t kind) {
  return kind >= 0 && kind <= 3;
}

// Copies the whole open file in to the end of out; seen, when given, gets the bytes too.
void CopyWhole(SFile& in, SFile& out, std::string* seen = nullptr) {
  unsigned long size = in.Size();
  std::vector<char> buf(std::min<unsigned long>(size, 1UL << 20));
  in.Seek(0);
  for (unsigned long at = 0; at < size;) {
    int n = static_cast<int>(std::min<unsigned long>(buf.size(), size - at));
    if (in.SRead(buf.data(), n) != n) OutSystemErrorCode(in.Name, EIO);
    out.SWrite(buf.data(), n);
    if (seen) seen->append(buf.data(), static_cast<size_t>(n));
    at += static_cast<unsigned long>(n);
  }
}

// A private working copy of the open file, in memory.
std::unique_ptr<SFile> CopyToWork(SFile& in, const std::string& work, std::string* seen) {
  auto out = std::make_unique<SFile>(SFile::TInMemory{}, work);
  CopyWhole(in, *out, seen);
  return out;
}

// The working copy as it is, written to the new file done with what keep holds and made
// durable, to be renamed over real.
TOwnerChange WriteDurable(SFile& copy, const std::string& done, const TFileKeep& keep,
                          const std::string& real) {
  SFile out(done, fmRewrite, O_EXCL | O_NOFOLLOW, keep.Mode & 0777);
  CopyWhole(copy, out);
  TOwnerChange owner = GiveFileKeep(keep, out.Handle, real);
  if (IoSys().FullSync(out.Handle) != 0) OutSystemErrorCode(done, errno);
  return owner;
}

// An error about the working copy, told of the object file itself.
ZError AboutFile(ZError e, const std::string& work, const std::string& real) {
  for (std::string* s : {&e.Message, &e.Text})
    for (size_t at = 0; (at = s->find(work, at)) != std::string::npos; at += real.size())
      s->replace(at, work.size(), real);
  return e;
}

// The length of the record that the information record was refused for.
std::string FoundInfoLength(WFile& obj) {
  unsigned long size = obj.WOpen_file(kInfoGroup);
  WRec rec;
  try {
    obj.WRead(obj.LastAdr, &rec);
    return std::to_string(rec.Len);
  } catch (const ZError&) { // too long for a buffer: the group holds it alone
    return std::to_string(size - kRecHeadSize - LenEof);
  }
}

// Writes the list record's previous bytes back after the failure cause; when that fails too,
// the error raised names both files.
void RestoreListRecord(const TListWriter& writeList, const WRec& listRec, const ZError& cause,
                       const std::string& list, const std::string& object) {
  WRec old;
  old.Prefix = listRec.Prefix;
  old.Adr = listRec.Adr;
  old.Len = listRec.Len;
  std::memcpy(old.Data, listRec.Data, listRec.Len);
  try {
    writeList(&old);
  } catch (const std::exception& e) {
    SetError(ChangeText(TChangeText::ListNotRestored,
                        ErrorText(cause) + "|" + list + "|" + ErrorText(e) + "|" + object),
             MsgOwnText);
  }
}

} // namespace

std::string ErrorText(const std::exception& e) {
  if (auto z = dynamic_cast<const ZError*>(&e)) return MessageLine(z->Text, z->Number);
  return e.what();
}

std::string FlushDir(const std::string& real, TPendingDirs* pending) {
  if (pending) {
    pending->emplace(real.substr(0, real.find_last_of('/') + 1), real);
    return "";
  }
  if (sysio::SyncDir(real) == 0) return "";
  int code = errno;
  try {
    OutSystemErrorCode("", code);
  } catch (const ZError& e) {
    return ChangeText(TChangeText::DirNotFlushed, real + "|" + ErrorText(e));
  }
}

TListInfo ListInfoOf(uint8_t typeSub, uint8_t typeBn) {
  static const int bnGroups[4] = {2, 6, 8, 10};
  static const char* bnRus[4] = {".rus", ".rusp", ".rusr", ".rusm"};
  static const char* bnUkr[4] = {".ukr", ".ukrp", ".ukrr", ".ukrm"};
  TListInfo i{};
  i.TypeSub = typeSub;
  i.TypeBn = typeBn;
  switch (typeSub) {
  case 1:
    i = {1, typeBn, "LSS#AdmSs", 1, 222, "LSS", ".aru", ".arr", 109};
    break;
  case 2:
    i = {2, typeBn, "LDC#AdmDc", 1, 222, "LDC", ".dcu", ".dcr", 109};
    break;
  case 3:
    i = {3, typeBn, "LPD#AdmPd", 1, 222, "LPD", ".pd1u", ".pd1r", 109};
    break;
  case 5:
    if (typeBn > 3)
      SetError(ByIface("Неверный вид блоков настройки ", "Невірний вид блоків налаштування ") +
                   std::to_string(typeBn),
               0);
    i = {5, typeBn, "LBN#AdmBn", bnGroups[typeBn], 210, "LBN", bnUkr[typeBn], bnRus[typeBn], 33};
    break;
  default:
    SetError(ByIface("Неверный вид списка ", "Невірний вид списку ") + std::to_string(typeSub), 0);
  }
  return i;
}

std::string ListAliasName(const TListInfo& info, bool isRus) {
  return std::string(info.ListAlias) + (isRus ? ".rus" : ".ukr");
}

bool IsSafeVariant(const std::string& variant) {
  if (variant.find("..") != std::string::npos) return false;
  for (unsigned char c : variant)
    if (c == '/' || c == '\\' || c < 0x20 || c == 0x7F) return false;
  return true;
}

std::string ObjectFileName(const TListInfo& info, uint32_t number, const std::string& variant,
                           unsigned char russian) {
  std::string suffix = info.Contractor() ? variant : "";
  if (!IsSafeVariant(suffix)) return "";
  std::string name;
  CreatNameFile(info.Prefix, number, suffix, info.ExtUkr, info.ExtRus, name, russian);
  return name;
}

void LineKey(uint32_t number, char key[4]) {
  for (int i = 0; i < 4; ++i)
    key[i] = static_cast<char>(number >> (24 - 8 * i));
}

namespace {
// The leading fields of a structure up to the one whose image slot starts at lastOffset: the
// lines need only the number, the kind and the variant, not the whole record.
TListFields LeadingFields(const TListFields& fields, int lastOffset) {
  TListFields head;
  int at = 0;
  for (const TField& f : fields) {
    if (at > lastOffset) break;
    head.push_back(f);
    at += ImageFieldSize(f.FType);
  }
  return head;
}
} // namespace

TListFields ListLineFields(const TListInfo& info) {
  const TListFields& all = *(info.Projects() ? ListFields147 : ListFields150);
  return LeadingFields(all, info.Contractor() ? kImgVariant
                            : info.Projects() ? kImgKind
                                              : kImgNumber);
}

TObjLine ObjectLineOf(const TListInfo& info, const TListFields& fields, const WRec* rec,
                      unsigned char russian) {
  TRecImage image;
  RecStruct(&fields, rec, image);
  TObjLine l;
  l.Number = image.Get<uint32_t>(kImgNumber);
  l.Kind = info.Projects() ? image.Get<int8_t>(kImgKind) : static_cast<int8_t>(info.TypeBn);
  if (info.Contractor()) l.Variant = image.GetText(kImgVariant);
  l.File = ObjectFileName(info, l.Number, l.Variant, russian);
  return l;
}

std::vector<TObjLine> LoadObjectLines(TObjectFiles& files, const TListInfo& info,
                                      unsigned char russian) {
  TListFields fields = ListLineFields(info);
  std::vector<TObjLine> read;
  std::vector<uint32_t> numbers;
  int64_t lastNum = -1;
  WRec* rec = &files.Scratch;
  WFile& list = files.List;
  list.WOpen_file(static_cast<unsigned long>(info.Group));
  while (list.WRead(rec)) {
    TObjLine l = ObjectLineOf(info, fields, rec, russian);
    l.Adr = list.LastAdr;
    if (info.Contractor()) {
      if (l.Number == lastNum)
        l.Hidden = true;
      else
        lastNum = l.Number;
    }
    numbers.push_back(l.Number);
    read.push_back(std::move(l));
  }
  // The order the table control's key insertion gives (the key is the number, big-endian).
  std::vector<TObjLine> lines;
  lines.reserve(read.size());
  for (size_t i : KeyInsertionOrder(numbers))
    lines.push_back(std::move(read[i]));
  return lines;
}

uint8_t CheckObject(TObjectFiles& files, const TListInfo& info, const TObjLine& line,
                    unsigned char russian) {
  if (line.File.empty() || !KnownKind(line.Kind)) return stUnreadable;
  try {
    WFile* obj = nullptr;
    try {
      obj = &files.OpenObject(line.File);
    } catch (const std::exception&) {
      // Only a file that cannot be opened is looked up: an existing one costs no extra call.
      if (!sysio::FileExists(GetRealName(line.File))) return stMissing;
      throw;
    }
    obj->KeepCache = true; // both comparisons read the same group
    int old = RefGroupOf(line.Kind, russian != 0, false);
    int group = info.CalcGroup;
    uint8_t state = CompareP145(*obj, group, files.Ref, old)       ? stReplaceable
                    : CompareP145(*obj, group, files.Ref, old + 8) ? stReplaced
                                                                   : stUserChanged;
    files.CloseObject();
    return state;
  } catch (const std::exception&) {
    files.CloseObject();
    return stUnreadable;
  }
}

namespace {

// The OS paths the check of each line opens when the file exists under its exact name, "" for
// a line it does not open. A name found only by the case-insensitive match is not read ahead.
std::vector<std::string> ReadAheadPaths(const std::vector<TObjLine>& lines) {
  std::vector<std::string> paths(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].File.empty() || !KnownKind(lines[i].Kind)) continue;
    try {
      paths[i] = Utf8FromCp1251(GetRealName(lines[i].File));
    } catch (const std::exception&) {
      // The check meets the same error and reports the line.
    }
  }
  return paths;
}

// Only over the plain POSIX calls: a test backend counting or failing calls sees every access
// of the check, and the read-ahead's own reads would not go through it.
bool ReadAheadWanted(size_t lineCount) {
  const TIoSys& io = IoSys();
  return ReadAheadWorkers() > 0 && lineCount > 1 && typeid(io) == typeid(TPosixIoSys);
}

} // namespace

void CheckObjectLines(TObjectFiles& files, const TListInfo& info, std::vector<TObjLine>& lines,
                      unsigned char russian, const TProgress& progress) {
  std::unique_ptr<TReadAhead> ahead;
  if (ReadAheadWanted(lines.size())) {
    std::vector<std::string> paths = ReadAheadPaths(lines);
    if (!ReadAheadProbe() || !LooksCached(paths, info.CalcGroup))
      ahead = std::make_unique<TReadAhead>(std::move(paths), info.CalcGroup, ReadAheadWorkers());
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    if (progress && !progress(i, lines.size())) return;
    if (ahead) ahead->Reached(i);
    lines[i].State |= CheckObject(files, info, lines[i], russian);
  }
}

const char* ChangeResultName(TChangeResult r) {
  switch (r) {
  case TChangeResult::Changed:
    return "changed";
  case TChangeResult::Unchanged:
    return "unchanged";
  case TChangeResult::Missing:
    return "missing";
  case TChangeResult::UnsafeName:
    return "unsafe-name";
  case TChangeResult::Failed:
    return "failed";
  }
  return "";
}

void UpdateObjectInfo(WFile& obj, const TRecImage& boib147, WRec& scratch) {
  unsigned long size = obj.WOpen_file(kInfoGroup);
  StructRec(ListFields147, boib147, &scratch, 0);
  if (scratch.Len > kInfoRecLen)
    SetError(ByIface("Информационная запись длиннее ", "Інформаційний запис довший за ") +
                 std::to_string(kInfoRecLen),
             0);
  std::memset(scratch.Data + scratch.Len, 0, kInfoRecLen - scratch.Len);
  scratch.Len = kInfoRecLen;
  scratch.Adr = EmptyAdr;
  if (size == LenEof) {
    obj.WCreat_file(kInfoGroup);
    obj.WWrite(&scratch);
    obj.WClose_file(kInfoGroup);
  } else {
    obj.WUpdate(obj.LastAdr, &scratch);
  }
}

TChangeOutcome ChangeObject(TObjectFiles& files, const TListInfo& info, const TObjLine& line,
                            const WRec& listRec, unsigned char russian,
                            const TListWriter& writeList, TPendingDirs* pendingDirs,
                            TDigestPool* digests) {
  if (line.File.empty())
    return {TChangeResult::UnsafeName,
            creat_msg(std::to_string(line.Number) + "|" + line.Variant, MsgUnsafeObjectName)};
  std::string real = GetRealName(line.File);
  if (!sysio::FileExists(real)) return {TChangeResult::Missing, ""};
  TRecImage image;
  if (info.Projects()) {
    image.Resize(ImageSize(*ListFields147));
    RecStruct(ListFields147, &listRec, image);
  }
  try {
    if (!KnownKind(line.Kind))
      SetError(ByIface("Неверный вид стройки ", "Невірний вид будови ") + std::to_string(line.Kind),
               0);
    WFile& obj = files.OpenObject(line.File);
    obj.KeepCache = true;
    int old = RefGroupOf(line.Kind, russian != 0, false);
    if (!CompareP145(obj, info.CalcGroup, files.Ref, old)) {
      files.CloseObject();
      return {TChangeResult::Unchanged, ""};
    }
    // The object is changed on a private working copy, compressed into "NAME$" and put in
    // place by one rename, so the file is always wholly old or wholly new; the new file gets the
    // mode, owner, group and attributes of the old one first. The list record is written before:
    // a change cut short leaves the object replaceable with its flags set, and a second run
    // completes it (setting the flags again does no harm); a change that fails writes the
    // record's old bytes back. The files end as when the calculation is written first, also
    // when the information record has another length: then the calculation and list record are
    // new, nothing is compressed and the change carries a warning.
    std::string work = real + "$w", done = real + "$";
    TFileKeep keep = TakeFileKeep(obj.File->Handle, real);
    bool listWritten = false, infoKept = false;
    TChangeOutcome out{TChangeResult::Changed, "", ""};
    try {
      std::string before;
      std::unique_ptr<SFile> workFile = CopyToWork(*obj.File, work, digests ? &before : nullptr);
      files.CloseObject();
      if (digests) out.Before = digests->Digest(std::move(before));
      if (info.Projects()) {
        image.Set<uint32_t>(kImgFlags, image.Get<uint32_t>(kImgFlags) | kChangedFlags);
        StructRec(ListFields147, image, &files.Scratch, 0);
        listWritten = true;
        writeList(&files.Scratch);
      }
      WFile& copy = files.OpenWork(std::move(workFile));
      copy.Durable = false;
      copy.KeepCache = true;
      if (info.Projects()) {
        try {
          UpdateObjectInfo(copy, image, files.Scratch);
        } catch (const ZError& e) {
          if (e.Number != MsgRecordLength) throw; // only a record of another length stays
          out.Warning = ChangeText(TChangeText::InfoRecordLength, FoundInfoLength(copy));
          infoKept = true;
        }
      }
      ReplaceP145(copy, info.CalcGroup, files.Ref, old + 8, files.Scratch);
      TOwnerChange owner;
      if (infoKept) {
        owner = WriteDurable(*copy.File, done, keep, real);
      } else {
        TImageSink sink;
        if (digests)
          sink = [&](std::string bytes) { out.After = digests->Digest(std::move(bytes)); };
        owner = compress_to(copy, done, keep, real, sink);
      }
      files.FinishWork();
      // Earlier versions kept the working copy on the disk; one a crash left behind goes now.
      if (sysio::UnlinkExact(work) != 0 && errno != ENOENT) OutSystemErrorCode(work, errno);
      if (sysio::Rename(done, real) != 0) OutSystemErrorCode(real, errno);
      out.Warning = JoinWarnings(out.Warning, OwnerWarning(owner, real));
    } catch (const std::exception& e) {
      files.CloseWork();
      files.CloseObject();
      sysio::UnlinkExact(done);
      auto z = dynamic_cast<const ZError*>(&e);
      ZError told = z ? AboutFile(*z, work, real) : ZError(e.what(), MsgOwnText);
      if (listWritten) RestoreListRecord(writeList, listRec, told, files.List.Name, real);
      throw told;
    }
    out.Warning = JoinWarnings(out.Warning, FlushDir(real, pendingDirs));
    return out;
  } catch (const std::exception& e) {
    files.CloseWork();
    files.CloseObject();
    return {TChangeResult::Failed, ErrorText(e), ""};
  }
}
