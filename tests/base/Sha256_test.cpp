// SHA-256 against the standard test vectors, whole and fed in uneven pieces, in the portable
// rounds and in the processor's.
#include <gtest/gtest.h>

#include "base/Sha256.h"

// Both the portable rounds and, where the processor has them, its SHA extensions.
class TSha256Test : public ::testing::TestWithParam<bool> {
protected:
  void SetUp() override { Sha256Portable(GetParam()); }
  void TearDown() override { Sha256Portable(false); }
};
INSTANTIATE_TEST_SUITE_P(Rounds, TSha256Test, ::testing::Values(true, false));

TEST_P(TSha256Test, StandardVectors) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  // One million "a": many blocks, fed in pieces that straddle the block boundaries.
  TSha256 s;
  std::string piece(997, 'a');
  size_t left = 1000000;
  while (left) {
    size_t n = std::min(left, piece.size());
    s.Add(piece.data(), n);
    left -= n;
  }
  EXPECT_EQ(s.HexDigest(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST_P(TSha256Test, PaddingEdges) {
  // 55, 56 and 64 bytes put the length into the same or the next block.
  EXPECT_EQ(Sha256Hex(std::string(56, 'a')),
            "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a");
  EXPECT_EQ(Sha256Hex(std::string(55, 'a')),
            "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318");
  EXPECT_EQ(Sha256Hex(std::string(64, 'a')),
            "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb");
}
