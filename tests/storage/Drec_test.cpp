// Record buffers and the buffer pool.
#include <gtest/gtest.h>

#include "messages/Zmsg.h"
#include "storage/Drec.h"

namespace {
struct Pool : ::testing::Test {
  void SetUp() override { InitBuf(); }
  void TearDown() override { DeInitBuf(); }
};
} // namespace

TEST(WRecTest, DefaultAndSizedBuffers) {
  WRec r;
  EXPECT_EQ(r.Adr, EmptyAdr);
  EXPECT_EQ(r.Len, 0);
  EXPECT_EQ(r.Prefix, 0);
  EXPECT_EQ(r.Capacity(), 20000);
  r.Data[19999] = 'x'; // the whole buffer is usable
  WRec small(10);
  EXPECT_EQ(small.Capacity(), 10);
}

TEST_F(Pool, FirstFitReuseAndKeepsContent) {
  WRec* a = GetBuf();
  WRec* b = GetBuf();
  EXPECT_NE(a, b);
  a->Len = 77;
  FreeBuf(a);
  EXPECT_EQ(GetBuf(), a);
  EXPECT_EQ(a->Len, 77);
  EXPECT_EQ(BufPoolSize(), 2);
}

TEST_F(Pool, KeepsAtMostSixteenIdleBuffers) {
  std::vector<WRec*> held;
  for (int i = 0; i < 17; ++i)
    held.push_back(GetBuf());
  EXPECT_EQ(BufPoolSize(), 17);
  FreeBuf(held[0]); // 17 entries: destroyed
  EXPECT_EQ(BufPoolSize(), 16);
  FreeBuf(held[1]); // 16 entries: destroyed
  EXPECT_EQ(BufPoolSize(), 15);
  FreeBuf(held[2]); // 15 entries: stays as a free entry
  EXPECT_EQ(BufPoolSize(), 15);
  EXPECT_EQ(GetBuf(), held[2]);
}

TEST_F(Pool, FreeingForeignOrFreeBufferRaisesFour) {
  WRec own;
  try {
    FreeBuf(&own);
    FAIL();
  } catch (const ZError& e) {
    EXPECT_EQ(e.Number, 4);
    EXPECT_EQ(e.Message, "");
  }
  WRec* a = GetBuf();
  FreeBuf(a);
  EXPECT_THROW(FreeBuf(a), ZError);
  EXPECT_EQ(BufPoolSize(), 1);
}
