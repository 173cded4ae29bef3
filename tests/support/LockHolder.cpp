// The holder process: fork, try the lock, report through a pipe, wait for the end of another.
#include "tests/support/LockHolder.h"

#include "workflow/Suitelock.h"

#include <csignal>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

TLockHolder::TLockHolder(const std::string& dirCfg) {
  int told[2], go[2];
  if (pipe(told) != 0 || pipe(go) != 0) throw std::runtime_error("pipe");
  Child = fork();
  if (Child < 0) throw std::runtime_error("fork");
  if (Child == 0) {
    close(told[0]);
    close(go[1]);
    char answer = 'n';
    {
      TSuiteLock lock(dirCfg);
      try {
        if (lock.Acquire().State == TSuiteLockState::Acquired) answer = 'y';
      } catch (...) {
      }
      if (write(told[1], &answer, 1) != 1) _exit(3);
      char c;
      while (read(go[0], &c, 1) > 0) {
      }
    }
    _exit(answer == 'y' ? 0 : 1);
  }
  close(told[1]);
  close(go[0]);
  Go = go[1];
  char answer = 0;
  bool heard = read(told[0], &answer, 1) == 1;
  close(told[0]);
  if (!heard) throw std::runtime_error("the holder process died before trying the lock");
  Got = answer == 'y';
}

TLockHolder::~TLockHolder() {
  if (Child > 0) Kill();
}

void TLockHolder::Reap() {
  if (Go >= 0) close(Go);
  Go = -1;
}

int TLockHolder::End() {
  Reap();
  int status = 0;
  waitpid(Child, &status, 0);
  Child = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void TLockHolder::Kill() {
  kill(Child, SIGKILL);
  Reap();
  waitpid(Child, nullptr, 0);
  Child = -1;
}
