// Writes the seed corpora of the fuzz targets: small valid inputs made by the program's own code.
// Usage: fuzz_seeds DIR SOURCE-DIR (one folder per target is created below DIR).
#include <algorithm>
#include <filesystem>
#include <iostream>

#include "fuzz/support/Fuzz.h"
#include "storage/Dutilfile.h"
#include "storage/Dwfile.h"
#include "paths/Rdwr_cfg.h"
#include "storage/Fun_struct.h"
#include "tests/support/RecBytes.h"
#include "tests/support/Tempdir.h"
#include "tools/demosuite/Demosuite.h"
#include "workflow/History.h"
#include "workflow/Objects.h"
#include "workflow/Refdata.h"

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
// Screens 222 and 210 of the demo suite, each in a file of two groups: its structure as group 0
// (the kind record is renumbered to it) and the screen as group 1; before the file the screen
// number and three lines of the screen's list.
void ScreenSeeds(const std::string& suite, WFile& boib, TTempDir& tmp) {
  const struct {
    int Screen, Structure;
    const char* List;
    TListInfo Info;
  } screens[] = {{222, 147, "/LSS/AdmSs.rus", ListInfoOf(1, 0)},
                 {210, 150, "/LBN/AdmBn.ukr", ListInfoOf(5, 0)}};
  WRec rec;
  for (const auto& s : screens) {
    std::string lines;
    WFile list(suite + s.List);
    list.WOpen_file(static_cast<unsigned long>(s.Info.Group));
    for (int i = 0; i < 3; ++i) {
      int len = list.WRead(&rec) ? std::min<int>(rec.Len, 255) : 0;
      lines += std::string(1, len ? rec.Prefix : '\0') + static_cast<char>(len) +
               std::string(rec.Data, static_cast<size_t>(len));
    }
    std::string file = tmp / "screen.sfr";
    fs::remove(file);
    creat_bf(file, 2, nullptr);
    {
      WFile one(file);
      for (int g : {0, 1}) {
        one.WCreat_file(static_cast<unsigned long>(g));
        boib.WOpen_file(static_cast<unsigned long>(g == 0 ? s.Structure : s.Screen));
        for (int i = 0; boib.WRead(&rec); ++i) {
          if (g == 1 && i == 1) std::fill_n(rec.Data, 4, '\0'); // the kind's structure: 0
          one.WWrite(&rec);
        }
        one.WClose_file(static_cast<unsigned long>(g));
      }
    }
    compress_bf(file, 0);
    SeedBytes("screen", "s" + std::to_string(s.Screen),
              std::string("\x01\x00", 2) + lines + FuzzRead(file));
  }
}

void SuiteSeeds(const std::string& srcDir) {
  TTempDir tmp;
  std::string ref = tmp / "ref.bn", suite = tmp / "suite";
  BuildReferenceFile(ParseRefSource(FuzzRead(srcDir + "/workflow/refdata/p145.txt")), ref);
  TDemoOptions options;
  options.Projects = 3;
  options.Blocks = 1;
  CreateDemoSuite(suite, ref, options);
  // Structure descriptions: each of the four structures as group 0 of a small file, with a
  // record of it from a list file.
  WFile boib(suite + "/CFG/Boib.sfr");
  const struct {
    int Number;
    const char* List;
    int Group;
  } structs[] = {
      {147, "/LSS/AdmSs.rus", 1}, {150, "/LBN/AdmBn.ukr", 0}, {166, nullptr, 0}, {169, nullptr, 0}};
  WRec rec;
  for (const auto& s : structs) {
    std::string record;
    if (s.List) {
      WFile list(suite + s.List);
      unsigned g = s.Group;
      for (unsigned i = 0; i < list.Header.Count && record.empty(); ++i)
        if (list.Dir[i].Size > LenEof) g = i;
      list.WOpen_file(g);
      if (list.WRead(&rec)) record.assign(rec.Data, std::min<size_t>(rec.Len, 255));
    }
    std::string file = tmp / "one.sfr";
    fs::remove(file);
    creat_bf(file, 1, nullptr);
    {
      WFile one(file);
      one.WCreat_file(0);
      boib.WOpen_file(static_cast<unsigned long>(s.Number));
      // The two records the table control reads are skipped by the structure reader: keep
      // them short.
      for (int skip = 0; skip < 2 && boib.WRead(&rec); ++skip)
        one.WWrite(0, 1, "t");
      while (boib.WRead(&rec))
        one.WWrite(&rec);
      one.WClose_file(0);
    }
    compress_bf(file, 0);
    SeedBytes("struct", "s" + std::to_string(s.Number),
              std::string(1, static_cast<char>(record.size())) + record + FuzzRead(file));
  }
  ScreenSeeds(suite, boib, tmp);
  // The shared description file of the demo forms: form key, shortcut text, then the file.
  // form key (length byte, text), shortcut or caption list (length byte, text), then the file
  const std::string dop = FuzzRead(suite + "/CFG/Dop.zev");
  SeedBytes("mnudesc", "demo", std::string("\x04") + "Ф118" + "\x08" + "Ctrl+Ins" + dop);
  SeedBytes("mnudesc", "list", std::string("\x04") + "Ф119" + "\x0c" + "mDel=2;aOne=" + dop);
  // Alias tables: the suite's own (absolute paths, a two-language alias).
  // language, name count, names (length byte, text), then the table
  SeedBytes("alias", "suite",
            std::string("\x01\x04\x09LSS#5.aru\x0bNSI#tab.dbf\x06"
                        "cfg#x1\x01#") +
                FuzzRead(suite + "/CFG/alias.zev"));
  // Program files: an empty 17-group file and the real reference data, each with the trailer.
  std::string empty17 = tmp / "e.bn";
  creat_bf(empty17, 17, nullptr);
  for (const auto& [name, data] :
       {std::pair<std::string, std::string>{"empty17", FuzzRead(empty17)},
        {"reference", FuzzRead(ref)}}) {
    std::string code(64, '\x7F');
    uint32_t off = static_cast<uint32_t>(code.size()), len = static_cast<uint32_t>(data.size());
    std::string trailer = Le32(off) + Le32(len) + std::string(8, '\0');
    SeedBytes("trailer", name, code + data + trailer);
  }
}

