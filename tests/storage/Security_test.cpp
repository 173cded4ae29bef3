// Files the program creates: the user's umask and never writable by everyone; scratch and work
// files never follow a symbolic link planted at their name.
#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

#include "messages/Zmsg.h"
#include "storage/Dutilfile.h"
#include "storage/Dwfile.h"
#include "storage/Sysio.h"
#include "tests/support/RecBytes.h"
#include "tests/support/Tempdir.h"

namespace {
struct Security : ::testing::Test {
  TTempDir Tmp;
  std::string Path = Tmp / "f.bn";
  std::string Victim = Tmp / "victim";
  mode_t Saved = umask(022);
  ~Security() override { umask(Saved); }

  unsigned Mode(const std::string& path) {
    struct stat st;
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return st.st_mode & 0777;
  }
  void Plant(const std::string& at, bool dangling) {
    if (!dangling) WriteAll(Victim, "keep");
    ASSERT_EQ(symlink(Victim.c_str(), at.c_str()), 0);
  }
  bool IsLink(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
  }
};
} // namespace

TEST_F(Security, NewFilesFollowTheUmaskAndAreNeverWorldWritable) {
  umask(077);
  creat_bf(Path, 2, "x");
  EXPECT_EQ(Mode(Path), 0600u);
  compress_bf(Path, 0);
  EXPECT_EQ(Mode(Path), 0600u);
  { WFile work(Tmp / "work", fmRewrite); }
  EXPECT_EQ(Mode(Tmp / "work"), 0600u);

  umask(0); // even a user who lets everyone write gets no file that everyone may write
  std::string open = Tmp / "open.bn";
  creat_bf(open, 2, "x");
  EXPECT_EQ(Mode(open), 0664u);
  chmod(open.c_str(), 0666);
  compress_bf(open, 0); // a file replaced keeps its own mode: it is made no more open than it was
  EXPECT_EQ(Mode(open), 0666u);
}

TEST_F(Security, CompressionScratchNeverFollowsAPlantedLink) {
  creat_bf(Path, 2, "x");
  for (bool dangling : {false, true}) {
    std::remove(Victim.c_str());
    Plant(Path + "$", dangling);
    compress_bf(Path, 0);
    EXPECT_EQ(sysio::FileExists(Victim), !dangling);
    if (!dangling) {
      EXPECT_EQ(ReadAll(Victim), "keep");
    }
    EXPECT_FALSE(IsLink(Path));
    EXPECT_EQ(GroupRecords(Path, 0).size(), 1u);
  }
}

TEST_F(Security, CreatedFilesNeverWriteThroughALink) {
  // A link to an existing file is replaced by a new file; the file it named stays as it was.
  Plant(Path, false);
  { WFile work(Path, fmRewrite); }
  EXPECT_FALSE(IsLink(Path));
  EXPECT_EQ(ReadAll(Victim), "keep");
  // A dangling link is refused: following it would create a file elsewhere.
  std::remove(Path.c_str());
  std::remove(Victim.c_str());
  Plant(Path, true);
  try {
    creat_bf(Path, 2, nullptr);
    ADD_FAILURE() << "created through a dangling link";
  } catch (const ZError& e) {
    EXPECT_EQ(e.Number, 99);
  }
  EXPECT_FALSE(sysio::FileExists(Victim));
}
