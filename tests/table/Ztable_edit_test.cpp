// Record editing of the table control over a real list file: deleting with its questions,
// copying and moving marked lines, rewriting a line, keyed replacement, and failed writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "storage/Dutilfile.h"
#include "tests/support/FaultIo.h"
#include "tests/support/RecBytes.h"
#include "tests/support/Tempdir.h"
#include "tests/table/TableFixture.h"

namespace {
using Texts = std::vector<std::string>;

struct TEditTable : TZTable {
  using TZTable::TZTable;
  void Mark(const std::vector<int>& lines) {
    for (int n : lines)
      FSel.Mark(*GetIndex(n));
  }
  void SetCurrent(int line) {
    FRowCount = 0;
    FEmpty = false;
    FPosition = line;
  }
};

// Collects the messages shown and answers every question with Answer.
struct TAnswers {
  std::vector<TMsgRequest> All;
  bool Answer = true;
  TMsgPresenter Saved;
  TAnswers() {
    Saved = SetMsgPresenter([this](const TMsgRequest& r) {
      All.push_back(r);
      return Answer;
    });
  }
  ~TAnswers() { SetMsgPresenter(Saved); }
};

struct TEditTest : ::testing::Test {
  TTempDir Dir;
  std::string Path = Dir / "list";
  TTestHost Host;
  std::unique_ptr<TEditTable> T;
  std::unique_ptr<TTestOwner> Owner;
  std::unique_ptr<WFile> File;

  void SetUp() override { InstallMsgCatalogue(); }
  void TearDown() override {
    T.reset();
    File.reset();
  }

