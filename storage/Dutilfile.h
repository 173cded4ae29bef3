// File utilities for composite record files: compression without dead space, the dead-space
// measure, and creation of new files and skeletons.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "storage/Dwfile.h"
#include "storage/Filekeep.h"

// The version text that the two-argument creat_bf writes into group 0.
extern const char* const VersionText;

// Compresses when the dead space in percent is at least threshold; returns false. The compressed
// file keeps the mode, group, owner and attributes of the old one; an owner the process may not
// give it is told in owner.
bool compress_bf(const std::string& name, int threshold, TOwnerChange* owner = nullptr);
// Receives the whole bytes of a compressed file once they are written, before they are flushed.
using TImageSink = std::function<void(std::string bytes)>;
// Writes the compressed form of the open file src into the new file target, with keep given as
// for a replacement of name, made durable but not renamed; a stale target is replaced. A sink
// given gets the target's bytes.
TOwnerChange compress_to(WFile& src, const std::string& target, const TFileKeep& keep,
                         const std::string& name, const TImageSink& sink = {});
// Dead space of a composite file in percent.
int def_unused(const std::string& name);
// The same for an open file, from its header and directory in memory.
int UnusedPercent(const WFile& f);
// Bounds the bytes that reading every group of f may walk to a few times the file, so that a
// damaged directory whose groups all run through one long chain stops with an error.
void LimitWholeFileWalk(WFile& f);
// A skeleton of 8 + 8 count bytes, all zero except the count; returns false.
bool creat_bfsp(const std::string& name, int count);
// An empty composite file of count groups; text (when not null) becomes group 0's one record.
bool creat_bf(const std::string& name, int count, const char* text);
bool creat_bf(const std::string& name, int count);

// The compact layout that compression writes: the groups in number order, each its records
// without links and an end marker, no dead space. Records go in group by group; a writer of a
// large file takes the body in pieces (writes Body out and clears it) while the directory grows.
class TCompactLayout {
public:
  // name is the file's, for error messages.
  TCompactLayout(const std::string& name, uint32_t count);
  // A record of the current group; a longer one than UseLenRec could never be read back.
  void Add(int8_t prefix, const char* data, size_t len);
  // Closes the current group with its end marker; the next group becomes current.
  void EndGroup();
  // The end value so far: the offset behind the body in the file.
  uint64_t End() const { return Pos; }
  // Header and directory; groups not yet closed have a zero entry.
  std::string Head() const;
  // The whole file once every group is closed: header, directory and the body not yet taken.
  std::string Image() const { return Head() + Body; }

  std::string Body;

private:
  std::string Name;
  std::vector<WDirEntry> Dir;
  uint32_t Current = 0;
  uint64_t Pos = 0;
  uint64_t GroupStart = 0;
};
