// Fault injection beneath the I/O seam.
#include "tests/support/FaultIo.h"

#include <cerrno>
#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TFaultIo::TFaultIo() : Real(new TPosixIoSys) {}
TFaultIo::~TFaultIo() {
  delete Real;
}

void TFaultIo::Arm(TKind kind, long k, int errorCode) {
  Kind = kind;
  At = Count + k;
  Code = errorCode;
  Hit = false;
}

bool TFaultIo::Intercept() {
  ++Count;
  if (Dead) {
    errno = EIO;
    return true;
  }
  if (Kind == TKind::None || Count < At) return false;
  switch (Kind) {
  case TKind::FailOnce:
    if (Count != At) return false;
    Hit = true;
    errno = Code;
    return true;
  case TKind::FailAlways:
    Hit = true;
    errno = Code;
    return true;
  case TKind::Crash:
  case TKind::CrashDropUnsynced:
    Hit = true;
    CrashNow();
    errno = EIO;
    return true;
  default:
    return false;
  }
}

// Everything synced stays; with CrashDropUnsynced the writes since each file's last sync are
// undone, newest first, as if the machine lost its page cache.
void TFaultIo::CrashNow() {
  Dead = true;
  if (Kind != TKind::CrashDropUnsynced) return;
  for (auto& [path, undos] : Unsynced) {
    int fd = ::open(path.c_str(), O_WRONLY);
    if (fd < 0) continue;
    for (auto it = undos.rbegin(); it != undos.rend(); ++it) {
      if (!it->Old.empty() && ::pwrite(fd, it->Old.data(), it->Old.size(), it->Offset) < 0) break;
      if (::ftruncate(fd, it->OldSize) != 0) break;
    }
    ::close(fd);
  }
  Unsynced.clear();
}

int TFaultIo::Open(const std::string& path, int flags, mode_t mode) {
  if (Intercept()) return -1;
  int fd = Real->Open(path, flags, mode);
  if (fd >= 0) Paths[fd] = path;
  return fd;
}

// Closing never touches the disk, so the descriptor is released even after a crash.
int TFaultIo::Close(int fd) {
  bool fail = Intercept();
  Paths.erase(fd);
  int rc = Real->Close(fd);
  if (fail) {
    errno = EIO;
    return -1;
  }
  return rc;
}

ssize_t TFaultIo::Read(int fd, void* buf, size_t count) {
  if (Intercept()) return -1;
  return Real->Read(fd, buf, count);
}

ssize_t TFaultIo::Write(int fd, const void* buf, size_t count) {
  if (Intercept()) return -1;
  auto p = Paths.find(fd);
  if (p != Paths.end()) {
    off_t at = ::lseek(fd, 0, SEEK_CUR);
    struct stat st;
    TUndo undo{at, std::string(), 0};
    if (::fstat(fd, &st) == 0) undo.OldSize = st.st_size;
    if (at >= 0 && at < undo.OldSize) {
      undo.Old.resize(std::min<size_t>(count, static_cast<size_t>(undo.OldSize - at)));
      ssize_t n = ::pread(fd, undo.Old.data(), undo.Old.size(), at);
      undo.Old.resize(n > 0 ? static_cast<size_t>(n) : 0);
    }
    Unsynced[p->second].push_back(undo);
  }
  return Real->Write(fd, buf, count);
}

off_t TFaultIo::Seek(int fd, off_t offset, int whence) {
  if (Intercept()) return -1;
  return Real->Seek(fd, offset, whence);
}

void TFaultIo::Forget(int fd) {
  auto p = Paths.find(fd);
  if (p != Paths.end()) Unsynced.erase(p->second);
}

int TFaultIo::DataSync(int fd) {
  if (Intercept()) return -1;
  int rc = Real->DataSync(fd);
  if (rc == 0) Forget(fd);
  return rc;
}

int TFaultIo::FullSync(int fd) {
  if (Intercept()) return -1;
  int rc = Real->FullSync(fd);
  if (rc == 0) Forget(fd);
  return rc;
}

int TFaultIo::Truncate(int fd, off_t length) {
  if (Intercept()) return -1;
  return Real->Truncate(fd, length);
}

int TFaultIo::Rename(const std::string& from, const std::string& to) {
  if (Intercept()) return -1;
  int rc = Real->Rename(from, to);
  if (rc == 0) {
    Unsynced.erase(to);
    auto moved = Unsynced.find(from);
    if (moved != Unsynced.end()) {
      Unsynced[to] = moved->second;
      Unsynced.erase(from);
    }
  }
  return rc;
}

int TFaultIo::Unlink(const std::string& path) {
  if (Intercept()) return -1;
  int rc = Real->Unlink(path);
  if (rc == 0) Unsynced.erase(path);
  return rc;
}

int TFaultIo::Stat(const std::string& path, struct stat* st) {
  if (Intercept()) return -1;
  return Real->Stat(path, st);
}

int TFaultIo::Mkdir(const std::string& path, mode_t mode) {
  if (Intercept()) return -1;
  return Real->Mkdir(path, mode);
}

int TFaultIo::ListDir(const std::string& path, std::vector<std::string>& names) {
  if (Intercept()) return -1;
  return Real->ListDir(path, names);
}
