// The suite lock between two processes and within one: held until the holder ends or is
// killed, a second holder in the same process, unsafe lock files, the mode, refused locks.
#include <gtest/gtest.h>

#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "storage/Sysio.h"
#include "tests/support/LockHolder.h"
#include "tests/support/Tempdir.h"
#include "workflow/Suitelock.h"

#include <cerrno>
#include <filesystem>
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
    TChangeLock second(dir);
    EXPECT_FALSE(second.CanChange());
    EXPECT_EQ(second.NoticeNumber(), MsgSuiteLocked);
    EXPECT_NE(second.NoticeText().find("pid=" + std::to_string(getpid())), std::string::npos)
        << second.NoticeText();
    EXPECT_THROW(second.RaiseIfHeld(), ZError);
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
} // namespace

TEST(ChangeLock, RefusedLocksAreToldOnceAndTheSessionGoesOn) {
  TTempDir cfg;
  TNoLocksIo io;
  TIoSys* old = SetIoSys(&io);
  TChangeLock a(cfg.Path() + "/");
  TChangeLock b(cfg.Path() + "/");
  SetIoSys(old);
  EXPECT_EQ(a.State().State, TSuiteLockState::Unsupported);
  EXPECT_EQ(a.State().Code, ENOLCK);
  EXPECT_TRUE(a.CanChange());
  EXPECT_EQ(a.NoticeNumber(), WarLockRefused);
  EXPECT_EQ(a.NoticeText().rfind(cfg / "ravinel.lock|", 0), 0u) << a.NoticeText();
  EXPECT_TRUE(b.CanChange());
  EXPECT_EQ(b.NoticeNumber(), 0);
  EXPECT_NO_THROW(b.RaiseIfHeld());
}
