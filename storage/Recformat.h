// The record file format in one place: file header, group directory, record header, end marker,
// length limit, the trailer of a program carrying reference data, and little-endian helpers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Default buffer capacity and the largest record length accepted when reading and writing.
constexpr int UseLenRec = 20000;
// "No address": no link, no record, no group under construction.
constexpr uint32_t EmptyAdr = 0xFFFFFFFF;
// Length of the end marker record, and the size of an empty group.
constexpr int LenEof = 8;

// File header of a composite file: the end value (first byte behind all data), then the number
// of groups. The directory follows: per group its offset, then its size in bytes.
constexpr uint64_t kHeadEndAt = 0;
constexpr uint64_t kHeadCountAt = 4;
constexpr uint64_t kHeadSize = 8;
constexpr uint64_t kDirEntrySize = 8;
constexpr uint64_t kDirOffsetAt = 0;
constexpr uint64_t kDirSizeAt = 4;
// Where the directory entry of group lies; DirEntryAt(count) is the first byte behind the
// directory, in front of which no record lies.
constexpr uint64_t DirEntryAt(uint64_t group) {
  return kHeadSize + kDirEntrySize * group;
}

// Record header: prefix (bit 7 set: removed or relocated), link, data length; the data follow.
// A link of EmptyAdr means the next record follows directly.
constexpr size_t kRecPrefixAt = 0;
constexpr size_t kRecLinkAt = 1;
constexpr size_t kRecLenAt = 5;
constexpr size_t kRecHeadSize = 7;
constexpr char kRemovedBit = static_cast<char>(0x80);
// The end marker closing every chain: a record of prefix 0, no link and the one data byte '@'.
constexpr char kEndByte = '@';
inline constexpr char kEndMarker[LenEof] = {0, '\xFF', '\xFF', '\xFF', '\xFF', 1, 0, kEndByte};

// Reference data appended to a program file are followed by a trailer of this size: the
// offset of the data in the program file, then their length, then zero bytes.
constexpr size_t kTrailerSize = 16;
constexpr size_t kTrailerOffsetAt = 0;
constexpr size_t kTrailerLengthAt = 4;

inline void PutLe16(char* p, uint16_t v) {
  p[0] = static_cast<char>(v & 0xFF);
  p[1] = static_cast<char>(v >> 8);
}
inline void PutLe32(char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
inline uint16_t GetLe16(const char* p) {
  return static_cast<uint16_t>(static_cast<unsigned char>(p[0]) |
                               (static_cast<unsigned char>(p[1]) << 8));
}
inline uint32_t GetLe32(const char* p) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i)
    v = (v << 8) | static_cast<unsigned char>(p[i]);
  return v;
}
inline void AppendLe16(std::string& out, uint16_t v) {
  char b[2];
  PutLe16(b, v);
  out.append(b, 2);
}
inline void AppendLe32(std::string& out, uint32_t v) {
  char b[4];
  PutLe32(b, v);
  out.append(b, 4);
}

// The record header of a record of len data bytes.
inline void PutRecordHead(char* p, int8_t prefix, uint32_t link, uint16_t len) {
  p[kRecPrefixAt] = static_cast<char>(prefix);
  PutLe32(p + kRecLinkAt, link);
  PutLe16(p + kRecLenAt, len);
}
// Appends a whole record, header and data.
inline void AppendRecord(std::string& out, int8_t prefix, uint32_t link, const char* data,
                         uint16_t len) {
  char head[kRecHeadSize];
  PutRecordHead(head, prefix, link, len);
  out.append(head, kRecHeadSize).append(data, len);
}
// True for the data of the end marker.
inline bool IsEndData(const char* data, uint16_t len) {
  return len == 1 && data[0] == kEndByte;
}
