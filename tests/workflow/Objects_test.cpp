// Object tables: names, unsafe variants, line order and hidden contractor lines, the check of
// the demo suite's cases, the change of one object and the information record.
#include "tests/workflow/WorkflowFixture.h"

#include "messages/Zmsg.h"
#include "paths/Dpath.h"
#include "paths/Rdwr_cfg.h"
#include "storage/Dutilfile.h"
#include "storage/Filekeep.h"
#include "storage/Sysio.h"
#include "tests/support/FaultIo.h"
#include "messages/Utslang.h"
#include "workflow/Batch.h"
#include "workflow/Objects.h"
#include "workflow/P145.h"
#include "workflow/Refdata.h"
#include "workflow/Ucommon.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <stdexcept>

namespace fs = std::filesystem;

TEST(Objects, NamesAndUnsafeVariants) {
  EXPECT_EQ(ObjectFileName(ListInfoOf(3, 0), 5, "A", 0), "LPD#5_A.pd1u");
  EXPECT_EQ(ObjectFileName(ListInfoOf(3, 0), 9, "", 1), "LPD#9.pd1r");
  EXPECT_EQ(ObjectFileName(ListInfoOf(5, 1), 17, "", 1), "LBN#17.rusp");
  EXPECT_EQ(ObjectFileName(ListInfoOf(5, 3), 4, "", 0), "LBN#4.ukrm");
  EXPECT_EQ(ObjectFileName(ListInfoOf(1, 0), 5, "X", 0), "LSS#5.aru"); // only contractors
  for (const char* bad : {"../x", "a/b", "a\\b", "..", "a\tb", "\x7F"}) {
    EXPECT_FALSE(IsSafeVariant(bad)) << bad;
    EXPECT_EQ(ObjectFileName(ListInfoOf(3, 0), 5, bad, 0), "");
  }
  EXPECT_TRUE(IsSafeVariant("Вариант 2.1"));
  EXPECT_THROW(ListInfoOf(4, 0), ZError);
  EXPECT_EQ(ListInfoOf(5, 2).Group, 8);
  EXPECT_EQ(ListAliasName(ListInfoOf(2, 0), true), "LDC#AdmDc.rus");
}

TEST(Objects, LineKeyIsBigEndian) {
  char a[4], b[4];
  LineKey(256, a);
  LineKey(5, b);
  EXPECT_EQ(std::string(a, 4), std::string("\0\0\x01\0", 4));
  EXPECT_GT(std::memcmp(a, b, 4), 0);
}

class TObjectsTest : public TSuiteFixture {
protected:
  void SetUp() override {
    TSuiteFixture::SetUp();
    Start();
    OldLang = IFaceLang;
    IFaceLang = elg_Rus; // the texts the tests look for
  }
  std::vector<TObjLine> Load(uint8_t sub, uint8_t bn, bool russian) {
    Info = ListInfoOf(sub, bn);
    Cfg[CfgDocRussian] = russian;
    Files.reset();
    delete FileList;
    FileList = new WFile(ListAliasName(Info, russian));
    Files = std::make_unique<TObjectFiles>(*FileList, *FileRef, RecWork);
    std::vector<TObjLine> lines = LoadObjectLines(*Files, Info, russian);
    CheckObjectLines(*Files, Info, lines, russian);
    return lines;
  }
  void TearDown() override {
    IFaceLang = OldLang;
    Files.reset();
    delete FileList;
    FileList = nullptr;
    TSuiteFixture::TearDown();
  }
  TListInfo Info{};
  std::unique_ptr<TObjectFiles> Files;
  ELang OldLang = elg_Ukr;
};

TEST_F(TObjectsTest, ContractorLinesInKeyOrderWithHiddenRepeat) {
  auto lines = Load(3, 0, false);
  std::vector<uint32_t> fileOrder;
  {
    WRec rec;
    FileList->WOpen_file(1);
    while (FileList->WRead(&rec))
      fileOrder.push_back(*reinterpret_cast<uint32_t*>(rec.Data));
  }
  std::vector<uint32_t> shown;
  for (const TObjLine& l : lines)
    shown.push_back(l.Number);
  EXPECT_NE(shown, fileOrder); // the list file is not in number order
  EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
  // 7 A is read before 7 B; B goes ahead of the equal key A and is the hidden one.
  auto seven = std::find_if(lines.begin(), lines.end(), [](auto& l) { return l.Number == 7; });
  ASSERT_NE(seven, lines.end());
  EXPECT_EQ(seven[0].Variant, "B");
  EXPECT_TRUE(seven[0].Hidden);
  EXPECT_EQ(seven[1].Variant, "A");
  EXPECT_FALSE(seven[1].Hidden);
  EXPECT_EQ(seven[0].File, "LPD#7_B.pd1u");
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](auto& l) { return l.Hidden; }), 1);
  auto unsafe = std::find_if(lines.begin(), lines.end(), [](auto& l) { return l.Number == 11; });
  EXPECT_EQ(unsafe->State, stUnreadable);
  EXPECT_FALSE(fs::exists(Root + "/11.pd1u"));
}

