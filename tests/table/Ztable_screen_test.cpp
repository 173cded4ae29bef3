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
std::string Cell(double l, double t, double r, double b, int size = 9, std::string face = "Arial",
                 char border = 0) {
  std::string c = TextData("c") + Dbl(l) + Dbl(t) + Dbl(r) + Dbl(b);
  c += std::string(4, border) + std::string(2, '\0') + TextData(face) + Le(size, 4);
  return c + std::string(5, '\0') + TextData("Cap") + TextData("Cap");
}
std::string Kind() {
  return Le(5, 4) + Le(1, 4) + TextData("Num") + '\0' + Le(0, 4);
}

class ScreenTest : public ::testing::Test {
protected:
  // Writes group 222 with the given records.
  void Write(const std::vector<TRawRecord>& recs) {
    TSuiteBuilder b(Dir.Path());
    b.Structure(5, {{"Num", 7}, {"Name", 1}});
    b.Group(222, recs);
    b.Write();
    File = std::make_unique<WFile>(b.CfgDir + "Boib.sfr");
  }
  // Writes group 222 and reads it.
  void Read(const std::vector<TRawRecord>& recs) {
    Write(recs);
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
  Host.W = 132; // as wide as the description: the stretching moves nothing
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
      {{{0, Le(3000000, 4) + Le(1, 4)}}, "222|"},
      {{{0, Le(1, 4) + Le(1, 4)}, {0, Le(5, 4) + Le(3000000, 4) + TextData("Num")}}, "222|"},
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
  Host.W = 226;
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
  Write({{0, Le(1, 4) + Le(1, 4)}, {0, Kind()}, {0, Cell(0, 0, 1, 1)}});
  WFile* oldBoib = Boib;
  Boib = File.get();
  T.SetNumFileScreen(222);
  ASSERT_EQ(T.Cells().size(), 1u);
  // Neither the same number again nor 0 reads anything: without a screen file either would
  // fail and clear the cells.
  Boib = nullptr;
  T.SetNumFileScreen(222);
  EXPECT_EQ(T.Cells().size(), 1u);
  T.SetNumFileScreen(0);
  EXPECT_EQ(T.Cells().size(), 1u);
  EXPECT_EQ(T.NumFileScreen(), 0);
  Boib = oldBoib;
}
} // namespace

namespace {
TEST_F(ScreenTest, TemplateStretchedToTheControl) {
  // A header over two columns of 1 and 3 cm (0..37..151 px) on a control of 400 x 300.
  Read({{0, Le(1, 4) + Le(3, 4)},
        {0, Kind()},
        {0, Cell(0, 0, 4, 1, 9, "Arial", 1)},
        {0, Cell(0, 1, 1, 1.5, 9, "Arial", 1)},
        {0, Cell(1, 1, 4, 1.5, 9, "Arial", 1)}});
  ASSERT_EQ(T.FirstDataCell(), 1);
  const auto& c = T.Cells();
  for (int i = 1; i < 3; ++i) {
    EXPECT_EQ(c[i]->CellRect.Bottom, 299) << i; // the bottom border's half stays inside
    EXPECT_EQ(c[i]->TextRect.Bottom, 297) << i;
    EXPECT_EQ(c[i]->BaseRect.Bottom, 299) << i;
  }
  // 249 more pixels: the first column takes 37 * 249 / 151, the last the remainder.
  EXPECT_EQ(c[1]->CellRect.Right, 98);
  EXPECT_EQ(c[2]->CellRect.Left, 98);
  EXPECT_EQ(c[2]->CellRect.Right, 399);
  EXPECT_EQ(c[0]->CellRect.Right, 399); // the header follows the boundaries it shares
  EXPECT_EQ(T.DesignWidth(), 400);
  EXPECT_EQ(T.AreaBottom(), 297);
  EXPECT_EQ(T.LineAreaHeight(), 297 - T.AreaTop());
  // Before a list is open the template still follows the control's size.
  Host.W = 300;
  Host.H = 200;
  T.WMSize();
  EXPECT_EQ(c[2]->CellRect.Right, 299);
  EXPECT_EQ(c[1]->CellRect.Bottom, 199);
  EXPECT_EQ(T.DesignWidth(), 300);
}
} // namespace

namespace {
TEST_F(ScreenTest, MoreThanTenHeaderLevelsRefusedAndTheSetterKeepsWhatWasRead) {
  // Eleven header cells stacked by 0.5 cm over one template cell: eleven header levels.
  std::vector<TRawRecord> recs = {{0, Le(1, 4) + Le(12, 4)}, {0, Kind()}};
  for (int i = 0; i < 11; ++i)
    recs.push_back({0, Cell(0, i * 0.5, 4, (i + 1) * 0.5)});
  recs.push_back({0, Cell(0, 5.5, 4, 6.0)});
  std::string m = Message(recs);
  EXPECT_NE(m.find("222|"), std::string::npos) << m;
  EXPECT_NE(m.find("10"), std::string::npos) << m;
  EXPECT_EQ(T.Cells().size(), 12u);
  EXPECT_EQ(T.HeadLevelCount(), 0);

  // Through the setter the failure is shown, and the cells read before a bad one stay.
  Write({{0, Le(1, 4) + Le(3, 4)},
         {0, Kind()},
         {0, Cell(0, 0, 1, 1)},
         {0, Cell(1, 0, 2, 1)},
         {0, Cell(2, 0, 3, 1, 0)}});
  std::vector<std::string> shown;
  TMsgPresenter old = SetMsgPresenter([&](const TMsgRequest& r) {
    shown.push_back(r.Text);
    return false;
  });
  WFile* oldBoib = Boib;
  Boib = File.get();
  T.SetNumFileScreen(222);
  Boib = oldBoib;
  SetMsgPresenter(old);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_NE(shown[0].find("222"), std::string::npos) << shown[0];
  EXPECT_EQ(T.NumFileScreen(), 222);
  EXPECT_EQ(T.Cells().size(), 2u);
  EXPECT_EQ(T.KindOutFields().size(), 1u);
}
} // namespace

