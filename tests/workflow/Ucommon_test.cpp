// Start-up and close-down of the process-wide files, the reference extraction and its checks,
// and the comparison and replacement of P145 calculations.
#include "tests/workflow/WorkflowFixture.h"

#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "storage/Dutilfile.h"

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
    delete FileObj;
    FileObj = nullptr;
    TSuiteFixture::TearDown();
  }
  void Open(const TRecs& calc) {
    delete FileObj;
    FileObj = nullptr;
    WriteObject(Obj, calc);
    FileObj = new WFile(Obj);
  }
  std::string Obj;
};

} // namespace

TEST(Reference, ExtractionCopiesTheDataAndChecksTheTrailer) {
  TTempDir dir;
  char old[4096];
  ::getcwd(old, sizeof old);
  ASSERT_EQ(::chdir(dir.Path().c_str()), 0);
  InitBuf();
  BuildReferenceFile(
      ParseRefSource(ReadAll(std::string(RAVINEL_SOURCE_DIR) + "/workflow/refdata/p145.txt")),
      dir / "ref.bn");
  std::string ref = ReadAll(dir / "ref.bn");
  std::string prog = ProgramBytes(ref, 50000); // longer than one copy chunk
  WriteAll(dir / "prog", prog);
  ExtractReference(dir / "prog");
  EXPECT_EQ(ReadAll(dir / "oldnew145.bn"), prog.substr(50000));
  {
    WFile f("oldnew145.bn");
    EXPECT_EQ(f.Header.Count, 17u);
    EXPECT_EQ(f.WOpen_file(16), static_cast<unsigned long>(LenEof));
  }
  auto expectRefused = [&](const std::string& bytes) {
    fs::remove(dir / "oldnew145.bn");
    WriteAll(dir / "bad", bytes);
    try {
      ExtractReference(dir / "bad");
      ADD_FAILURE() << "accepted";
    } catch (const ZError& e) {
      EXPECT_EQ(e.Number, MsgNoReference);
    }
    EXPECT_FALSE(fs::exists(dir / "oldnew145.bn"));
  };
  expectRefused(prog.substr(0, 50000)); // stripped: no data, no trailer
  expectRefused("short");
  std::string moved = prog;
  moved[prog.size() - 16] = 1; // offset no longer in front of the trailer
  expectRefused(moved);
  std::string garbage = prog;
  for (size_t i = 50000; i < 50008; ++i)
    garbage[i] = '\x55'; // header of the data destroyed
  expectRefused(garbage);
  std::string fewGroups = prog;
  fewGroups[50004] = 16;
  expectRefused(fewGroups);
  DeInitBuf();
  ::chdir(old);
}

TEST_F(TSuiteFixture, StartUpAndCloseDownFiles) {
  WriteAll(Root + "/$tmp", "leftover");
  WriteAll(Root + "/RAB/Temp", std::string(100, 'x'));
  Start();
  EXPECT_FALSE(fs::exists(Root + "/$tmp"));
  EXPECT_NE(Boib, nullptr);
  ASSERT_NE(TMP, nullptr);
  EXPECT_EQ(fs::file_size(Root + "/RAB/Temp"), 8u);
  ASSERT_NE(FileRef, nullptr);
  EXPECT_EQ(FileRef->Header.Count, 17u);
  ASSERT_NE(ListFields147, nullptr);
  EXPECT_EQ(ImageSize(*ListFields147), 2718);
  EXPECT_EQ(ImageSize(*ListFields150), 36);
  EXPECT_TRUE(fs::exists(Root + "/oldnew145.bn"));
  EXPECT_EQ(ReferenceSourceText(1), "Эталонные расчеты П145: из файла " + (Dir / "prog"));
  EXPECT_EQ(ReferenceSourceText(0), "Еталонні розрахунки П145: з файлу " + (Dir / "prog"));
  Session.reset();
  EXPECT_EQ(ReferenceSourceText(1), "");
  EXPECT_EQ(Boib, nullptr);
  EXPECT_EQ(TMP, nullptr);
  EXPECT_EQ(FileRef, nullptr);
  EXPECT_EQ(ListFields147, nullptr);
  EXPECT_EQ(ListFields169, nullptr);
  EXPECT_FALSE(fs::exists(Root + "/RAB/Temp"));
  EXPECT_FALSE(fs::exists(Root + "/oldnew145.bn"));
}