TEST_F(TObjectsTest, EveryDemoCaseGetsItsState) {
  auto expected = [](TDemoCase c) -> uint8_t {
    switch (c) {
    case TDemoCase::New:
      return stReplaced;
    case TDemoCase::UserChanged:
      return stUserChanged;
    case TDemoCase::Damaged:
      return stUnreadable;
    case TDemoCase::Missing:
      return stMissing;
    default:
      return stReplaceable;
    }
  };
  for (bool russian : {true, false}) {
    for (uint8_t sub : {1, 2}) {
      auto lines = Load(sub, 0, russian);
      ASSERT_EQ(lines.size(), 10u);
      for (int i = 0; i < 10; ++i) {
        auto l = std::find_if(lines.begin(), lines.end(),
                              [&](auto& x) { return x.Number == DemoObjectNumber(i); });
        ASSERT_NE(l, lines.end());
        EXPECT_EQ(l->State, expected(DemoProjectCase(i))) << int(sub) << " " << i;
      }
    }
    for (uint8_t bn = 0; bn < 4; ++bn) {
      auto lines = Load(5, bn, russian);
      ASSERT_EQ(lines.size(), 6u);
      for (int i = 0; i < 6; ++i) {
        auto l = std::find_if(lines.begin(), lines.end(),
                              [&](auto& x) { return x.Number == DemoObjectNumber(i) + 100u * bn; });
        ASSERT_NE(l, lines.end());
        EXPECT_EQ(l->State, expected(DemoBlockCase(i))) << int(bn) << " " << i;
        EXPECT_EQ(l->Kind, bn);
      }
    }
  }
}

TEST_F(TObjectsTest, InformationRecordNewInPlaceOrRefused) {
  auto lines = Load(1, 0, false);
  auto line = [&](TDemoCase c) {
    for (int i = 0; i < 10; ++i)
      if (DemoProjectCase(i) == c)
        for (auto& l : lines)
          if (l.Number == DemoObjectNumber(i)) return l;
    throw std::runtime_error("no such case");
  };
  TRecImage image(ImageSize(*ListFields147));
  image.Set<uint32_t>(0, 4242);
  image.SetText(kImgVariant, "V");

  WFile* obj = new WFile(line(TDemoCase::Old149Empty).File);
  UpdateObjectInfo(*obj, image, RecWork);
  WRec rec;
  EXPECT_EQ(obj->WOpen_file(kInfoGroup), 7u + kInfoRecLen + 8);
  ASSERT_TRUE(obj->WRead(&rec));
  EXPECT_EQ(rec.Len, kInfoRecLen);
  EXPECT_EQ(rec.Prefix, 0);
  EXPECT_EQ(*reinterpret_cast<uint32_t*>(rec.Data), 4242u);
  delete obj;

  obj = new WFile(line(TDemoCase::Old).File);
  uint32_t end = obj->Header.End, first = obj->Dir[kInfoGroup].Offset;
  UpdateObjectInfo(*obj, image, RecWork);
  EXPECT_EQ(obj->Header.End, end); // in place
  obj->WOpen_file(kInfoGroup);
  ASSERT_TRUE(obj->WRead(&rec));
  EXPECT_EQ(obj->LastAdr, first);
  EXPECT_EQ(*reinterpret_cast<uint32_t*>(rec.Data), 4242u);
  EXPECT_EQ(std::string(rec.Data + 19000, 500), std::string(500, '\0'));
  delete obj;

  obj = new WFile(line(TDemoCase::Old149Other).File);
  try {
    UpdateObjectInfo(*obj, image, RecWork);
    ADD_FAILURE();
  } catch (const ZError& e) {
    EXPECT_EQ(e.Number, 16);
  }
  delete obj;
}