  void MakeFile(const Texts& recs) {
    std::remove(Path.c_str());
    creat_bf(Path, 3);
    WFile f(Path);
    f.WCreat_file(1);
    for (const std::string& r : recs)
      f.WWrite(0, static_cast<unsigned short>(r.size()), r.data());
    f.WClose_file(1);
  }
  void Open(const Texts& recs, int keyLen = 0) {
    MakeFile(recs);
    OpenExisting(keyLen);
  }
  void OpenExisting(int keyLen = 0) {
    T.reset();
    File = std::make_unique<WFile>(Path);
    T = std::make_unique<TEditTable>(&Host);
    T->SetLenBaseKey(keyLen);
    Owner = std::make_unique<TTestOwner>(*T);
    Owner->File = File.get();
    T->TabOpen(File.get(), 1);
  }
  Texts Lines() {
    Texts out;
    WRec rec;
    for (int i = 0; i < T->LineCount(); ++i) {
      T->ReadRecord(i, &rec, trOther);
      out.emplace_back(rec.Data, rec.Len);
    }
    return out;
  }
  Texts OnDisk() {
    Texts out;
    for (const auto& r : GroupRecords(Path, 1))
      out.push_back(r.second);
    return out;
  }
  std::vector<uint32_t> Addresses() {
    std::vector<uint32_t> out;
    for (int i = 0; i < T->LineCount(); ++i)
      out.push_back(T->GetIndex(i)->Adr);
    return out;
  }
};

TEST_F(TEditTest, DeleteAsksOnceOrTwiceAndStopsOnNo) {
  Open({"a", "b", "c", "d"});
  TAnswers answers;
  T->SetCurrent(1);
  T->DeleteRecord();
  ASSERT_EQ(answers.All.size(), 1u);
  EXPECT_EQ(answers.All[0].Mode, TMsgMode::Question);
  EXPECT_EQ(answers.All[0].Text, creat_msg("", 2000 + SelDeleteRecords));
  EXPECT_EQ(Lines(), (Texts{"a", "c", "d"}));
  EXPECT_EQ(OnDisk(), Lines());
  EXPECT_TRUE(T->Modified());

  T->SetCurrent(2);
  T->DeleteRecord("Объект 5");
  ASSERT_EQ(answers.All.size(), 3u);
  EXPECT_NE(answers.All[2].Text.find("Объект 5"), std::string::npos);
  EXPECT_EQ(OnDisk(), (Texts{"a", "c"}));
  EXPECT_EQ(T->Position(), 1); // the deleted line was the last one

  answers.Answer = false;
  T->SetCurrent(0);
  T->DeleteRecord("Объект 5");
  EXPECT_EQ(answers.All.size(), 4u); // "no" to the first question ends it
  EXPECT_EQ(OnDisk(), (Texts{"a", "c"}));
}

TEST_F(TEditTest, OwnerSkipsQuestionsAndKeepsLines) {
  Open({"a", "b", "c", "d"});
  TAnswers answers;
  T->TabOnDelete = [](TZTable*, bool reg, TZTabIndex* e, bool& ask, int) {
    if (!reg) {
      ask = true;
      return false;
    }
    return !(e->Flags & 1);
  };
  T->GetIndex(2)->Flags |= 1; // the owner keeps "c"
  T->Mark({1, 2, 3});
  T->DeleteRecord("again?");
  EXPECT_TRUE(answers.All.empty());
  EXPECT_EQ(Lines(), (Texts{"a", "c"}));
  EXPECT_EQ(OnDisk(), (Texts{"a", "c"}));
  EXPECT_EQ(T->MarkedCount(), 0);
  EXPECT_FALSE(T->GetIndex(1)->Flags & kIdxMarked);
}

TEST_F(TEditTest, DeletingMarkedLinesAboveTheCursorKeepsItOnItsRecord) {
  Open({"a", "b", "c", "d", "e", "f", "g", "h"});
  TAnswers answers;
  T->SetCurrent(5);
  T->Mark({1, 2});
  T->DeleteRecord();
  ASSERT_EQ(Lines(), (Texts{"a", "d", "e", "f", "g", "h"}));
  EXPECT_EQ(Lines()[static_cast<size_t>(T->Position())], "f");
}

TEST_F(TEditTest, CopyInsertsMarkedLinesBeforeTheCurrentOne) {
  Open({"a", "b", "c", "d", "e"});
  T->Mark({1, 2, 3});
  T->SetCurrent(4);
  ASSERT_TRUE(T->CopyRecord());
  EXPECT_EQ(Lines(), (Texts{"a", "b", "c", "d", "b", "c", "d", "e"}));
  EXPECT_EQ(OnDisk(), Lines());
  EXPECT_EQ(T->MarkedCount(), 0);
  for (int i = 0; i < T->LineCount(); ++i)
    EXPECT_FALSE(T->GetIndex(i)->Flags & kIdxMarked) << i;

  TAnswers answers;
  T->Mark({1, 2});
  T->SetCurrent(2); // inside the marked block
  EXPECT_FALSE(T->CopyRecord());
  EXPECT_FALSE(T->MoveRecord());
  ASSERT_EQ(answers.All.size(), 2u);
  EXPECT_EQ(answers.All[0].Mode, TMsgMode::Warning);
  EXPECT_EQ(answers.All[0].Text, creat_msg("", 1000 + WarCopyIntoBlock));
  EXPECT_EQ(T->LineCount(), 8);
}

TEST_F(TEditTest, MoveReordersFileAndIndexButNotKeyedLists) {
  Open({"a", "b", "c", "d", "e"});
  T->Mark({0, 1, 4});
  T->SetCurrent(3);
  ASSERT_TRUE(T->MoveRecord());
  EXPECT_EQ(Lines(), (Texts{"c", "a", "b", "e", "d"}));
  EXPECT_EQ(OnDisk(), Lines());
  EXPECT_EQ(T->MarkedCount(), 0);

  Open({"b", "a"}, 1);
  T->Mark({0});
  try {
    T->MoveRecord();
    ADD_FAILURE() << "moved in a keyed list";
  } catch (const ZError& e) {
    EXPECT_STREQ(e.what(), "Нельзя перемещать записи с ключами");
  }
  EXPECT_EQ(OnDisk(), (Texts{"b", "a"}));
}

TEST_F(TEditTest, NewRecordAndTabEditDelete) {
  Open({"a", "b", "c"});
  T->SetLayout(TZLayout{}, {TListFields{{"Name", tfString, 0, 0}}}, {});
  T->SetCurrent(1);
  T->Mark({0});
  EXPECT_FALSE(T->InitNewEdit(0)); // not with marked lines
  T->SetSelectIndex(false);
  EXPECT_FALSE(T->InitNewEdit(1)); // no such record kind
  ASSERT_TRUE(T->InitNewEdit(0));
  T->KorCreat(0);
  ASSERT_TRUE(T->StoreField(0, "new"));
  ASSERT_TRUE(T->FinishEdit());
  const std::string added = Le16(3) + "new";
  ASSERT_EQ(T->LineCount(), 4);
  Texts lines = Lines();
  EXPECT_EQ(lines[static_cast<size_t>(T->Position())], added);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), added), 1);
  EXPECT_EQ(OnDisk(), Lines());

  int line = 0;
  const uint32_t adr = T->GetIndex(line)->Adr;
  EXPECT_EQ(T->TabEdit(weDelete, line, nullptr, false, false), adr);
  lines = Lines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "a"), 0);
  EXPECT_EQ(lines.size(), 3u);
  EXPECT_EQ(OnDisk(), Lines());
  line = 3;
  EXPECT_EQ(T->TabEdit(weDelete, line, nullptr, false, false), EmptyAdr); // past the end
}

