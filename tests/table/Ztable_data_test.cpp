// Tests of the table control's line index: key order, owner keys, the secondary order, reading
// lines from the owner and from the work file, write-back, closing and the refusals.
#include <gtest/gtest.h>

#include "messages/Utslang.h"
#include "messages/Zmsg.h"
#include "storage/Dutilfile.h"
#include "tests/table/TableFixture.h"
#include "tests/support/Tempdir.h"

namespace {

struct TDataTest : ::testing::Test {
  TTestHost Host;
  // The table with its modified flag reachable, as the edit helpers set it.
  struct TTestTable : TZTable {
    using TZTable::TZTable;
    void MarkModified() { FModified = true; }
  };
  TTestTable T{&Host};
  TTestOwner Owner{T};

  void AddLines(const std::vector<std::string>& keys) {
    for (const std::string& k : keys)
      Owner.Lines.push_back({0, "rec " + k, k});
  }
  // The record texts of the lines in the active order.
  std::vector<std::string> Shown() {
    std::vector<std::string> out;
    WRec rec;
    for (int i = 0; i < T.LineCount(); ++i) {
      T.ReadRecord(i, &rec, trOut);
      out.emplace_back(rec.Data, rec.Len);
    }
    return out;
  }
};

std::string RefusalText(const std::function<void()>& call) {
  try {
    call();
  } catch (const ZError& e) {
    return e.Message;
  }
  return "(no refusal)";
}

using Texts = std::vector<std::string>;

TEST_F(TDataTest, KeysOrderLinesAndZeroLengthKeepsReadingOrder) {
  AddLines({"B", "A", "C"});
  T.SetLenBaseKey(3);
  T.TabOpen(nullptr, 0);
  EXPECT_TRUE(T.IsOpen());
  EXPECT_EQ(Shown(), (Texts{"rec A", "rec B", "rec C"}));
  EXPECT_EQ(T.EndAdr(), EmptyAdr);
  T.TabClose();

  T.SetLenBaseKey(0);
  T.TabOpen(nullptr, 0);
  EXPECT_EQ(Shown(), (Texts{"rec B", "rec A", "rec C"}));
  EXPECT_EQ(T.GetIndex(0)->Key, nullptr);
}

TEST_F(TDataTest, EqualKeysGoAheadOfTheMetOneAndFindKeyFindsThem) {
  Owner.Lines = {{0, "B1", "B"}, {0, "A", "A"}, {0, "C", "C"}, {0, "B2", "B"}, {0, "B3", "B"}};
  T.SetLenBaseKey(1);
  T.TabOpen(nullptr, 0);
  Texts got = Shown();
  EXPECT_EQ(got.front(), "A");
  EXPECT_EQ(got.back(), "C");
  // A B1 C; B2 meets B1 (mid 1) and goes ahead; A B2 B1 C; B3: mid 1 = B2, ahead of it.
  EXPECT_EQ(got, (Texts{"A", "B3", "B2", "B1", "C"}));
  EXPECT_TRUE(T.FindKey("C", 1, true, false));
  EXPECT_EQ(T.FoundPos(), 4);
  EXPECT_TRUE(T.FindKey("BX", 2, true, false)); // only the stored byte compares
  EXPECT_EQ(T.FoundPos(), 2);
  EXPECT_FALSE(T.FindKey("D", 1, true, false));
  EXPECT_EQ(T.FoundPos(), 5);
}

TEST_F(TDataTest, OwnerKeysAreAppendedAmongControlKeys) {
  AddLines({"C", "B", "A"});
  Owner.OwnKeys = true;
  T.SetLenBaseKey(2);
  T.TabOpen(nullptr, 0);
  EXPECT_EQ(Shown(), (Texts{"rec C", "rec B", "rec A"}));
  T.TabClose();

  // A key of the control's after an owner's: searched among all lines, then inserted.
  Owner.OwnKeys = false;
  int served = 0;
  auto serve = T.TabRead;
  T.TabRead = [&](TZTable* s, TypeRead type, TZTabIndex* index, WRec* rec) {
    bool got = serve(s, type, index, rec);
    if (got && type == trIndex && served++ == 0) {
      index->Key = new char[2]{'M', 0}; // the owner keys the first line only
    }
    return got;
  };
  Owner.Lines = {{0, "M", "M"}, {0, "Z", "Z"}, {0, "A", "A"}, {0, "N", "N"}};
  T.TabOpen(nullptr, 0);
  EXPECT_EQ(Shown(), (Texts{"A", "M", "N", "Z"}));
}

TEST_F(TDataTest, CreatorIndexReplacesReadingAndPostIndexFollows) {
  std::vector<char> regs;
  T.PostIndex = [&](TZTable*, char reg) {
    regs.push_back(reg);
    return true;
  };
  T.CreatorIndex = [&](TZTable*) -> uint32_t { return 77; };
  AddLines({"A"});
  T.TabOpen(nullptr, 0);
  EXPECT_EQ(T.LineCount(), 0);
  EXPECT_EQ(T.EndAdr(), 77u);
  EXPECT_EQ(Owner.Reads[trIndex], 0);
  EXPECT_EQ(regs, std::vector<char>{0});
}

TEST_F(TDataTest, SecondaryOrderAndMainPositions) {
  AddLines({"A", "B", "C", "D"});
  T.SetLenBaseKey(1);
  TTempDir dir;
  // Secondary keys reverse the order.
  T.TabOnOnLoadDKey = [&](TZTable*, char* key, WRec* rec, TZTabDIndex*) {
    key[0] = static_cast<char>('Z' - (rec->Data[4] - 'A'));
  };
  EXPECT_EQ(RefusalText([&] { T.CreatDIndex(); }), "Необходимо вначале выполнить TabOpen");
  T.TabOpen(nullptr, 0);
  EXPECT_EQ(RefusalText([&] { T.CreatDIndex(); }), "Создание вторичных ключей невозможно для TMP");
  EXPECT_FALSE(T.DIndexActive());
  T.TabClose();

  creat_bf(dir / "list", 3);
  WFile file(dir / "list");
  // The owner serves its lines from memory; the file only leaves the temporary mode.
  T.TabOpen(&file, 1);
  EXPECT_FALSE(T.TmpMode());
  EXPECT_EQ(T.NumFile(), 1);
  T.CreatDIndex();
  EXPECT_TRUE(T.DIndexActive());
  EXPECT_EQ(T.LenDopKey(), 1);
  EXPECT_EQ(Shown(), (Texts{"rec D", "rec C", "rec B", "rec A"}));
  int mainPos = -1;
  EXPECT_EQ(T.GetNumIndex(0, mainPos), T.GetIndex(3, true));
  EXPECT_EQ(mainPos, 3);
  EXPECT_TRUE(T.FindKey("Z", 1, false, false)); // the key of line A
  EXPECT_EQ(T.FoundPos(), 3);
  EXPECT_EQ(RefusalText([&] { T.CreatNewFile(); }),
            "В случае наличия вторичных ключей использование CreatNewFile невозможно");
  T.ClearDIndex();
  EXPECT_FALSE(T.DIndexActive());
  EXPECT_EQ(Shown().front(), "rec A");
  T.TabClose();
}

TEST_F(TDataTest, OpenRefusalsLeaveTheControlClosed) {
  TZTable bare(&Host);
  EXPECT_EQ(RefusalText([&] { bare.TabOpen(nullptr, 0); }), "Не задано имя п/п Инициализации");
  IFaceLang = elg_Ukr; // the same refusal in a Ukrainian interface
  EXPECT_EQ(RefusalText([&] { bare.TabOpen(nullptr, 0); }), "Не задано ім'я п/п Ініціалізації");
  IFaceLang = elg_Rus;
  bare.TabInit = [](TZTable*) {};
  EXPECT_EQ(RefusalText([&] { bare.TabOpen(nullptr, 0); }), "Не задано имя п/п Чтение");
  EXPECT_FALSE(bare.IsOpen());
  bare.TabRead = [](TZTable*, TypeRead, TZTabIndex*, WRec*) { return false; };
  bare.SetCanVisible(true);
  bare.TabOpen(nullptr, 0);
  EXPECT_TRUE(bare.IsOpen());
  EXPECT_EQ(bare.LineCount(), 0);
  EXPECT_EQ(bare.RowCount(), 0);
}

TEST_F(TDataTest, CloseTwiceEndsOnceAndReleasesOwnerData) {
  AddLines({"A", "B"});
  std::vector<void*> released;
  T.TabOnDelUsePar = [&](TZTable*, TZTabIndex* index) { released.push_back(index->UsePar); };
  T.TabOpen(nullptr, 0);
  EXPECT_TRUE(Host.Visible);
  static int data;
  T.GetIndex(1)->UsePar = &data;
  T.TabClose();
  T.TabClose();
  EXPECT_EQ(Owner.Ends, 1);
  EXPECT_FALSE(T.IsOpen());
  EXPECT_FALSE(Host.Visible);
  EXPECT_EQ(T.LineCount(), 0);
  EXPECT_EQ(released, std::vector<void*>{&data});
}

TEST_F(TDataTest, TemporaryListReadsWrittenLinesFromTheWorkFileAndWritesBack) {
  TTempDir dir;
  {
    WFile make(dir / "tmp", fmCreate);
    make.WWrite(3, 5, "fresh");
  }
  WFile tmp(dir / "tmp", fmUpdate);
  T.TmpFile = &tmp;
  AddLines({"A", "B"});
  T.TabOpen(nullptr, 0);
  TZTabIndex* written = T.GetIndex(1);
  written->Flags |= kIdxWritten;
  written->Adr = 0;
  WRec rec;
  EXPECT_EQ(T.ReadRecord(1, &rec, trOut), EmptyAdr);
  EXPECT_EQ(std::string(rec.Data, rec.Len), "fresh");
  EXPECT_EQ(rec.Prefix, 3);
  EXPECT_EQ(T.ReadRecord(0, &rec, trOut), 0u);
  EXPECT_EQ(std::string(rec.Data, rec.Len), "rec A");
  EXPECT_EQ(RefusalText([&] { T.ReadRecord(2, &rec, trOut); }), "Строка 2 отсутствует в списке");

  // Closing a modified temporary list writes every line back, in order.
  std::vector<std::string> out;
  T.TabStartCreatNewFile = [&](TZTable*) { out.push_back("start"); };
  T.TabWrite = [&](TZTable*, WRec* r, TZTabIndex*) { out.emplace_back(r->Data, r->Len); };
  T.TabEndCreatNewFile = [&](TZTable*) { out.push_back("end"); };
  T.TabClose();
  EXPECT_TRUE(out.empty()); // not modified
  T.TabOpen(nullptr, 0);
  T.GetIndex(0)->Flags |= kIdxWritten;
  T.GetIndex(0)->Adr = 0;
  T.MarkModified();
  T.TabClose();
  EXPECT_EQ(out, (Texts{"start", "fresh", "rec B", "end"}));
  EXPECT_EQ(Owner.Reads[trNewFile], 1);
}

TEST_F(TDataTest, CreatNewFileRefusesMissingEvents) {
  AddLines({"A"});
  T.TabOpen(nullptr, 0);
  T.CreatNewFile(); // not modified: nothing to do, nothing refused
  T.MarkModified();
  EXPECT_EQ(RefusalText([&] { T.CreatNewFile(); }), "Не задано имя п/п Запись");
  T.TabWrite = [](TZTable*, WRec*, TZTabIndex*) {};
  EXPECT_EQ(RefusalText([&] { T.CreatNewFile(); }), "Не задано имя п/п StartCreatNewFile");
  T.TabStartCreatNewFile = [](TZTable*) {};
  EXPECT_EQ(RefusalText([&] { T.CreatNewFile(); }), "Не задано имя п/п EndCreatNewFile");
  T.TabEndCreatNewFile = [](TZTable*) {};
  T.CreatNewFile();
  EXPECT_FALSE(T.Modified());
}

TEST_F(TDataTest, RecordFileThroughTheFreeTabRead) {
  TTempDir dir;
  creat_bf(dir / "list", 3);
  {
    WFile f(dir / "list");
    f.WCreat_file(1);
    for (const char* k : {"\x02zz", "\x01yy", "\x03xx"})
      f.WWrite(0, 3, k);
    f.WClose_file(1);
  }
  WFile file(dir / "list");
  Owner.File = &file;
  T.SetLenBaseKey(1);
  T.TabOpen(&file, 1);
  ASSERT_EQ(T.LineCount(), 3);
  EXPECT_EQ(Owner.Inits, 1);
  Texts got = Shown();
  EXPECT_EQ(got, (Texts{"\x01yy", "\x02zz", "\x03xx"}));
  // Each entry carries the address of its own record.
  WRec rec;
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(file.WRead(T.GetIndex(i)->Adr, &rec));
    EXPECT_EQ(std::string(rec.Data, rec.Len), got[static_cast<size_t>(i)]);
  }
}

} // namespace
