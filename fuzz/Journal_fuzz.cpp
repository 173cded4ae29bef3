// Any bytes as the journal of a batch: read and checked, never a file named outside the suite
// taken, and every line read writes back as itself.
#include <filesystem>
#include <unistd.h>

#include "fuzz/support/Fuzz.h"
#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "paths/Dpath.h"
#include "paths/Rdwr_cfg.h"
#include "storage/Dwfile.h"
#include "workflow/History.h"

namespace {
constexpr const char* kBatch = "20261211T012345Z-1";

// A suite's configuration: the aliases of the object files and an empty configuration record.
void MakeSuite() {
  std::string dir = FuzzDir();
  for (const char* a : {"CFG", "LSS", "LDC", "LPD", "LBN"})
    std::filesystem::create_directories(dir + "/" + a);
  std::filesystem::create_directories(dir + "/CFG/ravinel-history/" + kBatch);
  std::string cfg(CfgSize, '\0');
  FuzzWrite(dir + "/CFG/cfg.zev", reinterpret_cast<const uint8_t*>(cfg.data()), cfg.size());
  {
    WFile f(dir + "/CFG/alias.zev", fmCreate);
    for (const char* a : {"CFG", "LSS", "LDC", "LPD", "LBN"}) {
      std::string text = std::string(a) + "#" + dir + "/" + a + "/";
      f.WWrite('\0', static_cast<unsigned short>(text.size()), text.data());
    }
  }
  if (chdir(dir.c_str()) != 0) FuzzFail("chdir");
  InitPath(true);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInit();
  static bool ready = false;
  if (!ready) {
    MakeSuite();
    ready = true;
  }
  std::string path = FuzzDir() + "/CFG/ravinel-history/" + kBatch + "/journal.jsonl";
  FuzzWrite(path, data, size);
  try {
    for (const TJsonLine& l : ReadJournalFile(path).Lines)
      FUZZ_CHECK(ParseJsonLine(l.Json()).Json() == l.Json());
  } catch (const ZError& e) {
    FUZZ_CHECK(e.Number == MsgBadJournal);
  }
  try {
    TBatchInfo b = ReadBatch(kBatch);
    for (const TBatchEntry& e : b.Objects) {
      FUZZ_CHECK(e.Backup.find('/') == std::string::npos && e.Backup.find("..") == std::string::npos);
      FUZZ_CHECK(e.File == ObjectFileName(b.ListInfo(), e.Number, e.Variant, b.DocRussian()));
      FUZZ_CHECK(!e.File.empty());
    }
  } catch (const ZError& e) {
    FUZZ_CHECK(e.Number == MsgBadJournal || e.Number == MsgOutsideSuite ||
               e.Number == MsgBadBatchName || e.Number == MsgNoBatch || e.Number == 0);
  }
  return 0;
}
