// Record files: reading chains, group rewriting, in-place edits, simple files, the failure
// messages, and damaged files that must give errors rather than hangs or crashes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include "messages/Msgcat.h"
#include "messages/Utslang.h"
#include "messages/Zmsg.h"
#include "storage/Dutilfile.h"
#include "storage/Dwfile.h"
#include "storage/Sysio.h"
#include "tests/support/RecBytes.h"
#include "tests/support/Tempdir.h"

namespace {
using TRecs = std::vector<std::pair<int, std::string>>;

ZError Caught(const std::function<void()>& f) {
  try {
    f();
  } catch (const ZError& e) {
    return e;
  }
  ADD_FAILURE() << "no error raised";
  return ZError("", -1);
}

// One group: A, a removed B, C relocated to C' at the end, C' linking back to D, the marker.
std::string ChainFile() {
  std::string area = Rec(0, EmptyAdr, "AAA") + Rec(-128, EmptyAdr, "BB") + Rec(-127, 63, "CCCC") +
                     Rec(1, EmptyAdr, "DD") + Marker() + Rec(1, 46, "C-new");
  return Composite({{16, 39}}, area);
}

struct Files : ::testing::Test {
  TTempDir Tmp;
  std::string Path = Tmp / "f.bn";
};
} // namespace

TEST_F(Files, EmptyGroupYieldsMarkerAtOnce) {
  creat_bf(Path, 3, nullptr);
  WFile f(Path);
  EXPECT_EQ(f.Header.End, 56u);
  EXPECT_EQ(f.WOpen_file(2), 8u);
  WRec rec;
  EXPECT_FALSE(f.WRead(&rec));
  EXPECT_EQ(rec.Len, 1);
  EXPECT_EQ(rec.Data[0], '@');
  EXPECT_EQ(f.LastAdr, 48u);
}

TEST_F(Files, ChainReadsOverRemovedAndFollowsRelocation) {
  WriteAll(Path, ChainFile());
  EXPECT_EQ(GroupRecords(Path, 0), (TRecs{{0, "AAA"}, {1, "C-new"}, {1, "DD"}}));
  WFile f(Path);
  int adr = 0;
  EXPECT_EQ(f.WOpen_file(0, adr), 39u);
  EXPECT_EQ(adr, 16);
  WRec rec;
  adr = 63;
  EXPECT_TRUE(f.WRead(&rec, adr)); // a record with a link returns the link
  EXPECT_EQ(adr, 46);
  EXPECT_EQ(rec.Adr, 46u);
  EXPECT_EQ(f.LastAdr, 63u);
  EXPECT_TRUE(f.WRead(46, &rec));
  EXPECT_EQ(std::string(rec.Data, rec.Len), "DD");
  EXPECT_EQ(f.CurAdr, 55u);
}

// A copy in memory takes the same edits as the file, compresses to the same bytes, and leaves
// the file on the disk as it was.
TEST_F(Files, ACopyInMemoryEditsAndCompressesAsTheFileDoes) {
  WriteAll(Path, ChainFile());
  std::string original = ReadAll(Path);
  auto copy = std::make_unique<SFile>(SFile::TInMemory{}, Path + "$w");
  copy->SWrite(original.data(), static_cast<int>(original.size()));
  auto edit = [](WFile& f) {
    f.WCreat_file(0);
    f.WWrite(1, 5, "fresh");
    f.WClose_file(0);
  };
  {
    WFile mem(std::move(copy));
    edit(mem);
    compress_to(mem, Tmp / "mem.bn", {}, Path);
  }
  EXPECT_EQ(ReadAll(Path), original);
  {
    WFile disk(Path);
    edit(disk);
  }
  compress_to(*std::make_unique<WFile>(Path), Tmp / "disk.bn", {}, Path);
  EXPECT_EQ(GroupRecords(Tmp / "mem.bn", 0), (TRecs{{1, "fresh"}}));
  EXPECT_EQ(ReadAll(Tmp / "mem.bn"), ReadAll(Tmp / "disk.bn"));
  SFile gap(SFile::TInMemory{}, "gap");
  gap.Seek(4);
  gap.SWrite("x", 1);
  char buf[8];
  EXPECT_EQ(gap.SReadAt(buf, 8, 0), 5);
  EXPECT_EQ(std::string(buf, 5), std::string(4, '\0') + "x");
  EXPECT_EQ(gap.Size(), 5u);
}

