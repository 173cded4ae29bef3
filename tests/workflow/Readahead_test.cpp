// The read-ahead of the check pass: the same states with and without it on every list of the
// demo suite, and workers that meet missing, foreign and vanishing files change nothing.
#include "tests/workflow/WorkflowFixture.h"

#include "paths/Dpath.h"
#include "paths/Rdwr_cfg.h"
#include "storage/Dutilfile.h"
#include "workflow/Objects.h"
#include "workflow/Readahead.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <linux/magic.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <sys/vfs.h>
#include <system_error>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

// Whether a page of the file is in the page cache. Asked through mincore, which reads nothing:
// a probing read, even one that must not wait, can start the kernel's readahead of the pages.
bool AnyPageCached(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  struct stat st;
  bool cached = false;
  if (::fstat(fd, &st) == 0 && st.st_size > 0) {
    size_t size = static_cast<size_t>(st.st_size), page = static_cast<size_t>(getpagesize());
    void* map = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    if (map != MAP_FAILED) {
      std::vector<unsigned char> pages((size + page - 1) / page);
      if (::mincore(map, size, pages.data()) == 0)
        for (unsigned char p : pages)
          cached |= (p & 1) != 0;
      ::munmap(map, size);
    }
  }
  ::close(fd);
  return cached;
}

// Drops the file from the page cache and sees it stay out for a moment; false when the kernel
// kept it (the advice is only advice: under load or on some file systems the pages stay).
bool EvictFromCache(const std::string& path) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
    ::usleep(20000); // pages still under writeback may come back at once
    if (!AnyPageCached(path)) return true;
  }
  return false;
}

// The opens of watched files (inotify): an open is reported before the call returns, so what a
// thread opened is there once the thread has ended. Needs no page cache, so it holds on tmpfs.
class TOpenWatch {
public:
  TOpenWatch() : Fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
  ~TOpenWatch() { ::close(Fd); }
  int Watch(const std::string& path) { return ::inotify_add_watch(Fd, path.c_str(), IN_OPEN); }
  // The watches whose files were opened since the last call.
  std::set<int> Opened() {
    std::set<int> out;
    alignas(inotify_event) char buf[4096];
    for (ssize_t n; (n = ::read(Fd, buf, sizeof buf)) > 0;)
      for (char* p = buf; p < buf + n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(p);
        out.insert(e->wd);
        p += sizeof(inotify_event) + e->len;
      }
    return out;
  }

private:
  int Fd;
};

size_t ThreadCount() {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                           std::filesystem::directory_iterator()));
}

// Waits (up to 10 s) until the process has no more than count threads: the workers started
// since it had count have ended, and with them everything they were to read.
bool WaitForThreads(size_t count) {
  for (int i = 0; i < 10000; ++i) {
    if (ThreadCount() <= count) return true;
    ::usleep(1000);
  }
  return false;
}

// Why the page cache cannot be watched for files in dir, or "" when it can: files of a file system
// in memory are never evicted, and where a read that must not wait is refused the worker cannot
// tell a cached file from one on the disk, so it reads each file.
std::string WhyCacheUnwatchable(const std::string& dir) {
  struct statfs fs;
  if (::statfs(dir.c_str(), &fs) != 0) return dir + " cannot be examined";
  if (fs.f_type == TMPFS_MAGIC || fs.f_type == RAMFS_MAGIC)
    return dir + " lies in memory (tmpfs or ramfs)";
  std::string probe = dir + "/probe";
  WriteAll(probe, std::string(4096, 'p'));
  ReadAll(probe);
  int fd = ::open(probe.c_str(), O_RDONLY);
  char byte;
  iovec v{&byte, 1};
  bool answered = fd >= 0 && ::preadv2(fd, &v, 1, 0, RWF_NOWAIT) == 1;
  if (fd >= 0) ::close(fd);
  std::filesystem::remove(probe);
  return answered ? "" : "the file system of " + dir + " refuses reads that must not wait";
}

