// WFile: a record file, composite (header, directory of numbered groups, one record chain per
// group) or simple (one chain from offset 0), with reading, group rewriting and in-place edits.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "storage/Drec.h"
#include "storage/Dsfile.h"

enum WEdit : unsigned char { weDelete = 1, weMove = 2, weInsert = 3, weUpdate = 4, weReplace = 5 };

// Entry forms of block output: each entry followed by a delimiter text, preceded by a 16-bit
// length, or of a fixed length.
enum WBForm : unsigned char { wbDelim = 1, wbLength = 2, wbFixed = 3 };

struct WHeader {
  uint32_t End = 0;   // first byte behind all data
  uint32_t Count = 0; // number of groups
};

struct WDirEntry {
  uint32_t Offset = 0;
  uint32_t Size = 0;
};

// Destruction finishes a group under construction and, with StrictClose, then raises an error;
// that is why the destructor may throw (never while another exception is unwinding). Destroy a
// WFile with delete or as a local, not through a holder whose destructor is noexcept.
class WFile {
public:
  // An existing composite file, opened for reading and writing (reading only when the file
  // cannot be written).
  explicit WFile(const std::string& name);
  // A simple file in the given mode.
  WFile(const std::string& name, ZFileMode mode);
  // A composite file over a file already open for reading and writing (a copy in memory).
  explicit WFile(std::unique_ptr<SFile> file);
  ~WFile() noexcept(false);
  WFile(const WFile&) = delete;
  WFile& operator=(const WFile&) = delete;

  // Groups of a composite file.
  unsigned long WOpen_file(unsigned long group);
  unsigned long WOpen_file(unsigned long group, int& adr);
  void WCreat_file(unsigned long group);
  void WClose_file(unsigned long group);
  void WClear_file(unsigned long group);

  // Reading: false at the end marker (which is then in rec).
  bool WRead(WRec* rec);
  bool WRead(WRec* rec, int& adr);
  bool WRead(unsigned long adr, WRec* rec);
  void WSeek(unsigned long adr);

  // Writing.
  void WWrite(WRec* rec);
  void WWrite(char prefix, unsigned short length, const char* data);
  void WWrite(const std::string& text);
  unsigned long WWriteAppend(WRec* rec);
  void WSeekEnd();
  void WUpdate(unsigned long adr, WRec* rec);
  void WWriteEdit(WRec* rec);
  unsigned long WEditFile(WEdit kind, int group, unsigned long adrRec, unsigned long adrNext,
                          WRec* rec);
  unsigned short WUpdatePrefix(unsigned long adr, char bits);
  unsigned short WUpdatePrefix(unsigned long adr, unsigned long link, char bits);
  void WUpdateLogInfo(int group, unsigned long offset);
  // Caps the bytes that all chain reads from now on may walk together (each chain is capped at
  // the file anyway). A reader of every group sets it, so that a damaged directory whose groups
  // share one long chain cannot make it take time of the square of the file's size.
  void LimitTotalVisits(uint64_t bytes);

  // Block reading and writing of short entries packed into records.
  void WBOpenFile(unsigned long group, WBForm form, int fixedLength = 0,
                  const std::string& delim = "");
  void WBCreatFile(unsigned long group, WBForm form, int fixedLength = 0,
                   const std::string& delim = "");
  void WBCloseFile();
  bool WGet(std::string& entry);
  void WPut(const char* data, int length);
  void WCommit();

  bool StrictClose = false;
  WHeader Header;
  std::vector<WDirEntry> Dir;
  std::string Name;
  bool Composite = false;
  ZFileMode Mode = fmUpdate;
  std::unique_ptr<SFile> File;
  std::unique_ptr<SFile> TmpFile;
  uint32_t Written = 0;
  uint32_t CurAdr = 0;
  uint32_t LastAdr = 0;
  uint32_t NewGroup = EmptyAdr;
  // Set while no other process changes the file (the reference file, an object file during
  // its check or change): read bytes stay cached from group to group.
  bool KeepCache = false;
  // Cleared for a private working copy that no one sees under its real name until it is complete
  // and made durable as a whole: then its edits need no flushes to keep their order.
  bool Durable = true;

private:
  void OpenComposite();
  void OpenSimple(ZFileMode mode);
  [[noreturn]] void BadLayout();
  void CheckGroup(unsigned long group);
  void RequireComposite();
  bool IsSimpleOutput() const;

  // Positioned input and output of the main file through a small read cache.
  uint64_t PhysicalSize();
  void KeepSpareCache() noexcept;
  void SeekTo(uint64_t pos);
  size_t ReadAt(uint64_t pos, char* buf, size_t n);
  void ReadExact(uint64_t pos, char* buf, size_t n);
  void WriteAt(uint64_t pos, const char* buf, size_t n);
  void Flush();
  uint64_t ReadLimit() const;

  // One record header at pos, checked against the file's limits.
  void ReadHeader(uint64_t pos, int8_t& prefix, uint32_t& link, uint16_t& len);
  void CountVisited(uint64_t bytes);
  void WriteHeaderEnd(uint32_t end);
  void WriteDirEntry(unsigned long group, WDirEntry entry);
  void WriteGroupSize(unsigned long group, uint32_t size);
  void CheckWriteLength(uint16_t len);
  void AppendRecord(int8_t prefix, uint16_t len, const char* data);
  void AppendRaw(const std::string& bytes);
  void CommitGroup(unsigned long group);
  void DiscardGroup() noexcept;
  void WriteSimple(int8_t prefix, uint16_t len, const char* data);
  unsigned long EditNew(uint32_t link, WRec* rec);
  unsigned long Relocate(int group, unsigned long adrRec, uint32_t link, WRec* rec);
  uint32_t GrownSize(int group, uint64_t plus, uint64_t minus) const;
  void CheckBlockForm(unsigned long group, WBForm form, int fixedLength, const std::string& delim);
  void StartBlock(unsigned long group, WBForm form, int fixedLength, const std::string& delim);
  void ReleaseBlock() noexcept;
  void DestroyDuties();

  uint64_t FileLen = 0;          // physical length as far as this object knows
  uint64_t Visited = 0;          // bytes of the chain walked since the last positioning
  uint64_t TotalVisited = 0;     // bytes walked since LimitTotalVisits
  uint64_t VisitCap = 0;         // 0: no cap on TotalVisited
  std::string TmpBuf;            // group output not yet in the scratch file
  std::string TmpName;           // the scratch file's name ("$$" behind the file's path)
  bool Scratch = false;          // a group is under construction, its scratch name cleared
  uint32_t TmpFlushed = 0;       // bytes already in the scratch file
  std::unique_ptr<char[]> Cache; // read cache: file bytes [CacheStart, CacheStart + CacheLen)
  uint64_t CacheStart = 0;
  size_t CacheLen = 0;
  int64_t OsPos = -1;  // the handle's position when known
  size_t FillHint = 0; // bytes a jump into the current group should read
  int Uncaught = 0;    // exceptions in flight when the object was made

  // Block state.
  WRec* BlockRec = nullptr;
  bool BlockOut = false;
  unsigned long BlockGroup = 0;
  WBForm BlockForm = wbLength;
  int BlockFixed = 0;
  std::string BlockDelim;
  size_t BlockPos = 0;
};

// The longest block record of block output.
constexpr int MaxBlockLen = 19999;
