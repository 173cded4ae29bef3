// A TIoSys wrapper for tests: counts calls and fails or "crashes" at the k-th call.
// A crash stops all later calls from reaching the disk; it can also drop writes and directory
// entry changes not yet synced, or (power loss) drop them but keep the newest write torn.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "storage/Sysio.h"

class TFaultIo : public TIoSys {
public:
  enum class TKind { None, FailOnce, FailAlways, Crash, CrashDropUnsynced, CrashTorn };

  TFaultIo();
  ~TFaultIo() override;

  // Arms a fault at call number k (1-based, counted from now); errorCode for the failures.
  void Arm(TKind kind, long k, int errorCode = 5 /* EIO */);
  // CrashTorn: which sector boundary of the newest write (when it is unsynced) its kept part
  // ends at, counted modulo the boundaries inside it plus its end (the last keeps it whole).
  void TearAt(long boundary) { Tear = boundary; }
  // Syncs are only recorded, never passed to the disk: durability is modelled, not needed.
  void ModelSyncs() { RealSync = false; }
  // A power loss now: every write not yet synced is lost, and every create, rename and unlink
  // whose directory was not flushed since is undone.
  void PowerLoss();
  long Calls() const { return Count; }
  bool Crashed() const { return Dead; }
  bool Fired() const { return Hit; }
  // Directory entry changes the last crash or power loss undid.
  long EntriesUndone() const { return Undone; }

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
  int Link(const std::string& from, const std::string& to) override;
  int Stat(const std::string& path, struct stat* st) override;
  int Mkdir(const std::string& path, mode_t mode) override;
  int ListDir(const std::string& path, std::vector<std::string>& names) override;
  int FileStat(int fd, struct stat* st) override;
  int ChangeMode(int fd, mode_t mode) override;
  int ChangeOwner(int fd, uid_t uid, gid_t gid) override;
  ssize_t ListAttrs(int fd, char* names, size_t size) override;
  ssize_t GetAttr(int fd, const char* name, void* value, size_t size) override;
  int SetAttr(int fd, const char* name, const void* value, size_t size) override;

private:
  // Old bytes of one unsynced write, to undo it when a crash drops it.
  struct TUndo {
    off_t Offset;
    std::string Old;
    off_t OldSize;
    long Seq; // order of the write among all files
  };
  // The newest write, whole, to keep a torn part of it.
  struct TLastWrite {
    std::string Path;
    off_t Offset = 0;
    std::string Data;
    long Seq = 0;
  };
  // A file taken out of its name by an unlink or a replacing rename: its bytes and its own
  // unsynced writes, to bring it back.
  struct TSaved {
    std::string Bytes;
    std::vector<TUndo> Undos;
  };
  // A directory entry change not yet flushed, in the directories it touches.
  struct TDirOp {
    enum class TOp { Create, Rename, Unlink } Op;
    std::string Path, To; // To: rename only
    bool Replaced = false;
    TSaved Old; // the file that lost its name (unlink; rename over an existing file)
    std::vector<std::string> Pending; // directories still to flush for the change to last
  };
  // True when the call must fail (errno set); false when it may reach the real backend.
  bool Intercept();
  void CrashNow();
  void DropUnsynced(bool tear);
  void Forget(int fd);
  void Undo(const std::string& path, const std::vector<TUndo>& undos);
  bool Save(const std::string& path, TSaved& saved);
  void Restore(const std::string& path, const TSaved& saved);
  void RevertDirs();
  void AddDirOp(TDirOp op);

  TIoSys* Real;
  TKind Kind = TKind::None;
  long Count = 0;
  long At = 0;
  int Code = 5;
  bool Dead = false;
  bool Hit = false;
  bool RealSync = true;
  long Tear = 0;
  long WriteSeq = 0;
  long Undone = 0;
  TLastWrite Last;
  std::map<int, std::string> Paths;                   // open fd -> path
  std::map<int, std::string> Dirs;                    // open directory fd -> path
  std::map<std::string, std::vector<TUndo>> Unsynced; // path -> writes since its last sync
  std::vector<TDirOp> DirOps;                         // unflushed entry changes, oldest first
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
