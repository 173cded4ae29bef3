// SFile: a plain sequential file over one OS handle, the layer beneath the record files.
// It resolves alias names, opens in one of the file modes and turns every failure into ZError.
#pragma once
#include <string>

enum ZFileMode : unsigned char {
  fmRead = 1,
  fmCreate = 2,
  fmRewrite = 3,
  fmUpdate = 4,
  fmAppend = 5
};

class SFile {
public:
  // extraFlags are added to the open flags (e.g. O_CREAT | O_EXCL | O_NOFOLLOW for scratch files);
  // perms are the permission bits of a created file (the umask applies).
  SFile(const std::string& name, ZFileMode mode, int extraFlags = 0, unsigned perms = 0666);
  // A new empty file held in this object's memory, for reading and writing, never on a disk and
  // never seen by the I/O seam; name only labels it in messages. Sync does nothing for it.
  struct TInMemory {};
  SFile(TInMemory, const std::string& name);
  ~SFile();
  SFile(const SFile&) = delete;
  SFile& operator=(const SFile&) = delete;

  // Reads up to count bytes at the current position; 0 at the end of the file.
  int SRead(char* buffer, int count);
  // The same at offset; the position afterwards is unknown (it stays where it was when the
  // backend reads in place).
  int SReadAt(char* buffer, int count, long offset);
  void SWrite(const char* buffer, int count);
  // Writes text followed by CR LF.
  void SWrite(const std::string& text);
  long Seek(long offset);
  // origin: 0 from the start, 1 from the current position, 2 from the end.
  long Seek(long offset, unsigned long origin);
  long Tell();
  // The file's length in bytes.
  unsigned long Size();
  // Makes the written bytes durable (fdatasync).
  void Sync();

  std::string Name;
  int Handle = -1; // -1 for a file in memory
  ZFileMode Mode;

private:
  bool InMemory = false;
  std::string Bytes; // of a file in memory
  long Pos = 0;      // its position
  int MemoryRead(char* buffer, int count, long offset);
  void MemoryWrite(const char* buffer, int count);
  [[noreturn]] void SystemError();
};
