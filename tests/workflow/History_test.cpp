// The history of batch changes on a demo suite: kept files, journals read back, undo byte for
// byte, refusals, completion after a crash, prune and the report.
#include "tests/workflow/WorkflowFixture.h"

#include "base/Codec.h"
#include "messages/Msgcat.h"
#include "messages/Utslang.h"
#include "messages/Zmsg.h"
#include "paths/Dpath.h"
#include "paths/Rdwr_cfg.h"
#include "workflow/HistoryChange.h"
#include "workflow/Historyreport.h"
#include "workflow/Objectfiles.h"
#include "workflow/Batch.h"
#include "workflow/Objects.h"
#include "base/Sha256.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class THistoryTest : public TSuiteFixture {
protected:
  void SetUp() override {
    TSuiteFixture::SetUp();
    Start();
    Lines = Load();
  }
  void TearDown() override {
    Files.reset();
    delete FileList;
    FileList = nullptr;
    TSuiteFixture::TearDown();
  }
  std::vector<TObjLine> Load() {
    Info = ListInfoOf(1, 0);
    Cfg[CfgDocRussian] = 0;
    Files.reset();
    delete FileList;
    FileList = new WFile(ListAliasName(Info, false));
    Files = std::make_unique<TObjectFiles>(*FileList, *FileRef, RecWork);
    std::vector<TObjLine> lines = LoadObjectLines(*Files, Info, false);
    CheckObjectLines(*Files, Info, lines, false);
    return lines;
  }
  std::vector<const TObjLine*> Replaceable() {
    std::vector<const TObjLine*> chosen;
    for (const TObjLine& l : Lines)
      if (l.State & stReplaceable) chosen.push_back(&l);
    return chosen;
  }
  // The batch change over every replaceable line; returns its batch.
  std::string ChangeAll() {
    std::vector<TChangeFailure> failures;
    TChangeHooks hooks;
    std::string batch;
    hooks.Batch = &batch;
    ChangeObjects(*Files, Info, Replaceable(), 0, failures, hooks);
    EXPECT_EQ(FailedCount(failures), 0u);
    return batch;
  }
  std::string Os(const std::string& alias) { return sysio::OsPath(GetRealName(alias)); }
  std::map<std::string, std::string> Bytes() {
    std::map<std::string, std::string> out;
    for (const TObjLine& l : Lines)
      if (!l.File.empty() && fs::exists(Os(l.File))) out[l.File] = ReadAll(Os(l.File));
    out["list"] = ReadAll(sysio::OsPath(FileList->Name));
    return out;
  }

  TListInfo Info{};
  std::vector<TObjLine> Lines;
  std::unique_ptr<TObjectFiles> Files;
};

} // namespace

