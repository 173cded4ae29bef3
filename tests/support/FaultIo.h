// A TIoSys wrapper for tests: counts calls and fails or "crashes" at the k-th call.
// A crash stops all later calls from reaching the disk; it can also drop writes not yet synced.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "storage/Sysio.h"

class TFaultIo : public TIoSys {
public:
  enum class TKind { None, FailOnce, FailAlways, Crash, CrashDropUnsynced };

  TFaultIo();
  ~TFaultIo() override;

  // Arms a fault at call number k (1-based, counted from now); errorCode for the failures.
  void Arm(TKind kind, long k, int errorCode = 5 /* EIO */);
  long Calls() const { return Count; }
  bool Crashed() const { return Dead; }
  bool Fired() const { return Hit; }

  int Open(const std::string& path, int flags, mode_t mode) override;
  int Close(int fd) override;
  ssize_t Read(int fd, void* buf, size_t count) override;
  ssize_t Write(int fd, const void* buf, size_t count) override;
  off_t Seek(int fd, off_t offset, int whence) override;
  int DataSync(int fd) override;
  int FullSync(int fd) override;
  int Truncate(int fd, off_t length) override;
  int Rename(const std::string& from, const std::string& to) override;
  int Unlink(const std::string& path) override;
  int Stat(const std::string& path, struct stat* st) override;
  int Mkdir(const std::string& path, mode_t mode) override;
  int ListDir(const std::string& path, std::vector<std::string>& names) override;

private:
  // Old bytes of one unsynced write, to undo it when a crash drops it.
  struct TUndo {
    off_t Offset;
    std::string Old;
    off_t OldSize;
  };
  // True when the call must fail (errno set); false when it may reach the real backend.
  bool Intercept();
  void CrashNow();
  void Forget(int fd);

  TIoSys* Real;
  TKind Kind = TKind::None;
  long Count = 0;
  long At = 0;
  int Code = 5;
  bool Dead = false;
  bool Hit = false;
  std::map<int, std::string> Paths;                   // open fd -> path
  std::map<std::string, std::vector<TUndo>> Unsynced; // path -> writes since its last sync
};

// Installs a TFaultIo for the lifetime of the object.
class TFaultScope {
public:
  TFaultScope() : Previous(SetIoSys(&Io)) {}
  ~TFaultScope() { SetIoSys(Previous); }
  TFaultIo Io;

private:
  TIoSys* Previous;
};
