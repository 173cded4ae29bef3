// Any screen description: the table control reads screen N of a description file made of the
// input and then opens, paints, resizes and pages a list of three lines on whatever it built.
// A read either succeeds or raises ZError; the layout it leaves must stay consistent.
#include <memory>
#include <vector>

#include "fuzz/support/Fuzz.h"
#include "messages/Zmsg.h"
#include "storage/Dwfile.h"
#include "table/Fixedhost.h"
#include "table/Ztable.h"

namespace {

struct TLine {
  int8_t Prefix;
  std::string Data;
};

void CheckLayout(const TZTable& t) {
  const auto& cells = t.Cells();
  // Cells read before a failure are kept without a layout: no columns then.
  if (t.DataColumns() > 0) {
    FUZZ_CHECK(t.FirstDataCell() >= 0 && t.FirstDataCell() < static_cast<int>(cells.size()));
    FUZZ_CHECK(t.DataColumns() == static_cast<int>(cells.size()) - t.FirstDataCell());
  }
  FUZZ_CHECK(t.KindFields().size() == t.KindOutFields().size());
  for (size_t k = 0; k < t.KindOutFields().size(); ++k)
    for (const TZOutField& o : t.KindOutFields()[k])
      FUZZ_CHECK(o.FieldIndex >= -1 && o.FieldIndex < static_cast<int>(t.KindFields()[k].size()));
}

// The lines of the list, served from memory.
void Serve(TZTable& t, const std::vector<TLine>& lines, size_t& next) {
  t.TabInit = [&next](TZTable*) { next = 0; };
  t.TabRead = [&lines, &next](TZTable*, TypeRead type, TZTabIndex* index, WRec* rec) {
    size_t at = type == trIndex ? next++ : index->Adr;
    if (at >= lines.size()) return false;
    rec->Prefix = lines[at].Prefix;
    rec->Len = static_cast<uint16_t>(lines[at].Data.size());
    lines[at].Data.copy(rec->Data, lines[at].Data.size());
    index->Adr = static_cast<uint32_t>(at);
    return true;
  };
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInit();
  TFuzzInput in(data, size);
  int screen = in.U16();
  std::vector<TLine> lines;
  for (int i = 0; i < 3; ++i) {
    auto prefix = static_cast<int8_t>(in.Byte());
    lines.push_back({prefix, in.Text(255)});
  }
  std::string path = FuzzDir() + "/Screen.sfr";
  std::string rest = in.Rest();
  FuzzWrite(path, reinterpret_cast<const uint8_t*>(rest.data()), rest.size());
  std::unique_ptr<WFile> file;
  try {
    file = std::make_unique<WFile>(path);
  } catch (const ZError&) {
    return 0;
  }
  TFixedHost host(500, 300, 7, 14);
  TZTable t(&host);
  try {
    t.ReadDefScreen(screen, file.get());
  } catch (const ZError&) {
    // The control goes on with what was built, as the screen setter lets it.
  }
  CheckLayout(t);
  size_t next = 0;
  Serve(t, lines, next);
  t.SetCanVisible(true);
  t.SetHorLine(true);
  try {
    t.TabOpen(nullptr, 0);
    t.Paint();
    host.W = 260;
    host.H = 120;
    t.WMSize();
    t.Paint();
    t.WorkKey(kKeyPageDown);
    t.WorkKey(kKeyDown);
    t.Paint();
    t.TabClose();
  } catch (const ZError&) {
  }
  CheckLayout(t);
  return 0;
}
