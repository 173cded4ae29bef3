// Read-ahead for the check pass: worker threads that read, ahead of the line being checked, the
// bytes the check of each upcoming object file will read, so that the check finds them cached.
#pragma once
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Worker threads used by the check pass; 0 switches the read-ahead off.
int ReadAheadWorkers();
void SetReadAheadWorkers(int workers);
constexpr int kDefaultReadAheadWorkers = 16;
// Whether the check first probes the cache and skips the read-ahead for a cached list (default
// on; tests switch it off to run the workers on files that are cached anyway).
bool ReadAheadProbe();
void SetReadAheadProbe(bool probe);

// Warms the page cache for a list of object files that one thread then checks in order. The
// workers only read: each opens its file for reading, reads the header, the directory and the
// one group the check compares, and closes it. They decide nothing and report nothing: a file
// they cannot read costs only their time, and the check meets the failure itself. They never
// run more than Window files ahead of the check, nor past the end of the list.
class TReadAhead {
public:
  // paths: OS (UTF-8) paths in check order, "" for a line the check does not open; group: the
  // calculation group the check compares.
  TReadAhead(std::vector<std::string> paths, int group, int workers);
  ~TReadAhead(); // stops the workers and waits for them
  TReadAhead(const TReadAhead&) = delete;
  TReadAhead& operator=(const TReadAhead&) = delete;

  // The check has reached line i: the workers may go up to i + Window.
  void Reached(size_t i);
  size_t Window() const { return WindowSize; }

private:
  void Work();
  bool Claim(size_t& i);

  std::vector<std::string> Paths;
  int Group;
  size_t WindowSize;
  std::mutex Mutex;
  std::condition_variable Wake;
  size_t Next = 0;    // the next line a worker takes
  size_t Checked = 0; // the line the check is at
  bool Stop = false;
  std::vector<std::thread> Threads;
};

// Reads what the check of group reads from the composite file at an OS path: the header and
// directory, then the group's bytes, unless they are cached already. Plain POSIX reads, outside
// the I/O seam: it only warms the cache. Returns the bytes read (0 when nothing was read).
size_t WarmObjectFile(const std::string& osPath, int group);
// True when the first bytes the check of group reads from that file are in the page cache.
bool IsCached(const std::string& osPath, int group);
// True when the first few files of the list are cached: then the list was read lately, and
// read-ahead threads would only take time from the check.
bool LooksCached(const std::vector<std::string>& paths, int group);