TEST_F(TSuiteFixture, FailedStartUpReleasesWhatWasOpened) {
  WriteAll(Dir / "prog", "stripped program");
  EXPECT_THROW(Start(), ZError);
  EXPECT_EQ(Boib, nullptr);
  EXPECT_EQ(TMP, nullptr);
  EXPECT_EQ(ListFields147, nullptr);
  EXPECT_FALSE(fs::exists(Root + "/RAB/Temp"));
}

TEST_F(TCalcTest, ComparisonCoversSourceLinesAndFirstResultLineOnly) {
  Open(RefRecords(0));
  EXPECT_TRUE(CompareP145(109, 0));
  EXPECT_FALSE(CompareP145(109, 8));
  EXPECT_FALSE(CompareP145(109, 4)); // the Ukrainian old calculation

  TRecs later = RefRecords(0);
  later.back().Data += "z"; // the final line differs
  Open(later);
  EXPECT_TRUE(CompareP145(109, 0));

  TRecs longTitle = RefRecords(0);
  longTitle[0].Data += PackText("Расчет инфляции");
  Open(Cat({Other("Д130", 2), longTitle}));
  EXPECT_TRUE(CompareP145(109, 0));

  for (size_t at : {size_t(8), size_t(12), size_t(20)}) { // flag byte, name, name
    TRecs first = RefRecords(0);
    size_t r = 1 + 7 + 1; // the first result line
    ASSERT_EQ(first[r].Prefix, 3);
    first[r].Data[at] ^= 1;
    Open(first);
    EXPECT_FALSE(CompareP145(109, 0)) << at;
    EXPECT_FALSE(CompareP145(109, 8)) << at;
  }
  TRecs prefix = RefRecords(0);
  prefix[3].Prefix = 5;
  Open(prefix);
  EXPECT_FALSE(CompareP145(109, 0));

  Open(Other("Д130", 3)); // no P145 title
  EXPECT_FALSE(CompareP145(109, 0));
  TRecs cut = RefRecords(0);
  cut.resize(9); // ends with the separator
  Open(cut);
  EXPECT_FALSE(CompareP145(109, 0));
}

TEST_F(TCalcTest, ReplacementKeepsTheNeighbours) {
  TRecs before = Other("Д130", 2), after = Other("Д150", 3);
  TRecs old = RefRecords(0);
  old.back().Data += "z";
  Open(Cat({before, old, after}));
  ReplaceP145(109, 8);
  delete FileObj;
  FileObj = nullptr;
  EXPECT_TRUE(Same(ReadCalc(Obj), Cat({before, RefRecords(8), after})));

  Open(before); // no P145 at all: the reference is added behind
  ReplaceP145(109, 8);
  delete FileObj;
  FileObj = nullptr;
  EXPECT_TRUE(Same(ReadCalc(Obj), Cat({before, RefRecords(8)})));
}

TEST_F(TCalcTest, ChangeChoosesGroupsByKindAndLanguage) {
  Open(Cat({Other("Д130", 1), RefRecords(2)}));
  EXPECT_TRUE(ChangeP145(109, 2, 0)); // Ukrainian documents: compared with group 6, unchanged
  EXPECT_FALSE(ChangeP145(109, 2, 1));
  delete FileObj;
  FileObj = nullptr;
  EXPECT_TRUE(Same(ReadCalc(Obj), Cat({Other("Д130", 1), RefRecords(10)})));
  FileObj = new WFile(Obj);
  EXPECT_TRUE(ChangeP145(109, 2, 1)); // already new: nothing to do

  Open(RefRecords(6));
  EXPECT_FALSE(ChangeP145(109, 2, 0));
  delete FileObj;
  FileObj = nullptr;
  EXPECT_TRUE(Same(ReadCalc(Obj), RefRecords(14)));
}
