// Any structure description and any record: CreatDefRecord reads the description from a screen
// description file, and the record goes through unpack/pack round-trips. A second round-trip
// must give the bytes of the first, and every field's display text must be produced.
#include "fuzz/support/Fuzz.h"
#include "messages/Zmsg.h"
#include "storage/Dwfile.h"
#include "storage/Fun_struct.h"

namespace {
// Unpacks rec and packs the image into out; returns the packed bytes.
std::string RoundTrip(const TListFields& list, const WRec& rec, WRec& out) {
  TRecImage image(ImageSize(list));
  RecStruct(&list, &rec, image);
  StructRec(&list, image, &out, 0);
  return std::string(out.Data, out.Len);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInit();
  TFuzzInput in(data, size);
  std::string record = in.Text(255);
  std::string path = FuzzDir() + "/Boib.sfr";
  std::string rest = in.Rest();
  FuzzWrite(path, reinterpret_cast<const uint8_t*>(rest.data()), rest.size());
  TListFields list;
  WRec rec;
  try {
    Boib = new WFile(path);
  } catch (const ZError&) {
    return 0;
  }
  try {
    CreatDefRecord(0, &list, &rec);
  } catch (const ZError&) {
    list.clear();
  }
  delete Boib;
  Boib = nullptr;
  if (list.empty()) return 0;
  // The record as the list file would hold it.
  rec.Len = static_cast<uint16_t>(record.size());
  std::copy(record.begin(), record.end(), rec.Data);
  try {
    CreatStructRecord(&list, &rec);
    for (int i = 0; i < static_cast<int>(list.size()); ++i) {
      bool found = false;
      int index = i;
      GetValueUnPack(&list, "", index, &rec, found, (i & 1) != 0);
    }
    WRec once, twice;
    std::string first = RoundTrip(list, rec, once);
    std::string second = RoundTrip(list, once, twice);
    FUZZ_CHECK(first == second);
  } catch (const ZError&) {
  }
  return 0;
}
