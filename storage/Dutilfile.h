// File utilities for composite record files: compression without dead space, the dead-space
// measure, and creation of new files and skeletons.
#pragma once
#include <string>

class WFile;

// The version text that the two-argument creat_bf writes into group 0.
extern const char* const VersionText;

// Compresses when the dead space in percent is at least threshold; returns false.
bool compress_bf(const std::string& name, int threshold);
// Writes the compressed form of the open file src into the new file target (permission bits
// perms, the umask applies), made durable but not renamed; a stale target is replaced.
void compress_to(WFile& src, const std::string& target, unsigned perms);
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