TEST_F(Files, GroupRewriteAppendsAndPointsDirectory) {
  creat_bf(Path, 5, nullptr);
  std::string before = ReadAll(Path);
  uint32_t e = 16 * 5 + 8;
  {
    WFile f(Path);
    f.WCreat_file(3);
    WRec a, b;
    a.Len = 10;
    b.Len = 20;
    std::fill(a.Data, a.Data + 10, 'a');
    std::fill(b.Data, b.Data + 20, 'b');
    f.WWrite(&a);
    f.WWrite(&b);
    f.WClose_file(3);
    EXPECT_EQ(f.Dir[3].Offset, e);
    EXPECT_EQ(f.Dir[3].Size, 52u);
    EXPECT_EQ(f.Header.End, e + 52);
  }
  std::string after = ReadAll(Path);
  std::string expect = before;
  expect.replace(0, 4, Le32(e + 52));
  expect.replace(8 + 8 * 3, 8, Le32(e) + Le32(52));
  expect +=
      Rec(0, EmptyAdr, std::string(10, 'a')) + Rec(0, EmptyAdr, std::string(20, 'b')) + Marker();
  EXPECT_EQ(after, expect);
  EXPECT_FALSE(sysio::FileExists(Path + "$$"));
}

TEST_F(Files, EditsKeepChainOrderAndCompressionKeepsContent) {
  creat_bf(Path, 2, nullptr);
  {
    WFile f(Path);
    f.WCreat_file(1);
    f.WWrite(0, 3, "one");
    f.WWrite(0, 3, "two");
    f.WWrite(0, 5, "three");
    f.WClose_file(1);
  }
  auto edit = [&](WEdit kind, unsigned long r, unsigned long next, const std::string& data) {
    WFile f(Path);
    WRec rec;
    rec.Len = static_cast<uint16_t>(data.size());
    std::copy(data.begin(), data.end(), rec.Data);
    return f.WEditFile(kind, 1, r, next, &rec);
  };
  EXPECT_EQ(edit(weDelete, 50, 0, ""), 50u);
  std::string bytes = ReadAll(Path);
  EXPECT_EQ(bytes.substr(50, 5), std::string("\x80") + Le32(EmptyAdr)); // only bit 7 set
  EXPECT_EQ(GroupRecords(Path, 1), (TRecs{{0, "one"}, {0, "three"}}));

  EXPECT_EQ(edit(weReplace, 60, 0, "THREE"), 60u); // same length: in place
  EXPECT_EQ(ReadAll(Path).size(), 80u);
  EXPECT_EQ(edit(weReplace, 40, 0, "uno!"), 80u); // relocation continues at the old successor
  bytes = ReadAll(Path);
  EXPECT_EQ(bytes.substr(40, 5), std::string("\x80") + Le32(80));
  EXPECT_EQ(bytes.substr(80), Rec(0, 50, "uno!"));
  EXPECT_EQ(GroupRecords(Path, 1), (TRecs{{0, "uno!"}, {0, "THREE"}}));

  EXPECT_EQ(edit(weInsert, 60, 72, "four"), 91u);
  EXPECT_EQ(edit(weInsert, EmptyAdr, 40, "zero"), 102u);
  EXPECT_EQ(edit(weMove, 91, 72, "FOUR!"), 113u);
  TRecs expect{{0, "zero"}, {0, "uno!"}, {0, "THREE"}, {0, "FOUR!"}};
  EXPECT_EQ(GroupRecords(Path, 1), expect);
  {
    WFile f(Path);
    EXPECT_EQ(f.Header.End, 125u);
    EXPECT_EQ(f.Dir[1].Offset, 102u);
    EXPECT_EQ(f.Dir[1].Size, 54u);
    EXPECT_EQ(ReadAll(Path).substr(60, 5), std::string(1, '\0') + Le32(91)); // prefix kept
  }
  compress_bf(Path, 0);
  EXPECT_EQ(GroupRecords(Path, 1), expect);
  EXPECT_EQ(def_unused(Path), 0);
  std::string packed = ReadAll(Path);
  EXPECT_EQ(packed.size(), 8u + 16 + 8 + 54);
  EXPECT_EQ(packed.substr(24), Marker() + Rec(0, EmptyAdr, "zero") + Rec(0, EmptyAdr, "uno!") +
                                   Rec(0, EmptyAdr, "THREE") + Rec(0, EmptyAdr, "FOUR!") +
                                   Marker());
}

