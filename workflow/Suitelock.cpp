// The suite lock through the I/O seam: open without following links, refuse anything but a plain
// file of one name, lock, then the holder; a process-wide table guards against a second holder
// in the same process.
#include "workflow/Suitelock.h"

#include "base/Codec.h"
#include "messages/Msgcat.h"
#include "messages/Utslang.h"
#include "messages/Zmsg.h"
#include "storage/Sysio.h"

#include <atomic>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <pwd.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// Lock files this process holds. A record lock belongs to the process, and closing any
// descriptor of the file drops it: a second opener in the process must neither be granted the
// lock nor close its descriptor while the holder lives, so the descriptor is parked here.
// A forked child inherits the table but not the locks: entries of another process are void.
struct THeldFile {
  pid_t Owner = 0;
  std::string Holder;
  std::vector<int> Parked;
};
using TFileKey = std::pair<unsigned long long, unsigned long long>;
std::mutex gHeldMutex;
std::map<TFileKey, THeldFile> gHeld;

struct flock WholeFile(short type) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = 0;
  fl.l_len = 0;
  return fl;
}

// The login name of a user, the number where the system knows no name.
std::string UserName(uid_t uid) {
  struct passwd pw, *found = nullptr;
  char buf[1024];
  if (getpwuid_r(uid, &pw, buf, sizeof buf, &found) == 0 && found && found->pw_name[0])
    return found->pw_name;
  return std::to_string(uid);
}

std::string HolderRecord() {
  char host[256] = {};
  gethostname(host, sizeof host - 1);
  char when[32] = {};
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &tm);
  return "host=" + std::string(host) + "\nuser=" + UserName(getuid()) +
         "\nuid=" + std::to_string(getuid()) + "\npid=" + std::to_string(getpid()) +
         "\ntime=" + when + "\n";
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

// The lock file may not be written here: the session may look, not change.
bool Unwritable(int code) {
  return code == EACCES || code == EPERM || code == EROFS;
}

// Others sharing the suite must be able to open the file for writing to lock it, whatever
// umask made it. Only the owner may change the mode; a share that keeps no modes may refuse,
// and the lock works without.
void OpenToOthers(int fd, const struct stat& st) {
  if (st.st_uid == geteuid() && (st.st_mode & 07777) != 0666) IoSys().ChangeMode(fd, 0666);
}

[[noreturn]] void Unsafe(int fd, const std::string& path, const char* why) {
  IoSys().Close(fd);
  SetError(ByIface("Файл блокировки ", "Файл блокування ") + path + why, 0);
}

} // namespace

TSuiteLockHolder ParseSuiteLockHolder(const std::string& holder) {
  TSuiteLockHolder h;
  size_t at = 0;
  while (at < holder.size()) {
    size_t end = holder.find('\n', at);
    if (end == std::string::npos) end = holder.size();
    std::string line = holder.substr(at, end - at);
    at = end + 1;
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    for (char& c : value)
      if (c == '|') c = '/';
    if (key == "host") h.Host = value;
    if (key == "user") h.User = value;
    if (key == "pid") h.Pid = value;
    if (key == "time") h.Since = value;
  }
  return h;
}

std::string SuiteLockHolderLine(const std::string& holder) {
  TSuiteLockHolder h = ParseSuiteLockHolder(holder);
  if (h.User.empty() && h.Host.empty()) return ByIface("неизвестный сеанс", "невідомий сеанс");
  std::string line = ByIface("пользователь ", "користувач ") + (h.User.empty() ? "?" : h.User);
  if (!h.Host.empty()) line += ByIface(" на компьютере ", " на комп'ютері ") + h.Host;
  if (!h.Since.empty()) line += ByIface(" с ", " з ") + h.Since;
  if (!h.Pid.empty()) line += ByIface(" (процесс ", " (процес ") + h.Pid + ")";
  return line;
}

TSuiteLock::TSuiteLock(const std::string& dirCfg) : LockPath(dirCfg + "ravinel.lock") {}

