// Any bytes as a record file: opened as composite (every group read, one group rewritten) and as
// simple (the chain read), then compressed. Damage may only raise ZError; a compression either
// keeps every group's records or leaves the file untouched.
#include <optional>
#include <vector>

#include "fuzz/support/Fuzz.h"
#include "messages/Zmsg.h"
#include "storage/Drec.h"
#include "storage/Dutilfile.h"
#include "storage/Dwfile.h"

namespace {
using TRecords = std::vector<std::string>;            // prefix byte followed by the data
using TGroups = std::vector<std::optional<TRecords>>; // none: the group cannot be read

std::optional<TRecords> ReadChain(WFile& f, std::optional<unsigned> group) {
  TRecords out;
  WRec rec;
  try {
    if (group) f.WOpen_file(*group);
    while (f.WRead(&rec))
      out.push_back(static_cast<char>(rec.Prefix) + std::string(rec.Data, rec.Len));
  } catch (const ZError&) {
    return std::nullopt;
  }
  return out;
}

// Every group, or none when the file does not open as composite.
std::optional<TGroups> ReadComposite(const std::string& path) {
  try {
    WFile f(path);
    TGroups groups;
    for (unsigned g = 0; g < f.Header.Count; ++g)
      groups.push_back(ReadChain(f, g));
    return groups;
  } catch (const ZError&) {
    return std::nullopt;
  }
}

void ReadSimple(const std::string& path) {
  try {
    WFile f(path, fmRead);
    ReadChain(f, std::nullopt);
  } catch (const ZError&) {
  }
}

// A new version of the last group must leave every other readable group as it was.
void RewriteLastGroup(const std::string& path, const TGroups& before) {
  if (before.empty()) return;
  unsigned last = static_cast<unsigned>(before.size() - 1);
  try {
    WFile f(path);
    f.WCreat_file(last);
    f.WWrite(std::string("fuzz"));
    f.WClose_file(last);
  } catch (const ZError&) {
    return;
  }
  std::optional<TGroups> after = ReadComposite(path);
  FUZZ_CHECK(after && after->size() == before.size());
  for (unsigned g = 0; g < last; ++g)
    if (before[g]) FUZZ_CHECK((*after)[g] == before[g]);
  FUZZ_CHECK((*after)[last] == TRecords{std::string("\0\4\0fuzz", 7)});
}

void Compress(const std::string& path, const std::string& bytes,
              const std::optional<TGroups>& before) {
  bool done = true;
  try {
    compress_bf(path, 0);
  } catch (const ZError&) {
    done = false;
  }
  FUZZ_CHECK(!FuzzExists(path + "$"));
  if (!done) {
    FUZZ_CHECK(FuzzRead(path) == bytes); // a failed compression leaves the file as it was
    return;
  }
  FUZZ_CHECK(before); // it compressed, so it opened
  for (const auto& g : *before)
    FUZZ_CHECK(g); // and every group was readable
  FUZZ_CHECK(ReadComposite(path) == before);
  FUZZ_CHECK(def_unused(path) == 0);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInit();
  std::string path = FuzzDir() + "/f.bn";
  FuzzWrite(path, data, size);
  std::string bytes(reinterpret_cast<const char*>(data), size);
  std::optional<TGroups> before = ReadComposite(path);
  ReadSimple(path);
  Compress(path, bytes, before);
  FuzzWrite(path, data, size);
  if (before) RewriteLastGroup(path, *before);
  FuzzRemove(path + "$$");
  return 0;
}