TEST_F(TObjectsTest, ChangeOfOneProject) {
  auto lines = Load(1, 0, true);
  const TObjLine& l = *std::find_if(lines.begin(), lines.end(), [](auto& x) {
    return x.Number == DemoObjectNumber(0); // an old calculation
  });
  WRec listRec;
  FileList->WRead(l.Adr, &listRec);
  uint32_t oldFlags;
  std::memcpy(&oldFlags, listRec.Data + 5, 4);
  int writes = 0;
  auto writer = [&](WRec* r) {
    ++writes;
    FileList->WUpdate(l.Adr, r);
  };
  TChangeOutcome out = ChangeObject(*Files, Info, l, listRec, 1, writer);
  EXPECT_EQ(out.Result, TChangeResult::Changed) << out.Error;
  EXPECT_EQ(writes, 1);
  FileList->WRead(l.Adr, &listRec);
  uint32_t flags;
  std::memcpy(&flags, listRec.Data + 5, 4);
  EXPECT_EQ(flags, oldFlags | kChangedFlags);
  EXPECT_EQ(def_unused(GetRealName(l.File)), 0);
  EXPECT_EQ(CheckObject(*Files, Info, l, 1), stReplaced);
  // A second change finds nothing to do and writes nothing.
  EXPECT_EQ(ChangeObject(*Files, Info, l, listRec, 1, writer).Result, TChangeResult::Unchanged);
  EXPECT_EQ(writes, 1);
  // Settings blocks: the list file is never written.
  auto blocks = Load(5, 2, true);
  const TObjLine& b =
      *std::find_if(blocks.begin(), blocks.end(), [](auto& x) { return x.State == stReplaceable; });
  FileList->WRead(b.Adr, &listRec);
  EXPECT_EQ(ChangeObject(*Files, Info, b, listRec, 1, writer).Result, TChangeResult::Changed);
  EXPECT_EQ(writes, 1);
  EXPECT_EQ(CheckObject(*Files, Info, b, 1), stReplaced);
}

namespace {
std::vector<std::string> GroupRecords(const std::string& path, int group) {
  WFile f(path);
  WRec rec;
  std::vector<std::string> out;
  f.WOpen_file(static_cast<unsigned long>(group));
  while (f.WRead(&rec))
    out.push_back(std::to_string(rec.Prefix) + std::string(rec.Data, rec.Len));
  return out;
}
} // namespace

TEST_F(TObjectsTest, AFailureAnywhereLeavesTheOldOrTheNewCalculation) {
  auto lines = Load(5, 2, true);
  const TObjLine& b =
      *std::find_if(lines.begin(), lines.end(), [](auto& x) { return x.State == stReplaceable; });
  std::string path = GetRealName(b.File), os = sysio::OsPath(path);
  std::string original = ReadAll(os);
  WRec listRec;
  auto noWrite = [](WRec*) {};
  std::vector<std::string> oldCalc = GroupRecords(path, 33);
  ASSERT_EQ(ChangeObject(*Files, Info, b, listRec, 1, noWrite).Result, TChangeResult::Changed);
  std::vector<std::string> newCalc = GroupRecords(path, 33);
  ASSERT_NE(oldCalc, newCalc);
  int failures = 0;
  for (long k = 1; k < 2000; ++k) {
    WriteAll(os, original);
    TChangeOutcome out;
    bool fired;
    {
      TFaultScope scope;
      scope.Io.Arm(TFaultIo::TKind::FailOnce, k);
      out = ChangeObject(*Files, Info, b, listRec, 1, noWrite);
      fired = scope.Io.Fired();
    }
    if (!fired) break;
    failures += out.Result == TChangeResult::Failed;
    ASSERT_TRUE(sysio::FileExists(path)) << "object file lost by a fault at call " << k;
    std::vector<std::string> now = GroupRecords(path, 33);
    EXPECT_TRUE(now == oldCalc || now == newCalc) << "fault at call " << k;
    EXPECT_FALSE(fs::exists(os + "$w") || fs::exists(os + "$")) << "scratch left, call " << k;
  }
  EXPECT_GT(failures, 10);
}

TEST_F(TObjectsTest, AChangedObjectKeepsItsMode) {
  auto lines = Load(5, 2, true);
  const TObjLine& b =
      *std::find_if(lines.begin(), lines.end(), [](auto& x) { return x.State == stReplaceable; });
  std::string os = sysio::OsPath(GetRealName(b.File));
  ASSERT_EQ(::chmod(os.c_str(), 0600), 0);
  WRec listRec;
  const mode_t umaskWas = ::umask(022); // a file made with the default mode would get 0644
  TChangeResult result = ChangeObject(*Files, Info, b, listRec, 1, [](WRec*) {}).Result;
  ::umask(umaskWas);
  ASSERT_EQ(result, TChangeResult::Changed);
  unsigned mode = static_cast<unsigned>(fs::status(os).permissions());
  EXPECT_EQ(mode, 0600u) << std::oct << "mode 0" << mode;
}

