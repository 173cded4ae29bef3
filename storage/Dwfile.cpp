// Record files: opening, chain reading, group rewriting through a scratch file, in-place edits
// and block output. Changes are ordered so that a crash leaves every group old or new: appended
// bytes are made durable before the end value, the end value before anything that points at them.
#include "storage/Dwfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <string_view>

#include "messages/Msgcat.h"
#include "messages/Utslang.h"
#include "messages/Zmsg.h"
#include "storage/Sysio.h"

namespace {

// A record edit needs the file opened for update: one opened for reading alone (a read-only file
// on disk) says so in the catalogue's words.
void RequireUpdate(const std::string& name, ZFileMode mode) {
  if (mode == fmRead) SetError(name, MsgWriteReadOnly);
  if (mode != fmUpdate)
    SetError(ByIface("Файл ", "Файл ") + name +
                 ByIface(" не открыт для изменения записей", " не відкрито для зміни записів"),
             0);
}
constexpr size_t kCacheSize = 65536;
// A jump (header, first record of a group) reads at least this much; sequential reading a full
// cache. The check needs the header and one group, not the whole file.
constexpr size_t kMinFill = 4096;
constexpr size_t kTmpChunk = 65536;
// The read cache of the last closed file, for the next one: a file opened per object then
// allocates no cache (the program has one thread).
std::unique_ptr<char[]> gSpareCache;
// A record header followed by the data.
std::string RecordBytes(int8_t prefix, uint32_t link, uint16_t len, const char* data) {
  std::string out;
  out.reserve(kRecHeadSize + len);
  AppendRecord(out, prefix, link, data, len);
  return out;
}
std::string Num(uint64_t v) {
  return std::to_string(v);
}
} // namespace

// ---- construction and destruction ----

WFile::WFile(const std::string& name) : Composite(true), Uncaught(std::uncaught_exceptions()) {
  try {
    File = std::make_unique<SFile>(name, fmUpdate);
    Mode = fmUpdate;
  } catch (const ZError& e) {
    // A file the user may only read is opened for reading.
    if (e.Number != MsgSystemError || (errno != EACCES && errno != EROFS && errno != EPERM)) throw;
    File = std::make_unique<SFile>(name, fmRead);
    Mode = fmRead;
  }
  Name = File->Name;
  OsPos = 0; // a new handle stands at the start
  OpenComposite();
}

WFile::WFile(std::unique_ptr<SFile> file)
    : Composite(true), File(std::move(file)), Uncaught(std::uncaught_exceptions()) {
  Mode = fmUpdate;
  Name = File->Name;
  OsPos = -1; // where the handle stands is not known
  OpenComposite();
}

WFile::WFile(const std::string& name, ZFileMode mode)
    : Composite(false), Mode(mode), Uncaught(std::uncaught_exceptions()) {
  File = std::make_unique<SFile>(name, mode == fmAppend ? fmUpdate : mode);
  Name = File->Name;
  OsPos = 0;
  OpenSimple(mode);
}

void WFile::OpenComposite() {
  char head[kHeadSize];
  size_t got = ReadAt(0, head, kHeadSize);
  if (got < kHeadSize) { // a file shorter than its header is no record file
    FileLen = got;
    BadLayout();
  }
  FileLen = PhysicalSize();
  Header.End = GetLe32(head + kHeadEndAt);
  Header.Count = GetLe32(head + kHeadCountAt);
  uint64_t dirEnd = DirEntryAt(Header.Count);
  if (Header.End > FileLen || dirEnd > Header.End) BadLayout();
  std::vector<char> raw(dirEnd - kHeadSize);
  if (!raw.empty()) ReadExact(kHeadSize, raw.data(), raw.size());
  Dir.resize(Header.Count);
  for (size_t i = 0; i < Dir.size(); ++i) {
    const char* e = &raw[kDirEntrySize * i];
    Dir[i] = {GetLe32(e + kDirOffsetAt), GetLe32(e + kDirSizeAt)};
  }
}

