// Sorted key search over pointer lists and flat record blocks.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "paths/Dlist.h"

namespace {
struct TEntry {
  int Tag;
  char Key[4];
};

std::vector<TEntry> MakeEntries(const std::vector<std::string>& keys) {
  std::vector<TEntry> out;
  for (const std::string& k : keys) {
    TEntry e{0, {}};
    std::memcpy(e.Key, k.data(), 4);
    out.push_back(e);
  }
  return out;
}

std::vector<TEntry*> Pointers(std::vector<TEntry>& entries) {
  std::vector<TEntry*> list;
  for (TEntry& e : entries)
    list.push_back(&e);
  return list;
}

constexpr int kInside = -4; // the key lies inside the item
constexpr int kOffset = offsetof(TEntry, Key);

TEST(FindList, OrderRules) {
  std::vector<TEntry*> empty;
  bool found = true;
  EXPECT_EQ(FindList(empty, "AAAA", kInside, kOffset, 0, found), 0);
  EXPECT_FALSE(found);

  auto entries = MakeEntries({"BBBB", "DDDD", "FFFF", "HHHH", "JJJJ"});
  auto list = Pointers(entries);
  EXPECT_EQ(FindList(list, "BBBB", kInside, kOffset, 0, found), 0);
  EXPECT_TRUE(found);
  EXPECT_EQ(FindList(list, "AAAA", kInside, kOffset, 0, found), 0);
  EXPECT_FALSE(found);
  EXPECT_EQ(FindList(list, "ZZZZ", kInside, kOffset, 0, found), 5);
  EXPECT_FALSE(found);
  const char* keys[] = {"DDDD", "FFFF", "HHHH", "JJJJ"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(FindList(list, keys[i], kInside, kOffset, 0, found), i + 1);
    EXPECT_TRUE(found);
  }
  const char* gaps[] = {"CCCC", "EEEE", "GGGG", "IIII"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(FindList(list, gaps[i], kInside, kOffset, 0, found), i + 1) << gaps[i];
    EXPECT_FALSE(found);
  }
  // base shifts the key inside the item; a 2-byte key "DD" matches the tail of "DDDD".
  EXPECT_EQ(FindList(list, "FF", -2, kOffset, 2, found), 2);
  EXPECT_TRUE(found);
}

TEST(FindList, BytesCompareUnsigned) {
  auto entries = MakeEntries({"AAAA", "\x41zzz"});
  auto list = Pointers(entries);
  bool found;
  EXPECT_EQ(FindList(list,
                     "\xC0"
                     "AAA",
                     kInside, kOffset, 0, found),
            2);
  EXPECT_FALSE(found);
}

TEST(FindList, KeyBehindAPointer) {
  struct TRef {
    int Tag;
    const char* Key;
  };
  TRef a{0, "xxAB"}, b{0, "xxCD"};
  std::vector<TRef*> list{&a, &b};
  bool found;
  EXPECT_EQ(FindList(list, "CD", 2, offsetof(TRef, Key), 2, found), 1);
  EXPECT_TRUE(found);
  EXPECT_EQ(FindList(list, "BB", 2, offsetof(TRef, Key), 2, found), 1);
  EXPECT_FALSE(found);
}

TEST(InsertList, InsertsAbsentKeysInOrder) {
  auto entries = MakeEntries({"MMMM", "CCCC", "ZZZZ", "AAAA",
                              "\xC0"
                              "000",
                              "MMMM"});
  std::vector<TEntry*> list;
  bool found;
  int positions[6];
  for (int i = 0; i < 6; ++i)
    positions[i] = InsertList(list, entries[static_cast<size_t>(i)].Key,
                              &entries[static_cast<size_t>(i)], kInside, kOffset, found);
  EXPECT_TRUE(found); // the second MMMM
  EXPECT_EQ(positions[5], 2);
  ASSERT_EQ(list.size(), 5u);
  std::string order;
  for (TEntry* e : list)
    order += e->Key[0];
  EXPECT_EQ(order, "ACMZ\xC0");
  EXPECT_EQ(positions[2], 2); // ZZZZ appended after C and M
}

TEST(Memo, InsertFindDelete) {
  constexpr int kRec = 8;
  char block[kRec * 6] = {};
  int count = 0;
  bool found;
  const char* recs[] = {"k3......", "k1......", "k5......", "k2......", "k1xxxxxx"};
  for (const char* r : recs)
    InsertListMemo(block, r, r, kRec, 2, 0, count, found);
  EXPECT_TRUE(found); // k1 twice: the block keeps the first
  ASSERT_EQ(count, 4);
  EXPECT_EQ(std::string(block, kRec * 4), "k1......k2......k3......k5......");
  EXPECT_EQ(FindMemo(block, "k4", count, kRec, 2, 0, found), 3);
  EXPECT_FALSE(found);
  EXPECT_EQ(FindMemo(block, "k5", count, kRec, 2, 0, found), 3);
  EXPECT_TRUE(found);
  // Keys at an offset inside the record.
  EXPECT_EQ(FindMemo(block, "2.", count, kRec, 2, 1, found), 1);
  EXPECT_TRUE(found);

  EXPECT_FALSE(DeleteListMemo(block, 1, kRec, count));
  EXPECT_EQ(count, 3);
  EXPECT_EQ(std::string(block, kRec * 4),
            std::string("k1......k3......k5......") + std::string(8, '\0'));
  EXPECT_TRUE(DeleteListMemo(block, 3, kRec, count));
  EXPECT_TRUE(DeleteListMemo(nullptr, 0, kRec, count));
  EXPECT_EQ(count, 3);
}

TEST(Memo, DeleteLastOfThreeLeavesZeros) {
  char block[24];
  std::memcpy(block, "aaaaaaaabbbbbbbbcccccccc", 24);
  int count = 3;
  EXPECT_FALSE(DeleteListMemo(block, 2, 8, count));
  EXPECT_EQ(count, 2);
  EXPECT_EQ(std::string(block, 24), std::string("aaaaaaaabbbbbbbb") + std::string(8, '\0'));
}
} // namespace