namespace {
// The old way of changing an object: in place on the file itself, then compressed.
void ChangeInPlace(const TListInfo& info, const TObjLine& l, const WRec& listRec,
                   const std::string& path) {
  TRecImage image;
  WFile* obj = new WFile(path);
  bool infoError = false;
  if (info.Projects()) {
    image.Resize(ImageSize(*ListFields147));
    RecStruct(ListFields147, &listRec, image);
    image.Set<uint32_t>(kImgFlags, image.Get<uint32_t>(kImgFlags) | kChangedFlags);
    try {
      UpdateObjectInfo(*obj, image, RecWork);
    } catch (const ZError& e) {
      ASSERT_EQ(e.Number, 16);
      infoError = true;
    }
  }
  ReplaceP145(*obj, info.CalcGroup, *FileRef, RefGroupOf(l.Kind, true, false) + 8, RecWork);
  delete obj;
  if (!infoError) compress_bf(path, 0);
}

// Fails (or only counts) the flushes of the objects' directories; the history's own, in the
// configuration directory, are flushed apart.
class TDirSyncIo : public TFaultIo {
public:
  int Open(const std::string& path, int flags, mode_t mode) override {
    int fd = TFaultIo::Open(path, flags, mode);
    bool history = path.find("/CFG") != std::string::npos;
    if (fd >= 0 && (flags & O_DIRECTORY) && !history)
      Dirs.insert(fd);
    else
      Dirs.erase(fd);
    return fd;
  }
  int FullSync(int fd) override {
    if (!Dirs.count(fd)) return TFaultIo::FullSync(fd);
    ++DirSyncs;
    if (!Fail) return TFaultIo::FullSync(fd);
    errno = EIO;
    return -1;
  }
  std::set<int> Dirs;
  bool Fail = false;
  int DirSyncs = 0;
};
} // namespace

// Every kind of object (information record rewritten, written as a new group, or of another
// length) ends with the same bytes as when changed in place and compressed.
TEST_F(TObjectsTest, TheChangeEndsWithTheBytesOfAnInPlaceChange) {
  int compared = 0;
  for (auto [sub, bn] : {std::pair{1, 0}, {2, 0}, {3, 0}, {5, 0}, {5, 1}, {5, 2}, {5, 3}}) {
    auto lines = Load(static_cast<uint8_t>(sub), static_cast<uint8_t>(bn), true);
    for (const TObjLine& l : lines) {
      if (l.State != stReplaceable) continue;
      std::string path = GetRealName(l.File), os = sysio::OsPath(path);
      WriteAll(os + ".old", ReadAll(os));
      WRec listRec;
      FileList->WRead(l.Adr, &listRec);
      ChangeInPlace(Info, l, listRec, path + ".old");
      TChangeOutcome out = ChangeObject(*Files, Info, l, listRec, 1, [](WRec*) {});
      EXPECT_NE(out.Result, TChangeResult::Unchanged) << l.File;
      EXPECT_EQ(ReadAll(os), ReadAll(os + ".old")) << l.File << ": " << out.Error;
      EXPECT_FALSE(fs::exists(os + "$w") || fs::exists(os + "$")) << l.File;
      ++compared;
    }
  }
  EXPECT_GT(compared, 10);
}

TEST_F(TObjectsTest, ABatchFlushesEachDirectoryOnceBeforeReportingSuccess) {
  auto batch = [&](uint8_t sub, bool fail, int& dirSyncs) {
    auto lines = Load(sub, 0, true);
    std::vector<const TObjLine*> chosen;
    for (const TObjLine& l : lines)
      if (l.State == stReplaceable) chosen.push_back(&l);
    std::vector<TChangeFailure> failures;
    std::vector<TChangeItem> items;
    {
      TDirSyncIo io;
      io.Fail = fail;
      TIoSys* previous = SetIoSys(&io);
      items = ChangeObjects(*Files, Info, chosen, 1, failures);
      SetIoSys(previous);
      dirSyncs = io.DirSyncs;
    }
    EXPECT_GT(chosen.size(), 1u);
    int changed = 0, warned = 0;
    for (const TChangeItem& i : items) {
      changed += i.Outcome.Result == TChangeResult::Changed;
      warned += i.Outcome.Warning.find("не сброшен на диск") != std::string::npos;
    }
    EXPECT_EQ(changed + FailedCount(failures), chosen.size());
    return std::pair{changed, warned};
  };
  int syncs = 0;
  auto [changed, warned] = batch(1, false, syncs);
  EXPECT_GT(changed, 1);
  EXPECT_EQ(syncs, 1);
  // When the flush fails the objects are in place all the same: changed, each with a warning.
  auto [changed2, warned2] = batch(2, true, syncs);
  EXPECT_GT(changed2, 1);
  EXPECT_EQ(warned2, changed2);
  EXPECT_EQ(syncs, 1);
}