TEST_F(Files, RemovingFirstRecordKeepsDirectoryOffset) {
  WriteAll(Path, ChainFile());
  WFile f(Path);
  WRec rec;
  f.WEditFile(weDelete, 0, 16, 0, &rec);
  EXPECT_EQ(f.Dir[0].Offset, 16u);
  EXPECT_EQ(f.Dir[0].Size, 29u);
  f.WOpen_file(0);
  ASSERT_TRUE(f.WRead(&rec));
  EXPECT_EQ(std::string(rec.Data, rec.Len), "C-new");
}

TEST_F(Files, UpdateInPlaceAndPrefixes) {
  WriteAll(Path, ChainFile());
  WFile f(Path);
  WRec rec;
  rec.Len = 5;
  std::copy_n("c-NEW", 5, rec.Data);
  f.WUpdate(63, &rec); // equal length: data only
  EXPECT_EQ(ReadAll(Path).substr(63), Rec(1, 46, "c-NEW"));
  rec.Len = 4;
  ZError e = Caught([&] { f.WUpdate(63, &rec); });
  EXPECT_EQ(e.Number, 16);
  EXPECT_EQ(e.Message, f.Name);
  EXPECT_EQ(f.WUpdatePrefix(46, 0x20), 2);
  EXPECT_EQ(f.WUpdatePrefix(16, 99, 0), 3);
  std::string bytes = ReadAll(Path);
  EXPECT_EQ(bytes.substr(46, 5), std::string(1, 0x21) + Le32(EmptyAdr));
  EXPECT_EQ(bytes.substr(16, 5), std::string(1, 0) + Le32(99));
  f.WUpdateLogInfo(0, 63);
  EXPECT_EQ(ReadAll(Path).substr(8, 4), Le32(63));
  f.WClear_file(0);
  bytes = ReadAll(Path);
  EXPECT_EQ(bytes.substr(63, 8), Marker());
  EXPECT_EQ(bytes.substr(12, 4), Le32(8));
  EXPECT_EQ(GroupRecords(Path, 0), TRecs{});
}

TEST_F(Files, SimpleFilesCreateAppendAndAddress) {
  { WFile f(Path, fmCreate); }
  EXPECT_EQ(ReadAll(Path), Marker());
  {
    WFile f(Path, fmRewrite);
    f.WWrite(std::string("abc"));
    WRec rec;
    rec.Prefix = 5;
    rec.Adr = 1234;
    rec.Len = 2;
    std::copy_n("xy", 2, rec.Data);
    f.WWrite(&rec);
    EXPECT_EQ(rec.Adr, EmptyAdr);
  }
  std::string two = Rec(0, EmptyAdr, Le16(3) + "abc") + Rec(5, EmptyAdr, "xy");
  EXPECT_EQ(ReadAll(Path), two + Marker());
  {
    WFile f(Path, fmAppend);
    EXPECT_EQ(f.Header.End, two.size());
    f.WWrite(7, 1, "z");
  }
  std::string three = two + Rec(7, EmptyAdr, "z");
  EXPECT_EQ(ReadAll(Path), three + Marker());
  WFile f(Path, fmUpdate);
  WRec rec;
  rec.Len = 3;
  std::copy_n("far", 3, rec.Data);
  EXPECT_EQ(f.WWriteAppend(&rec), 10u);
  EXPECT_EQ(ReadAll(Path), three + Marker() + Rec(0, EmptyAdr, "far"));
  uint32_t behind = static_cast<uint32_t>(three.size() + 8);
  ASSERT_TRUE(f.WRead(behind, &rec));
  EXPECT_EQ(std::string(rec.Data, rec.Len), "far");
  f.WSeekEnd();
  EXPECT_EQ(f.CurAdr, behind + 10 - 8);
  f.WSeek(0);
  std::vector<std::string> seen;
  while (f.WRead(&rec))
    seen.emplace_back(rec.Data, rec.Len);
  EXPECT_EQ(seen, (std::vector<std::string>{Le16(3) + "abc", "xy", "z"}));
}

