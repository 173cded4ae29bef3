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
  case TKind::CrashTorn:
    Hit = true;
    CrashNow();
    errno = EIO;
    return true;
  default:
    return false;
  }
}

// Everything synced stays; with CrashDropUnsynced the writes since each file's last sync are
// undone, newest first, as if the machine lost its page cache. CrashTorn undoes them too but
// keeps the newest write's sectors up to the chosen boundary: storage writes whole 512-byte
// sectors, so a write is torn only there.
void TFaultIo::CrashNow() {
  Dead = true;
  if (Kind == TKind::CrashDropUnsynced || Kind == TKind::CrashTorn)
    DropUnsynced(Kind == TKind::CrashTorn);
}

void TFaultIo::PowerLoss() {
  DropUnsynced(false);
}

namespace {
// The directory whose flush makes an entry change of path durable, named as SyncDir names it.
std::string DirOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}
} // namespace

// Undoes writes to one file, newest first.
void TFaultIo::Undo(const std::string& path, const std::vector<TUndo>& undos) {
  int fd = ::open(path.c_str(), O_WRONLY);
  if (fd < 0) return;
  for (auto it = undos.rbegin(); it != undos.rend(); ++it) {
    if (!it->Old.empty() && ::pwrite(fd, it->Old.data(), it->Old.size(), it->Offset) < 0) break;
    if (::ftruncate(fd, it->OldSize) != 0) break;
  }
  ::close(fd);
}

void TFaultIo::DropUnsynced(bool tear) {
  long newest = 0;
  for (auto& [path, undos] : Unsynced)
    for (const TUndo& u : undos)
      newest = std::max(newest, u.Seq);
  for (auto& [path, undos] : Unsynced)
    Undo(path, undos);
  Unsynced.clear();
  if (tear && newest != 0 && Last.Seq == newest) {
    // The sectors of the newest write up to the chosen boundary reached the disk after all.
    off_t end = Last.Offset + static_cast<off_t>(Last.Data.size());
    std::vector<off_t> cuts; // boundaries inside the write, then its end
    for (off_t b = (Last.Offset / 512 + 1) * 512; b < end; b += 512)
      cuts.push_back(b);
    cuts.push_back(end);
    off_t cut = cuts[static_cast<size_t>(Tear) % cuts.size()];
    int fd = ::open(Last.Path.c_str(), O_WRONLY);
    if (fd >= 0) {
      if (::pwrite(fd, Last.Data.data(), static_cast<size_t>(cut - Last.Offset), Last.Offset) < 0)
        Last.Seq = 0; // nothing of it kept
      ::close(fd);
    }
  }
  RevertDirs();
}

// Takes the content of a file that is about to lose its name.
bool TFaultIo::Save(const std::string& path, TSaved& saved) {
  int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  char buf[65536];
  ssize_t n;
  while ((n = ::read(fd, buf, sizeof buf)) > 0)
    saved.Bytes.append(buf, static_cast<size_t>(n));
  ::close(fd);
  auto u = Unsynced.find(path);
  if (u != Unsynced.end()) {
    saved.Undos = std::move(u->second);
    Unsynced.erase(u);
  }
  return true;
}

// Brings a file back under its name, as the disk last knew it.
void TFaultIo::Restore(const std::string& path, const TSaved& saved) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (fd < 0) return;
  bool ok = ::write(fd, saved.Bytes.data(), saved.Bytes.size()) ==
            static_cast<ssize_t>(saved.Bytes.size());
  ::close(fd);
  if (ok) Undo(path, saved.Undos);
}

// Every entry change whose directory was not flushed since is undone, newest first: a created
// file is gone, a renamed one back under its old name with the file it replaced, an unlinked one
// back.
void TFaultIo::RevertDirs() {
  Undone += static_cast<long>(DirOps.size());
  for (auto it = DirOps.rbegin(); it != DirOps.rend(); ++it) {
    switch (it->Op) {
    case TDirOp::TOp::Create:
      ::unlink(it->Path.c_str());
      break;
    case TDirOp::TOp::Rename:
      if (::rename(it->To.c_str(), it->Path.c_str()) == 0 && it->Replaced) Restore(it->To, it->Old);
      break;
    case TDirOp::TOp::Unlink:
      Restore(it->Path, it->Old);
      break;
    }
  }
  DirOps.clear();
}

void TFaultIo::AddDirOp(TDirOp op) {
  op.Pending.push_back(DirOf(op.Path));
  if (op.Op == TDirOp::TOp::Rename && DirOf(op.To) != op.Pending[0])
    op.Pending.push_back(DirOf(op.To));
  DirOps.push_back(std::move(op));
}

int TFaultIo::Open(const std::string& path, int flags, mode_t mode) {
  if (Intercept()) return -1;
  bool created = (flags & O_CREAT) && !Exists(path);
  TSaved cut;
  if ((flags & O_TRUNC) && !created && !(flags & O_DIRECTORY)) Save(path, cut);
  int fd = Real->Open(path, flags, mode);
  if (fd < 0) return fd;
  if (flags & O_DIRECTORY) {
    Dirs[fd] = path;
    return fd;
  }
  Paths[fd] = path;
  if (created) AddDirOp({TDirOp::TOp::Create, path, "", false, {}, {}});
  if (!cut.Bytes.empty() || !cut.Undos.empty()) {
    // The truncation is an unsynced write too: undone, it brings the old bytes back.
    std::vector<TUndo>& undos = Unsynced[path];
    undos.insert(undos.begin(), cut.Undos.begin(), cut.Undos.end());
    undos.push_back({0, cut.Bytes, static_cast<off_t>(cut.Bytes.size()), ++WriteSeq});
  }
  return fd;
}