TEST_F(TObjectsTest, ALinkPlantedAtTheWorkingCopysOldNameIsNeverFollowed) {
  auto lines = Load(5, 2, true);
  const TObjLine& b =
      *std::find_if(lines.begin(), lines.end(), [](auto& x) { return x.State == stReplaceable; });
  std::string os = sysio::OsPath(GetRealName(b.File)), victim = os + ".victim";
  fs::create_symlink(victim, os + "$w");
  WRec listRec;
  FileList->WRead(b.Adr, &listRec);
  TChangeOutcome out = ChangeObject(*Files, Info, b, listRec, 1, [](WRec*) {});
  // The copy is in memory: the link is removed as a leftover, never written through.
  EXPECT_EQ(out.Result, TChangeResult::Changed) << out.Error;
  EXPECT_FALSE(fs::exists(victim));
  EXPECT_FALSE(fs::is_symlink(os + "$w"));
  EXPECT_EQ(CheckObject(*Files, Info, b, 1), stReplaced);
}

namespace {
// Refuses to give a file away (as to an ordinary user) and, when asked, to set its group.
class TNoChownIo : public TPosixIoSys {
public:
  int ChangeOwner(int fd, uid_t uid, gid_t gid) override {
    if (uid != static_cast<uid_t>(-1) || RefuseGroup) {
      errno = EPERM;
      return -1;
    }
    return TPosixIoSys::ChangeOwner(fd, uid, gid);
  }
  bool RefuseGroup = false;
};
} // namespace

// An owner the process may not give is a warning naming both owners; a group it may not set
// fails the object, which stays as it was, its list record written back.
TEST_F(TObjectsTest, AnOwnerNotKeptWarnsAndAGroupNotKeptFails) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give the object file another owner";
  auto lines = Load(1, 0, true);
  const TObjLine& l = *std::find_if(lines.begin(), lines.end(), [](auto& x) {
    return x.Number == DemoObjectNumber(0); // an old calculation
  });
  std::string os = sysio::OsPath(GetRealName(l.File));
  ASSERT_EQ(::chown(os.c_str(), 1234, 5678), 0);
  std::string original = ReadAll(os);
  WRec listRec;
  FileList->WRead(l.Adr, &listRec);
  std::vector<std::string> written;
  auto writer = [&](WRec* r) { written.emplace_back(r->Data, r->Len); };
  TNoChownIo io;
  TIoSys* previous = SetIoSys(&io);
  io.RefuseGroup = true;
  TChangeOutcome failed = ChangeObject(*Files, Info, l, listRec, 1, writer);
  io.RefuseGroup = false;
  std::string afterFail = ReadAll(os);
  TChangeOutcome warned = ChangeObject(*Files, Info, l, listRec, 1, writer);
  SetIoSys(previous);

  EXPECT_EQ(failed.Result, TChangeResult::Failed);
  EXPECT_NE(failed.Error.find("5678"), std::string::npos) << failed.Error;
  EXPECT_TRUE(afterFail == original);
  ASSERT_EQ(written.size(), 3u); // new, the old bytes back, new again
  EXPECT_EQ(written[1], std::string(listRec.Data, listRec.Len));
  EXPECT_EQ(warned.Result, TChangeResult::Changed) << warned.Error;
  EXPECT_EQ(warned.Warning, "владелец файла " + GetRealName(l.File) + " не сохранен: был " +
                                UserName(1234) + ", стал " + UserName(0));
  struct stat st;
  ASSERT_EQ(::stat(os.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 0u);
  EXPECT_EQ(st.st_gid, 5678u);
  EXPECT_EQ(CheckObject(*Files, Info, l, 1), stReplaced);
}
