// Any program file as the carrier of the reference data: ExtractReference either writes a
// reference file that opens as 17 groups ending where the trailer says, or raises the
// no-reference error and leaves no reference file.
#include "fuzz/support/Fuzz.h"
#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "storage/Dwfile.h"
#include "workflow/Ucommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInit();
  std::string prog = FuzzDir() + "/prog", ref = FuzzDir() + "/oldnew145.bn";
  FuzzWrite(prog, data, size);
  FuzzRemove(ref);
  try {
    ExtractReference(prog, ref);
  } catch (const ZError& e) {
    FUZZ_CHECK(e.Number == MsgNoReference);
    FUZZ_CHECK(!FuzzExists(ref));
    return 0;
  }
  WFile f(ref);
  FUZZ_CHECK(f.Header.Count == 17);
  WRec rec;
  for (unsigned g = 0; g < 17; ++g)
    try {
      f.WOpen_file(g);
      while (f.WRead(&rec)) {
      }
    } catch (const ZError&) {
    }
  return 0;
}