TEST_F(Files, FailureTableMessages) {
  struct TLang {
    ELang Saved = IFaceLang;
    ~TLang() { IFaceLang = Saved; }
  } lang;
  IFaceLang = elg_Rus;
  creat_bf(Path, 3, nullptr);
  std::string simple = Tmp / "s.tmp";
  { WFile s(simple, fmCreate); }
  WFile f(Path);
  WFile s(simple, fmUpdate);
  WFile r(simple, fmRead);
  const std::string& n = f.Name;
  const std::string& sn = s.Name;
  WRec rec;
  rec.Len = 1;
  auto text = [](const std::function<void()>& g) {
    ZError e = Caught(g);
    EXPECT_EQ(e.Number, 0);
    return e.Message;
  };
  EXPECT_EQ(text([&] { f.WOpen_file(3); }), "Для файла " + n + " неверен номер лог. файла 3");
  EXPECT_EQ(text([&] { f.WClear_file(7); }), "Для файла " + n + " неверен номер лог. файла 7");
  EXPECT_EQ(text([&] { f.WCreat_file(3); }), "Для файла " + n + " неверен номер лог. файла 3");
  EXPECT_EQ(text([&] { f.WBOpenFile(4, wbLength); }),
            "Для файла " + n + " неверен номер лог. файла 4");
  EXPECT_EQ(text([&] { s.WOpen_file(0); }),
            "Для файла " + sn + " невозможна открытие логического файла");
  EXPECT_EQ(text([&] { s.WClear_file(0); }),
            "Для файла " + sn + " невозможна очистка логического файла");
  EXPECT_EQ(text([&] { s.WCreat_file(0); }), "Файл " + sn + " не является составным");
  EXPECT_EQ(text([&] { s.WClose_file(0); }), "Файл " + sn + " не является составным");
  EXPECT_EQ(text([&] { f.WClose_file(1); }), "Для файла " + n + " не выполнено создание файла 1");
  EXPECT_EQ(text([&] { f.WWrite(&rec); }), "Невозможна запись в несуществующий файл TMP");
  EXPECT_EQ(text([&] { s.WWrite(&rec); }), "Файл " + sn + " не открыт для записи или дозаписи");
  EXPECT_EQ(text([&] { s.WWrite(std::string("t")); }),
            "Файл " + sn + " не открыт для записи или дозаписи");
  EXPECT_EQ(text([&] { s.WWrite(0, 1, "x"); }),
            "Файл " + sn + " не открыт для записи или дозаписи");
  // An edit of a file opened for reading alone is told in the catalogue's words.
  const std::vector<std::function<void()>> edits = {[&] { r.WWriteEdit(&rec); },
                                                    [&] { r.WUpdate(0, &rec); }};
  for (const auto& edit : edits) {
    ZError e = Caught(edit);
    EXPECT_EQ(e.Number, MsgWriteReadOnly);
    EXPECT_EQ(e.Message, sn);
  }
  EXPECT_EQ(text([&] { f.WSeekEnd(); }), "Файл " + n + " должен быть простым");
  EXPECT_EQ(text([&] { f.WWriteAppend(&rec); }), "Файл " + n + " должен быть простым");
  f.WBCreatFile(2, wbLength);
  EXPECT_EQ(text([&] { f.WPut("x", 0); }),
            "Для файла " + n + " задана нулевая длина логической записи2");
  f.WBCloseFile();
  uint32_t beyond = f.Header.End + 1;
  ZError e = Caught([&] { f.WSeek(beyond); });
  EXPECT_EQ(e.Number, 10);
  EXPECT_EQ(e.Message, n + "|" + std::to_string(beyond));
  // In a Ukrainian interface the same refusals read in Ukrainian.
  IFaceLang = elg_Ukr;
  EXPECT_EQ(text([&] { f.WOpen_file(3); }), "Для файлу " + n + " невірний номер лог. файлу 3");
  EXPECT_EQ(text([&] { s.WOpen_file(0); }),
            "Для файлу " + sn + " неможливе відкриття логічного файлу");
  EXPECT_EQ(text([&] { f.WWrite(&rec); }), "Неможливий запис у неіснуючий файл TMP");
  f.WBCreatFile(2, wbLength);
  EXPECT_EQ(text([&] { f.WPut("x", 0); }),
            "Для файлу " + n + " задано нульову довжину логічного запису2");
  f.WBCloseFile();
}

