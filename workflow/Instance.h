// The single-instance lock "Corvane": an advisory flock on a file in the user's runtime
// directory (or a private 0700 directory under /tmp); it dies with the process.
#pragma once
#include <string>

class TInstanceLock {
public:
  // tmpBase: where the per-user fallback directory is made when $XDG_RUNTIME_DIR is unusable.
  explicit TInstanceLock(std::string name = "Corvane", std::string tmpBase = "/tmp");
  ~TInstanceLock();
  TInstanceLock(const TInstanceLock&) = delete;
  TInstanceLock& operator=(const TInstanceLock&) = delete;

  // True when this object now holds the lock, false when another holder has it. Raises ZError
  // when the lock file cannot be made safely (foreign or open directory, symbolic link).
  bool Acquire();
  // The OS path of the lock file (valid after Acquire).
  const std::string& Path() const { return LockPath; }

private:
  std::string Name, TmpBase, LockPath;
  int Fd = -1;
};

// Takes the process-wide lock for the run; false when another instance holds it.
bool AcquireProcessLock();