namespace {
TEST_F(ScreenTest, FourEqualColumnsWidenedByTenMoveByTwoFourSixAndTen) {
  Host.W = 151; // the described width: 0, 37, 75, 113, 151 pixels
  Read({{0, Le(1, 4) + Le(4, 4)},
        {0, Kind()},
        {0, Cell(0, 0, 1, 0.5)},
        {0, Cell(1, 0, 2, 0.5)},
        {0, Cell(2, 0, 3, 0.5)},
        {0, Cell(3, 0, 4, 0.5)}});
  Host.W = 161;
  T.WMSize();
  int right[] = {37 + 2, 75 + 4, 113 + 6, 151 + 10};
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(T.Cells()[k]->CellRect.Right, right[k]) << k;
  EXPECT_EQ(T.Cells()[1]->CellRect.Left, right[0]);

  // The same screen number again reads nothing: with no file to read from, the cells stay.
  WFile* oldBoib = Boib;
  Boib = File.get();
  T.SetNumFileScreen(222);
  Boib = nullptr;
  std::vector<std::string> shown;
  TMsgPresenter old = SetMsgPresenter([&](const TMsgRequest& r) {
    shown.push_back(r.Text);
    return false;
  });
  T.SetNumFileScreen(222);
  SetMsgPresenter(old);
  Boib = oldBoib;
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(T.Cells().size(), 4u);
}

TEST_F(ScreenTest, ReDefFieldsAndReDefOutFields) {
  Read({{0, Le(1, 4) + Le(1, 4)}, {0, Kind()}, {0, Cell(0, 0, 1, 1)}});
  struct TCase {
    std::string Name;
    int Num;
    TypeField Type;
    const char* Message;
  } refused[] = {
      {"Nope", 0, tfString, "Реквизит Nope отсутствует в списке описаний"},
      {"", 5, tfString, "Номер реквизита 5 отсутствует в списке описаний"},
      {"Num", 0, tfString, "Тип реквизита не подлежит корректировке"},
      {"Name", 0, tfDate, "Некорректно задан тип реквизита для замены "},
  };
  for (const TCase& c : refused) {
    try {
      T.ReDefFields(c.Name, c.Num, c.Type, 0);
      ADD_FAILURE() << c.Message;
    } catch (const ZError& e) {
      EXPECT_EQ(e.Text, c.Message);
    }
  }
  const TListFields& fields = T.KindFields()[0];
  EXPECT_EQ(fields[0].FType, TypeField(7));
  EXPECT_EQ(fields[1].FType, tfString);
  T.ReDefFields("Name", 0, tfShort81, 0);
  EXPECT_EQ(fields[1].FType, tfShort81);
  T.ReDefFields("", 1, tfShort82, 0);
  EXPECT_EQ(fields[1].FType, tfShort82);

  const TZOutField& out = T.KindOutFields()[0][0];
  T.ReDefOutFields(0, "Name", 0);
  EXPECT_EQ(out.Name, "Name");
  EXPECT_EQ(out.FieldIndex, 1);
  T.ReDefOutFields(1, "Num", 0); // no column 1: nothing
  EXPECT_EQ(out.FieldIndex, 1);
  T.ReDefOutFields(0, "Nope", 0);
  EXPECT_EQ(out.FieldIndex, -1);
}
} // namespace

namespace {
TEST_F(ScreenTest, HeaderMeasuredWhenTheListOpensKeepsItsHeightWhenTheScrollBarComes) {
  // A 1 cm header (37 px) whose caption measures 16 + 3 px on the fixed canvas.
  Read({{0, Le(1, 4) + Le(2, 4)},
        {0, Kind()},
        {0, Cell(0, 0, 4, 1, 9, "Arial", 1)},
        {0, Cell(0, 1, 4, 1.5, 9, "Arial", 1)}});
  ASSERT_EQ(T.HeadLevelCount(), 1);
  TTestOwner owner(T);
  T.SetCanVisible(true);
  for (int i = 0; i < 40; ++i)
    owner.Lines.push_back({0, Le(static_cast<uint64_t>(i), 4), ""});
  T.TabOpen(nullptr, 0);
  int top = T.AreaTop();
  EXPECT_LT(T.Cells()[0]->CellRect.Bottom, 37);
  T.WorkKey(kKeyShowAgain); // forty lines do not fit: the bar narrows the columns
  ASSERT_TRUE(Host.Bar);
  EXPECT_EQ(T.AreaTop(), top);
  T.TabClose();
}
} // namespace
