// Binary search over byte keys, shared by the pointer-list and the flat-block forms.
#include "paths/Dlist.h"

#include <cstddef>
#include <cstring>

namespace {
int Compare(const char* a, const char* b, int len) {
  return len > 0 ? std::memcmp(a, b, static_cast<size_t>(len)) : 0; // memcmp: unsigned bytes
}
} // namespace

int SearchKeys(int n, const std::function<const char*(int)>& keyOf, const char* key, int keyLen,
               bool& found) {
  found = false;
  if (n == 0) return 0;
  if (Compare(key, keyOf(0), keyLen) < 0) return 0;
  if (Compare(key, keyOf(n - 1), keyLen) > 0) return n;
  int lo = 0, hi = n - 1;
  while (hi >= lo) {
    int mid = (lo + hi) / 2;
    int c = Compare(key, keyOf(mid), keyLen);
    if (c == 0) {
      found = true;
      return mid;
    }
    if (lo == hi) return c > 0 ? lo + 1 : lo;
    if (c < 0)
      hi = mid - 1;
    else
      lo = mid + 1;
  }
  return lo;
}

const char* ListItemKey(const void* item, int len, int offset, int base) {
  const char* at = static_cast<const char*>(item) + offset;
  if (len < 0) return at + base;
  const char* target; // a native pointer (8 bytes on 64-bit builds)
  std::memcpy(&target, at, sizeof target);
  return target + base;
}

int FindMemo(const char* block, const char* key, int count, int recSize, int keyLen, int keyOffset,
             bool& found) {
  return SearchKeys(
      count, [&](int i) { return block + static_cast<std::ptrdiff_t>(i) * recSize + keyOffset; },
      key, keyLen, found);
}

int InsertListMemo(char* block, const char* key, const char* rec, int recSize, int keyLen,
                   int keyOffset, int& count, bool& found) {
  int pos = FindMemo(block, key, count, recSize, keyLen, keyOffset, found);
  if (found) return pos;
  char* at = block + static_cast<std::ptrdiff_t>(pos) * recSize;
  std::memmove(at + recSize, at, static_cast<size_t>(count - pos) * static_cast<size_t>(recSize));
  std::memcpy(at, rec, static_cast<size_t>(recSize));
  ++count;
  return pos;
}

bool DeleteListMemo(char* block, int index, int recSize, int& count) {
  if (!block || index < 0 || index >= count) return true;
  --count;
  char* at = block + static_cast<std::ptrdiff_t>(index) * recSize;
  std::memmove(at, at + recSize, static_cast<size_t>(count - index) * static_cast<size_t>(recSize));
  std::memset(block + static_cast<std::ptrdiff_t>(count) * recSize, 0,
              static_cast<size_t>(recSize));
  return false;
}
