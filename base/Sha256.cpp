// SHA-256 after FIPS 180-4: 64-byte blocks, 64 rounds, the length in bits closing the padding.
// Small and self-contained; speed is that of reading the file it digests.
#include "base/Sha256.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

inline uint32_t Rot(uint32_t x, int n) {
  return (x >> n) | (x << (32 - n));
}
} // namespace

TSha256::TSha256()
    : H{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
        0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19} {}

void TSha256::Block(const uint8_t* p) {
  uint32_t w[64];
  for (int i = 0; i < 16; ++i)
    w[i] = uint32_t(p[4 * i]) << 24 | uint32_t(p[4 * i + 1]) << 16 | uint32_t(p[4 * i + 2]) << 8 |
           p[4 * i + 3];
  for (int i = 16; i < 64; ++i) {
    uint32_t s0 = Rot(w[i - 15], 7) ^ Rot(w[i - 15], 18) ^ (w[i - 15] >> 3);
    uint32_t s1 = Rot(w[i - 2], 17) ^ Rot(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  uint32_t a = H[0], b = H[1], c = H[2], d = H[3], e = H[4], f = H[5], g = H[6], h = H[7];
  for (int i = 0; i < 64; ++i) {
    uint32_t t1 =
        h + (Rot(e, 6) ^ Rot(e, 11) ^ Rot(e, 25)) + ((e & f) ^ (~e & g)) + kRound[i] + w[i];
    uint32_t t2 = (Rot(a, 2) ^ Rot(a, 13) ^ Rot(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
    h = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  uint32_t add[8] = {a, b, c, d, e, f, g, h};
  for (int i = 0; i < 8; ++i)
    H[i] += add[i];
}

void TSha256::Add(const void* data, size_t size) {
  auto p = static_cast<const uint8_t*>(data);
  Total += size;
  while (size > 0) {
    size_t n = std::min(size, sizeof Buf - Fill);
    std::memcpy(Buf + Fill, p, n);
    Fill += n;
    p += n;
    size -= n;
    if (Fill == sizeof Buf) {
      Block(Buf);
      Fill = 0;
    }
  }
}

std::string TSha256::HexDigest() {
  uint64_t bits = Total * 8;
  uint8_t pad = 0x80;
  Add(&pad, 1);
  pad = 0;
  while (Fill != 56)
    Add(&pad, 1);
  uint8_t len[8];
  for (int i = 0; i < 8; ++i)
    len[i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
  Add(len, 8);
  static const char* hex = "0123456789abcdef";
  std::string out;
  for (uint32_t v : H)
    for (int s = 28; s >= 0; s -= 4)
      out += hex[(v >> s) & 15];
  return out;
}

std::string Sha256Hex(const std::string& data) {
  TSha256 s;
  s.Add(data.data(), data.size());
  return s.HexDigest();
}
