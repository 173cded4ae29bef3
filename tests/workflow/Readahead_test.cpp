// The read-ahead of the check pass: the same states with and without it on every list of the
// demo suite, and workers that meet missing, foreign and vanishing files change nothing.
#include "tests/workflow/WorkflowFixture.h"

#include "paths/Dpath.h"
#include "paths/Rdwr_cfg.h"
#include "storage/Dutilfile.h"
#include "workflow/Objects.h"
#include "workflow/Readahead.h"

#include <fcntl.h>
#include <filesystem>
#include <unistd.h>
#include <set>

namespace {

// Drops the file from the page cache; false when the kernel kept it (the advice is only
// advice: under load or on some file systems the pages stay).
bool EvictFromCache(const std::string& path, int group) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
    if (!IsCached(path, group)) return true;
    ::usleep(20000);
  }
  return false;
}

class TReadAheadTest : public TSuiteFixture {
protected:
  void SetUp() override {
    TSuiteFixture::SetUp();
    Start();
    SetReadAheadProbe(false); // the demo files are cached: run the workers anyway
  }
  void TearDown() override {
    SetReadAheadProbe(true);
    SetReadAheadWorkers(kDefaultReadAheadWorkers);
    delete FileList;
    FileList = nullptr;
    TSuiteFixture::TearDown();
  }
  std::vector<uint8_t> States(uint8_t sub, uint8_t bn, int workers) {
    TListInfo info = ListInfoOf(sub, bn);
    Cfg[CfgDocRussian] = 1;
    delete FileList;
    FileList = new WFile(ListAliasName(info, true));
    std::vector<TObjLine> lines = LoadObjectLines(info, 1);
    SetReadAheadWorkers(workers);
    CheckObjectLines(info, lines, 1);
    std::vector<uint8_t> states;
    for (const TObjLine& l : lines)
      states.push_back(l.State);
    return states;
  }
};

TEST_F(TReadAheadTest, SameStatesWithAndWithoutReadAhead) {
  const std::pair<uint8_t, uint8_t> lists[] = {{1, 0}, {2, 0}, {3, 0}, {5, 0},
                                               {5, 1}, {5, 2}, {5, 3}};
  std::set<uint8_t> seen;
  for (auto [sub, bn] : lists) {
    std::vector<uint8_t> plain = States(sub, bn, 0);
    for (int workers : {1, 16})
      EXPECT_EQ(States(sub, bn, workers), plain) << int(sub) << "/" << int(bn);
    seen.insert(plain.begin(), plain.end());
  }
  // The demo suite has every state, so each kind of line met the workers.
  for (uint8_t s : {stMissing, stReplaceable, stReplaced, stUserChanged, stUnreadable})
    EXPECT_TRUE(seen.count(s)) << int(s);
}

TEST_F(TReadAheadTest, WarmsRecordFilesOnlyAndStopsOnMissingOrVanishingFiles) {
  std::string good = Dir / "good", foreign = Dir / "foreign", gone = Dir / "gone";
  ASSERT_FALSE(creat_bf(good, 40)); // a record file of 40 empty groups (false: no error)
  WriteAll(foreign, std::string(100, 'x'));
  // Out of the cache, the file is read; once cached, it is not read again.
  if (EvictFromCache(good, 33)) {
    EXPECT_GT(WarmObjectFile(good, 33), 0u);
    EXPECT_TRUE(IsCached(good, 33));
  } else {
    std::printf("the kernel kept the file cached: its first read was not checked\n");
  }
  EXPECT_EQ(WarmObjectFile(good, 33), 0u);
  EvictFromCache(good, 33);
  EXPECT_EQ(WarmObjectFile(good, 40), 0u); // no such group: nothing past the header
  EXPECT_EQ(WarmObjectFile(foreign, 33), 0u);
  EXPECT_EQ(WarmObjectFile(gone, 33), 0u);
  // Workers over files that vanish while they run end with the list and the destructor.
  std::vector<std::string> paths;
  for (int i = 0; i < 200; ++i)
    paths.push_back(i % 3 ? good : gone);
  {
    TReadAhead ahead(paths, 33, 8);
    std::filesystem::remove(good);
    for (size_t i = 0; i < paths.size(); i += 7)
      ahead.Reached(i);
  }
  EXPECT_EQ(WarmObjectFile(good, 33), 0u);
}

} // namespace
