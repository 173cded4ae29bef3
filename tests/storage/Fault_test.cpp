// Failures and crashes at every I/O call of a group rewrite, an in-place edit and a compression:
// afterwards the file is readable and holds exactly its old or its new content.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "messages/Zmsg.h"
#include "storage/Dutilfile.h"
#include "storage/Dwfile.h"
#include "storage/Sysio.h"
#include "tests/support/FaultIo.h"
#include "tests/support/RecBytes.h"
#include "tests/support/Tempdir.h"

namespace {
using TGroups = std::vector<std::vector<std::pair<int, std::string>>>;

TGroups AllGroups(const std::string& path) {
  TGroups out;
  WFile f(path);
  for (unsigned g = 0; g < f.Header.Count; ++g)
    out.push_back(GroupRecords(path, g));
  return out;
}

struct Fault : ::testing::Test {
  TTempDir Tmp;
  std::string Path = Tmp / "f.bn";

  // Calls made by op on a fresh copy of start.
  // A fresh start: the file's first bytes and no scratch files left by an earlier run.
  void Reset(const std::string& start) {
    WriteAll(Path, start);
    std::remove((Path + "$").c_str());
    std::remove((Path + "$$").c_str());
  }

  long CountCalls(const std::string& start, const std::function<void()>& op) {
    Reset(start);
    TFaultScope scope;
    op();
    return scope.Io.Calls();
  }

  // Runs op from start with a fault at every call and checks the result with accept.
  void AtEveryCall(const std::string& start, const std::function<void()>& op,
                   const std::function<void(int)>& accept) {
    long calls = CountCalls(start, op);
    ASSERT_GT(calls, 5);
    const TFaultIo::TKind kinds[] = {TFaultIo::TKind::FailOnce, TFaultIo::TKind::FailAlways,
                                     TFaultIo::TKind::Crash, TFaultIo::TKind::CrashDropUnsynced};
    for (TFaultIo::TKind kind : kinds)
      for (long k = 1; k <= calls; ++k) {
        Reset(start);
        {
          TFaultScope scope;
          scope.Io.Arm(kind, k, kind == TFaultIo::TKind::FailAlways ? 28 /* ENOSPC */ : 5);
          try {
            op();
          } catch (const ZError&) {
          }
          ASSERT_TRUE(scope.Io.Fired()) << k;
        }
        SCOPED_TRACE("kind " + std::to_string(static_cast<int>(kind)) + " call " +
                     std::to_string(k));
        ASSERT_TRUE(sysio::FileExists(Path)); // never only under a scratch name
        accept(static_cast<int>(k));
      }
  }
};
} // namespace

TEST_F(Fault, GroupRewriteLeavesOldOrNewGroup) {
  creat_bf(Path, 5, nullptr);
  {
    WFile f(Path);
    f.WCreat_file(2);
    f.WWrite(std::string("old content"));
    f.WClose_file(2);
  }
  std::string start = ReadAll(Path);
  TGroups oldGroups = AllGroups(Path);
  std::string big(1000, 'n');
  auto op = [&] {
    WFile f(Path);
    f.WCreat_file(2);
    for (int i = 0; i < 100; ++i)
      f.WWrite(1, 1000, big.data()); // passes through the scratch
    f.WClose_file(2);
  };
  op();
  TGroups newGroups = AllGroups(Path);
  ASSERT_NE(newGroups, oldGroups);
  int sawNew = 0;
  AtEveryCall(start, op, [&](int) {
    TGroups now = AllGroups(Path);
    EXPECT_TRUE(now == oldGroups || now == newGroups);
    sawNew += now == newGroups;
  });
  EXPECT_GT(sawNew, 0);
}

TEST_F(Fault, InPlaceEditsLeaveOldOrNewGroup) {
  creat_bf(Path, 3, nullptr);
  {
    WFile f(Path);
    f.WCreat_file(1);
    f.WWrite(0, 3, "one");
    f.WWrite(0, 3, "two");
    f.WClose_file(1);
  }
  std::string start = ReadAll(Path);
  TGroups oldGroups = AllGroups(Path);
  struct TEdit {
    WEdit kind;
    unsigned long rec, next;
    std::string data;
  };
  // Records: "one" at 56, "two" at 66, marker at 76.
  for (const TEdit& e :
       {TEdit{weReplace, 56, 0, "uno!"}, TEdit{weInsert, EmptyAdr, 56, "zero"},
        TEdit{weInsert, 56, 66, "1.5"}, TEdit{weDelete, 66, 0, ""}, TEdit{weMove, 66, 76, "TWO"}}) {
    auto op = [&] {
      WFile f(Path);
      WRec rec;
      rec.Len = static_cast<uint16_t>(e.data.size());
      std::copy(e.data.begin(), e.data.end(), rec.Data);
      f.WEditFile(e.kind, 1, e.rec, e.next, &rec);
    };
    WriteAll(Path, start);
    op();
    TGroups newGroups = AllGroups(Path);
    ASSERT_NE(newGroups, oldGroups);
    AtEveryCall(start, op, [&](int) {
      TGroups now = AllGroups(Path);
      EXPECT_TRUE(now == oldGroups || now == newGroups);
    });
  }
}

TEST_F(Fault, CompressionLeavesOldOrCompressedFile) {
  BuildReferenceLike(Path);
  std::string start = ReadAll(Path);
  compress_bf(Path, 0);
  std::string packed = ReadAll(Path);
  ASSERT_NE(packed, start);
  AtEveryCall(
      start, [&] { compress_bf(Path, 0); },
      [&](int) {
        std::string now = ReadAll(Path);
        EXPECT_TRUE(now == start || now == packed);
        EXPECT_NO_THROW(AllGroups(Path));
      });
}

TEST_F(Fault, FileThatMayNotBeWrittenOpensForReading) {
  creat_bf(Path, 2, "x");
  TFaultScope scope;
  scope.Io.Arm(TFaultIo::TKind::FailOnce, 1, 13 /* EACCES */); // the open for update
  WFile f(Path);
  EXPECT_EQ(f.Mode, fmRead);
  EXPECT_EQ(GroupRecords(Path, 0).size(), 1u);
  try {
    f.WCreat_file(1);
    ADD_FAILURE();
  } catch (const ZError& e) {
    EXPECT_EQ(e.Number, 18);
  }
}
