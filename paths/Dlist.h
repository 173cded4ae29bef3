// Sorted key search: binary search and insertion over lists of item pointers and over flat blocks
// of fixed-size records. Keys compare as unsigned bytes over a fixed length.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// Position of key among n entries whose keys keyOf(i) yields: the index of an equal entry (found
// true) or the index at which key must be inserted to keep the order.
int SearchKeys(int n, const std::function<const char*(int)>& keyOf, const char* key, int keyLen,
               bool& found);

// Where the key of a list item lies: len < 0: -len bytes at item + offset + base; len > 0: item
// holds at item + offset a pointer, and len bytes at that pointer + base are the key.
const char* ListItemKey(const void* item, int len, int offset, int base);

template <class T>
int FindList(const std::vector<T*>& list, const char* key, int len, int offset, int base,
             bool& found) {
  return SearchKeys(
      static_cast<int>(list.size()),
      [&](int i) { return ListItemKey(list[static_cast<size_t>(i)], len, offset, base); }, key,
      len < 0 ? -len : len, found);
}

// Finds key (base 0) and inserts item at the position when it is absent; returns the position.
template <class T>
int InsertList(std::vector<T*>& list, const char* key, T* item, int len, int offset, bool& found) {
  int pos = FindList(list, key, len, offset, 0, found);
  if (!found) list.insert(list.begin() + pos, item);
  return pos;
}

// Record i of block starts at block + i * recSize; its key keyLen bytes at keyOffset.
int FindMemo(const char* block, const char* key, int count, int recSize, int keyLen, int keyOffset,
             bool& found);
// Inserts rec in key order when its key is absent (the block must have room for one more).
int InsertListMemo(char* block, const char* key, const char* rec, int recSize, int keyLen,
                   int keyOffset, int& count, bool& found);
// Removes record index, zero-filling the freed last record; false when deleted.
bool DeleteListMemo(char* block, int index, int recSize, int& count);

// The order that inserting 32-bit keys one by one (most significant byte first, as FindList
// compares them) with InsertList's search gives, equal keys included: an equal key goes ahead of
// the equal key the binary search meets. Returns the indices of keys in that order. The search
// path depends only on how many inserted keys are below and equal to the new one, so no entries
// move: O(n log n) instead of the quadratic insertion.
std::vector<size_t> KeyInsertionOrder(const std::vector<uint32_t>& keys);