void WFile::OpenSimple(ZFileMode mode) {
  Header.Count = 1;
  if (mode == fmCreate || mode == fmRewrite) return;
  FileLen = PhysicalSize();
  if (FileLen > EmptyAdr) BadLayout();
  Header.End = static_cast<uint32_t>(FileLen);
  if (mode != fmAppend) return;
  // New records replace the end marker, which must be there.
  char tail[LenEof];
  if (FileLen < LenEof) BadLayout();
  ReadExact(FileLen - LenEof, tail, LenEof);
  if (std::memcmp(tail, kEndMarker, LenEof) != 0) BadLayout();
  Header.End -= LenEof;
  CurAdr = Header.End;
}

WFile::~WFile() noexcept(false) {
  if (std::uncaught_exceptions() > Uncaught) {
    // Leaving because of an error: an unfinished group is dropped (the group keeps its old
    // content) rather than committed half-written.
    ReleaseBlock();
    DiscardGroup();
    if (!Composite && IsSimpleOutput()) {
      try { // what was written stays a readable chain
        WriteAt(Header.End, kEndMarker, LenEof);
      } catch (...) {
      }
    }
    KeepSpareCache();
    return;
  }
  DestroyDuties();
  KeepSpareCache();
}

void WFile::KeepSpareCache() noexcept {
  if (Cache && !gSpareCache) gSpareCache = std::move(Cache);
  CacheLen = 0;
}

void WFile::DestroyDuties() {
  if (Composite && NewGroup != EmptyAdr) {
    uint32_t h = NewGroup;
    if (!Scratch) {
      ReleaseBlock();
      NewGroup = EmptyAdr;
      return;
    }
    if (BlockOut) WCommit();
    ReleaseBlock();
    WClose_file(h);
    if (StrictClose)
      SetError(ByIface("Для файла ", "Для файлу ") + Name +
                   ByIface(" не выполнено закрытие файла ", " не виконано закриття файлу ") +
                   Num(h),
               0);
  }
  ReleaseBlock();
  if (!Composite && IsSimpleOutput()) WriteAt(Header.End, kEndMarker, LenEof);
}

bool WFile::IsSimpleOutput() const {
  return Mode == fmCreate || Mode == fmRewrite || Mode == fmAppend;
}

void WFile::BadLayout() {
  SetError(Name + "|" + Num(FileLen), MsgBadLayout);
}

void WFile::RequireComposite() {
  if (!Composite)
    SetError(
        ByIface("Файл ", "Файл ") + Name + ByIface(" не является составным", " не є складеним"), 0);
}

void WFile::CheckGroup(unsigned long group) {
  if (group >= Header.Count)
    SetError(ByIface("Для файла ", "Для файлу ") + Name +
                 ByIface(" неверен номер лог. файла ", " невірний номер лог. файлу ") + Num(group),
             0);
}

// ---- positioned input and output ----

uint64_t WFile::PhysicalSize() {
  OsPos = -1;
  uint64_t end = static_cast<uint64_t>(File->Seek(0, 2));
  OsPos = static_cast<int64_t>(end);
  return end;
}

void WFile::SeekTo(uint64_t pos) {
  if (OsPos == static_cast<int64_t>(pos)) return;
  OsPos = -1;
  File->Seek(static_cast<long>(pos));
  OsPos = static_cast<int64_t>(pos);
}

size_t WFile::ReadAt(uint64_t pos, char* buf, size_t n) {
  if (pos >= CacheStart && pos + n <= CacheStart + CacheLen) {
    std::memcpy(buf, Cache.get() + (pos - CacheStart), n);
    return n;
  }
  if (n > kCacheSize / 2) {
    OsPos = -1;
    return static_cast<size_t>(File->SReadAt(buf, static_cast<int>(n), static_cast<long>(pos)));
  }
  if (!Cache) // not zero-filled: only read bytes are used
    Cache = gSpareCache ? std::move(gSpareCache) : std::unique_ptr<char[]>(new char[kCacheSize]);
  // Reading on from the cached bytes fills the whole cache; a jump reads what the group needs.
  uint64_t start = pos;
  bool onward = CacheLen > 0 && pos == CacheStart + CacheLen;
  size_t fill = onward ? kCacheSize : std::clamp<size_t>(FillHint, kMinFill, kCacheSize);
  if (KeepCache && FileLen <= kCacheSize / 2 && pos + n <= FileLen) {
    start = 0; // a small file that only this object changes is read whole, once
    fill = static_cast<size_t>(FileLen);
  }
  // Never ask for bytes behind the known end: one call then brings everything.
  if (FileLen > start && FileLen - start < fill) fill = static_cast<size_t>(FileLen - start);
  fill = std::max<size_t>(fill, pos - start + n);
  OsPos = -1;
  CacheLen = 0;
  size_t got = static_cast<size_t>(
      File->SReadAt(Cache.get(), static_cast<int>(fill), static_cast<long>(start)));
  CacheStart = start;
  CacheLen = got;
  size_t skip = static_cast<size_t>(pos - start);
  size_t m = got > skip ? std::min(n, got - skip) : 0;
  std::memcpy(buf, Cache.get() + skip, m);
  return m;
}

