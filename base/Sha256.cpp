// SHA-256 after FIPS 180-4: 64-byte blocks, 64 rounds, the length in bits closing the padding.
// Small and self-contained; speed is that of reading the file it digests.
#include "base/Sha256.h"

#include <algorithm>
#include <cstring>
#if defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#endif

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

bool gPortable = false;

#if defined(__x86_64__)
// The rounds in the processor's SHA extensions: four rounds per two instructions, the message
// schedule in two more; the state is kept as the pairs ABEF and CDGH they work on.
__attribute__((target("sha,sse4.1"))) void CpuBlocks(uint32_t h[8], const uint8_t* p,
                                                     size_t blocks) {
  const __m128i order = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
  __m128i tmp = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h)), 0xB1);
  __m128i s1 = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h + 4)), 0x1B);
  __m128i s0 = _mm_alignr_epi8(tmp, s1, 8);
  s1 = _mm_blend_epi16(s1, tmp, 0xF0);
  for (; blocks > 0; --blocks, p += 64) {
    __m128i abef = s0, cdgh = s1, w[4];
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i)
      w[i] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i)), order);
#pragma GCC unroll 16
    for (int g = 0; g < 16; ++g) {
      __m128i msg = _mm_add_epi32(
          w[g & 3], _mm_loadu_si128(reinterpret_cast<const __m128i*>(kRound + 4 * g)));
      s1 = _mm_sha256rnds2_epu32(s1, s0, msg);
      s0 = _mm_sha256rnds2_epu32(s0, s1, _mm_shuffle_epi32(msg, 0x0E));
      if (g < 12) {
        __m128i t = _mm_sha256msg1_epu32(w[g & 3], w[(g + 1) & 3]);
        t = _mm_add_epi32(t, _mm_alignr_epi8(w[(g + 3) & 3], w[(g + 2) & 3], 4));
        w[g & 3] = _mm_sha256msg2_epu32(t, w[(g + 3) & 3]);
      }
    }
    s0 = _mm_add_epi32(s0, abef);
    s1 = _mm_add_epi32(s1, cdgh);
  }
  tmp = _mm_shuffle_epi32(s0, 0x1B);
  s1 = _mm_shuffle_epi32(s1, 0xB1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(h), _mm_blend_epi16(tmp, s1, 0xF0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(h + 4), _mm_alignr_epi8(s1, tmp, 8));
}

// Asked of the processor itself: leaf 1 has SSE4.1 (ECX bit 19), leaf 7 the SHA extensions
// (EBX bit 29). Both compilers know these leaves; not every one names "sha" as a feature.
bool AskCpuSha() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & (1u << 19))) return false;
  if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return false;
  return (b & (1u << 29)) != 0;
}

bool CpuHasSha() {
  static const bool has = AskCpuSha();
  return has;
}
#else
void CpuBlocks(uint32_t*, const uint8_t*, size_t) {}
bool CpuHasSha() {
  return false;
}
#endif
} // namespace

bool Sha256UsesCpu() {
  return !gPortable && CpuHasSha();
}

void Sha256Portable(bool portable) {
  gPortable = portable;
}

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
  if (Fill == 0 && size >= 64 && Sha256UsesCpu()) { // whole blocks straight from the input
    size_t blocks = size / 64;
    CpuBlocks(H, p, blocks);
    p += blocks * 64;
    size -= blocks * 64;
  }
  while (size > 0) {
    size_t n = std::min(size, sizeof Buf - Fill);
    std::memcpy(Buf + Fill, p, n);
    Fill += n;
    p += n;
    size -= n;
    if (Fill == sizeof Buf) {
      if (Sha256UsesCpu())
        CpuBlocks(H, Buf, 1);
      else
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
