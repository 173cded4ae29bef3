// The POSIX file calls beneath the seam, path conversion and the case-insensitive fallback.
#include "storage/Sysio.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <strings.h>
#include <time.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "base/Codec.h"
#include "base/Strutil.h"

int TIoSys::Lock(int fd, int operation) {
  int rc;
  do
    rc = ::flock(fd, operation);
  while (rc < 0 && errno == EINTR);
  return rc;
}

int TIoSys::RecordLock(int fd, int cmd, struct flock* lock) {
  int rc;
  do
    rc = ::fcntl(fd, cmd, lock);
  while (rc < 0 && errno == EINTR);
  return rc;
}

int TIoSys::FileStat(int fd, struct stat* st) {
  return ::fstat(fd, st);
}

int TIoSys::ChangeMode(int fd, mode_t mode) {
  int rc;
  do
    rc = ::fchmod(fd, mode);
  while (rc < 0 && errno == EINTR);
  return rc;
}

int TIoSys::ChangeOwner(int fd, uid_t uid, gid_t gid) {
  return ::fchown(fd, uid, gid);
}

ssize_t TIoSys::ListAttrs(int fd, char* names, size_t size) {
  return ::flistxattr(fd, names, size);
}

ssize_t TIoSys::GetAttr(int fd, const char* name, void* value, size_t size) {
  return ::fgetxattr(fd, name, value, size);
}

int TIoSys::SetAttr(int fd, const char* name, const void* value, size_t size) {
  return ::fsetxattr(fd, name, value, size, 0);
}

ssize_t TIoSys::PRead(int fd, void* buf, size_t count, off_t offset) {
  if (Seek(fd, offset, SEEK_SET) < 0) return -1;
  return Read(fd, buf, count);
}

int TIoSys::Link(const std::string& from, const std::string& to) {
  return ::link(from.c_str(), to.c_str());
}

int TIoSys::RemoveDir(const std::string& path) {
  return ::rmdir(path.c_str());
}

ssize_t TPosixIoSys::PRead(int fd, void* buf, size_t count, off_t offset) {
  return ::pread(fd, buf, count, offset);
}

int TPosixIoSys::Open(const std::string& path, int flags, mode_t mode) {
  int fd;
  do
    fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
  while (fd < 0 && errno == EINTR);
  return fd;
}
int TPosixIoSys::Close(int fd) {
  return ::close(fd);
}
ssize_t TPosixIoSys::Read(int fd, void* buf, size_t count) {
  return ::read(fd, buf, count);
}
ssize_t TPosixIoSys::Write(int fd, const void* buf, size_t count) {
  return ::write(fd, buf, count);
}
off_t TPosixIoSys::Seek(int fd, off_t offset, int whence) {
  return ::lseek(fd, offset, whence);
}
int TPosixIoSys::DataSync(int fd) {
  return ::fdatasync(fd);
}
int TPosixIoSys::FullSync(int fd) {
  return ::fsync(fd);
}
int TPosixIoSys::Truncate(int fd, off_t length) {
  return ::ftruncate(fd, length);
}
int TPosixIoSys::Rename(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str());
}
int TPosixIoSys::Unlink(const std::string& path) {
  return ::unlink(path.c_str());
}
int TPosixIoSys::Stat(const std::string& path, struct stat* st) {
  return ::stat(path.c_str(), st);
}
int TPosixIoSys::Mkdir(const std::string& path, mode_t mode) {
  return ::mkdir(path.c_str(), mode);
}
int TPosixIoSys::ListDir(const std::string& path, std::vector<std::string>& names) {
  DIR* dir = ::opendir(path.empty() ? "." : path.c_str());
  if (!dir) return -1;
  names.clear();
  while (dirent* e = ::readdir(dir)) {
    std::string n = e->d_name;
    if (n != "." && n != "..") names.push_back(n);
  }
  ::closedir(dir);
  return 0;
}

namespace {
TPosixIoSys gPosix;
TIoSys* gIo = &gPosix;

// Case-folds a UTF-8 name through CP1251 so that Cyrillic letters compare without case too.
std::string FoldName(const std::string& utf8) {
  return AnsiUpperCase(Cp1251FromUtf8(utf8));
}

bool Exists(const std::string& osPath) {
  struct stat st;
  return gIo->Stat(osPath, &st) == 0;
}

// The case-folded names of one directory, each with the first name in listing order that
// folds to it.
struct TDirNames {
  dev_t Dev = 0;
  ino_t Ino = 0;
  struct timespec Mtime {};
  std::map<std::string, std::string> ByFold;
};
// Listings kept while their directory is unchanged, so that a list of many missing objects
// walks their directory once, not once per object.
std::map<std::string, TDirNames> gDirCache;

bool SameMtime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The names of dir by fold; null when the directory cannot be listed.
const TDirNames* FoldedNames(const std::string& dir) {
  // File time stamps come from the coarse clock: a change after this moment gets a later stamp.
  struct timespec now;
  ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
  struct stat st;
  if (gIo->Stat(dir, &st) != 0) return nullptr;
  auto it = gDirCache.find(dir);
  if (it != gDirCache.end() && it->second.Dev == st.st_dev && it->second.Ino == st.st_ino &&
      SameMtime(it->second.Mtime, st.st_mtim))
    return &it->second;
  std::vector<std::string> names;
  if (gIo->ListDir(dir, names) != 0) return nullptr;
  TDirNames listed;
  listed.Dev = st.st_dev;
  listed.Ino = st.st_ino;
  listed.Mtime = st.st_mtim;
  for (const std::string& n : names)
    listed.ByFold.emplace(FoldName(n), n);
  // Kept only when the directory's last change lies in an earlier clock tick: any later change
  // then gives it another time stamp.
  bool settled = now.tv_sec > st.st_mtim.tv_sec ||
                 (now.tv_sec == st.st_mtim.tv_sec && now.tv_nsec > st.st_mtim.tv_nsec);
  if (!settled) {
    static TDirNames scratch;
    scratch = std::move(listed);
    gDirCache.erase(dir);
    return &scratch;
  }
  if (gDirCache.size() > 256) gDirCache.clear();
  return &(gDirCache[dir] = std::move(listed));
}

// Walks the components of an absolute or relative path, replacing each one that does not
// exist by a case-insensitive match in its parent directory.
std::string MatchCase(const std::string& utf8) {
  std::string result = utf8[0] == '/' ? "/" : "";
  size_t pos = utf8[0] == '/' ? 1 : 0;
  while (pos <= utf8.size()) {
    size_t slash = utf8.find('/', pos);
    if (slash == std::string::npos) slash = utf8.size();
    std::string part = utf8.substr(pos, slash - pos);
    pos = slash + 1;
    if (part.empty()) continue;
    std::string candidate = result + part;
    if (!Exists(candidate) && part != "." && part != "..") {
      if (const TDirNames* names = FoldedNames(result.empty() ? "." : result)) {
        auto match = names->ByFold.find(FoldName(part));
        if (match != names->ByFold.end()) candidate = result + match->second;
      }
    }
    result = candidate;
    if (pos <= utf8.size()) result += '/';
  }
  return result;
}
} // namespace