void WFile::ReadExact(uint64_t pos, char* buf, size_t n) {
  if (ReadAt(pos, buf, n) < n) BadLayout(); // the file is shorter than its contents say
}

void WFile::WriteAt(uint64_t pos, const char* buf, size_t n) {
  SeekTo(pos);
  OsPos = -1;
  File->SWrite(buf, static_cast<int>(n));
  OsPos = static_cast<int64_t>(pos + n);
  FileLen = std::max(FileLen, pos + n);
  // Keep the cached bytes equal to the file.
  uint64_t from = std::max(pos, CacheStart), to = std::min(pos + n, CacheStart + CacheLen);
  if (from < to) std::memcpy(Cache.get() + (from - CacheStart), buf + (from - pos), to - from);
}

void WFile::Flush() {
  if (Durable) File->Sync();
}

uint64_t WFile::ReadLimit() const {
  return Composite ? Header.End : std::max<uint64_t>(FileLen, Header.End);
}

void WFile::ReadHeader(uint64_t pos, int8_t& prefix, uint32_t& link, uint16_t& len) {
  if (pos + kRecHeadSize > ReadLimit()) SetError(Name + "|" + Num(pos), MsgPastEnd);
  // No record lies in the header or the directory; reading one there would deliver, and an
  // edit would overwrite, the bytes that describe the groups.
  if (Composite && pos < DirEntryAt(Header.Count))
    SetError(Name + "|" + Num(pos), MsgLinkIntoHeader);
  char h[kRecHeadSize];
  ReadExact(pos, h, kRecHeadSize);
  prefix = static_cast<int8_t>(h[kRecPrefixAt]);
  link = GetLe32(h + kRecLinkAt);
  len = GetLe16(h + kRecLenAt);
  if (len == 0) SetError(Name, MsgEmptyRecord);
  if (len > UseLenRec) SetError(Name + "|( " + Num(len) + ")|" + Num(UseLenRec), MsgRecordTooLong);
  if (pos + kRecHeadSize + len > ReadLimit())
    SetError(Name + "|" + Num(pos + kRecHeadSize + len), MsgPastEnd);
}

void WFile::CountVisited(uint64_t bytes) {
  // A chain that visits each byte once cannot be longer than the file.
  Visited += bytes;
  TotalVisited += bytes;
  if (Visited > ReadLimit() || (VisitCap && TotalVisited > VisitCap)) SetError(Name, MsgChainLoop);
}

void WFile::LimitTotalVisits(uint64_t bytes) {
  TotalVisited = 0;
  VisitCap = bytes;
}

// ---- groups ----

unsigned long WFile::WOpen_file(unsigned long group) {
  if (!Composite)
    SetError(ByIface("Для файла ", "Для файлу ") + Name +
                 ByIface(" невозможна открытие логического файла",
                         " неможливе відкриття логічного файлу"),
             0);
  CheckGroup(group);
  const WDirEntry& e = Dir[group];
  if (e.Offset < DirEntryAt(Header.Count) ||
      static_cast<uint64_t>(e.Offset) + LenEof > Header.End || e.Size > Header.End)
    BadLayout();
  CurAdr = LastAdr = e.Offset;
  Visited = 0;
  if (!KeepCache) CacheLen = 0; // another process may have changed the file since the last group
  FillHint = e.Size;
  return e.Size;
}

unsigned long WFile::WOpen_file(unsigned long group, int& adr) {
  unsigned long size = WOpen_file(group);
  adr = static_cast<int>(CurAdr);
  return size;
}

