// The demo suite's configuration: screen descriptions readable in the table control's format,
// output fields that name fields of their structures, the two-language alias; and a suite
// reported made survives a power loss.
#include "tests/workflow/WorkflowFixture.h"

#include "messages/Mnudesc.h"
#include "paths/Dpath.h"
#include "paths/Rdwr_cfg.h"
#include "tests/support/FaultIo.h"

#include <filesystem>
#include <map>
#include <stdexcept>

namespace {

// Reads the fields of one screen-description record in order.
struct TCursor {
  const WRec& Rec;
  size_t Pos = 0;
  const char* Take(size_t n) {
    if (Pos + n > Rec.Len) throw std::runtime_error("record too short");
    Pos += n;
    return Rec.Data + Pos - n;
  }
  uint32_t U32() {
    uint32_t v;
    std::memcpy(&v, Take(4), 4);
    return v;
  }
  double F64() {
    double v;
    std::memcpy(&v, Take(8), 8);
    return v;
  }
  std::string Text() {
    uint16_t n;
    std::memcpy(&n, Take(2), 2);
    return std::string(Take(n), n);
  }
  bool AtEnd() const { return Pos == Rec.Len; }
};

struct TScreen {
  std::vector<std::pair<int, std::vector<std::string>>> Kinds;
  std::vector<std::string> Captions; // Russian captions of the header cells
  int TemplateCells = 0;
};

TScreen ReadScreen(WFile& f, int number) {
  TScreen s;
  WRec rec;
  f.WOpen_file(static_cast<unsigned long>(number));
  EXPECT_TRUE(f.WRead(&rec));
  TCursor head{rec};
  uint32_t kinds = head.U32(), cells = head.U32();
  EXPECT_TRUE(head.AtEnd());
  for (uint32_t k = 0; k < kinds; ++k) {
    EXPECT_TRUE(f.WRead(&rec));
    TCursor c{rec};
    int structure = static_cast<int>(c.U32());
    std::vector<std::string> outs;
    for (uint32_t n = c.U32(); n > 0; --n) {
      outs.push_back(c.Text());
      c.Take(1 + 4); // TypeOut, Param
    }
    EXPECT_TRUE(c.AtEnd());
    s.Kinds.push_back({structure, outs});
  }
  for (uint32_t i = 0; i < cells; ++i) {
    EXPECT_TRUE(f.WRead(&rec));
    TCursor c{rec};
    c.Text();
    double l = c.F64(), t = c.F64(), r = c.F64(), b = c.F64();
    EXPECT_LT(l, r);
    EXPECT_LT(t, b);
    c.Take(4 + 2);
    EXPECT_FALSE(c.Text().empty()); // font face
    c.Take(4 + 1 + 4);
    std::string rus = c.Text(), ukr = c.Text();
    EXPECT_TRUE(c.AtEnd());
    if (rus.empty())
      ++s.TemplateCells;
    else
      s.Captions.push_back(rus);
  }
  EXPECT_FALSE(f.WRead(&rec));
  return s;
}

} // namespace

TEST_F(TSuiteFixture, ScreensAndStructuresOfTheDemoSuite) {
  Start();
  for (auto [screen, structure] : {std::pair{222, 147}, std::pair{210, 150}}) {
    TScreen s = ReadScreen(*Boib, screen);
    ASSERT_EQ(s.Kinds.size(), 1u);
    EXPECT_EQ(s.Kinds[0].first, structure);
    const TListFields* fields = structure == 147 ? ListFields147 : ListFields150;
    for (const std::string& out : s.Kinds[0].second) {
      bool known = false;
      for (const TField& f : *fields)
        known |= f.FName == out;
      EXPECT_TRUE(known) << out;
    }
    EXPECT_EQ(s.TemplateCells, static_cast<int>(s.Kinds[0].second.size()));
    // The title, a heading over columns on screen 222, and one heading a column.
    EXPECT_EQ(s.Captions.size(), s.Kinds[0].second.size() + (screen == 222 ? 2 : 1));
  }
  // The four leading fields the workflow relies on, and the variant text 75 bytes in.
  ASSERT_GE(ListFields147->size(), 23u);
  EXPECT_EQ((*ListFields147)[0].FType, tfDword);
  EXPECT_EQ((*ListFields147)[1].FType, tfByte);
  EXPECT_EQ((*ListFields147)[2].FType, tfDword);
  int offset = 0;
  size_t i = 0;
  for (; offset < 75; ++i)
    offset += ImageFieldSize((*ListFields147)[i].FType);
  EXPECT_EQ(offset, 75);
  EXPECT_EQ((*ListFields147)[i].FType, tfString);
  EXPECT_EQ((*ListFields166)[0].FType, tfString);
  EXPECT_EQ((*ListFields169)[2].FType, tfChar);
  // The two-language alias follows the document language.
  Cfg[CfgDocRussian] = 0;
  EXPECT_EQ(GetRealName("NSI#x.dat"), Root + "/NSI/UKR/x.dat");
  Cfg[CfgDocRussian] = 1;
  EXPECT_EQ(GetRealName("NSI#x.dat"), Root + "/NSI/RUS/x.dat");
}

// The menu descriptions of the demo forms, read through the open screen description file.
TEST_F(TSuiteFixture, MenuDescriptionsOfTheDemoSuite) {
  Start();
  TListFields s898, s899;
  WRec rec;
  CreatDefRecord(kTextStruct, &s898, &rec);
  CreatDefRecord(kItemStruct, &s899, &rec);
  EXPECT_EQ(s898.size(), 3u);
  ASSERT_EQ(s899.size(), 9u);
  TDopFile dop;
  std::vector<TMnuDescItem> items = ReadMenuItems(dop.File(), s899, &rec, "Ф118");
  ASSERT_EQ(items.size(), 8u);
  EXPECT_EQ(items[0].ItemKey, "mFile");
  EXPECT_EQ(items[3].Shortcut, "Ctrl+Alt+Esc");
  EXPECT_EQ(ReadMenuItems(dop.File(), s899, &rec, "Ф119").size(), 2u);
}

TEST(Demosuite, ASuiteReportedMadeSurvivesAPowerLoss) {
  TTempDir dir;
  std::string ref = dir / "ref.bn", root = dir / "suite";
  {
    TNoSyncIo fast;
    BuildReferenceFile(
        ParseRefSource(ReadAll(std::string(RAVINEL_SOURCE_DIR) + "/workflow/refdata/p145.txt")),
        ref);
  }
  auto files = [&] {
    std::map<std::string, std::string> out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root))
      if (e.is_regular_file()) out[e.path().string()] = ReadAll(e.path().string());
    return out;
  };
  std::map<std::string, std::string> made;
  {
    TFaultScope scope;
    scope.Io.ModelSyncs();
    CreateDemoSuite(root, ref, {});
    made = files();
    scope.Io.PowerLoss();
  }
  EXPECT_GT(made.size(), 100u);
  std::map<std::string, std::string> kept = files();
  for (const auto& [path, bytes] : made) {
    auto it = kept.find(path);
    EXPECT_TRUE(it != kept.end() && it->second == bytes)
        << path << (it == kept.end() ? " lost" : " changed");
  }
  EXPECT_EQ(kept.size(), made.size());
}