// A directory for files whose caching is watched: under the build directory (on a disk as a
// rule, where the temporary directory may be in memory), else under the temporary directory.
class TDiskDir {
public:
  TDiskDir() {
    for (const std::string& base :
         {std::string(RAVINEL_BUILD_DIR), std::filesystem::temp_directory_path().string()}) {
      std::string made = base + "/ravinel-disk-XXXXXX";
      if (!::mkdtemp(made.data())) continue;
      std::string why = WhyCacheUnwatchable(made);
      if (!Path.empty() && !why.empty()) {
        std::filesystem::remove_all(made);
        continue;
      }
      if (!Path.empty()) std::filesystem::remove_all(Path);
      Path = made;
      Why = why;
      if (why.empty()) return;
    }
  }
  ~TDiskDir() {
    std::error_code ec;
    if (!Path.empty()) std::filesystem::remove_all(Path, ec);
  }
  std::string Path, Why; // Why: "" when the page cache of files in Path can be watched
};

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
    TObjectFiles files(*FileList, *FileRef, RecWork);
    std::vector<TObjLine> lines = LoadObjectLines(files, info, 1);
    SetReadAheadWorkers(workers);
    CheckObjectLines(files, info, lines, 1);
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
  TDiskDir disk;
  ASSERT_FALSE(disk.Path.empty());
  std::string good = disk.Path + "/good", foreign = Dir / "foreign", gone = Dir / "gone";
  ASSERT_FALSE(creat_bf(good, 40)); // a record file of 40 empty groups (false: no error)
  WriteAll(foreign, std::string(100, 'x'));
  // Out of the cache, the file is brought in: read by the worker, or by the kernel's readahead
  // that the worker's probe (a read that must not wait) starts. Once cached, it is not read.
  if (!disk.Why.empty()) {
    std::printf("the page cache was not checked: %s\n", disk.Why.c_str());
  } else {
    if (EvictFromCache(good)) {
      WarmObjectFile(good, 33);
      EXPECT_TRUE(AnyPageCached(good));
      EXPECT_TRUE(IsCached(good, 33));
    } else {
      std::printf("the kernel kept the file cached: its first read was not checked\n");
    }
    EXPECT_EQ(WarmObjectFile(good, 33), 0u);
  }
  EvictFromCache(good);
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

// A line of a kind the check refuses unopened is not read ahead either.
TEST_F(TReadAheadTest, ReadsAheadOnlyTheFilesTheCheckOpens) {
  TListInfo info = ListInfoOf(1, 0);
  FileList = new WFile(ListAliasName(info, true));
  TObjectFiles files(*FileList, *FileRef, RecWork);
  std::vector<TObjLine> lines;
  for (TObjLine& l : LoadObjectLines(files, info, 1))
    if (lines.size() < 3 && sysio::FileExists(GetRealName(l.File))) lines.push_back(l);
  ASSERT_EQ(lines.size(), 3u);
  lines[1].Kind = 7;
  TOpenWatch watch;
  const int refused = watch.Watch(sysio::OsPath(GetRealName(lines[1].File)));
  const int next = watch.Watch(sysio::OsPath(GetRealName(lines[2].File)));
  SetReadAheadWorkers(1);
  const size_t threads = ThreadCount();
  std::set<int> opened;
  CheckObjectLines(files, info, lines, 1, [&](size_t i, size_t) {
    // Before the check opens anything, the worker has read ahead all it was to read.
    if (i == 0) {
      EXPECT_TRUE(WaitForThreads(threads));
      opened = watch.Opened();
    }
    return true;
  });
  EXPECT_EQ(opened, std::set<int>{next}) << "watch of the refused line: " << refused;
}

// The list's spare room still holds the path of a line removed from it: a worker taking one line
// more than the list holds would open that file.
TEST_F(TReadAheadTest, WorkersStopAtTheEndOfTheList) {
  const std::string beyond = "beyond"; // short: kept in the string itself, not freed
  ASSERT_FALSE(creat_bf(beyond, 40));
  std::vector<std::string> paths;
  paths.reserve(26);
  paths.resize(25);
  paths.push_back(beyond);
  paths.pop_back();
  TOpenWatch watch;
  ASSERT_GE(watch.Watch(beyond), 0);
  const size_t threads = ThreadCount();
  TReadAhead ahead(std::move(paths), 33, 1);
  // The worker waits at its window (16 lines) until the check reaches the last line; then no
  // line is left to it.
  ahead.Reached(24);
  ASSERT_TRUE(WaitForThreads(threads));
  EXPECT_TRUE(watch.Opened().empty()) << "a worker opened the path one past the end of the list";
}

} // namespace