void WFile::WCreat_file(unsigned long group) {
  RequireComposite();
  CheckGroup(group);
  if (Mode == fmRead) SetError(Name, MsgWriteReadOnly);
  if (NewGroup != EmptyAdr) {
    uint32_t h = NewGroup;
    WClose_file(h);
    if (StrictClose)
      SetError(ByIface("Для файла ", "Для файлу ") + Name +
                   ByIface(" не выполнено закрытие файла ", " не виконано закриття файлу ") +
                   Num(h),
               0);
  }
  Written = 0;
  TmpBuf.clear();
  TmpFlushed = 0;
  NewGroup = static_cast<uint32_t>(group);
  std::string tmp = Name + "$$";
  if (sysio::UnlinkExact(tmp) != 0 && errno != ENOENT) OutSystemErrorCode(tmp, errno);
  // The scratch file itself is made only when the group outgrows memory (AppendRaw); a group of
  // a few records never costs a file creation and deletion.
  TmpName = tmp;
  Scratch = true;
}

void WFile::WClose_file(unsigned long group) {
  RequireComposite();
  if (NewGroup == EmptyAdr)
    SetError(ByIface("Для файла ", "Для файлу ") + Name +
                 ByIface(" не выполнено создание файла ", " не виконано створення файлу ") +
                 Num(group),
             0);
  if (!Scratch) {
    NewGroup = EmptyAdr;
    SetError(ByIface("Закрытие файла невозможно для несуществующего файла TMP$",
                     "Закриття файлу неможливе для неіснуючого файлу TMP$"),
             0);
  }
  if (NewGroup != group) {
    uint32_t h = NewGroup;
    WClose_file(h);
    SetError(ByIface("Для файла ", "Для файлу ") + Name +
                 ByIface(" ошибочно задан номер файла ", " помилково задано номер файлу ") +
                 Num(group) + ByIface(" вместо ", " замість ") + Num(h),
             0);
  }
  if (BlockOut) {
    WCommit();
    ReleaseBlock();
  }
  try {
    CommitGroup(group);
  } catch (...) {
    DiscardGroup();
    throw;
  }
  DiscardGroup();
}

void WFile::CommitGroup(unsigned long group) {
  AppendRaw(std::string(kEndMarker, LenEof));
  uint32_t start = Header.End;
  uint64_t total = Written;
  if (start + total > EmptyAdr) OutSystemErrorCode(Name, EFBIG);
  // The part already in the scratch file, then the part still in memory.
  std::vector<char> chunk;
  for (uint32_t off = 0; off < TmpFlushed;) {
    size_t n = std::min<size_t>(kTmpChunk, TmpFlushed - off);
    chunk.resize(n);
    TmpFile->Seek(off);
    if (static_cast<size_t>(TmpFile->SRead(chunk.data(), static_cast<int>(n))) != n)
      OutSystemErrorCode(TmpFile->Name, EIO);
    WriteAt(start + off, chunk.data(), n);
    off += static_cast<uint32_t>(n);
  }
  WriteAt(start + TmpFlushed, TmpBuf.data(), TmpBuf.size());
  Flush();
  WriteHeaderEnd(static_cast<uint32_t>(start + total));
  Flush();
  WriteDirEntry(group, {start, static_cast<uint32_t>(total)});
  Flush();
}

void WFile::DiscardGroup() noexcept {
  if (TmpFile) {
    TmpFile.reset();
    sysio::UnlinkExact(TmpName);
  }
  Scratch = false;
  TmpBuf.clear();
  TmpFlushed = 0;
  Written = 0;
  NewGroup = EmptyAdr;
}

void WFile::WClear_file(unsigned long group) {
  if (!Composite)
    SetError(
        ByIface("Для файла ", "Для файлу ") + Name +
            ByIface(" невозможна очистка логического файла", " неможливе очищення логічного файлу"),
        0);
  CheckGroup(group);
  uint32_t at = Dir[group].Offset;
  if (at < DirEntryAt(Header.Count) || static_cast<uint64_t>(at) + LenEof > Header.End) BadLayout();
  WriteAt(at, kEndMarker, LenEof);
  Flush();
  WriteGroupSize(group, LenEof);
  Flush();
}

