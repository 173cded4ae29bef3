// Single-instance lock on a private lock file, through the I/O seam.
#include "workflow/Instance.h"

#include "messages/Utslang.h"
#include "messages/Zmsg.h"
#include "storage/Sysio.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
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
  if (fd < 0)
    OutSystemErrorCode(ByIface("Каталог блокировки ", "Каталог блокування ") + dir, errno);
  IoSys().Close(fd);
  struct stat st;
  if (IoSys().Stat(dir, &st) != 0)
    OutSystemErrorCode(ByIface("Каталог блокировки ", "Каталог блокування ") + dir, errno);
  if (st.st_uid != getuid() || (st.st_mode & 077) != 0)
    SetError(ByIface("Каталог блокировки ", "Каталог блокування ") + dir +
                 ByIface(" принадлежит другому пользователю или открыт для него",
                         " належить іншому користувачеві або відкритий для нього"),
             0);
}

} // namespace

std::string PrivateRuntimeDir(const std::string& tmpBase) {
  const char* xdg = std::getenv("XDG_RUNTIME_DIR");
  if (xdg && xdg[0] == '/' && IsDir(xdg)) return xdg;
  std::string dir = tmpBase + "/ravinel-" + std::to_string(getuid());
  if (IoSys().Mkdir(dir, 0700) != 0 && errno != EEXIST)
    OutSystemErrorCode(ByIface("Каталог блокировки ", "Каталог блокування ") + dir, errno);
  CheckPrivateDir(dir);
  return dir;
}

TInstanceLock::TInstanceLock(std::string name, std::string tmpBase)
    : Name(std::move(name)), TmpBase(std::move(tmpBase)) {}

TInstanceLock::~TInstanceLock() {
  if (Fd >= 0) IoSys().Close(Fd);
}

bool TInstanceLock::Acquire() {
  if (Fd >= 0) return true;
  LockPath = PrivateRuntimeDir(TmpBase) + "/" + Name + ".lock";
  int fd = IoSys().Open(LockPath, O_RDWR | O_CREAT | O_NOFOLLOW, 0600);
  if (fd < 0) OutSystemErrorCode(ByIface("Файл блокировки ", "Файл блокування ") + LockPath, errno);
  if (IoSys().Lock(fd, LOCK_EX | LOCK_NB) != 0) {
    int code = errno;
    IoSys().Close(fd);
    if (code == EWOULDBLOCK) return false;
    OutSystemErrorCode(ByIface("Файл блокировки ", "Файл блокування ") + LockPath, code);
  }
  Fd = fd;
  return true;
}

std::string SuiteInstanceName(const std::string& dirCfg) {
  std::string os = sysio::OsPath(dirCfg);
  while (os.size() > 1 && os.back() == '/')
    os.pop_back();
  std::error_code ec;
  std::string path = std::filesystem::weakly_canonical(os, ec).string();
  if (ec) path = os;
  uint64_t hash = 14695981039346656037ull; // FNV-1a
  for (unsigned char c : path)
    hash = (hash ^ c) * 1099511628211ull;
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return std::string("Corvane-") + hex;
}

bool AcquireSuiteProcessLock(const std::string& dirCfg) {
  // Kept for the whole run; the OS drops the locks at exit.
  static std::map<std::string, std::unique_ptr<TInstanceLock>> locks;
  std::string name = SuiteInstanceName(dirCfg);
  auto& lock = locks[name];
  if (!lock) lock = std::make_unique<TInstanceLock>(name);
  return lock->Acquire();
}
