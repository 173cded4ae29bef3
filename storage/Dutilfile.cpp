// Compression writes the whole file anew under "NAME$", makes it durable and renames it over the
// source, so the user always has either the old or the compressed file.
#include "storage/Dutilfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <vector>

#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "storage/Dsfile.h"
#include "storage/Dwfile.h"
#include "storage/Filekeep.h"
#include "storage/Sysio.h"

const char* const VersionText = "5-2.9.1";

namespace {
// The body is written in pieces of this size; a file that stays below it is written whole, in
// one call at the end.
constexpr size_t kChunk = 4 << 20;
constexpr uint64_t kVisitSlack = 64 << 20;
// Header and directory bytes.
std::string HeaderBytes(uint32_t end, const std::vector<WDirEntry>& dir) {
  std::string out;
  out.reserve(DirEntryAt(dir.size()));
  AppendLe32(out, end);
  AppendLe32(out, static_cast<uint32_t>(dir.size()));
  for (const WDirEntry& e : dir) {
    AppendLe32(out, e.Offset);
    AppendLe32(out, e.Size);
  }
  return out;
}

void CheckCount(const std::string& name, int count) {
  if (count < 0 ||
      DirEntryAt(static_cast<uint64_t>(count)) + LenEof * static_cast<uint64_t>(count) > EmptyAdr)
    SetError(name + "|" + std::to_string(count), MsgBadLayout);
}

// A new empty file for a composite file of count groups, never through a link planted at its
// name.
std::unique_ptr<SFile> CreateNew(const std::string& name, int count, unsigned perms) {
  CheckCount(name, count);
  return std::make_unique<SFile>(name, fmRewrite, O_EXCL | O_NOFOLLOW, perms);
}

// A new skeleton file: the header of count empty groups.
std::unique_ptr<SFile> CreateSkeleton(const std::string& name, int count, unsigned perms) {
  auto out = CreateNew(name, count, perms);
  std::string head = HeaderBytes(0, std::vector<WDirEntry>(static_cast<size_t>(count)));
  out->SWrite(head.data(), static_cast<int>(head.size()));
  return out;
}

// Errors of the file layer reach the caller as system errors (number 99), keeping their text.
[[noreturn]] void AsSystemError(const ZError& e) {
  if (e.Number == MsgSystemError || e.Number == MsgSilent) throw e;
  OutSystemErrorCode(creat_msg(e.Message, e.Number), 0);
}
} // namespace

int UnusedPercent(const WFile& f) {
  double area = static_cast<double>(f.Header.End) - static_cast<double>(DirEntryAt(f.Header.Count));
  if (area <= 0) return 0;
  double live = 0;
  for (const WDirEntry& e : f.Dir)
    live += e.Size;
  // A damaged directory may claim more live bytes than the area holds: never below 0, and the
  // share is capped before it becomes an int (a larger value would not fit).
  return 100 - static_cast<int>(std::min(100.0 * live / area, 100.0));
}

// The chains of a sound file share no bytes, so they walk at most the file once together; the
// generous cap only stops a directory whose groups all run through one long chain.
void LimitWholeFileWalk(WFile& f) {
  f.LimitTotalVisits(4 * static_cast<uint64_t>(f.Header.End) + kVisitSlack);
}

namespace {
// Copies every group's live records, in group order and without links, behind the skeleton,
// gives the file what the file it replaces keeps, and makes it durable; the sink, when there is
// one, gets the bytes before the flush.
TOwnerChange CopyGroups(WFile& src, SFile& out, const TFileKeep& keep, const std::string& name,
                        const TImageSink& sink) {
  TCompactLayout layout(out.Name, src.Header.Count);
  LimitWholeFileWalk(src);
  WRec rec;
  std::string image; // the body written so far, for the sink
  bool pieces = false;
  auto writeBody = [&] {
    if (!pieces) { // the header's place first; its bytes follow at the end
      std::string head = HeaderBytes(0, std::vector<WDirEntry>(src.Header.Count));
      out.SWrite(head.data(), static_cast<int>(head.size()));
      pieces = true;
    }
    out.SWrite(layout.Body.data(), static_cast<int>(layout.Body.size()));
    if (sink) image += layout.Body;
    layout.Body.clear();
  };
  for (uint32_t g = 0; g < src.Header.Count; ++g) {
    src.WOpen_file(g);
    while (src.WRead(&rec)) {
      layout.Add(rec.Prefix, rec.Data, rec.Len);
      if (layout.Body.size() >= kChunk) writeBody();
    }
    layout.EndGroup();
  }
  std::string head = layout.Head();
  if (pieces) {
    writeBody();
    out.Seek(0);
    out.SWrite(head.data(), static_cast<int>(head.size()));
    if (sink) sink(head + image);
  } else { // the whole file in one write
    std::string whole = head + layout.Body;
    out.SWrite(whole.data(), static_cast<int>(whole.size()));
    if (sink) sink(std::move(whole));
  }
  TOwnerChange change = GiveFileKeep(keep, out.Handle, name);
  if (IoSys().FullSync(out.Handle) != 0) OutSystemErrorCode(out.Name, errno);
  return change;
}
} // namespace

