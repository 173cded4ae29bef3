// SHA-256 of byte strings and of data fed in pieces, as lower-case hexadecimal text.
// The history keeps it for every object before and after a change, to know it again later.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

class TSha256 {
public:
  TSha256();
  void Add(const void* data, size_t size);
  // The digest of everything added; the object is spent afterwards.
  std::string HexDigest();

private:
  void Block(const uint8_t* p);
  uint32_t H[8];
  uint8_t Buf[64];
  size_t Fill = 0;
  uint64_t Total = 0;
};

std::string Sha256Hex(const std::string& data);
// True when the rounds run in the processor's SHA extensions.
bool Sha256UsesCpu();
// Forces the portable rounds (true) or lets the processor's be used again (false), for tests.
void Sha256Portable(bool portable);
