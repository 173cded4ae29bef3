// Any bytes as the shared description file "Cfg#Dop.zev": the text index, the menu items of a form
// and the help table are read without a crash, and every item read is a sound one (key of at most
// 32 characters, level 0 or 1, the first of level 0). Shortcut and caption lists parse too.
#include "fuzz/support/Fuzz.h"
#include "messages/Mnudesc.h"
#include "messages/Zmsg.h"
#include "storage/Dwfile.h"

namespace {
TListFields Fields(const std::vector<TypeField>& types) {
  TListFields list;
  for (TypeField t : types)
    list.push_back({"F", t});
  return list;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInit();
  TFuzzInput in(data, size);
  const std::string formKey = in.Text(8);
  const std::string shortcut = in.Text(24);
  uint32_t code = 0;
  if (ParseShortcut(shortcut, code)) FUZZ_CHECK(code == 0 || (code & 0xFF) != 0);
  for (const auto& [key, n] : ParseTextMenu(shortcut))
    FUZZ_CHECK(key.size() <= shortcut.size() && n >= 0);
  const std::string path = FuzzDir() + "/Dop.zev";
  const std::string rest = in.Rest();
  FuzzWrite(path, reinterpret_cast<const uint8_t*>(rest.data()), rest.size());
  TListFields s898 = Fields({tfString, tfString, tfString});
  TListFields s899 = Fields(
      {tfDword, tfString, tfByte, tfString, tfString, tfString, tfString, tfString, tfString});
  WRec rec;
  WFile* file = nullptr;
  try {
    file = new WFile(path);
  } catch (const ZError&) {
    return 0;
  }
  file->LimitTotalVisits(64 * (rest.size() + 64));
  try {
    TTextIndex index;
    index.Build(*file, s898, &rec);
    std::string text;
    index.Find(formKey, true, text);
  } catch (const ZError&) {
  }
  try {
    std::vector<TMnuDescItem> items = ReadMenuItems(*file, s899, &rec, formKey);
    for (size_t i = 0; i < items.size(); ++i) {
      FUZZ_CHECK(items[i].ItemKey.size() <= kItemKeyLen);
      FUZZ_CHECK(items[i].Level == 0 || items[i].Level == 1);
      FUZZ_CHECK(i > 0 || items[i].Level == 0);
      FUZZ_CHECK(items[i].FormKey == formKey);
    }
  } catch (const ZError&) {
  }
  try {
    int context = 0;
    FindHelpContext(ReadHelpTable(*file, &rec), formKey, 1, context);
  } catch (const ZError&) {
  }
  try {
    delete file;
  } catch (const ZError&) {
  }
  return 0;
}