TEST_F(Files, ScratchThatCannotBeMadeLeavesNoGroupUnderConstruction) {
  creat_bf(Path, 3, nullptr);
  ASSERT_EQ(mkdir((Path + "$$").c_str(), 0700), 0); // the scratch name is taken by a directory
  WFile f(Path);
  EXPECT_EQ(Caught([&] { f.WCreat_file(1); }).Number, 99);
  EXPECT_EQ(Caught([&] { f.WWrite(0, 1, "x"); }).Message,
            "Невозможна запись в несуществующий файл TMP");
  EXPECT_EQ(Caught([&] { f.WClose_file(1); }).Message,
            "Закрытие файла невозможно для несуществующего файла TMP$");
}

TEST_F(Files, ScratchNeverFollowsAPlantedLink) {
  creat_bf(Path, 3, nullptr);
  std::string victim = Tmp / "victim";
  WriteAll(victim, "keep");
  ASSERT_EQ(symlink(victim.c_str(), (Path + "$$").c_str()), 0);
  {
    WFile f(Path);
    f.WCreat_file(0); // the link itself is removed, never written through
    f.WWrite(0, 2, "hi");
    f.WClose_file(0);
  }
  EXPECT_EQ(ReadAll(victim), "keep");
  EXPECT_EQ(GroupRecords(Path, 0), (TRecs{{0, "hi"}}));
}

TEST_F(Files, ClosingOrderErrors) {
  creat_bf(Path, 5, nullptr);
  WFile f(Path);
  f.StrictClose = true;
  f.WCreat_file(3);
  f.WWrite(0, 1, "a");
  EXPECT_EQ(Caught([&] { f.WCreat_file(4); }).Message,
            "Для файла " + f.Name + " не выполнено закрытие файла 3");
  EXPECT_EQ(f.Dir[3].Size, 16u); // group 3 was closed first, group 4 not started
  EXPECT_EQ(f.NewGroup, EmptyAdr);
  f.WCreat_file(4);
  f.WWrite(0, 1, "b");
  EXPECT_EQ(Caught([&] { f.WClose_file(2); }).Message,
            "Для файла " + f.Name + " ошибочно задан номер файла 2 вместо 4");
  EXPECT_EQ(f.Dir[4].Size, 16u);
  EXPECT_EQ(f.NewGroup, EmptyAdr);
}