void WFile::WriteHeaderEnd(uint32_t end) {
  char b[4];
  PutLe32(b, end);
  WriteAt(kHeadEndAt, b, 4);
  Header.End = end;
}

void WFile::WriteDirEntry(unsigned long group, WDirEntry entry) {
  char b[kDirEntrySize];
  PutLe32(b + kDirOffsetAt, entry.Offset);
  PutLe32(b + kDirSizeAt, entry.Size);
  WriteAt(DirEntryAt(group), b, kDirEntrySize);
  Dir[group] = entry;
}

void WFile::WriteGroupSize(unsigned long group, uint32_t size) {
  char b[4];
  PutLe32(b, size);
  WriteAt(DirEntryAt(group) + kDirSizeAt, b, 4);
  Dir[group].Size = size;
}

// ---- reading ----

bool WFile::WRead(WRec* rec) {
  for (;;) {
    uint32_t pos = CurAdr;
    int8_t prefix;
    uint32_t link;
    uint16_t len;
    ReadHeader(pos, prefix, link, len);
    CountVisited(kRecHeadSize + static_cast<uint64_t>(len));
    uint32_t next = link == EmptyAdr ? static_cast<uint32_t>(pos + kRecHeadSize + len) : link;
    if (prefix < 0) { // removed or relocated: read over it
      CurAdr = next;
      continue;
    }
    if (len > rec->Capacity())
      SetError(Name + "|( " + Num(len) + ")|" + Num(rec->Capacity()), MsgRecordTooLong);
    ReadExact(pos + kRecHeadSize, rec->Data, len);
    rec->Prefix = prefix;
    rec->Adr = link;
    rec->Len = len;
    LastAdr = pos;
    if (IsEndData(rec->Data, len)) {
      CurAdr = pos;
      return false;
    }
    CurAdr = next;
    return true;
  }
}

bool WFile::WRead(WRec* rec, int& adr) {
  WSeek(static_cast<uint32_t>(adr));
  bool more = WRead(rec);
  adr = static_cast<int>(CurAdr);
  return more;
}

bool WFile::WRead(unsigned long adr, WRec* rec) {
  WSeek(adr);
  return WRead(rec);
}

void WFile::WSeek(unsigned long adr) {
  if (adr > ReadLimit()) SetError(Name + "|" + Num(adr), MsgPastEnd);
  CurAdr = static_cast<uint32_t>(adr);
  Visited = 0;
}

// ---- writing ----

void WFile::AppendRaw(const std::string& bytes) {
  TmpBuf += bytes;
  Written += static_cast<uint32_t>(bytes.size());
  if (TmpBuf.size() >= kTmpChunk) {
    // Never follow a link planted at the scratch name.
    if (!TmpFile)
      TmpFile = std::make_unique<SFile>(TmpName, fmUpdate, O_CREAT | O_EXCL | O_NOFOLLOW);
    TmpFile->Seek(TmpFlushed);
    TmpFile->SWrite(TmpBuf.data(), static_cast<int>(TmpBuf.size()));
    TmpFlushed += static_cast<uint32_t>(TmpBuf.size());
    TmpBuf.clear();
  }
}

void WFile::CheckWriteLength(uint16_t len) {
  // A longer record could never be read back.
  if (len > UseLenRec) SetError(Name + "|( " + Num(len) + ")|" + Num(UseLenRec), MsgRecordTooLong);
}

void WFile::AppendRecord(int8_t prefix, uint16_t len, const char* data) {
  if (NewGroup == EmptyAdr || !Scratch)
    SetError(ByIface("Невозможна запись в несуществующий файл TMP",
                     "Неможливий запис у неіснуючий файл TMP"),
             0);
  CheckWriteLength(len);
  AppendRaw(RecordBytes(prefix, EmptyAdr, len, data));
}

void WFile::WriteSimple(int8_t prefix, uint16_t len, const char* data) {
  CheckWriteLength(len);
  std::string bytes = RecordBytes(prefix, EmptyAdr, len, data);
  WriteAt(Header.End, bytes.data(), bytes.size());
  Header.End += static_cast<uint32_t>(bytes.size());
  CurAdr = Header.End;
}

