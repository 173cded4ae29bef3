// Screen description of the table control: reading a screen from a record file, the messages
// of a bad description, and the initial cell layout.
#include <gtest/gtest.h>

#include "messages/Zmsg.h"
#include "storage/Dwfile.h"
#include "tests/support/SuiteBuilder.h"
#include "tests/support/Tempdir.h"
#include "tests/table/TableFixture.h"

#include <cstring>

namespace {
std::string Le(uint64_t v, int n) {
  std::string s;
  for (int i = 0; i < n; ++i)
    s += static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}
std::string Dbl(double d) {
  uint64_t b;
  std::memcpy(&b, &d, 8);
  return Le(b, 8);
}
std::string Cell(double l, double t, double r, double b, int size = 9, std::string face = "Arial") {
  std::string c = TextData("c") + Dbl(l) + Dbl(t) + Dbl(r) + Dbl(b);
  c += std::string(4, '\0') + std::string(2, '\0') + TextData(face) + Le(size, 4);
  return c + std::string(5, '\0') + TextData("Cap") + TextData("Cap");
}
std::string Kind() {
  return Le(5, 4) + Le(1, 4) + TextData("Num") + '\0' + Le(0, 4);
}

class ScreenTest : public ::testing::Test {
protected:
  // Writes group 222 with the given records and reads it.
  void Read(const std::vector<TRawRecord>& recs) {
    TSuiteBuilder b(Dir.Path());
    b.Structure(5, {{"Num", 7}});
    b.Group(222, recs);
    b.Write();
    File = std::make_unique<WFile>(b.CfgDir + "Boib.sfr");
    T.ReadDefScreen(222, File.get());
  }
  std::string Message(const std::vector<TRawRecord>& recs) {
    try {
      Read(recs);
    } catch (const ZError& e) {
      return e.Text;
    }
    return "";
  }
  TTempDir Dir;
  TTestHost Host;
  TZTable T{&Host};
  std::unique_ptr<WFile> File;
};

TEST_F(ScreenTest, CellsInPixelsByTruncation) {
  Read({{0, Le(1, 4) + Le(2, 4)},
        {0, Kind()},
        {0, Cell(0, 0, 1.0, 0.5)},
        {0, Cell(1.0, 0, 3.5, 0.5)}});
  ASSERT_EQ(T.Cells().size(), 2u);
  EXPECT_EQ(T.Cells()[1]->CellRect.Left, 37);
  EXPECT_EQ(T.Cells()[1]->CellRect.Right, 132);
  ASSERT_EQ(T.KindOutFields().size(), 1u);
  EXPECT_EQ(T.KindOutFields()[0][0].FieldIndex, 0);
}

TEST_F(ScreenTest, BadDescriptionsGiveMessages) {
  struct TCase {
    std::vector<TRawRecord> Recs;
    const char* Part;
  } cases[] = {
      {{{0, Le(0, 4) + Le(1, 4)}}, "Не задано описание реквизитов для визуализации - экран 222"},
      {{{0, Le(1, 4) + Le(0, 4)}}, "Нет данных для рисования экрана 222"},
      {{{0, Le(1, 4) + Le(3000000, 4)}}, "222|"},
      {{{0, Le(1, 4) + Le(1, 4)}, {0, Kind()}, {0, Cell(-1, 0, 1, 1)}}, "222|"},
      {{{0, Le(1, 4) + Le(1, 4)}, {0, Kind()}, {0, Cell(0, 0, 1e9, 1)}}, "222|"},
      {{{0, Le(1, 4) + Le(1, 4)}, {0, Kind()}, {0, Cell(0, 0, 1, 1, 0)}}, "222|"},
      {{{0, Le(1, 4) + Le(1, 4)}, {0, Kind()}, {0, Cell(0, 0, 1, 1, 9, "")}}, "222|"},
      {{{0, Le(1, 4) + Le(1, 4)}, {0, Kind()}, {0, Cell(0, 0, 1, 1).substr(0, 20)}}, "222|"},
  };
  for (const TCase& c : cases) {
    std::string m = Message(c.Recs);
    EXPECT_NE(m.find(c.Part), std::string::npos) << m;
  }
}
} // namespace

namespace {
TEST_F(ScreenTest, EqualDescribedWidthsGetEqualPixels) {
  // 0..2.5 and 2.5..5.0 truncate to 94 and 95 pixels; the single 1 cm column gives the pixel back.
  Read({{0, Le(1, 4) + Le(3, 4)},
        {0, Kind()},
        {0, Cell(0, 0, 2.5, 0.5)},
        {0, Cell(2.5, 0, 5.0, 0.5)},
        {0, Cell(5.0, 0, 6.0, 0.5)}});
  const auto& c = T.Cells();
  EXPECT_EQ(c[0]->CellRect.Width(), c[1]->CellRect.Width());
  EXPECT_EQ(c[2]->CellRect.Right, static_cast<int>(6.0 * 96 * 0.39370078740157477));
}

TEST_F(ScreenTest, SetterKeepsCellsForSameValueAndZero) {
  Read({{0, Le(1, 4) + Le(1, 4)}, {0, Kind()}, {0, Cell(0, 0, 1, 1)}});
  T.SetNumFileScreen(0); // already 0: nothing
  EXPECT_EQ(T.Cells().size(), 1u);
  EXPECT_EQ(T.NumFileScreen(), 0);
}
} // namespace
