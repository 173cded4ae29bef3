// The one seam between the program and the operating system's file calls.
// Callers pass CP1251 paths; the seam converts them to UTF-8 and falls back to a case-insensitive
// match.
#pragma once
#include <string>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

// The OS calls beneath the seam, on OS (UTF-8) paths. Tests install their own to count calls,
// inject failures or simulate a crash.
class TIoSys {
public:
  virtual ~TIoSys() = default;
  virtual int Open(const std::string& path, int flags, mode_t mode) = 0;
  virtual int Close(int fd) = 0;
  virtual ssize_t Read(int fd, void* buf, size_t count) = 0;
  virtual ssize_t Write(int fd, const void* buf, size_t count) = 0;
  virtual off_t Seek(int fd, off_t offset, int whence) = 0;
  virtual int DataSync(int fd) = 0; // fdatasync
  virtual int FullSync(int fd) = 0; // fsync, also for directories
  virtual int Truncate(int fd, off_t length) = 0;
  virtual int Rename(const std::string& from, const std::string& to) = 0;
  virtual int Unlink(const std::string& path) = 0;
  virtual int Stat(const std::string& path, struct stat* st) = 0;
  virtual int Mkdir(const std::string& path, mode_t mode) = 0;
  // Names in a directory (without "." and ".."); -1 with errno on failure.
  virtual int ListDir(const std::string& path, std::vector<std::string>& names) = 0;
  // Advisory whole-file lock (flock); not pure so that test backends need not provide it.
  virtual int Lock(int fd, int operation);
  // POSIX record lock (fcntl F_SETLK, F_GETLK); not pure, like Lock.
  virtual int RecordLock(int fd, int cmd, struct flock* lock);
  // fstat and fchmod of an open file; not pure, like Lock.
  virtual int FileStat(int fd, struct stat* st);
  virtual int ChangeMode(int fd, mode_t mode);
  // fchown, flistxattr, fgetxattr and fsetxattr of an open file; not pure, like Lock.
  virtual int ChangeOwner(int fd, uid_t uid, gid_t gid);
  virtual ssize_t ListAttrs(int fd, char* names, size_t size);
  virtual ssize_t GetAttr(int fd, const char* name, void* value, size_t size);
  virtual int SetAttr(int fd, const char* name, const void* value, size_t size);
  // Reads at offset without moving the file position (pread). The default positions and reads
  // through Seek and Read, so that backends which only wrap those see every access.
  virtual ssize_t PRead(int fd, void* buf, size_t count, off_t offset);
  // A second name for an existing file (link); not pure, like Lock.
  virtual int Link(const std::string& from, const std::string& to);
  // Removes an empty directory (rmdir); not pure, like Lock.
  virtual int RemoveDir(const std::string& path);
};

// The plain POSIX implementation.
class TPosixIoSys : public TIoSys {
public:
  int Open(const std::string& path, int flags, mode_t mode) override;
  int Close(int fd) override;
  ssize_t Read(int fd, void* buf, size_t count) override;
  ssize_t Write(int fd, const void* buf, size_t count) override;
  off_t Seek(int fd, off_t offset, int whence) override;
  int DataSync(int fd) override;
  int FullSync(int fd) override;
  int Truncate(int fd, off_t length) override;
  int Rename(const std::string& from, const std::string& to) override;
  int Unlink(const std::string& path) override;
  int Stat(const std::string& path, struct stat* st) override;
  int Mkdir(const std::string& path, mode_t mode) override;
  int ListDir(const std::string& path, std::vector<std::string>& names) override;
  ssize_t PRead(int fd, void* buf, size_t count, off_t offset) override;
};

// The installed implementation (TPosixIoSys by default). SetIoSys(nullptr) restores the default;
// returns the previous one.
TIoSys& IoSys();
TIoSys* SetIoSys(TIoSys* io);

namespace sysio {
// The OS path of a CP1251 path: UTF-8, and when the exact path does not exist, the first
// case-insensitive match component by component (the leaf may stay unmatched, for creation).
std::string OsPath(const std::string& path);

// CP1251-path forms of the calls; they return as the OS calls do (-1 and errno on failure).
int Open(const std::string& path, int flags, mode_t mode = 0666);
int Rename(const std::string& from, const std::string& to);
int Link(const std::string& from, const std::string& to);
int RemoveDir(const std::string& path);
int Unlink(const std::string& path);
int Stat(const std::string& path, struct stat* st);
int Mkdir(const std::string& path, mode_t mode = 0777);
int ListDir(const std::string& path, std::vector<std::string>& names); // names in CP1251
// Flushes a directory entry change (rename, create, unlink) of the directory holding path.
int SyncDir(const std::string& path);
// Reads and writes the whole count, retrying short transfers and EINTR.
ssize_t ReadFull(int fd, void* buf, size_t count);
// The same at an offset, leaving the file position alone when the backend reads in place.
ssize_t PReadFull(int fd, void* buf, size_t count, off_t offset);
ssize_t WriteFull(int fd, const void* buf, size_t count);

bool FileExists(const std::string& path);
bool DirExists(const std::string& path);

// Without the case-insensitive match, for scratch names derived from a path that is resolved
// already: a name that does not exist costs no directory walk.
int UnlinkExact(const std::string& path);
bool FileExistsExact(const std::string& path);
} // namespace sysio