TEST(Journal, LinesRoundTripAndDamageIsNamed) {
  TJsonLine l;
  l.Put("rec", "intent").Put("text", "Об'єкт \"5\"\\\x01\n").Put("n", int64_t(-42));
  TJsonLine back = ParseJsonLine(l.Json());
  EXPECT_EQ(back.Text("text"), "Об'єкт \"5\"\\\x01\n");
  EXPECT_EQ(back.Number("n"), -42);
  EXPECT_EQ(l.Json().find('\n'), std::string::npos);
  EXPECT_EQ(ParseJsonLine(R"({"a":"\u0416\ud83d\ude00"})").Text("a"),
            std::string("Ж?")); // no CP1251 byte for the emoji
  for (const char* bad : {"", "{", R"({"a":1,"a":2})", R"({"a":"x"} x)", R"({"a":01x})",
                          R"({"a":"\ud800"})", R"({"a":true})", "[1]", R"({"a":"x)"})
    EXPECT_THROW(ParseJsonLine(bad), std::invalid_argument) << bad;
  EXPECT_THROW(back.Number("text"), std::invalid_argument);

  TTempDir dir;
  std::string path = dir / "j.jsonl";
  WriteAll(path, "{\"a\":1}\n{\"a\":2\n{\"a\":3}\n");
  try {
    ReadJournalFile(path);
    FAIL() << "a damaged line was read";
  } catch (const ZError& e) {
    EXPECT_EQ(e.Number, MsgBadJournal);
    EXPECT_NE(e.Text.find(path + "|2|"), std::string::npos) << e.Text;
  }
  WriteAll(path, "{\"a\":1}\n{\"a\":2,\"b"); // a torn last line was never made durable
  TJournalText text = ReadJournalFile(path);
  EXPECT_EQ(text.Lines.size(), 1u);
  EXPECT_EQ(text.GoodSize, 8u);
}

TEST_F(THistoryTest, ChangeThenUndoGivesBackEveryByteAndTheUndoCanBeUndone) {
  std::map<std::string, std::string> before = Bytes();
  std::string id = ChangeAll();
  std::map<std::string, std::string> changed = Bytes();
  TBatchInfo b = ReadBatch(id);
  ASSERT_TRUE(b.Finished);
  EXPECT_EQ(b.Kind, "change");
  EXPECT_EQ(b.Count(kResChanged) + b.Count(kResWarning), Replaceable().size());
  for (const TBatchEntry& e : b.Objects) {
    // The kept file is the old file itself (a link), and the digests tell old and new.
    EXPECT_EQ(ReadAll(sysio::OsPath(BatchDir(id) + e.Backup)), before.at(e.File));
    EXPECT_EQ(e.ShaBefore, Sha256Hex(before.at(e.File)));
    EXPECT_EQ(e.ShaAfter, Sha256Hex(changed.at(e.File)));
    EXPECT_NE(before.at(e.File), changed.at(e.File));
  }
  EXPECT_NE(before.at("list"), changed.at("list"));
  EXPECT_EQ(ListBatches(), std::vector<std::string>{id});

  TUndoResult undo = UndoBatch(b, {}, FileList);
  for (const TUndoItem& it : undo.Items)
    EXPECT_EQ(it.Result, "restored") << it.Entry.Number << " " << it.Reason;
  EXPECT_EQ(Bytes(), before);
  TBatchInfo u = ReadBatch(undo.Batch);
  EXPECT_EQ(u.Kind, "undo");
  EXPECT_EQ(u.Undoes, id);
  // The undo is a batch too: undoing it brings the change back.
  UndoBatch(u, {}, FileList);
  EXPECT_EQ(Bytes(), changed);
  EXPECT_EQ(ListBatches().size(), 3u);
}

TEST_F(THistoryTest, AnObjectChangedSinceOrWhoseKeptFileIsGoneIsRefusedAndKept) {
  std::map<std::string, std::string> before = Bytes();
  std::string id = ChangeAll();
  TBatchInfo b = ReadBatch(id);
  ASSERT_GE(b.Objects.size(), 3u);
  const TBatchEntry &edited = b.Objects[0], &unkept = b.Objects[1], &other = b.Objects[2];
  std::string editedBytes = ReadAll(Os(edited.File)) + "x";
  WriteAll(Os(edited.File), editedBytes);
  fs::remove(sysio::OsPath(BatchDir(id) + unkept.Backup));
  IFaceLang = elg_Ukr;
  TUndoResult r = UndoBatch(b, {edited.Number, unkept.Number, other.Number, 999999}, FileList);
  std::map<uint32_t, TUndoItem> by;
  for (const TUndoItem& it : r.Items)
    by[it.Entry.Number] = it;
  EXPECT_EQ(by[edited.Number].Result, "refused");
  EXPECT_EQ(by[edited.Number].Reason, "файл змінено після пакета");
  EXPECT_EQ(by[unkept.Number].Result, "refused");
  EXPECT_EQ(by[999999].Result, "refused");
  EXPECT_EQ(by[other.Number].Result, "restored");
  EXPECT_EQ(ReadAll(Os(edited.File)), editedBytes);
  EXPECT_EQ(ReadAll(Os(other.File)), before.at(other.File));
  EXPECT_EQ(ReadBatch(r.Batch).Objects.size(), 1u);
}

TEST_F(THistoryTest, ADamagedJournalOrOneNamingAFileOutsideTheSuiteIsRefused) {
  std::string id = ChangeAll();
  std::string path = sysio::OsPath(JournalPath(id));
  std::string text = ReadAll(path);
  auto refused = [&](const std::string& journal, int number) {
    WriteAll(path, journal);
    try {
      ReadBatch(id);
      ADD_FAILURE() << "read: " << journal.substr(0, 200);
    } catch (const ZError& e) {
      EXPECT_EQ(e.Number, number);
      EXPECT_NE(e.Text.find(JournalPath(id)), std::string::npos) << e.Text;
    }
  };
  std::string outside = text;
  size_t at = outside.find("\"file\":\"LSS#");
  ASSERT_NE(at, std::string::npos);
  outside.insert(at + 12, "../../");
  refused(outside, MsgOutsideSuite);
  std::string backup = text;
  at = backup.find("\"backup\":\"");
  backup.insert(at + 10, "../");
  refused(backup, MsgOutsideSuite);
  refused(text.substr(0, text.find('\n') + 1) + "{\"rec\":\"intent\"}\n", MsgBadJournal);
  // The digest before is in the intent or in the outcome, never in both.
  std::string twice = text;
  at = twice.find("\"sha_before\":\"\"");
  ASSERT_NE(at, std::string::npos);
  twice.replace(at, 15, "\"sha_before\":\"" + std::string(64, 'a') + "\"");
  refused(twice, MsgBadJournal);
  refused("garbage\n", MsgBadJournal);
  EXPECT_THROW(ReadBatch("../../etc"), ZError);
}

TEST_F(THistoryTest, AJournalCutShortIsCompletedFromTheFilesWithTheListFlags) {
  std::vector<TChangeItem> results;
  std::string id;
  std::string listBefore = ReadAll(sysio::OsPath(FileList->Name));
  {
    std::vector<TChangeFailure> failures;
    TChangeHistory history(*FileList, Info, Replaceable(), 0);
    id = history.Batch();
    for (const TObjLine* l : Replaceable()) { // the change of each object, as the batch's
      WRec listRec;
      FileList->WRead(l->Adr, &listRec);
      TChangeOutcome out = ChangeObject(
          *Files, Info, *l, listRec, 0, [&](WRec* rec) { FileList->WUpdate(l->Adr, rec); },
          nullptr);
      results.push_back({l, out});
    }
    // A crash here: the outcomes and the list records never reached the disk.
  }
  std::string listChanged = ReadAll(sysio::OsPath(FileList->Name));
  Files.reset();
  delete FileList;
  FileList = nullptr;
  WriteAll(sysio::OsPath(GetRealName(ListAliasName(Info, false))), listBefore);
  EXPECT_FALSE(ReadBatch(id).Finished);
  EXPECT_EQ(RecoverBatches(), std::vector<std::string>{id});
  TBatchInfo b = ReadBatch(id);
  EXPECT_TRUE(b.Finished && b.Recovered);
  EXPECT_EQ(b.Count(kResChanged) + b.Count(kResWarning), results.size());
  for (const TBatchEntry& e : b.Objects) // the digest before, taken from the kept file
    EXPECT_EQ(e.ShaBefore, FileSha256(BatchDir(id) + e.Backup)) << e.File;
  EXPECT_EQ(ReadAll(sysio::OsPath(GetRealName(ListAliasName(Info, false)))), listChanged);
  EXPECT_TRUE(RecoverBatches().empty());
}

namespace {
// Links refused, as on some network shares.
class TNoLinkIo : public TPosixIoSys {
public:
  int Link(const std::string&, const std::string&) override {
    errno = EXDEV;
    return -1;
  }
};
} // namespace

TEST_F(THistoryTest, WhereLinksAreRefusedTheKeptFileIsACopyAndUndoStillWorks) {
  std::map<std::string, std::string> before = Bytes();
  TNoLinkIo io;
  TIoSys* old = SetIoSys(&io);
  std::string id = ChangeAll();
  TBatchInfo b = ReadBatch(id);
  for (const TBatchEntry& e : b.Objects) {
    struct stat st;
    ASSERT_EQ(::stat(sysio::OsPath(BatchDir(id) + e.Backup).c_str(), &st), 0);
    EXPECT_EQ(st.st_nlink, 1u);
  }
  EXPECT_GT(b.Bytes, 0u);
  UndoBatch(b, {}, FileList);
  SetIoSys(old);
  EXPECT_EQ(Bytes(), before);
}

TEST_F(THistoryTest, PruneKeepsTheNewestAndTheReportNamesEveryObject) {
  std::string first = ChangeAll();
  TBatchInfo b = ReadBatch(first);
  std::string undo = UndoBatch(b, {}, FileList).Batch;
  IFaceLang = elg_Rus;
  std::vector<TReportLine> lines = ReportLines(b);
  ASSERT_EQ(lines.size(), b.Objects.size());
  EXPECT_FALSE(lines[0].Before.empty());
  std::string csv = ReportCsv(b, lines), html = ReportHtml(b, lines);
  for (const TBatchEntry& e : b.Objects) {
    EXPECT_NE(csv.find("\n" + std::to_string(e.Number) + ","), std::string::npos);
    EXPECT_NE(html.find("<td>" + std::to_string(e.Number) + "</td>"), std::string::npos);
  }
  EXPECT_NE(csv.find(Utf8FromCp1251("изменен")), std::string::npos);
  EXPECT_NE(html.find(Utf8FromCp1251(lines[0].Before).substr(0, 10)), std::string::npos);

  std::vector<std::string> removed = PruneBatches(1, -1);
  ASSERT_EQ(ListBatches().size(), 1u);
  EXPECT_EQ(removed.size(), 1u);
  EXPECT_EQ(ListBatches()[0], std::max(first, undo));
  EXPECT_TRUE(PruneBatches(0, 3650).empty()); // nothing older than ten years
  EXPECT_FALSE(fs::exists(sysio::OsPath(BatchDir(removed[0]))));
}