TEST_F(TEditTest, TheOwnerRefusesCopiesAndMovesWholeOrLineByLine) {
  Open({"a", "b", "c", "d"});
  T->Mark({0, 1});
  T->SetCurrent(3);
  T->TabOnCopy = [](TZTable*, TypeCM reg, TZTabIndex*, WRec* rec) {
    return reg == cmStart ? false : std::string(rec->Data, rec->Len) != "a";
  };
  T->TabOnMove = [](TZTable*, TypeCM, int) { return false; };
  EXPECT_FALSE(T->CopyRecord());
  EXPECT_FALSE(T->MoveRecord());
  EXPECT_EQ(T->MarkedCount(), 2); // nothing done, the marks stay
  EXPECT_EQ(OnDisk(), (Texts{"a", "b", "c", "d"}));

  T->TabOnCopy = [](TZTable*, TypeCM reg, TZTabIndex*, WRec* rec) {
    return reg == cmStart || std::string(rec->Data, rec->Len) != "a";
  };
  ASSERT_TRUE(T->CopyRecord()); // "a" refused, "b" copied
  EXPECT_EQ(Lines(), (Texts{"a", "b", "c", "b", "d"}));
  EXPECT_EQ(OnDisk(), Lines());
  EXPECT_EQ(T->MarkedCount(), 0);

  T->Mark({0, 1});
  T->SetCurrent(4);
  T->TabOnMove = [](TZTable*, TypeCM reg, int) { return reg == cmStart; };
  ASSERT_TRUE(T->MoveRecord()); // every line refused: the order stays, the marks go
  EXPECT_EQ(Lines(), (Texts{"a", "b", "c", "b", "d"}));
  EXPECT_EQ(OnDisk(), Lines());
  EXPECT_EQ(T->MarkedCount(), 0);
}

