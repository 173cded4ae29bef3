// The version text of the programs: the package version and the reference P145 data that the
// program file carries, so an installation can be told from another.
#pragma once
#include <cstdint>
#include <string>

#include "workflow/Ucommon.h"

// The package version, as the build names it ("1.0.0").
extern const char* const kPackageVersion;

// CRC-32 (the polynomial of zlib and PNG) of size bytes, continuing from crc.
uint32_t Crc32(const char* data, size_t size, uint32_t crc = 0);
// "reference P145 data built in: N bytes, CRC-32 XXXXXXXX" for the data carried by programFile.
// Raises MsgNoReference when it carries none.
std::string BuiltInReferenceLine(const std::string& programFile = kProgramSelf);
// Prints "PROGRAM VERSION" and the reference line for the running program; returns the exit
// status: 0, or 1 with the message on stderr when the program file carries no reference data.
int PrintVersion(const std::string& program);
