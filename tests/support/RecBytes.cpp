// Byte builders for hand-written record files.
#include "tests/support/RecBytes.h"

#include "storage/Dutilfile.h"
#include "storage/Dwfile.h"

std::string Le16(uint16_t v) {
  return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

std::string Le32(uint32_t v) {
  return Le16(static_cast<uint16_t>(v)) + Le16(v >> 16);
}

std::string RecHead(int prefix, uint32_t link, uint16_t len) {
  return std::string(1, static_cast<char>(prefix)) + Le32(link) + Le16(len);
}

std::string Rec(int prefix, uint32_t link, const std::string& data) {
  return RecHead(prefix, link, static_cast<uint16_t>(data.size())) + data;
}

std::string Marker() {
  return Rec(0, 0xFFFFFFFF, "@");
}

std::string Composite(const std::vector<TDirPair>& dir, const std::string& area, int64_t end) {
  std::string head;
  for (const TDirPair& d : dir)
    head += Le32(d.Offset) + Le32(d.Size);
  uint32_t total = static_cast<uint32_t>(8 + head.size() + area.size());
  return Le32(end < 0 ? total : static_cast<uint32_t>(end)) +
         Le32(static_cast<uint32_t>(dir.size())) + head + area;
}

std::vector<std::pair<int, std::string>> GroupRecords(const std::string& path, unsigned g) {
  std::vector<std::pair<int, std::string>> out;
  WFile f(path);
  f.WOpen_file(g);
  WRec rec;
  while (f.WRead(&rec))
    out.emplace_back(rec.Prefix, std::string(rec.Data, rec.Len));
  return out;
}

namespace {
// Records of a group of the given size (end marker included); record data derive from seed.
void WriteGroupOfSize(WFile& f, unsigned group, uint32_t size, char seed) {
  f.WCreat_file(group);
  uint32_t left = size - 8;
  if (group == 0) {
    f.WWrite(std::string("Д145"));
    f.WWrite(1, 108, std::string(108, seed).data());
    left -= 13 + 115;
  }
  std::string chunk(500, seed);
  while (left > 1014) {
    f.WWrite(1, 500, chunk.data());
    left -= 507;
  }
  std::string last(left - 7, static_cast<char>(seed + 1));
  f.WWrite(1, static_cast<unsigned short>(last.size()), last.data());
  f.WClose_file(group);
}
} // namespace

void BuildReferenceLike(const std::string& path) {
  creat_bf(path, 17, "");
  uint32_t sizes[16];
  for (uint32_t& s : sizes)
    s = 1777;
  sizes[0] = 2115;
  sizes[1] = 889;
  sizes[8] = 2320;
  sizes[15] = 1779; // live sizes add up to 28,435 with group 16's 8
  WFile f(path);
  for (unsigned i = 0; i < 8; ++i) {
    WriteGroupOfSize(f, i, sizes[i], static_cast<char>('a' + i));
    WriteGroupOfSize(f, i + 8, sizes[i + 8], static_cast<char>('A' + i));
  }
}