namespace {
// The order that inserting each key one by one at the position SearchKeys reports gives
// (found or not), the way the table control builds its index.
std::vector<size_t> NaiveInsertionOrder(const std::vector<uint32_t>& keys) {
  std::vector<std::array<char, 4>> sorted;
  std::vector<size_t> order;
  for (size_t i = 0; i < keys.size(); ++i) {
    std::array<char, 4> key;
    for (int b = 0; b < 4; ++b)
      key[b] = static_cast<char>(keys[i] >> (24 - 8 * b));
    bool found = false;
    int pos = SearchKeys(
        static_cast<int>(sorted.size()),
        [&](int j) { return sorted[static_cast<size_t>(j)].data(); }, key.data(), 4, found);
    sorted.insert(sorted.begin() + pos, key);
    order.insert(order.begin() + pos, i);
  }
  return order;
}
} // namespace

TEST(KeyInsertionOrder, EqualsOneByOneInsertionWithEqualKeys) {
  uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1103515245u + 12345u; };
  // Few distinct keys (long runs of equal keys), many, and keys differing only in high bytes.
  for (uint32_t spread : {1u, 2u, 3u, 7u, 50u, 1000u, 0xFFFFFFFFu}) {
    for (size_t n : {0u, 1u, 2u, 5u, 33u, 400u}) {
      std::vector<uint32_t> keys;
      for (size_t i = 0; i < n; ++i)
        keys.push_back(spread == 0xFFFFFFFFu ? next() : (next() >> 8) % spread * 0x01000001u);
      EXPECT_EQ(KeyInsertionOrder(keys), NaiveInsertionOrder(keys))
          << "spread " << spread << ", " << n << " keys";
    }
  }
}

TEST(KeyInsertionOrder, SortedAndReversedInput) {
  std::vector<uint32_t> up, down;
  for (uint32_t i = 0; i < 300; ++i) {
    up.push_back(i / 3);
    down.push_back(1000 - i / 4);
  }
  EXPECT_EQ(KeyInsertionOrder(up), NaiveInsertionOrder(up));
  EXPECT_EQ(KeyInsertionOrder(down), NaiveInsertionOrder(down));
}