TCompactLayout::TCompactLayout(const std::string& name, uint32_t count)
    : Name(name), Dir(count), Pos(DirEntryAt(count)), GroupStart(Pos) {}

void TCompactLayout::Add(int8_t prefix, const char* data, size_t len) {
  if (len > UseLenRec)
    SetError(Name + "|( " + std::to_string(len) + ")|" + std::to_string(UseLenRec),
             MsgRecordTooLong);
  AppendRecord(Body, prefix, EmptyAdr, data, static_cast<uint16_t>(len));
  Pos += kRecHeadSize + len;
}

void TCompactLayout::EndGroup() {
  if (Current >= Dir.size()) SetError("Для файла " + Name + " все группы уже закрыты", 0);
  Body.append(kEndMarker, LenEof);
  Pos += LenEof;
  if (Pos > EmptyAdr) OutSystemErrorCode(Name, EFBIG);
  Dir[Current++] = {static_cast<uint32_t>(GroupStart), static_cast<uint32_t>(Pos - GroupStart)};
  GroupStart = Pos;
}

std::string TCompactLayout::Head() const {
  return HeaderBytes(static_cast<uint32_t>(Pos), Dir);
}

int def_unused(const std::string& name) {
  WFile f(name);
  return UnusedPercent(f);
}

namespace {
// Writes the compressed form of src into the new file target, with what the file name it is to
// replace keeps, and makes it durable; a target left behind by a failure is removed.
TOwnerChange CompressInto(WFile& src, const std::string& target, const TFileKeep& keep,
                          const std::string& name, const TImageSink& sink = {}) {
  src.KeepCache = true; // read once, group after group
  bool made = false;
  try {
    if (sysio::UnlinkExact(target) != 0 && errno != ENOENT) OutSystemErrorCode(target, errno);
    auto out = CreateNew(target, static_cast<int>(src.Header.Count), keep.Mode & 0777);
    made = true;
    return CopyGroups(src, *out, keep, name, sink);
  } catch (const ZError& e) {
    if (made) sysio::UnlinkExact(target);
    AsSystemError(e);
  }
}
} // namespace

bool compress_bf(const std::string& name, int threshold, TOwnerChange* owner) {
  std::string real, scratch;
  TOwnerChange change;
  {
    WFile src(name); // an open error is reported as it is, and nothing is compressed
    if (UnusedPercent(src) < threshold) return false;
    real = src.Name;
    scratch = real + "$";
    change = CompressInto(src, scratch, TakeFileKeep(src.File->Handle, real), real);
  }
  bool made = true;
  try {
    if (sysio::Rename(scratch, real) != 0) OutSystemErrorCode(real, errno);
    made = false;
    if (sysio::SyncDir(real) != 0) OutSystemErrorCode(real, errno);
  } catch (const ZError& e) {
    if (made) sysio::UnlinkExact(scratch);
    AsSystemError(e);
  }
  if (owner) *owner = change;
  return false;
}

TOwnerChange compress_to(WFile& src, const std::string& target, const TFileKeep& keep,
                         const std::string& name, const TImageSink& sink) {
  return CompressInto(src, target, keep, name, sink);
}

bool creat_bfsp(const std::string& name, int count) {
  try {
    CreateSkeleton(name, count, 0666);
  } catch (const ZError& e) {
    AsSystemError(e);
  }
  return false;
}

bool creat_bf(const std::string& name, int count, const char* text) {
  try {
    CheckCount(name, count);
    uint32_t n = static_cast<uint32_t>(count);
    std::vector<WDirEntry> dir(n);
    for (uint32_t i = 0; i < n; ++i)
      dir[i] = {static_cast<uint32_t>(DirEntryAt(n) + LenEof * i), LenEof};
    std::string bytes = HeaderBytes(static_cast<uint32_t>(DirEntryAt(n) + LenEof * n), dir);
    for (uint32_t i = 0; i < n; ++i)
      bytes.append(kEndMarker, LenEof);
    {
      SFile f(name, fmCreate);
      f.SWrite(bytes.data(), static_cast<int>(bytes.size()));
      f.Sync();
    }
    if (text) {
      WFile w(name);
      w.WCreat_file(0);
      w.WWrite(0, static_cast<unsigned short>(std::min<size_t>(std::strlen(text), 0xFFFF)), text);
      w.WClose_file(0);
    }
  } catch (const ZError& e) {
    AsSystemError(e);
  }
  return false;
}

bool creat_bf(const std::string& name, int count) {
  return creat_bf(name, count, VersionText);
}
