// Writes the seed corpora of the fuzz targets: small valid inputs made by the program's own code.
// Usage: fuzz_seeds DIR (one folder per target is created below DIR).
#include <algorithm>
#include <filesystem>
#include <iostream>

#include "fuzz/support/Fuzz.h"
#include "storage/Dutilfile.h"
#include "storage/Dwfile.h"
#include "tests/support/RecBytes.h"

namespace fs = std::filesystem;

namespace {
std::string gOut;

std::string Seed(const std::string& target, const std::string& name) {
  fs::create_directories(gOut + "/" + target);
  return gOut + "/" + target + "/" + name;
}
void SeedBytes(const std::string& target, const std::string& name, const std::string& bytes) {
  FuzzWrite(Seed(target, name), reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

// A composite file whose group 1 went through every in-place edit: it holds removed and
// relocated records and links.
void EditedFile(const std::string& path) {
  creat_bf(path, 3, "ravinel");
  WFile f(path);
  f.WCreat_file(1);
  for (const char* t : {"one", "two", "three"})
    f.WWrite(1, static_cast<unsigned short>(std::string(t).size()), t);
  f.WClose_file(1);
  unsigned long first = f.Dir[1].Offset;
  WRec rec;
  rec.Len = 4;
  std::copy_n("uno!", 4, rec.Data);
  f.WEditFile(weReplace, 1, first, 0, &rec);
  rec.Len = 4;
  std::copy_n("zero", 4, rec.Data);
  f.WEditFile(weInsert, 1, EmptyAdr, first, &rec);
  f.WEditFile(weDelete, 1, first + 10, 0, &rec);
}

void RecordSeeds() {
  const std::string t = "record";
  creat_bf(Seed(t, "empty3"), 3, nullptr);
  creat_bf(Seed(t, "version2"), 2);
  creat_bf(Seed(t, "none"), 0, nullptr);
  EditedFile(Seed(t, "edited"));
  std::string packed = Seed(t, "compressed");
  EditedFile(packed);
  compress_bf(packed, 0);
  {
    WFile s(Seed(t, "simple"), fmRewrite);
    s.WWrite(std::string("Д145"));
    s.WWrite(1, 5, "abcde");
  }
  // The byte example of the format: the opening of the program's reference file.
  std::string ref = Seed(t, "reference");
  BuildReferenceLike(ref);
  std::string head = FuzzRead(ref).substr(0, 0x200);
  SeedBytes(t, "reference-head", head);
  fs::remove(ref);
  // A removed record that links on, a jump back and the end marker: 16 -> 43 -> 27 -> 35.
  SeedBytes(t, "chain",
            Composite({{16, 25}}, Rec(-128, 43, "dead") + Rec(1, EmptyAdr, "x") + Marker() +
                                      Rec(2, 27, "to") + Marker()));
}

void MsgSeeds() {
  const std::string t = "msg";
  // number (16 bits), interface language, error code (32 bits), text
  SeedBytes(t, "notfound", std::string("\x01\x00\x01\x02\x00\x00\x00", 7) + "LSS#5.aru");
  SeedBytes(t, "longrec", std::string("\x0B\x00\x00\x05\x00\x00\x00", 7) + "f.bn|( 30000)|20000");
  SeedBytes(t, "system", std::string("\x63\x00\x01\x1C\x00\x00\x00", 7) + "name$|$$|x");
  SeedBytes(t, "missing", std::string("\xE7\x03\x00\x00\x00\x00\x00", 7) + "a|b\r\nc\nd\re|");
}

void WrapSeeds() {
  const std::string t = "wrap";
  // width, mode, char width, line height, rect left/top/width/height, text
  std::string head("\x50\x00\x00\x09\x0F\x00\x00\x00\x00\x50\x00\x60\x00", 13);
  SeedBytes(t, "words", head + "Сметная стоимость строительства, тыс. грн#итого");
  head[2] = 1;
  SeedBytes(t, "chars",
            head + "1234567890,123\x03"
                   "abc");
  head[2] = 0x52;
  SeedBytes(t, "line", head + "Заказчик, генподрядчик");
  head[2] = 0x84;
  SeedBytes(t, "blocks", head + "\x01ЛЖS10Д0000FF\x01Итого#\x01ПF\x01сумма#далее");
}
} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: fuzz_seeds DIR\n";
    return 2;
  }
  FuzzInit();
  gOut = argv[1];
  RecordSeeds();
  MsgSeeds();
  WrapSeeds();
  return 0;
}
