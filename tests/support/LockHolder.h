// A second process that tries the suite lock of a configuration directory and, when it gets
// it, holds it until told to end or killed: the other session of the lock tests.
#pragma once
#include <string>
#include <sys/types.h>

class TLockHolder {
public:
  // Forks the process and waits until it has tried the lock.
  explicit TLockHolder(const std::string& dirCfg);
  ~TLockHolder();
  TLockHolder(const TLockHolder&) = delete;
  TLockHolder& operator=(const TLockHolder&) = delete;

  bool Acquired() const { return Got; }
  pid_t Pid() const { return Child; }
  // Lets the process release the lock and exit normally; returns its exit status.
  int End();
  // kill -9: the process dies holding the lock.
  void Kill();

private:
  void Reap();
  pid_t Child = -1;
  int Go = -1; // closing it tells the process to end
  bool Got = false;
};