void WFile::WWrite(WRec* rec) {
  if (!Composite && !IsSimpleOutput())
    SetError(
        ByIface("Файл ", "Файл ") + Name +
            ByIface(" не открыт для записи или дозаписи", " не відкрито для запису або дозапису"),
        0);
  rec->Adr = EmptyAdr;
  if (Composite)
    AppendRecord(rec->Prefix, rec->Len, rec->Data);
  else
    WriteSimple(rec->Prefix, rec->Len, rec->Data);
}

void WFile::WWrite(char prefix, unsigned short length, const char* data) {
  if (!Composite && !IsSimpleOutput())
    SetError(
        ByIface("Файл ", "Файл ") + Name +
            ByIface(" не открыт для записи или дозаписи", " не відкрито для запису або дозапису"),
        0);
  if (Composite)
    AppendRecord(static_cast<int8_t>(prefix), length, data);
  else
    WriteSimple(static_cast<int8_t>(prefix), length, data);
}

void WFile::WWrite(const std::string& text) {
  if (!Composite && !IsSimpleOutput())
    SetError(
        ByIface("Файл ", "Файл ") + Name +
            ByIface(" не открыт для записи или дозаписи", " не відкрито для запису або дозапису"),
        0);
  if (text.size() + 2 > UseLenRec)
    SetError(Name + "|( " + Num(text.size() + 2) + ")|" + Num(UseLenRec), MsgRecordTooLong);
  std::string data(2, '\0');
  PutLe16(data.data(), static_cast<uint16_t>(text.size()));
  data += text;
  uint16_t len = static_cast<uint16_t>(data.size());
  if (Composite)
    AppendRecord(0, len, data.data());
  else
    WriteSimple(0, len, data.data());
}

unsigned long WFile::WWriteAppend(WRec* rec) {
  if (Composite)
    SetError(
        ByIface("Файл ", "Файл ") + Name + ByIface(" должен быть простым", " має бути простим"), 0);
  CheckWriteLength(rec->Len);
  rec->Adr = EmptyAdr;
  std::string bytes = RecordBytes(rec->Prefix, EmptyAdr, rec->Len, rec->Data);
  WriteAt(FileLen, bytes.data(), bytes.size());
  Header.End += static_cast<uint32_t>(bytes.size());
  return bytes.size();
}

void WFile::WSeekEnd() {
  if (Composite)
    SetError(
        ByIface("Файл ", "Файл ") + Name + ByIface(" должен быть простым", " має бути простим"), 0);
  CurAdr = FileLen >= LenEof ? static_cast<uint32_t>(FileLen - LenEof) : 0;
  Visited = 0;
}

void WFile::WUpdate(unsigned long adr, WRec* rec) {
  RequireUpdate(Name, Mode);
  int8_t prefix;
  uint32_t link;
  uint16_t len;
  ReadHeader(adr, prefix, link, len);
  if (len != rec->Len) SetError(Name, MsgRecordLength);
  WriteAt(adr + kRecHeadSize, rec->Data, len);
  Flush();
  if (rec->Adr != EmptyAdr) {
    CurAdr = rec->Adr;
    Visited = 0;
  }
}

void WFile::WWriteEdit(WRec* rec) {
  RequireUpdate(Name, Mode);
  CheckWriteLength(rec->Len);
  std::string bytes = RecordBytes(rec->Prefix, rec->Adr, rec->Len, rec->Data);
  WriteAt(CurAdr, bytes.data(), bytes.size());
  CurAdr += static_cast<uint32_t>(bytes.size());
}

unsigned short WFile::WUpdatePrefix(unsigned long adr, char bits) {
  int8_t prefix;
  uint32_t link;
  uint16_t len;
  ReadHeader(adr, prefix, link, len);
  return WUpdatePrefix(adr, link, bits);
}

unsigned short WFile::WUpdatePrefix(unsigned long adr, unsigned long link, char bits) {
  int8_t prefix;
  uint32_t oldLink;
  uint16_t len;
  ReadHeader(adr, prefix, oldLink, len);
  char b[kRecLenAt];
  b[kRecPrefixAt] = static_cast<char>(prefix | bits);
  PutLe32(b + kRecLinkAt, static_cast<uint32_t>(link));
  WriteAt(adr, b, kRecLenAt); // prefix and link in one write
  Flush();
  return len;
}