TIoSys& IoSys() {
  return *gIo;
}
TIoSys* SetIoSys(TIoSys* io) {
  TIoSys* old = gIo;
  gDirCache.clear(); // listings belong to the backend that made them
  gIo = io ? io : &gPosix;
  return old;
}

namespace sysio {

std::string OsPath(const std::string& path) {
  std::string utf8 = Utf8FromCp1251(path);
  if (utf8.empty() || Exists(utf8)) return utf8;
  return MatchCase(utf8);
}

// Tries the exact path first; only when it does not exist, the case-insensitive match.
template <class F> auto WithFallback(const std::string& path, F call) {
  std::string utf8 = Utf8FromCp1251(path);
  auto rc = call(utf8);
  if (rc < 0 && errno == ENOENT && !utf8.empty()) {
    std::string matched = MatchCase(utf8);
    if (matched != utf8)
      rc = call(matched);
    else
      errno = ENOENT;
  }
  return rc;
}

int Open(const std::string& path, int flags, mode_t mode) {
  return WithFallback(path, [&](const std::string& p) { return gIo->Open(p, flags, mode); });
}
int Rename(const std::string& from, const std::string& to) {
  std::string target = OsPath(to);
  return WithFallback(from, [&](const std::string& p) { return gIo->Rename(p, target); });
}
int Unlink(const std::string& path) {
  return WithFallback(path, [&](const std::string& p) { return gIo->Unlink(p); });
}
int Stat(const std::string& path, struct stat* st) {
  return WithFallback(path, [&](const std::string& p) { return gIo->Stat(p, st); });
}
// The new name is taken as it is: a case variant of it is another name. Only when a directory
// on the way is missing, both paths go through the case-insensitive match; the exact try first
// spares a link into a growing folder the listing of that folder.
int Link(const std::string& from, const std::string& to) {
  int rc = gIo->Link(Utf8FromCp1251(from), Utf8FromCp1251(to));
  if (rc == 0 || errno != ENOENT) return rc;
  return gIo->Link(OsPath(from), OsPath(to));
}

int RemoveDir(const std::string& path) {
  return gIo->RemoveDir(OsPath(path));
}

int Mkdir(const std::string& path, mode_t mode) {
  return gIo->Mkdir(OsPath(path), mode);
}

int ListDir(const std::string& path, std::vector<std::string>& names) {
  int rc = gIo->ListDir(OsPath(path), names);
  for (std::string& n : names)
    n = Cp1251FromUtf8(n);
  return rc;
}

int SyncDir(const std::string& path) {
  std::string os = OsPath(path);
  size_t slash = os.rfind('/');
  std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : os.substr(0, slash);
  int fd = gIo->Open(dir, O_RDONLY | O_DIRECTORY, 0);
  if (fd < 0) return -1;
  int rc = gIo->FullSync(fd);
  int saved = errno;
  gIo->Close(fd);
  errno = saved;
  return rc;
}

ssize_t ReadFull(int fd, void* buf, size_t count) {
  size_t done = 0;
  while (done < count) {
    ssize_t n = gIo->Read(fd, static_cast<char*>(buf) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

ssize_t PReadFull(int fd, void* buf, size_t count, off_t offset) {
  size_t done = 0;
  while (done < count) {
    ssize_t n = gIo->PRead(fd, static_cast<char*>(buf) + done, count - done,
                           offset + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

ssize_t WriteFull(int fd, const void* buf, size_t count) {
  size_t done = 0;
  while (done < count) {
    ssize_t n = gIo->Write(fd, static_cast<const char*>(buf) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return -1;
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

bool FileExists(const std::string& path) {
  struct stat st;
  return Stat(path, &st) == 0 && S_ISREG(st.st_mode);
}

int UnlinkExact(const std::string& path) {
  return gIo->Unlink(Utf8FromCp1251(path));
}

bool FileExistsExact(const std::string& path) {
  struct stat st;
  return gIo->Stat(Utf8FromCp1251(path), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirExists(const std::string& path) {
  struct stat st;
  return Stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace sysio