TEST_F(Files, DestructorCommitsNormallyAndDropsWhileUnwinding) {
  creat_bf(Path, 3, nullptr);
  {
    WFile f(Path);
    f.WCreat_file(1);
    f.WWrite(0, 3, "new");
  }
  EXPECT_EQ(GroupRecords(Path, 1), (TRecs{{0, "new"}}));
  try {
    WFile f(Path);
    f.WCreat_file(1);
    f.WWrite(0, 4, "half");
    throw std::runtime_error("reading the source failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(GroupRecords(Path, 1), (TRecs{{0, "new"}}));
  EXPECT_FALSE(sysio::FileExists(Path + "$$"));
  bool raised = false;
  try {
    WFile f(Path);
    f.StrictClose = true;
    f.WCreat_file(2);
    f.WWrite(0, 1, "s");
  } catch (const ZError& e) {
    raised = true;
    EXPECT_EQ(e.Message, "Для файла " + Path + " не выполнено закрытие файла 2");
  }
  EXPECT_TRUE(raised);
  EXPECT_EQ(GroupRecords(Path, 2), (TRecs{{0, "s"}}));
}

TEST_F(Files, BlockRoundTripInAllThreeForms) {
  creat_bf(Path, 4, nullptr);
  InitBuf();
  std::vector<std::string> entries;
  for (int i = 0; i < 3000; ++i)
    entries.push_back("entry-" + std::to_string(i * 7919 % 100000));
  struct TCase {
    unsigned group;
    WBForm form;
    int fixed;
    std::string delim;
  };
  for (const TCase& c :
       {TCase{1, wbDelim, 0, "\r\n"}, TCase{2, wbLength, 0, ""}, TCase{3, wbFixed, 11, ""}}) {
    std::vector<std::string> put;
    for (const std::string& e : entries)
      put.push_back(c.form == wbFixed ? (e + std::string(11, '.')).substr(0, 11) : e);
    {
      WFile f(Path);
      f.WBCreatFile(c.group, c.form, c.fixed, c.delim);
      for (const std::string& e : put)
        f.WPut(e.data(), static_cast<int>(e.size()));
      f.WBCloseFile();
    }
    WFile f(Path);
    EXPECT_GT(f.Dir[c.group].Size, 20000u); // spans several records
    f.WBOpenFile(c.group, c.form, c.fixed, c.delim);
    std::vector<std::string> got;
    std::string e;
    while (f.WGet(e))
      got.push_back(e);
    f.WBCloseFile();
    EXPECT_EQ(got, put);
    auto recs = GroupRecords(Path, c.group);
    for (auto& r : recs)
      EXPECT_LE(r.second.size(), 19999u);
  }
  DeInitBuf();
}

// ---- damaged files ----

TEST_F(Files, LoopingChainIsAnError) {
  // The second record links back to the first.
  WriteAll(Path, Composite({{16, 20}}, Rec(0, EmptyAdr, "ab") + Rec(0, 16, "cd")));
  WFile f(Path);
  f.WOpen_file(0);
  WRec rec;
  ZError e = Caught([&] {
    for (int i = 0; i < 1000000; ++i)
      f.WRead(&rec);
  });
  EXPECT_EQ(e.Number, MsgChainLoop);
  EXPECT_EQ(e.Message, f.Name);
  // A loop through removed records alone is caught inside one read.
  WriteAll(Path, Composite({{16, 20}}, Rec(-128, 25, "ab") + Rec(-128, 16, "cd")));
  WFile g(Path);
  g.WOpen_file(0);
  EXPECT_EQ(Caught([&] { g.WRead(&rec); }).Number, MsgChainLoop);
}

TEST_F(Files, BadLengthsAreErrors) {
  WriteAll(Path, Composite({{16, 8}}, RecHead(0, EmptyAdr, 20001) + std::string(20001, 'x')));
  WFile f(Path);
  f.WOpen_file(0);
  WRec rec;
  ZError e = Caught([&] { f.WRead(&rec); });
  EXPECT_EQ(e.Number, 11);
  EXPECT_EQ(e.Message, f.Name + "|( 20001)|20000");

  WriteAll(Path, Composite({{16, 8}}, RecHead(0, EmptyAdr, 0) + Marker()));
  WFile g(Path);
  g.WOpen_file(0);
  e = Caught([&] { g.WRead(&rec); });
  EXPECT_EQ(e.Number, 9);
  EXPECT_EQ(e.Message, g.Name);

  // A record longer than the caller's buffer.
  WriteAll(Path, Composite({{16, 8}}, Rec(0, EmptyAdr, "0123456789") + Marker()));
  WFile h(Path);
  h.WOpen_file(0);
  WRec small(4);
  EXPECT_EQ(Caught([&] { h.WRead(&small); }).Message, h.Name + "|( 10)|4");
}

TEST_F(Files, DamagedLayoutsAreErrors) {
  std::string good = ChainFile();
  auto openError = [&](const std::string& bytes) {
    WriteAll(Path, bytes);
    return Caught([&] { WFile f(Path); }).Number;
  };
  EXPECT_EQ(openError(good.substr(0, 5)), MsgBadLayout);           // shorter than a header
  EXPECT_EQ(openError(good.substr(0, 40)), MsgBadLayout);          // truncated: end beyond the file
  EXPECT_EQ(openError(Le32(16) + Le32(0xFFFFFFFF)), MsgBadLayout); // 8 + 8n overflows
  EXPECT_EQ(openError(Le32(16) + Le32(3) + Le32(0) + Le32(0)), MsgBadLayout);

  WriteAll(Path, Composite({{500, 8}}, Marker())); // entry outside the data
  WFile f(Path);
  EXPECT_EQ(Caught([&] { f.WOpen_file(0); }).Number, MsgBadLayout);

  WriteAll(Path, Composite({{16, 8}}, Rec(0, 999, "ab") + Marker())); // link beyond the end
  WFile g(Path);
  g.WOpen_file(0);
  WRec rec;
  EXPECT_TRUE(g.WRead(&rec));
  ZError e = Caught([&] { g.WRead(&rec); });
  EXPECT_EQ(e.Number, 10);
  EXPECT_EQ(e.Message, g.Name + "|999");

  // A record that runs past the end value.
  WriteAll(Path, Composite({{16, 8}}, RecHead(0, EmptyAdr, 50) + "short"));
  WFile h(Path);
  h.WOpen_file(0);
  EXPECT_EQ(Caught([&] { h.WRead(&rec); }).Number, 10);

  // A simple file without its end marker cannot be appended to.
  WriteAll(Path, Rec(0, EmptyAdr, "abc"));
  EXPECT_EQ(Caught([&] { WFile s(Path, fmAppend); }).Number, MsgBadLayout);
  WFile s(Path, fmRead);
  EXPECT_TRUE(s.WRead(&rec));
  EXPECT_EQ(Caught([&] { s.WRead(&rec); }).Number, 10); // chain runs off the file
}

TEST_F(Files, RecordsLongerThanTheReadLimitAreNeverWritten) {
  creat_bf(Path, 2, nullptr);
  {
    WFile f(Path);
    f.WCreat_file(1);
    WRec big(UseLenRec + 1);
    big.Len = UseLenRec + 1;
    EXPECT_EQ(Caught([&] { f.WWrite(&big); }).Number, 11);
    big.Len = UseLenRec; // the limit itself is a valid record
    f.WWrite(&big);
    f.WClose_file(1);
  }
  WFile f(Path);
  WRec rec;
  f.WOpen_file(1);
  ASSERT_TRUE(f.WRead(&rec));
  EXPECT_EQ(rec.Len, UseLenRec);
  EXPECT_FALSE(f.WRead(&rec));
  WFile simple(Path + ".s", fmCreate);
  WRec big(UseLenRec + 1);
  big.Len = UseLenRec + 1;
  EXPECT_EQ(Caught([&] { simple.WWriteAppend(&big); }).Number, 11);
}

namespace {
// A sparse file: bytes at the given offsets, holes elsewhere, size at least size.
void WriteSparse(const std::string& path, uint64_t size,
                 const std::vector<std::pair<uint64_t, std::string>>& parts) {
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, static_cast<off_t>(size)), 0);
  for (const auto& [at, bytes] : parts)
    ASSERT_EQ(pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(at)),
              static_cast<ssize_t>(bytes.size()));
  close(fd);
}
} // namespace

