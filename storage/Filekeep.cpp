// Mode, owner, group and extended attributes carried from a replaced file to its replacement,
// through the I/O seam.
#include "storage/Filekeep.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Codec.h"
#include "messages/Zmsg.h"
#include "storage/Sysio.h"

namespace {
constexpr size_t kFirstTry = 4096;

// Reads a list or a value of unknown size: one call when it fits, else its size is asked.
template <class F> bool ReadSized(F call, std::string& out) {
  out.resize(kFirstTry);
  for (int tries = 0; tries < 4; ++tries) {
    ssize_t n = call(out.data(), out.size());
    if (n >= 0) {
      out.resize(static_cast<size_t>(n));
      return true;
    }
    if (errno != ERANGE) return false;
    n = call(nullptr, 0);
    if (n < 0) return false;
    out.resize(static_cast<size_t>(n) + kFirstTry); // it may grow meanwhile
  }
  errno = ERANGE;
  return false;
}

bool ReadAttr(int fd, const std::string& attr, std::string& value) {
  return ReadSized(
      [&](char* buf, size_t size) { return IoSys().GetAttr(fd, attr.c_str(), buf, size); }, value);
}

// Security labels are given by the system to a new file already; one is set only when it differs,
// as an ordinary user may not relabel a file.
bool AlreadyHas(int fd, const std::string& attr, const std::string& value) {
  if (attr.rfind("security.", 0) != 0) return false;
  std::string now;
  return ReadAttr(fd, attr, now) && now == value;
}

[[noreturn]] void Refused(const std::string& name, const std::string& what, int code) {
  OutSystemErrorCode(name + " (" + what + ")", code);
}

std::string Octal(mode_t mode) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04o", static_cast<unsigned>(mode));
  return buf;
}

// The owner where the process may give it, else only the group; true when the owner was kept.
bool GiveOwner(const TFileKeep& keep, const struct stat& st, int fd, const std::string& name) {
  bool groupDiffers = st.st_gid != keep.Gid;
  if (st.st_uid != keep.Uid) {
    if (IoSys().ChangeOwner(fd, keep.Uid, keep.Gid) == 0) return true;
    if (errno != EPERM) Refused(name, "uid " + std::to_string(keep.Uid), errno);
  }
  if (groupDiffers && IoSys().ChangeOwner(fd, static_cast<uid_t>(-1), keep.Gid) != 0)
    Refused(name, "gid " + std::to_string(keep.Gid), errno);
  return st.st_uid == keep.Uid;
}
} // namespace

TFileKeep TakeFileKeep(int fd, const std::string& name) {
  TFileKeep keep;
  struct stat st;
  if (IoSys().FileStat(fd, &st) != 0) OutSystemErrorCode(name, errno);
  keep.Known = true;
  keep.Uid = st.st_uid;
  keep.Gid = st.st_gid;
  keep.Mode = st.st_mode & 07777;
  std::string names;
  if (!ReadSized([&](char* buf, size_t size) { return IoSys().ListAttrs(fd, buf, size); }, names)) {
    if (errno == ENOTSUP) return keep; // the file system has no extended attributes
    OutSystemErrorCode(name, errno);
  }
  for (size_t at = 0; at < names.size();) {
    std::string attr = names.c_str() + at;
    at += attr.size() + 1;
    if (attr.empty()) continue;
    std::string value;
    if (ReadAttr(fd, attr, value))
      keep.Attrs.emplace_back(attr, value);
    else if (errno != ENODATA) // removed since the list was read
      Refused(name, attr, errno);
  }
  return keep;
}

TOwnerChange GiveFileKeep(const TFileKeep& keep, int fd, const std::string& name) {
  TOwnerChange change;
  if (!keep.Known) return change;
  struct stat st;
  if (IoSys().FileStat(fd, &st) != 0) OutSystemErrorCode(name, errno);
  bool chown = st.st_uid != keep.Uid || st.st_gid != keep.Gid;
  if (chown && !GiveOwner(keep, st, fd, name)) change = {true, keep.Uid, st.st_uid};
  for (const auto& [attr, value] : keep.Attrs)
    if (!AlreadyHas(fd, attr, value) &&
        IoSys().SetAttr(fd, attr.c_str(), value.data(), value.size()) != 0)
      Refused(name, attr, errno);
  // A change of owner clears the set-id bits and an access ACL sets the group bits: the mode
  // comes last.
  if ((chown || !keep.Attrs.empty() || (st.st_mode & 07777) != keep.Mode) &&
      IoSys().ChangeMode(fd, keep.Mode) != 0)
    Refused(name, Octal(keep.Mode), errno);
  return change;
}

TOwnerChange KeepFileOf(const std::string& target, const std::string& from) {
  std::string name = Cp1251FromUtf8(target);
  int old = IoSys().Open(target, O_RDONLY | O_NOFOLLOW, 0);
  if (old < 0) {
    if (errno == ENOENT) return {};
    OutSystemErrorCode(name, errno);
  }
  TFileKeep keep;
  try {
    keep = TakeFileKeep(old, name);
  } catch (...) {
    IoSys().Close(old);
    throw;
  }
  IoSys().Close(old);
  int fd = IoSys().Open(from, O_RDONLY | O_NOFOLLOW, 0);
  if (fd < 0) OutSystemErrorCode(Cp1251FromUtf8(from), errno);
  try {
    TOwnerChange change = GiveFileKeep(keep, fd, name);
    if (IoSys().FullSync(fd) != 0) OutSystemErrorCode(Cp1251FromUtf8(from), errno);
    IoSys().Close(fd);
    return change;
  } catch (...) {
    IoSys().Close(fd);
    throw;
  }
}

std::string UserName(uid_t uid) {
  struct passwd pw, *found = nullptr;
  char buf[4096];
  if (::getpwuid_r(uid, &pw, buf, sizeof buf, &found) == 0 && found)
    return Cp1251FromUtf8(found->pw_name);
  return std::to_string(uid);
}