TEST_F(TEditTest, UpdateRewritesInPlaceAndKeyedReplaceKeepsTheChain) {
  Open({"c1", "a1", "b1"}, 2);
  ASSERT_EQ(Lines(), (Texts{"a1", "b1", "c1"}));
  std::vector<uint32_t> before = Addresses();
  WRec rec;
  rec.Len = 2;
  rec.Data[0] = 'b';
  rec.Data[1] = '2';
  int line = 1;
  EXPECT_EQ(T->TabEdit(weUpdate, line, &rec, false, false), before[1]);
  EXPECT_EQ(Addresses(), before);
  EXPECT_TRUE(T->GetIndex(1)->Flags & kIdxWritten);
  EXPECT_EQ(OnDisk(), (Texts{"c1", "a1", "b2"}));

  // "a1" becomes "d12": its key moves it last; the file's chain keeps its order and ends.
  rec.Len = 3;
  std::copy_n("d12", 3, rec.Data);
  line = 0;
  T->TabEdit(weMove, line, &rec, true, false);
  EXPECT_EQ(line, 2);
  EXPECT_EQ(Lines(), (Texts{"b2", "c1", "d12"}));
  EXPECT_EQ(OnDisk(), (Texts{"c1", "d12", "b2"}));

  // A new line between keys "b" and "c" goes behind "b2" in the chain without closing a loop.
  rec.Len = 2;
  std::copy_n("bz", 2, rec.Data);
  int pos = -1;
  T->AddRecord(&rec, nullptr, false, pos);
  EXPECT_EQ(pos, 1);
  EXPECT_EQ(Lines(), (Texts{"b2", "bz", "c1", "d12"}));
  EXPECT_EQ(OnDisk(), (Texts{"c1", "d12", "b2", "bz"}));
  OpenExisting(2);
  EXPECT_EQ(Lines(), (Texts{"b2", "bz", "c1", "d12"}));
}

// A fault at every I/O call of a write: the file holds the old or the new records, and when the
// write reports failure the index is as it was.
TEST_F(TEditTest, FailedWritesLeaveFileAndIndexAsTheyWere) {
  struct TOp {
    std::function<void(TEditTable&)> Run;
    Texts New;
    Texts Both = {}; // a failure between writing a moved line's copy and removing the original
  };
  WRec rec;
  const TOp ops[] = {
      {[&](TEditTable& t) {
         rec.Len = 1;
         rec.Data[0] = 'X';
         int line = 1;
         t.TabEdit(weUpdate, line, &rec, false, false);
       },
       {"a", "X", "c"}},
      {[&](TEditTable& t) {
         rec.Len = 2;
         std::copy_n("XY", 2, rec.Data);
         int line = 1;
         t.TabEdit(weMove, line, &rec, false, false);
       },
       {"a", "XY", "c"}},
      {[&](TEditTable& t) {
         rec.Len = 1;
         rec.Data[0] = 'N';
         int pos = 2;
         t.AddRecord(&rec, nullptr, false, pos);
       },
       {"a", "b", "N", "c"}},
      {[](TEditTable& t) {
         t.Mark({0});
         t.SetCurrent(2);
         t.MoveRecord();
       },
       {"b", "a", "c"},
       {"a", "b", "a", "c"}},
  };
  const Texts old = {"a", "b", "c"};
  MakeFile(old);
  const std::string start = ReadAll(Path);
  for (const TOp& op : ops) {
    long calls;
    {
      WriteAll(Path, start);
      OpenExisting();
      TFaultScope scope;
      op.Run(*T);
      calls = scope.Io.Calls();
      ASSERT_EQ(OnDisk(), op.New);
    }
    for (TFaultIo::TKind kind : {TFaultIo::TKind::FailOnce, TFaultIo::TKind::Crash}) {
      int failures = 0;
      for (long k = 1; k <= calls; ++k) {
        WriteAll(Path, start);
        OpenExisting();
        const std::vector<uint32_t> before = Addresses();
        bool failed = false;
        {
          TFaultScope scope;
          scope.Io.Arm(kind, k);
          try {
            op.Run(*T);
          } catch (const ZError&) {
            failed = true;
            ++failures;
          }
        }
        SCOPED_TRACE("call " + std::to_string(k));
        Texts disk = OnDisk();
        EXPECT_TRUE(disk == old || disk == op.New || (!op.Both.empty() && disk == op.Both))
            << ::testing::PrintToString(disk);
        // A failed write leaves the index as it was, or (a completed move) reading the new file.
        if (failed && Addresses() != before) {
          EXPECT_EQ(Lines(), op.New);
        }
      }
      EXPECT_GT(failures, 0) << "no injected fault was reported";
    }
  }
}
} // namespace