void WFile::WUpdateLogInfo(int group, unsigned long offset) {
  RequireComposite();
  CheckGroup(static_cast<unsigned long>(group));
  char b[4];
  PutLe32(b, static_cast<uint32_t>(offset));
  WriteAt(DirEntryAt(group) + kDirOffsetAt, b, 4);
  Dir[group].Offset = static_cast<uint32_t>(offset);
  Flush();
}

// ---- in-place edits ----

unsigned long WFile::EditNew(uint32_t link, WRec* rec) {
  RequireUpdate(Name, Mode);
  uint32_t at = Header.End;
  if (at + kRecHeadSize + rec->Len > EmptyAdr) OutSystemErrorCode(Name, EFBIG);
  // The new record becomes durable below a durable end value before anything links to it.
  rec->Adr = link;
  CurAdr = at;
  WWriteEdit(rec);
  Flush();
  WriteHeaderEnd(static_cast<uint32_t>(at + kRecHeadSize + rec->Len));
  Flush();
  return at;
}

unsigned long WFile::Relocate(int group, unsigned long adrRec, uint32_t link, WRec* rec) {
  unsigned long at = EditNew(link, rec);
  uint16_t oldLen = WUpdatePrefix(adrRec, at, kRemovedBit);
  WriteGroupSize(group, GrownSize(group, kRecHeadSize + rec->Len, kRecHeadSize + oldLen));
  Flush();
  return at;
}

uint32_t WFile::GrownSize(int group, uint64_t plus, uint64_t minus) const {
  uint64_t size = Dir[group].Size + plus;
  return static_cast<uint32_t>(size > minus ? size - minus : LenEof);
}

unsigned long WFile::WEditFile(WEdit kind, int group, unsigned long adrRec, unsigned long adrNext,
                               WRec* rec) {
  RequireComposite();
  CheckGroup(static_cast<unsigned long>(group));
  int8_t prefix;
  uint32_t link;
  uint16_t len;
  switch (kind) {
  case weDelete:
    len = WUpdatePrefix(adrRec, kRemovedBit);
    WriteGroupSize(group, GrownSize(group, 0, kRecHeadSize + static_cast<uint64_t>(len)));
    Flush();
    return adrRec;
  case weMove:
    ReadHeader(adrRec, prefix, link, len);
    return Relocate(group, adrRec, static_cast<uint32_t>(adrNext), rec);
  case weInsert: {
    if (adrRec != EmptyAdr) ReadHeader(adrRec, prefix, link, len);
    unsigned long at = EditNew(static_cast<uint32_t>(adrNext), rec);
    uint32_t size = GrownSize(group, kRecHeadSize + rec->Len, 0);
    if (adrRec == EmptyAdr) {
      WriteDirEntry(group, {static_cast<uint32_t>(at), size}); // offset and size in one write
    } else {
      WUpdatePrefix(adrRec, at, 0);
      WriteGroupSize(group, size);
    }
    Flush();
    return at;
  }
  case weUpdate:
    WUpdate(adrRec, rec);
    return adrRec;
  case weReplace:
    ReadHeader(adrRec, prefix, link, len);
    if (len == rec->Len) {
      WUpdate(adrRec, rec);
      return adrRec;
    }
    return Relocate(group, adrRec,
                    link == EmptyAdr ? static_cast<uint32_t>(adrRec + kRecHeadSize + len) : link,
                    rec);
  }
  SetError(ByIface("Для файла ", "Для файлу ") + Name +
               ByIface(" неверен вид изменения ", " невірний вид зміни ") + Num(kind),
           0);
}

// ---- block reading and writing ----

void WFile::CheckBlockForm(unsigned long group, WBForm form, int fixedLength,
                           const std::string& delim) {
  if ((form == wbFixed && (fixedLength <= 0 || fixedLength > MaxBlockLen)) ||
      (form == wbDelim && delim.empty()))
    SetError(ByIface("Для файла ", "Для файлу ") + Name +
                 ByIface(" задана нулевая длина логической записи",
                         " задано нульову довжину логічного запису") +
                 Num(group),
             0);
}

