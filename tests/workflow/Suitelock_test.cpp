// The suite lock between two processes and within one: held until the holder ends or is
// killed, a second holder in the same process, unsafe lock files, the mode, refused locks.
#include <gtest/gtest.h>

#include "messages/Utslang.h"
#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "storage/Sysio.h"
#include "tests/support/LockHolder.h"
#include "tests/support/Tempdir.h"
#include "workflow/Suitelock.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string PidField(pid_t pid) {
  return "pid=" + std::to_string(pid) + "\n";
}

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return st.st_mode & 07777;
}
} // namespace

TEST(SuiteLock, HeldByAnotherProcessUntilItEndsOrIsKilled) {
  TTempDir cfg;
  const std::string dir = cfg.Path() + "/";
  {
    TLockHolder other(dir);
    ASSERT_TRUE(other.Acquired());
    TSuiteLock lock(dir);
    TSuiteLockResult r = lock.Acquire();
    EXPECT_EQ(r.State, TSuiteLockState::Held);
    EXPECT_NE(r.Holder.find(PidField(other.Pid())), std::string::npos) << r.Holder;
    EXPECT_NE(r.Holder.find("host="), std::string::npos);
    EXPECT_FALSE(lock.Holds());
    EXPECT_EQ(other.End(), 0);
    EXPECT_EQ(lock.Acquire().State, TSuiteLockState::Acquired);
    EXPECT_NE(ReadAll(lock.Path()).find(PidField(getpid())), std::string::npos);
  }
  // A holder killed with the lock leaves nothing that blocks the next session.
  TLockHolder killed(dir);
  ASSERT_TRUE(killed.Acquired());
  killed.Kill();
  TSuiteLock lock(dir);
  EXPECT_EQ(lock.Acquire().State, TSuiteLockState::Acquired);
}

TEST(SuiteLock, SecondHolderInTheSameProcessIsRefusedAndTheFirstKeepsTheLock) {
  TTempDir cfg;
  const std::string dir = cfg.Path() + "/";
  TSuiteLock first(dir);
  ASSERT_EQ(first.Acquire().State, TSuiteLockState::Acquired);
  {
    IFaceLang = elg_Ukr;
    TChangeLock second(dir);
    EXPECT_FALSE(second.CanChange());
    EXPECT_EQ(second.NoticeNumber(), MsgSuiteLocked);
    EXPECT_NE(second.NoticeText().find("(процес " + std::to_string(getpid()) + ")"),
              std::string::npos)
        << second.NoticeText();
    EXPECT_THROW(second.RaiseUnlessCanChange(), ZError);
    IFaceLang = elg_Rus;
  }
  // The second opener's descriptor is gone now; the first must still hold the file.
  TLockHolder other(dir);
  EXPECT_FALSE(other.Acquired());
  other.End();
  first.Release();
  TSuiteLock third(dir);
  EXPECT_EQ(third.Acquire().State, TSuiteLockState::Acquired);
}

TEST(SuiteLock, UnsafeLockFilesAreRefusedAndLeftAlone) {
  TTempDir cfg, elsewhere;
  const std::string dir = cfg.Path() + "/", lockPath = cfg / "ravinel.lock";
  ASSERT_EQ(symlink((elsewhere / "target").c_str(), lockPath.c_str()), 0);
  EXPECT_THROW(TSuiteLock(dir).Acquire(), ZError);
  EXPECT_FALSE(std::filesystem::exists(elsewhere / "target"));
  unlink(lockPath.c_str());
  // A hard link to another file: the holder record would overwrite that file.
  WriteAll(elsewhere / "precious", "keep me");
  ASSERT_EQ(link((elsewhere / "precious").c_str(), lockPath.c_str()), 0);
  EXPECT_THROW(TSuiteLock(dir).Acquire(), ZError);
  EXPECT_EQ(ReadAll(elsewhere / "precious"), "keep me");
  unlink(lockPath.c_str());
  ASSERT_EQ(mkfifo(lockPath.c_str(), 0600), 0); // must not hang either
  EXPECT_THROW(TSuiteLock(dir).Acquire(), ZError);
}

TEST(SuiteLock, LockFileCanBeOpenedByOtherUsersWhateverTheUmask) {
  TTempDir cfg;
  mode_t old = umask(077);
  {
    TSuiteLock lock(cfg.Path() + "/");
    EXPECT_EQ(lock.Acquire().State, TSuiteLockState::Acquired);
  }
  umask(old);
  EXPECT_EQ(ModeOf(cfg / "ravinel.lock"), 0666u);
  chmod((cfg / "ravinel.lock").c_str(), 0600); // made by an earlier, stricter program
  TSuiteLock lock(cfg.Path() + "/");
  EXPECT_EQ(lock.Acquire().State, TSuiteLockState::Acquired);
  EXPECT_EQ(ModeOf(cfg / "ravinel.lock"), 0666u);
}

namespace {
// A file system without record locks.
class TNoLocksIo : public TPosixIoSys {
public:
  int RecordLock(int, int, struct flock*) override {
    errno = ENOLCK;
    return -1;
  }
};

// A configuration directory on a read-only share.
class TReadOnlyIo : public TPosixIoSys {
public:
  int Open(const std::string& path, int flags, mode_t mode) override {
    if (flags & (O_RDWR | O_WRONLY)) {
      errno = EROFS;
      return -1;
    }
    return TPosixIoSys::Open(path, flags, mode);
  }
};

// A session's lock taken on dirCfg through the file system TIo.
template <class TIo> std::unique_ptr<TChangeLock> LockThrough(const std::string& dirCfg) {
  TIo io;
  TIoSys* old = SetIoSys(&io);
  auto lock = std::make_unique<TChangeLock>(dirCfg);
  SetIoSys(old);
  return lock;
}
} // namespace

TEST(ChangeLock, RefusedLocksAreToldOnceAndTheSessionGoesOn) {
  TTempDir cfg;
  auto a = LockThrough<TNoLocksIo>(cfg.Path() + "/");
  auto b = LockThrough<TNoLocksIo>(cfg.Path() + "/");
  EXPECT_EQ(a->State().State, TSuiteLockState::Unsupported);
  EXPECT_EQ(a->State().Code, ENOLCK);
  EXPECT_TRUE(a->CanChange());
  EXPECT_EQ(a->NoticeNumber(), WarLockRefused);
  EXPECT_EQ(a->NoticeText().rfind(cfg / "ravinel.lock|", 0), 0u) << a->NoticeText();
  EXPECT_TRUE(b->CanChange());
  EXPECT_EQ(b->NoticeNumber(), 0);
  EXPECT_NO_THROW(b->RaiseUnlessCanChange());
}

// A lock file that cannot be opened for writing keeps every session from changing: the list
// looks, the command line refuses, both say which file and why.
TEST(ChangeLock, ALockFileThatCannotBeWrittenLetsTheSessionLookButNotChange) {
  TTempDir cfg;
  auto lock = LockThrough<TReadOnlyIo>(cfg.Path() + "/");
  EXPECT_EQ(lock->State().State, TSuiteLockState::Unavailable);
  EXPECT_FALSE(lock->CanChange());
  EXPECT_EQ(lock->NoticeNumber(), MsgLockUnavailable);
  EXPECT_EQ(lock->NoticeText(), cfg / "ravinel.lock|" + SystemErrorText(EROFS));
  try {
    lock->RaiseUnlessCanChange();
    ADD_FAILURE() << "no refusal";
  } catch (const ZError& e) {
    EXPECT_EQ(e.Number, MsgLockUnavailable);
  }
}
