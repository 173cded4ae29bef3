// Single-instance lock on a private lock file, through the I/O seam.
#include "workflow/Instance.h"

#include "messages/Zmsg.h"
#include "storage/Sysio.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

bool IsDir(const std::string& path) {
  struct stat st;
  return IoSys().Stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

// The directory must be a real directory (no symbolic link), ours, and closed to others.
void CheckPrivateDir(const std::string& dir) {
  int fd = IoSys().Open(dir, O_RDONLY | O_DIRECTORY | O_NOFOLLOW, 0);
  if (fd < 0) OutSystemErrorCode("Каталог блокировки " + dir, errno);
  IoSys().Close(fd);
  struct stat st;
  if (IoSys().Stat(dir, &st) != 0) OutSystemErrorCode("Каталог блокировки " + dir, errno);
  if (st.st_uid != getuid() || (st.st_mode & 077) != 0)
    SetError("Каталог блокировки " + dir + " принадлежит другому пользователю или открыт для него",
             0);
}

std::string LockDir(const std::string& tmpBase) {
  const char* xdg = std::getenv("XDG_RUNTIME_DIR");
  if (xdg && xdg[0] == '/' && IsDir(xdg)) return xdg;
  std::string dir = tmpBase + "/ravinel-" + std::to_string(getuid());
  if (IoSys().Mkdir(dir, 0700) != 0 && errno != EEXIST)
    OutSystemErrorCode("Каталог блокировки " + dir, errno);
  CheckPrivateDir(dir);
  return dir;
}

} // namespace

TInstanceLock::TInstanceLock(std::string name, std::string tmpBase)
    : Name(std::move(name)), TmpBase(std::move(tmpBase)) {}

TInstanceLock::~TInstanceLock() {
  if (Fd >= 0) IoSys().Close(Fd);
}

bool TInstanceLock::Acquire() {
  if (Fd >= 0) return true;
  LockPath = LockDir(TmpBase) + "/" + Name + ".lock";
  int fd = IoSys().Open(LockPath, O_RDWR | O_CREAT | O_NOFOLLOW, 0600);
  if (fd < 0) OutSystemErrorCode("Файл блокировки " + LockPath, errno);
  if (IoSys().Lock(fd, LOCK_EX | LOCK_NB) != 0) {
    int code = errno;
    IoSys().Close(fd);
    if (code == EWOULDBLOCK) return false;
    OutSystemErrorCode("Файл блокировки " + LockPath, code);
  }
  Fd = fd;
  return true;
}

bool AcquireProcessLock() {
  static TInstanceLock lock; // kept for the whole run; the OS drops the lock at exit
  return lock.Acquire();
}
