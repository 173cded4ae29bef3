// Start-up and close-down of the process-wide files, and the extraction of the reference data
// with its checks.
#include "tests/workflow/WorkflowFixture.h"

#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "storage/Dutilfile.h"

#include <filesystem>

namespace fs = std::filesystem;

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
