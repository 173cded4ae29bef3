// The process files (work file, reference copy) are never written through a symbolic link
// planted at their names: a link to a file is replaced, a dangling link makes the start fail.
#include "tests/workflow/WorkflowFixture.h"

#include "messages/Zmsg.h"

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {
bool IsLink(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}
} // namespace

TEST_F(TSuiteFixture, PlantedLinksAtProcessFilesAreNeverFollowed) {
  std::string victim = Dir / "victim";
  WriteAll(victim, "keep");
  ASSERT_EQ(symlink(victim.c_str(), (Root + "/oldnew145.bn").c_str()), 0);
  ASSERT_EQ(symlink(victim.c_str(), (Root + "/RAB/Temp").c_str()), 0);
  Start();
  EXPECT_EQ(ReadAll(victim), "keep");
  EXPECT_FALSE(IsLink(Root + "/oldnew145.bn"));
  EXPECT_FALSE(IsLink(Root + "/RAB/Temp"));
  Session.reset();

  // A link to a file that does not exist yet would create it elsewhere.
  std::string absent = Dir / "absent";
  fs::remove(Root + "/oldnew145.bn");
  ASSERT_EQ(symlink(absent.c_str(), (Root + "/oldnew145.bn").c_str()), 0);
  EXPECT_THROW(Start(), ZError);
  EXPECT_FALSE(fs::exists(absent));
}