void WFile::StartBlock(unsigned long group, WBForm form, int fixedLength,
                       const std::string& delim) {
  ReleaseBlock();
  BlockRec = GetBuf();
  BlockRec->Len = 0;
  BlockPos = 0;
  BlockGroup = group;
  BlockForm = form;
  BlockFixed = fixedLength;
  BlockDelim = delim;
}

void WFile::WBOpenFile(unsigned long group, WBForm form, int fixedLength,
                       const std::string& delim) {
  WOpen_file(group);
  CheckBlockForm(group, form, fixedLength, delim);
  StartBlock(group, form, fixedLength, delim);
}

void WFile::WBCreatFile(unsigned long group, WBForm form, int fixedLength,
                        const std::string& delim) {
  RequireComposite();
  CheckGroup(group);
  CheckBlockForm(group, form, fixedLength, delim);
  WCreat_file(group); // commits a pending group, with its block output, first
  StartBlock(group, form, fixedLength, delim);
  BlockOut = true;
}

void WFile::WBCloseFile() {
  if (!BlockRec) return;
  if (!BlockOut) {
    ReleaseBlock();
    return;
  }
  WCommit();
  unsigned long group = BlockGroup;
  ReleaseBlock();
  WClose_file(group);
}

void WFile::ReleaseBlock() noexcept {
  if (BlockRec) try {
      FreeBuf(BlockRec);
    } catch (...) {
    }
  BlockRec = nullptr;
  BlockOut = false;
}

void WFile::WPut(const char* data, int length) {
  if (!BlockRec || !BlockOut)
    SetError(ByIface("Невозможна запись в несуществующий файл TMP",
                     "Неможливий запис у неіснуючий файл TMP"),
             0);
  if (length <= 0)
    SetError(ByIface("Для файла ", "Для файлу ") + Name +
                 ByIface(" задана нулевая длина логической записи",
                         " задано нульову довжину логічного запису") +
                 Num(BlockGroup),
             0);
  if (BlockForm == wbFixed && length != BlockFixed) SetError(Name, MsgRecordLength);
  std::string entry;
  if (BlockForm == wbLength) {
    entry.assign(2, '\0');
    PutLe16(entry.data(), static_cast<uint16_t>(std::min(length, 0xFFFF)));
  }
  entry.append(data, static_cast<size_t>(length));
  if (BlockForm == wbDelim) entry += BlockDelim;
  if (entry.size() > MaxBlockLen)
    SetError(Name + "|( " + Num(entry.size()) + ")|" + Num(MaxBlockLen), MsgRecordTooLong);
  if (BlockRec->Len + entry.size() > MaxBlockLen) WCommit();
  std::memcpy(BlockRec->Data + BlockRec->Len, entry.data(), entry.size());
  BlockRec->Len = static_cast<uint16_t>(BlockRec->Len + entry.size());
}

void WFile::WCommit() {
  if (!BlockRec || !BlockOut || BlockRec->Len == 0) return;
  AppendRecord(0, BlockRec->Len, BlockRec->Data);
  BlockRec->Len = 0;
}

bool WFile::WGet(std::string& entry) {
  if (!BlockRec || BlockOut) return false;
  while (BlockPos >= BlockRec->Len) {
    if (!WRead(BlockRec)) {
      BlockRec->Len = 0;
      BlockPos = 0;
      return false;
    }
    BlockPos = 0;
  }
  const char* p = BlockRec->Data + BlockPos;
  size_t left = BlockRec->Len - BlockPos, n = 0, skip = 0;
  if (BlockForm == wbLength) {
    n = left >= 2 ? GetLe16(p) : left;
    skip = 2;
  } else if (BlockForm == wbFixed) {
    n = static_cast<size_t>(BlockFixed);
  } else {
    std::string_view block(p, left);
    n = block.find(BlockDelim);
    if (n == std::string_view::npos) n = left + 1;
  }
  size_t used =
      (BlockForm == wbLength ? 2 : 0) + n + (BlockForm == wbDelim ? BlockDelim.size() : 0);
  if (used > left) // damaged block
    SetError(Name + "|" + Num(LastAdr + kRecHeadSize + BlockRec->Len), MsgPastEnd);
  entry.assign(p + skip, n);
  BlockPos += used;
  return true;
}
