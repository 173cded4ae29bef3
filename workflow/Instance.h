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

// The user's private runtime folder: $XDG_RUNTIME_DIR, else a 0700 folder of the user under
// tmpBase. Raises ZError when that folder is not safe (foreign, open to others, a link).
std::string PrivateRuntimeDir(const std::string& tmpBase = "/tmp");
// The name of the lock of one suite's working files, from its configuration directory.
std::string SuiteInstanceName(const std::string& dirCfg);
// Takes the lock of the suite's working files for the run: what writes the suite or the working
// files in it takes it; false when another process of the program holds it for that suite.
bool AcquireSuiteProcessLock(const std::string& dirCfg);
