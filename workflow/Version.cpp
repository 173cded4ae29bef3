// The version text of the programs; the reference data is read from the program file through
// the I/O seam, the same bytes the start-up extracts.
#include "workflow/Version.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "base/Codec.h"
#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "storage/Dsfile.h"

#ifndef RAVINEL_VERSION
#error "RAVINEL_VERSION is set by the build from the project version"
#endif

const char* const kPackageVersion = RAVINEL_VERSION;

uint32_t Crc32(const char* data, size_t size, uint32_t crc) {
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) {
    crc ^= static_cast<unsigned char>(data[i]);
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::string BuiltInReferenceLine(const std::string& programFile) {
  TEmbeddedReference at = LocateReference(programFile);
  SFile program(programFile, fmRead);
  program.Seek(static_cast<long>(at.Offset));
  std::vector<char> chunk(64 * 1024);
  uint32_t crc = 0;
  for (uint32_t left = at.Length; left > 0;) {
    int want = static_cast<int>(std::min<uint32_t>(left, static_cast<uint32_t>(chunk.size())));
    int n = program.SRead(chunk.data(), want);
    if (n <= 0) SetError(programFile + "|укорочен", MsgNoReference);
    crc = Crc32(chunk.data(), static_cast<size_t>(n), crc);
    left -= static_cast<uint32_t>(n);
  }
  char line[96];
  std::snprintf(line, sizeof line, "reference P145 data built in: %u bytes, CRC-32 %08x", at.Length,
                crc);
  return line;
}

int PrintVersion(const std::string& program) {
  std::printf("%s %s\n", program.c_str(), kPackageVersion);
  try {
    std::printf("%s\n", BuiltInReferenceLine().c_str());
    return 0;
  } catch (const ZError& e) {
    InstallMsgCatalogue();
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", Utf8FromCp1251(creat_msg(e.Message, e.HelpContext)).c_str());
    return 1;
  }
}