// Addresses are 32 bits: a file past 4 GiB is refused, and a group that would end past it is
// never written.
TEST_F(Files, OffsetsPastFourGibibytesAreRefused) {
  WriteSparse(Path + ".s", 0x100000001ull, {});
  EXPECT_EQ(Caught([&] { WFile s(Path + ".s", fmRead); }).Number, MsgBadLayout);
  const uint32_t end = 0xFFFFFFF0u;
  WriteSparse(Path, end, {{0, Le32(end) + Le32(1) + Le32(end - 8) + Le32(8)}, {end - 8, Marker()}});
  {
    WFile f(Path);
    f.WCreat_file(0);
    WRec rec;
    rec.Len = 10;
    std::fill(rec.Data, rec.Data + 10, 'x');
    f.WWrite(&rec);
    ZError e = Caught([&] { f.WClose_file(0); });
    EXPECT_EQ(e.Number, MsgSystemError);
    EXPECT_NE(e.Message.find(SystemErrorText(EFBIG)), std::string::npos) << e.Message;
  }
  {
    WFile f(Path); // nor is a record added in place behind the last address
    WRec rec;
    rec.Len = 10;
    ZError e = Caught([&] { f.WEditFile(weInsert, 0, EmptyAdr, EmptyAdr, &rec); });
    EXPECT_NE(e.Message.find(SystemErrorText(EFBIG)), std::string::npos) << e.Message;
  }
  struct stat st;
  ASSERT_EQ(stat(Path.c_str(), &st), 0);
  EXPECT_EQ(static_cast<uint64_t>(st.st_size), end);
  int fd = open(Path.c_str(), O_RDONLY);
  char buf[16];
  ASSERT_EQ(pread(fd, buf, 16, 0), 16);
  close(fd);
  EXPECT_EQ(std::string(buf, 16), Le32(end) + Le32(1) + Le32(end - 8) + Le32(8));
}