TSuiteLockResult TSuiteLock::Acquire() {
  std::lock_guard<std::mutex> guard(gHeldMutex);
  TSuiteLockResult r;
  if (Fd >= 0) return r;
  std::string os = Utf8FromCp1251(LockPath);
  int fd = IoSys().Open(os, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0666);
  if (fd < 0 && Unwritable(errno)) {
    r.State = TSuiteLockState::Unavailable;
    r.Code = errno;
    return r;
  }
  if (fd < 0) OutSystemErrorCode(ByIface("Файл блокировки ", "Файл блокування ") + LockPath, errno);
  struct stat st {};
  if (IoSys().FileStat(fd, &st) != 0) {
    int code = errno;
    IoSys().Close(fd);
    OutSystemErrorCode(ByIface("Файл блокировки ", "Файл блокування ") + LockPath, code);
  }
  TFileKey key(st.st_dev, st.st_ino);
  auto mine = gHeld.find(key);
  if (mine != gHeld.end() && mine->second.Owner != getpid()) {
    gHeld.erase(mine);
    mine = gHeld.end();
  }
  if (mine != gHeld.end()) {
    mine->second.Parked.push_back(fd);
    r.State = TSuiteLockState::Held;
    r.Holder = mine->second.Holder;
    return r;
  }
  if (!S_ISREG(st.st_mode))
    Unsafe(fd, LockPath, ByIface(" не является обычным файлом", " не є звичайним файлом"));
  if (st.st_nlink != 1)
    Unsafe(
        fd, LockPath,
        ByIface(" имеет несколько имен (жесткая ссылка)", " має кілька імен (жорстке посилання)"));
  OpenToOthers(fd, st);
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
      OutSystemErrorCode(ByIface("Файл блокировки ", "Файл блокування ") + LockPath, code);
    return r;
  }
  Fd = fd;
  Dev = key.first;
  Ino = key.second;
  std::string text = HolderRecord();
  gHeld[key] = THeldFile{getpid(), Cp1251FromUtf8(text), {}};
  if (IoSys().Truncate(fd, 0) == 0 && IoSys().Seek(fd, 0, SEEK_SET) == 0)
    sysio::WriteFull(fd, text.data(), text.size());
  return r;
}

void TSuiteLock::Release() noexcept {
  std::lock_guard<std::mutex> guard(gHeldMutex);
  if (Fd < 0) return;
  auto held = gHeld.find(TFileKey(Dev, Ino));
  if (held != gHeld.end()) {
    for (int parked : held->second.Parked)
      IoSys().Close(parked);
    gHeld.erase(held);
  }
  IoSys().Truncate(Fd, 0);
  IoSys().Close(Fd); // closing drops the record lock
  Fd = -1;
}

TChangeLock::TChangeLock(const std::string& dirCfg) : Lock(dirCfg) {
  static std::atomic<bool> refusalTold{false};
  Result = Lock.Acquire();
  if (Result.State == TSuiteLockState::Held) {
    Number = MsgSuiteLocked;
    Text = Lock.Path() + "|" + SuiteLockHolderLine(Result.Holder);
  } else if (Result.State == TSuiteLockState::Unavailable) {
    Number = MsgLockUnavailable;
    Text = Lock.Path() + "|" + SystemErrorText(Result.Code);
  } else if (Result.State == TSuiteLockState::Unsupported && !refusalTold.exchange(true)) {
    Number = WarLockRefused;
    Text = Lock.Path() + "|" + SystemErrorText(Result.Code);
  }
}

void TChangeLock::ShowNotice() const {
  if (Number == MsgSuiteLocked || Number == MsgLockUnavailable)
    OutErr(Text, Number);
  else if (Number == WarLockRefused)
    OutWar(Text, Number);
}

void TChangeLock::RaiseUnlessCanChange() const {
  if (!CanChange()) SetError(Text, Number);
}
