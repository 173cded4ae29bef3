// The lock on a suite for a check-and-change session: an exclusive POSIX record lock on
// "ravinel.lock" in the configuration directory, which network file systems forward.
#pragma once
#include <string>

// Unavailable: the lock file cannot be opened for writing (a read-only configuration directory,
// a file of another user that keeps its mode): nobody's changes can be kept apart, so none.
enum class TSuiteLockState { Acquired, Held, Unsupported, Unavailable };

struct TSuiteLockResult {
  TSuiteLockState State = TSuiteLockState::Acquired;
  std::string Holder; // Held: the holder's record as read from the file (CP1251)
  int Code = 0;       // Unsupported, Unavailable: the error code the file system answered
};

// Who holds a suite, as its lock file tells (CP1251; empty what the record lacks).
struct TSuiteLockHolder {
  std::string Host, User, Pid, Since;
};
TSuiteLockHolder ParseSuiteLockHolder(const std::string& holder);
// The holder's record as a phrase of the interface language, for messages: "користувач ivan на
// комп'ютері office-3 з 2026-12-10 09:15:02 (процес 4711)".
std::string SuiteLockHolderLine(const std::string& holder);

class TSuiteLock {
public:
  // dirCfg: the configuration directory, ending with "/" (CP1251).
  explicit TSuiteLock(const std::string& dirCfg);
  ~TSuiteLock() { Release(); }
  TSuiteLock(const TSuiteLock&) = delete;
  TSuiteLock& operator=(const TSuiteLock&) = delete;

  // Takes the lock without waiting and writes the holder record. Held also when another
  // TSuiteLock of this process holds the same file (record locks belong to the process, so the
  // kernel alone would grant it twice). Raises ZError when the lock file cannot be opened
  // safely: a symbolic link, a hard link, not a regular file.
  TSuiteLockResult Acquire();
  void Release() noexcept;
  bool Holds() const { return Fd >= 0; }
  const std::string& Path() const { return LockPath; }

private:
  std::string LockPath;
  int Fd = -1;
  unsigned long long Dev = 0, Ino = 0; // the locked file, for the in-process guard
};

// The lock of one check-and-change session over a suite, for the list window and the command
// line. The list window creates it when it opens (FormShow) and destroys it when it closes
// (FormClose):
//   Lock = std::make_unique<TChangeLock>(DirCfg);
//   Lock->ShowNotice();                  // error dialog when held, warning when refused
//   ReadOnly = !Lock->CanChange();       // held: check and look, no change
//   ...
//   Lock.reset();                        // FormClose
// A plain check needs no lock.
class TChangeLock {
public:
  // Takes the lock on dirCfg + "ravinel.lock"; a held lock does not raise (see CanChange).
  // Raises ZError when the lock file cannot be opened safely.
  explicit TChangeLock(const std::string& dirCfg);
  // False when another session holds the lock or the lock file cannot be opened for writing:
  // nothing may be changed. True when this session holds it, or when the file system refuses
  // locks (the session goes on without one).
  bool CanChange() const {
    return Result.State != TSuiteLockState::Held && Result.State != TSuiteLockState::Unavailable;
  }
  const TSuiteLockResult& State() const { return Result; }
  // What to tell the user, as a message number and its "|"-separated parameters: Held gives
  // the error MsgSuiteLocked (lock file | holder); Unavailable the error MsgLockUnavailable
  // (lock file | reason); Unsupported gives the warning WarLockRefused (lock file | reason),
  // only for the first refusal in the process; otherwise Number is 0.
  int NoticeNumber() const { return Number; }
  const std::string& NoticeText() const { return Text; }
  // Shows the notice through OutErr or OutWar; nothing when there is none.
  void ShowNotice() const;
  // Raises the notice as ZError when nothing may be changed (for the command line).
  void RaiseUnlessCanChange() const;

private:
  TSuiteLock Lock;
  TSuiteLockResult Result;
  int Number = 0;
  std::string Text;
};
