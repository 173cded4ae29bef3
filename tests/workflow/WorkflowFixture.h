// A demo suite in a temporary directory, a program file carrying the reference data, and the
// workflow started on it with the current directory inside the suite.
#pragma once
#include <gtest/gtest.h>

#include "storage/Drec.h"
#include "storage/Recformat.h"
#include "storage/Dwfile.h"
#include "storage/Sysio.h"
#include "tests/support/Tempdir.h"
#include "tools/demosuite/Demosuite.h"
#include "workflow/Refdata.h"
#include "workflow/Ucommon.h"

#include <cstring>
#include <memory>
#include <unistd.h>

// The plain file calls without their syncs: generating a suite for a test need not wait for the
// disk.
class TNoSyncIo : public TPosixIoSys {
public:
  TNoSyncIo() : Old(SetIoSys(this)) {}
  ~TNoSyncIo() override { SetIoSys(Old); }
  int DataSync(int) override { return 0; }
  int FullSync(int) override { return 0; }

private:
  TIoSys* Old;
};

// Creates a demo suite in root from the compiled reference source; refFile is written too.
inline void MakeSuite(const std::string& root, const std::string& refFile,
                      const TDemoOptions& options = {}) {
  TNoSyncIo fast;
  InitBuf();
  BuildReferenceFile(
      ParseRefSource(ReadAll(std::string(RAVINEL_SOURCE_DIR) + "/workflow/refdata/p145.txt")),
      refFile);
  CreateDemoSuite(root, refFile, options);
  DeInitBuf();
}

// The reference records of group g, read from the compiled source.
inline std::vector<TRefRecord> RefRecords(int g) {
  static std::vector<TRefCalc> calcs =
      ParseRefSource(ReadAll(std::string(RAVINEL_SOURCE_DIR) + "/workflow/refdata/p145.txt"));
  return EncodeRefCalc(calcs[static_cast<size_t>(g)]);
}

// A program file: some bytes, the reference file, the 16-byte trailer.
inline std::string ProgramBytes(const std::string& ref, size_t codeLen = 1000) {
  std::string prog(codeLen, '\x7F');
  char trailer[kTrailerSize] = {};
  PutLe32(trailer + kTrailerOffsetAt, static_cast<uint32_t>(prog.size()));
  PutLe32(trailer + kTrailerLengthAt, static_cast<uint32_t>(ref.size()));
  return prog + ref + std::string(trailer, kTrailerSize);
}

class TSuiteFixture : public ::testing::Test {
protected:
  void SetUp() override {
    ::getcwd(OldCwd, sizeof OldCwd);
    Root = Dir.Path() + "/suite";
    MakeSuite(Root, Dir / "ref.bn", Options());
    RefBytes = ReadAll(Dir / "ref.bn");
    WriteAll(Dir / "prog", ProgramBytes(RefBytes));
    ASSERT_EQ(::chdir(Root.c_str()), 0);
  }
  void TearDown() override {
    Session.reset();
    ::chdir(OldCwd);
  }
  virtual TDemoOptions Options() { return {}; }
  void Start() { Session = std::make_unique<TWorkflowSession>(Dir / "prog"); }

  TTempDir Dir;
  std::string Root, RefBytes;
  std::unique_ptr<TWorkflowSession> Session;
  char OldCwd[4096];
};
