// Binary search over byte keys, shared by the pointer-list and the flat-block forms.
#include "paths/Dlist.h"

#include <algorithm>
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

namespace {
// Counts of inserted keys by rank, with prefix sums.
class TRankCounts {
public:
  explicit TRankCounts(size_t n) : Tree(n + 1, 0) {}
  void Add(size_t rank) {
    for (size_t i = rank + 1; i < Tree.size(); i += i & (~i + 1))
      ++Tree[i];
  }
  // Inserted keys of rank below rank.
  size_t Below(size_t rank) const {
    size_t sum = 0;
    for (size_t i = rank; i > 0; i -= i & (~i + 1))
      sum += Tree[i];
    return sum;
  }

private:
  std::vector<size_t> Tree;
};

// SearchKeys over n sorted keys of which below are smaller than the new key and equal are equal
// to it; the result as SearchKeys gives it.
size_t SearchPosition(size_t n, size_t below, size_t equal) {
  auto cmp = [&](size_t i) { return i < below ? 1 : i >= below + equal ? -1 : 0; };
  if (n == 0 || cmp(0) < 0) return 0;
  if (cmp(n - 1) > 0) return n;
  long lo = 0, hi = static_cast<long>(n) - 1;
  while (hi >= lo) {
    long mid = (lo + hi) / 2;
    int c = cmp(static_cast<size_t>(mid));
    if (c == 0) return static_cast<size_t>(mid);
    if (lo == hi) return static_cast<size_t>(c > 0 ? lo + 1 : lo);
    if (c < 0)
      hi = mid - 1;
    else
      lo = mid + 1;
  }
  return static_cast<size_t>(lo);
}
} // namespace

std::vector<size_t> KeyInsertionOrder(const std::vector<uint32_t>& keys) {
  std::vector<uint32_t> values(keys);
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
  TRankCounts counts(values.size());
  std::vector<std::vector<size_t>> runs(values.size()); // the equal keys of a rank, in order
  for (size_t i = 0; i < keys.size(); ++i) {
    size_t rank = static_cast<size_t>(std::lower_bound(values.begin(), values.end(), keys[i]) -
                                      values.begin());
    std::vector<size_t>& run = runs[rank];
    size_t below = counts.Below(rank);
    size_t pos = SearchPosition(i, below, run.size());
    size_t at = pos < below ? 0 : std::min(pos - below, run.size());
    run.insert(run.begin() + static_cast<std::ptrdiff_t>(at), i);
    counts.Add(rank);
  }
  std::vector<size_t> order;
  order.reserve(keys.size());
  for (const std::vector<size_t>& run : runs)
    order.insert(order.end(), run.begin(), run.end());
  return order;
}