// Closing never touches the disk, so the descriptor is released even after a crash.
int TFaultIo::Close(int fd) {
  bool fail = Intercept();
  Paths.erase(fd);
  Dirs.erase(fd);
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
    TUndo undo{at, std::string(), 0, ++WriteSeq};
    Last = {p->second, at, std::string(static_cast<const char*>(buf), count), WriteSeq};
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
  int rc = RealSync ? Real->DataSync(fd) : 0;
  if (rc == 0) Forget(fd);
  return rc;
}

// fsync of a directory makes its entry changes durable, never the content of its files.
int TFaultIo::FullSync(int fd) {
  if (Intercept()) return -1;
  int rc = RealSync ? Real->FullSync(fd) : 0;
  if (rc != 0) return rc;
  auto d = Dirs.find(fd);
  if (d == Dirs.end()) {
    Forget(fd);
    return rc;
  }
  for (TDirOp& op : DirOps)
    std::erase(op.Pending, d->second);
  std::erase_if(DirOps, [](const TDirOp& op) { return op.Pending.empty(); });
  return rc;
}

int TFaultIo::Truncate(int fd, off_t length) {
  if (Intercept()) return -1;
  auto p = Paths.find(fd);
  struct stat st;
  if (p != Paths.end() && ::fstat(fd, &st) == 0 && st.st_size != length) {
    TUndo undo{length, std::string(), st.st_size, ++WriteSeq};
    if (st.st_size > length) {
      undo.Old.resize(static_cast<size_t>(st.st_size - length));
      ssize_t n = ::pread(fd, undo.Old.data(), undo.Old.size(), length);
      undo.Old.resize(n > 0 ? static_cast<size_t>(n) : 0);
    }
    Unsynced[p->second].push_back(undo);
  }
  return Real->Truncate(fd, length);
}

int TFaultIo::Rename(const std::string& from, const std::string& to) {
  if (Intercept()) return -1;
  TDirOp op{TDirOp::TOp::Rename, from, to, false, {}, {}};
  if (from != to && Exists(from)) op.Replaced = Save(to, op.Old);
  int rc = Real->Rename(from, to);
  if (rc != 0) {
    if (!op.Old.Undos.empty()) Unsynced[to] = op.Old.Undos;
    return rc;
  }
  if (from == to) return rc;
  if (Last.Path == to) Last.Seq = 0;
  if (Last.Path == from) Last.Path = to;
  auto moved = Unsynced.find(from);
  if (moved != Unsynced.end()) {
    Unsynced[to] = std::move(moved->second);
    Unsynced.erase(moved);
  }
  for (auto& [fd, path] : Paths)
    if (path == from) path = to;
  AddDirOp(std::move(op));
  return rc;
}

int TFaultIo::Unlink(const std::string& path) {
  if (Intercept()) return -1;
  TDirOp op{TDirOp::TOp::Unlink, path, "", false, {}, {}};
  std::vector<TUndo> undos;
  auto u = Unsynced.find(path);
  if (u != Unsynced.end()) undos = u->second;
  bool saved = Save(path, op.Old);
  int rc = Real->Unlink(path);
  if (rc != 0) {
    if (!undos.empty()) Unsynced[path] = undos;
    return rc;
  }
  if (Last.Path == path) Last.Seq = 0;
  if (saved) AddDirOp(std::move(op));
  return rc;
}

// A new name is a created entry: a crash before its directory is flushed takes it away.
int TFaultIo::Link(const std::string& from, const std::string& to) {
  if (Intercept()) return -1;
  int rc = Real->Link(from, to);
  if (rc == 0) AddDirOp({TDirOp::TOp::Create, to, "", false, {}, {}});
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

// Metadata calls of open files: counted and failed like the others; a crash does not undo them
// (the program makes them on new files only, before the fsync that precedes their rename).
int TFaultIo::FileStat(int fd, struct stat* st) {
  if (Intercept()) return -1;
  return Real->FileStat(fd, st);
}

int TFaultIo::ChangeMode(int fd, mode_t mode) {
  if (Intercept()) return -1;
  return Real->ChangeMode(fd, mode);
}

int TFaultIo::ChangeOwner(int fd, uid_t uid, gid_t gid) {
  if (Intercept()) return -1;
  return Real->ChangeOwner(fd, uid, gid);
}

ssize_t TFaultIo::ListAttrs(int fd, char* names, size_t size) {
  if (Intercept()) return -1;
  return Real->ListAttrs(fd, names, size);
}

ssize_t TFaultIo::GetAttr(int fd, const char* name, void* value, size_t size) {
  if (Intercept()) return -1;
  return Real->GetAttr(fd, name, value, size);
}

int TFaultIo::SetAttr(int fd, const char* name, const void* value, size_t size) {
  if (Intercept()) return -1;
  return Real->SetAttr(fd, name, value, size);
}
