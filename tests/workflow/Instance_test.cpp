// The single-instance lock: one holder at a time, private fallback directory, no symbolic links.
#include <gtest/gtest.h>

#include "messages/Zmsg.h"
#include "tests/support/Tempdir.h"
#include "workflow/Instance.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {
struct TEnvGuard {
  std::string Old;
  bool Had;
  TEnvGuard() {
    const char* v = std::getenv("XDG_RUNTIME_DIR");
    Had = v != nullptr;
    if (Had) Old = v;
  }
  ~TEnvGuard() {
    if (Had)
      setenv("XDG_RUNTIME_DIR", Old.c_str(), 1);
    else
      unsetenv("XDG_RUNTIME_DIR");
  }
};
} // namespace

TEST(Instance, SecondHolderIsRefusedUntilTheFirstEnds) {
  TEnvGuard env;
  TTempDir dir;
  setenv("XDG_RUNTIME_DIR", dir.Path().c_str(), 1);
  auto first = std::make_unique<TInstanceLock>("Corvane");
  ASSERT_TRUE(first->Acquire());
  EXPECT_EQ(first->Path(), dir / "Corvane.lock");
  TInstanceLock second("Corvane");
  EXPECT_FALSE(second.Acquire());
  first.reset();
  EXPECT_TRUE(second.Acquire());
}

TEST(Instance, FallbackDirectoryIsPrivate) {
  TEnvGuard env;
  unsetenv("XDG_RUNTIME_DIR");
  TTempDir base;
  TInstanceLock lock("Corvane", base.Path());
  ASSERT_TRUE(lock.Acquire());
  std::string sub = base / ("ravinel-" + std::to_string(getuid()));
  struct stat st;
  ASSERT_EQ(stat(sub.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(lock.Path(), sub + "/Corvane.lock");
}

TEST(Instance, OpenOrLinkedFallbackIsRefused) {
  TEnvGuard env;
  unsetenv("XDG_RUNTIME_DIR");
  TTempDir base;
  std::string sub = base / ("ravinel-" + std::to_string(getuid()));
  // A directory that others may write is not trusted.
  ASSERT_EQ(mkdir(sub.c_str(), 0777), 0);
  chmod(sub.c_str(), 0777);
  EXPECT_THROW(TInstanceLock("Corvane", base.Path()).Acquire(), ZError);
  // A directory replaced by a symbolic link is not followed.
  rmdir(sub.c_str());
  TTempDir elsewhere;
  chmod(elsewhere.Path().c_str(), 0700);
  ASSERT_EQ(symlink(elsewhere.Path().c_str(), sub.c_str()), 0);
  EXPECT_THROW(TInstanceLock("Corvane", base.Path()).Acquire(), ZError);
  // Nor is a lock file that is a symbolic link.
  unlink(sub.c_str());
  ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
  ASSERT_EQ(symlink((elsewhere / "target").c_str(), (sub + "/Corvane.lock").c_str()), 0);
  EXPECT_THROW(TInstanceLock("Corvane", base.Path()).Acquire(), ZError);
  EXPECT_FALSE(std::filesystem::exists(elsewhere / "target"));
}
