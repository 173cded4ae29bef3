// The P145 calculation of an object file against the reference groups: the comparison, the
// replacement between its neighbours and the choice of groups by kind and language.
#include "tests/workflow/WorkflowFixture.h"

#include "storage/Dutilfile.h"
#include "workflow/P145.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

using TRecs = std::vector<TRefRecord>;

TRecs Other(const char* code, int results) {
  TRecs r = {{0, PackText(code) + PackText("Другой расчет")}, {1, PackText(code) + "\x01\x00\x01"}};
  r.push_back({2, PackText(code)});
  for (int i = 1; i <= results; ++i)
    r.push_back({3, PackText(code) + static_cast<char>(i) + '\0' + static_cast<char>(i == results) +
                        PackText("x")});
  return r;
}

TRecs Cat(std::initializer_list<TRecs> parts) {
  TRecs out;
  for (const TRecs& p : parts)
    out.insert(out.end(), p.begin(), p.end());
  return out;
}

void WriteObject(const std::string& path, const TRecs& calc) {
  if (fs::exists(path)) fs::remove(path);
  creat_bf(path, 150);
  WFile f(path);
  f.WCreat_file(109);
  for (const TRefRecord& r : calc)
    f.WWrite(r.Prefix, static_cast<unsigned short>(r.Data.size()), r.Data.data());
  f.WClose_file(109);
}

TRecs ReadCalc(const std::string& path) {
  WFile f(path);
  WRec rec;
  TRecs out;
  f.WOpen_file(109);
  while (f.WRead(&rec))
    out.push_back({rec.Prefix, std::string(rec.Data, rec.Len)});
  return out;
}

bool Same(const TRecs& a, const TRecs& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].Prefix != b[i].Prefix || a[i].Data != b[i].Data) return false;
  return true;
}

class TCalcTest : public TSuiteFixture {
protected:
  void SetUp() override {
    TSuiteFixture::SetUp();
    Start();
    Obj = Root + "/object.bin";
  }
  void TearDown() override {
    Close();
    TSuiteFixture::TearDown();
  }
  void Open(const TRecs& calc) {
    Close();
    WriteObject(Obj, calc);
    File = new WFile(Obj);
  }
  void Close() {
    delete File;
    File = nullptr;
  }
  bool Compare(int refGroup) { return CompareP145(*File, 109, *FileRef, refGroup); }
  void Replace(int refGroup) { ReplaceP145(*File, 109, *FileRef, refGroup, Scratch); }
  bool Change(int8_t kind, unsigned char russian) {
    return ChangeP145(*File, 109, *FileRef, kind, russian, Scratch);
  }
  std::string Obj;
  WFile* File = nullptr; // the object file
  WRec Scratch;
};

} // namespace

TEST_F(TCalcTest, ComparisonCoversSourceLinesAndFirstResultLineOnly) {
  Open(RefRecords(0));
  EXPECT_TRUE(Compare(0));
  EXPECT_FALSE(Compare(8));
  EXPECT_FALSE(Compare(4)); // the Ukrainian old calculation

  TRecs later = RefRecords(0);
  later.back().Data += "z"; // the final line differs
  Open(later);
  EXPECT_TRUE(Compare(0));

  TRecs longTitle = RefRecords(0);
  longTitle[0].Data += PackText("Расчет инфляции");
  Open(Cat({Other("Д130", 2), longTitle}));
  EXPECT_TRUE(Compare(0));

  for (size_t at : {size_t(8), size_t(12), size_t(20)}) { // flag byte, name, name
    TRecs first = RefRecords(0);
    size_t r = 1 + 7 + 1; // the first result line
    ASSERT_EQ(first[r].Prefix, 3);
    first[r].Data[at] ^= 1;
    Open(first);
    EXPECT_FALSE(Compare(0)) << at;
    EXPECT_FALSE(Compare(8)) << at;
  }
  TRecs prefix = RefRecords(0);
  prefix[3].Prefix = 5;
  Open(prefix);
  EXPECT_FALSE(Compare(0));

  Open(Other("Д130", 3)); // no P145 title
  EXPECT_FALSE(Compare(0));
  TRecs cut = RefRecords(0);
  cut.resize(9); // ends with the separator
  Open(cut);
  EXPECT_FALSE(Compare(0));
}

TEST_F(TCalcTest, ReplacementKeepsTheNeighbours) {
  TRecs before = Other("Д130", 2), after = Other("Д150", 3);
  TRecs old = RefRecords(0);
  old.back().Data += "z";
  Open(Cat({before, old, after}));
  Replace(8);
  Close();
  EXPECT_TRUE(Same(ReadCalc(Obj), Cat({before, RefRecords(8), after})));

  Open(before); // no P145 at all: the reference is added behind
  Replace(8);
  Close();
  EXPECT_TRUE(Same(ReadCalc(Obj), Cat({before, RefRecords(8)})));
}

TEST_F(TCalcTest, ChangeChoosesGroupsByKindAndLanguage) {
  Open(Cat({Other("Д130", 1), RefRecords(2)}));
  EXPECT_TRUE(Change(2, 0)); // Ukrainian documents: compared with group 6, unchanged
  EXPECT_FALSE(Change(2, 1));
  Close();
  EXPECT_TRUE(Same(ReadCalc(Obj), Cat({Other("Д130", 1), RefRecords(10)})));
  File = new WFile(Obj);
  EXPECT_TRUE(Change(2, 1)); // already new: nothing to do

  Open(RefRecords(6));
  EXPECT_FALSE(Change(2, 0));
  Close();
  EXPECT_TRUE(Same(ReadCalc(Obj), RefRecords(14)));
}
