// Byte builders for record files written by hand in tests.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

std::string Le16(uint16_t v);
std::string Le32(uint32_t v);
// One record: prefix, link, 16-bit length of data, data.
std::string Rec(int prefix, uint32_t link, const std::string& data);
// A record whose length field says len (no data check).
std::string RecHead(int prefix, uint32_t link, uint16_t len);
// The end marker 00 FF FF FF FF 01 00 40.
std::string Marker();
// A composite file: header (end = its length unless given), directory, then the data area.
struct TDirPair {
  uint32_t Offset;
  uint32_t Size;
};
std::string Composite(const std::vector<TDirPair>& dir, const std::string& area, int64_t end = -1);
// Contents of group g as (prefix, data) pairs in chain order, read through WFile.
std::vector<std::pair<int, std::string>> GroupRecords(const std::string& path, unsigned g);

// A 17-group file laid out like the reference file of the program: created with an empty text
// (a dead first version of group 0), then groups rewritten in the order 0, 8, 1, 9, ..., 7, 15;
// 28,722 bytes, group 0 at 0x127 with 2,115 bytes, group 1 at 0x127A with 889 bytes.
void BuildReferenceLike(const std::string& path);
