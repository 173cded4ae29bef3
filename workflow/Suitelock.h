// The lock on a suite for a check-and-change session: an exclusive POSIX record lock on
// "ravinel.lock" in the configuration directory, which network file systems forward.
#pragma once
#include <string>

enum class TSuiteLockState { Acquired, Held, Unsupported };

struct TSuiteLockResult {
  TSuiteLockState State = TSuiteLockState::Acquired;
  std::string Holder; // Held: the holder's record as read from the file (CP1251)
  int Code = 0;       // Unsupported: the error code the file system answered
};

class TSuiteLock {
public:
  // dirCfg: the configuration directory, ending with "/" (CP1251).
  explicit TSuiteLock(const std::string& dirCfg);
  ~TSuiteLock() { Release(); }
  TSuiteLock(const TSuiteLock&) = delete;
  TSuiteLock& operator=(const TSuiteLock&) = delete;

  // Takes the lock without waiting and writes the holder record. Raises ZError when the lock
  // file cannot be opened safely (a symbolic link, not a plain file).
  TSuiteLockResult Acquire();
  void Release() noexcept;
  bool Holds() const { return Fd >= 0; }
  const std::string& Path() const { return LockPath; }

private:
  std::string LockPath;
  int Fd = -1;
};
