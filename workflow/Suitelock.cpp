// The suite lock through the I/O seam: open without following links, lock, then the holder.
#include "workflow/Suitelock.h"

#include "base/Codec.h"
#include "messages/Zmsg.h"
#include "storage/Sysio.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace {

struct flock WholeFile(short type) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = 0;
  fl.l_len = 0;
  return fl;
}

std::string HolderRecord() {
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  const char* user = getenv("USER");
  char when[32] = {};
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &tm);
  return "host=" + std::string(host) + "\nuser=" + (user ? user : std::to_string(getuid())) +
         "\npid=" + std::to_string(getpid()) + "\ntime=" + when + "\n";
}

std::string ReadHolder(int fd) {
  char buf[512];
  ssize_t n = IoSys().PRead(fd, buf, sizeof buf, 0);
  return n > 0 ? Cp1251FromUtf8(std::string(buf, static_cast<size_t>(n))) : "";
}

bool Refused(int code) {
  return code == ENOLCK || code == EOPNOTSUPP || code == ENOTSUP || code == EINVAL ||
         code == ENOSYS;
}

} // namespace

TSuiteLock::TSuiteLock(const std::string& dirCfg) : LockPath(dirCfg + "ravinel.lock") {}

TSuiteLockResult TSuiteLock::Acquire() {
  TSuiteLockResult r;
  if (Fd >= 0) return r;
  std::string os = Utf8FromCp1251(LockPath);
  int fd = IoSys().Open(os, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0666);
  if (fd < 0) OutSystemErrorCode("Файл блокировки " + LockPath, errno);
  struct flock fl = WholeFile(F_WRLCK);
  if (IoSys().RecordLock(fd, F_SETLK, &fl) != 0) {
    int code = errno;
    if (code == EACCES || code == EAGAIN) {
      r.State = TSuiteLockState::Held;
      r.Holder = ReadHolder(fd);
    } else if (Refused(code)) {
      r.State = TSuiteLockState::Unsupported;
      r.Code = code;
    }
    IoSys().Close(fd);
    if (r.State == TSuiteLockState::Acquired)
      OutSystemErrorCode("Файл блокировки " + LockPath, code);
    return r;
  }
  Fd = fd;
  std::string text = HolderRecord();
  if (IoSys().Truncate(fd, 0) == 0 && IoSys().Seek(fd, 0, SEEK_SET) == 0)
    sysio::WriteFull(fd, text.data(), text.size());
  return r;
}

void TSuiteLock::Release() noexcept {
  if (Fd < 0) return;
  IoSys().Truncate(Fd, 0);
  IoSys().Close(Fd); // closing drops the record lock
  Fd = -1;
}