// A change of two projects, the second cut short by a crash, and an undo of the first.
void JournalSeeds() {
  auto head = [](const char* kind) {
    TJsonLine l;
    l.Put("rec", "batch").Put("batch", "20261211T012345Z-1").Put("kind", kind);
    l.Put("started", "2026-12-11T01:23:45Z").Put("host", "office-3").Put("user", "ivan");
    l.Put("pid", int64_t(4711)).Put("list", "LSS#AdmSs.ukr").Put("typesub", int64_t(1));
    l.Put("typebn", int64_t(0)).Put("doc_lang", "ukr").Put("reference", "program");
    if (std::string(kind) == "undo") l.Put("undoes", "20261210T080000Z-9");
    return l.Json() + "\n";
  };
  auto intent = [](int n, int number) {
    TJsonLine l;
    l.Put("rec", "intent").Put("n", int64_t(n)).Put("number", int64_t(number)).Put("variant", "");
    l.Put("file", "LSS#" + std::to_string(number) + ".aru").Put("adr", int64_t(1024 + 64 * n));
    l.Put("flags_before", int64_t(0)).Put("state", "replaceable");
    l.Put("sha_before", std::string(64, 'a')).Put("size", int64_t(4096));
    l.Put("backup", BackupName(n, "LSS#" + std::to_string(number) + ".aru"));
    return l.Json() + "\n";
  };
  TJsonLine out, end;
  out.Put("rec", "outcome").Put("n", int64_t(0)).Put("result", "changed");
  out.Put("sha_after", std::string(64, 'b')).Put("message", "Об'єкт: попередження \"x\"");
  end.Put("rec", "end").Put("ended", "2026-12-11T01:24:00Z");
  SeedBytes("journal", "change", head("change") + intent(0, 5) + intent(1, 7) + out.Json() + "\n" +
                                     end.Json() + "\n");
  SeedBytes("journal", "cut-short", head("change") + intent(0, 5) + intent(1, 7) + "{\"rec\":\"out");
  SeedBytes("journal", "undo", head("undo") + intent(0, 5) + out.Json() + "\n");
}

void LangSeeds() {
  const std::string t = "lang";
  // language, printable, length + 16, text
  SeedBytes(t, "both", std::string("\x01\x00\x10\x04", 4) + "Смета\x05Кошторис");
  SeedBytes(t, "ukr", std::string("\x00\x00\x10\x04", 4) + "Смета\x05Кошторис");
  SeedBytes(t, "printable", std::string("\x01\x01\x14", 3) + "^Итого&Разом");
  SeedBytes(t, "plain", std::string("\x02\x00\x10", 3) + "без маркеров");
}
} // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: fuzz_seeds DIR SOURCE-DIR\n";
    return 2;
  }
  FuzzInit();
  gOut = argv[1];
  RecordSeeds();
  MsgSeeds();
  WrapSeeds();
  LangSeeds();
  JournalSeeds();
  SuiteSeeds(argv[2]);
  return 0;
}
