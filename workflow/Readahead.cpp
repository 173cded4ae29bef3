// Read-ahead for the check pass: a few threads reading the upcoming object files' header,
// directory and calculation group into the page cache, never ahead of the check by more than a
// window.
#include "workflow/Readahead.h"

#include <algorithm>
#include <cstdint>
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include "storage/Recformat.h"

namespace {

std::atomic<int> gWorkers{kDefaultReadAheadWorkers};
std::atomic<bool> gProbe{true};

// Larger groups are still read by the check; warming their first part is enough to start it.
constexpr size_t kMaxWarm = 1 << 20;
constexpr size_t kWindowPerWorker = 16;
constexpr size_t kWakeStep = 8;
constexpr size_t kProbes = 8;

size_t ReadRange(int fd, uint64_t from, size_t count) {
  static thread_local std::vector<char> buf(64 * 1024);
  size_t done = 0;
  while (done < count) {
    size_t n = std::min(buf.size(), count - done);
    ssize_t got = pread(fd, buf.data(), n, static_cast<off_t>(from + done));
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  return done;
}

} // namespace

int ReadAheadWorkers() {
  return gWorkers.load();
}

void SetReadAheadWorkers(int workers) {
  gWorkers.store(std::max(0, workers));
}

bool ReadAheadProbe() {
  return gProbe.load();
}

void SetReadAheadProbe(bool probe) {
  gProbe.store(probe);
}

namespace {

// Reads count bytes at from only when they are in the page cache already (RWF_NOWAIT): true
// when they were; false when reading them would wait for the disk, or the file system cannot say.
bool Resident(int fd, void* buf, size_t count, off_t from) {
  iovec v{buf, count};
  return preadv2(fd, &v, 1, from, RWF_NOWAIT) == static_cast<ssize_t>(count);
}

// The file's header and the directory entry of group, read at once or from the cache.
bool ReadEntry(int fd, int group, bool cachedOnly, uint32_t& count, uint32_t& offset,
               uint32_t& size) {
  char head[kHeadSize], entry[kDirEntrySize];
  auto read = [&](char* b, size_t n, uint64_t at) {
    off_t from = static_cast<off_t>(at);
    return cachedOnly ? Resident(fd, b, n, from) : pread(fd, b, n, from) == static_cast<ssize_t>(n);
  };
  if (!read(head, kHeadSize, 0)) return false;
  count = GetLe32(head + kHeadCountAt);
  if (group < 0 || static_cast<uint32_t>(group) >= count) return false;
  if (!read(entry, kDirEntrySize, DirEntryAt(static_cast<uint64_t>(group)))) return false;
  offset = GetLe32(entry + kDirOffsetAt);
  size = GetLe32(entry + kDirSizeAt);
  return true;
}

// True when the bytes the check reads first (header, entry, the group's first byte) are cached.
bool CheckWouldNotWait(int fd, int group) {
  uint32_t count = 0, offset = 0, size = 0;
  char first;
  return ReadEntry(fd, group, true, count, offset, size) && Resident(fd, &first, 1, offset);
}

} // namespace

size_t WarmObjectFile(const std::string& osPath, int group) {
  int fd = open(osPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return 0;
  size_t total = 0;
  uint32_t count = 0, offset = 0, size = 0;
  if (!CheckWouldNotWait(fd, group) && ReadEntry(fd, group, false, count, offset, size)) {
    total += ReadRange(fd, 0, std::min<size_t>(8 + 8ull * count, kMaxWarm));
    total += ReadRange(fd, offset, std::min<size_t>(size, kMaxWarm));
  }
  close(fd);
  return total;
}

bool IsCached(const std::string& osPath, int group) {
  int fd = open(osPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  bool cached = CheckWouldNotWait(fd, group);
  close(fd);
  return cached;
}

bool LooksCached(const std::vector<std::string>& paths, int group) {
  size_t probed = 0;
  for (size_t i = 0; i < paths.size() && probed < kProbes; ++i) {
    if (paths[i].empty()) continue;
    if (!IsCached(paths[i], group)) return false;
    ++probed;
  }
  return true;
}

TReadAhead::TReadAhead(std::vector<std::string> paths, int group, int workers)
    : Paths(std::move(paths)), Group(group),
      WindowSize(kWindowPerWorker * static_cast<size_t>(std::max(1, workers))) {
  int n =
      static_cast<int>(std::min<size_t>(static_cast<size_t>(std::max(0, workers)), Paths.size()));
  for (int i = 0; i < n; ++i)
    Threads.emplace_back([this] { Work(); });
}

TReadAhead::~TReadAhead() {
  {
    std::lock_guard<std::mutex> lock(Mutex);
    Stop = true;
  }
  Wake.notify_all();
  for (std::thread& t : Threads)
    t.join();
}

void TReadAhead::Reached(size_t i) {
  {
    std::lock_guard<std::mutex> lock(Mutex);
    if (i <= Checked) return;
    Checked = i;
  }
  // Waking the waiting workers for every line would cost more than a warm check of the line;
  // they are woken once the window has moved by a step.
  if (i % kWakeStep == 0) Wake.notify_all();
}

bool TReadAhead::Claim(size_t& i) {
  std::unique_lock<std::mutex> lock(Mutex);
  for (;;) {
    if (Stop || Next >= Paths.size()) return false;
    // A line the check has passed already is not worth reading any more.
    Next = std::max(Next, Checked + 1);
    if (Next >= Paths.size()) return false;
    if (Next <= Checked + WindowSize) {
      i = Next++;
      return true;
    }
    Wake.wait(lock);
  }
}

void TReadAhead::Work() {
  size_t i = 0;
  while (Claim(i))
    if (!Paths[i].empty()) WarmObjectFile(Paths[i], Group);
}
