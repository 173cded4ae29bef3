// SFile over the I/O seam.
#include "storage/Dsfile.h"
#include "messages/Msgcat.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "messages/Zmsg.h"
#include "paths/Dpath.h"
#include "storage/Sysio.h"

SFile::SFile(const std::string& name, ZFileMode mode, int extraFlags, unsigned perms)
    : Name(GetRealName(name)), Mode(mode) {
  int flags;
  switch (mode) {
  case fmRead:
    flags = O_RDONLY;
    break;
  case fmUpdate:
    flags = O_RDWR;
    break;
  case fmCreate:
  case fmRewrite:
    // An exclusive creation names an exact path (a scratch file): a case variant is another file.
    if ((extraFlags & O_EXCL) ? sysio::FileExistsExact(Name) : sysio::FileExists(Name)) {
      if (mode == fmCreate && !OutSel(Name, SelOverwrite)) SetError(Name, MsgSilent);
      if (((extraFlags & O_EXCL) ? sysio::UnlinkExact(Name) : sysio::Unlink(Name)) != 0)
        SystemError();
    }
    // A link planted at the name (one that dangles, so it was not removed above) is never
    // followed to create or truncate another file.
    flags = O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW;
    break;
  default:
    SetError("SFile: " + Name + "|" + std::to_string(static_cast<int>(mode)), 0);
  }
  // New files get the user's umask and are never writable by everyone.
  Handle = sysio::Open(Name, flags | extraFlags, static_cast<mode_t>(perms & ~S_IWOTH));
  if (Handle < 0) {
    if (errno == ENOENT && (mode == fmRead || mode == fmUpdate)) SetError(Name, MsgFileMissing);
    SystemError();
  }
}

SFile::SFile(TInMemory, const std::string& name) : Name(name), Mode(fmUpdate), InMemory(true) {}

SFile::~SFile() {
  if (Handle >= 0) IoSys().Close(Handle);
}

void SFile::SystemError() {
  OutSystemErrorCode(Name, errno);
}

int SFile::MemoryRead(char* buffer, int count, long offset) {
  if (count < 0 || offset < 0) OutSystemErrorCode(Name, EINVAL);
  size_t at = std::min(Bytes.size(), static_cast<size_t>(offset));
  size_t n = std::min(Bytes.size() - at, static_cast<size_t>(count));
  std::memcpy(buffer, Bytes.data() + at, n);
  return static_cast<int>(n);
}

void SFile::MemoryWrite(const char* buffer, int count) {
  size_t at = static_cast<size_t>(Pos), n = static_cast<size_t>(count);
  if (Bytes.size() < at + n) Bytes.resize(at + n); // a gap behind the end reads as zeros
  std::memcpy(Bytes.data() + at, buffer, n);
  Pos += count;
}

int SFile::SRead(char* buffer, int count) {
  if (Mode == fmCreate || Mode == fmRewrite) SetError(Name, MsgReadWriteOnly);
  if (InMemory) {
    int n = MemoryRead(buffer, count, Pos);
    Pos += n;
    return n;
  }
  ssize_t n = sysio::ReadFull(Handle, buffer, static_cast<size_t>(count));
  if (n < 0) SystemError();
  return static_cast<int>(n);
}

int SFile::SReadAt(char* buffer, int count, long offset) {
  if (Mode == fmCreate || Mode == fmRewrite) SetError(Name, MsgReadWriteOnly);
  if (InMemory) return MemoryRead(buffer, count, offset);
  ssize_t n = sysio::PReadFull(Handle, buffer, static_cast<size_t>(count), offset);
  if (n < 0) SystemError();
  return static_cast<int>(n);
}

void SFile::SWrite(const char* buffer, int count) {
  if (Mode == fmRead) SetError(Name, MsgWriteReadOnly);
  if (InMemory) {
    if (count > 0) MemoryWrite(buffer, count);
    return;
  }
  if (count > 0 && sysio::WriteFull(Handle, buffer, static_cast<size_t>(count)) < 0) SystemError();
}

void SFile::SWrite(const std::string& text) {
  std::string line = text + "\r\n";
  SWrite(line.data(), static_cast<int>(line.size()));
}

long SFile::Seek(long offset) {
  return Seek(offset, 0);
}

long SFile::Seek(long offset, unsigned long origin) {
  static const int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  if (InMemory) {
    long base = origin == 1 ? Pos : origin == 2 ? static_cast<long>(Bytes.size()) : 0;
    if (base + offset < 0) OutSystemErrorCode(Name, EINVAL);
    return Pos = base + offset;
  }
  off_t pos = IoSys().Seek(Handle, offset, kWhence[origin > 2 ? 0 : origin]);
  if (pos < 0) SystemError();
  return static_cast<long>(pos);
}

long SFile::Tell() {
  return Seek(0, 1);
}

unsigned long SFile::Size() {
  long here = Tell();
  long end = Seek(0, 2);
  Seek(here, 0);
  return static_cast<unsigned long>(end);
}

void SFile::Sync() {
  if (InMemory) return;
  if (IoSys().DataSync(Handle) != 0) SystemError();
}
