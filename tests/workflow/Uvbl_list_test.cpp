// The list window's decisions without its widgets: TVblList over a table on the fixed canvas,
// on the demo suite. Line states and the colours drawn, the kind letter and the blanked column
// of project lists, the selection filter and the change button, an empty list, and the hidden
// repeats of a contractor list.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>

#include "messages/Msgcat.h"
#include "paths/Dpath.h"
#include "paths/Rdwr_cfg.h"
#include "table/Fixedhost.h"
#include "tests/workflow/WorkflowFixture.h"
#include "workflow/Uvbl_list.h"

namespace {
constexpr int kColKind = 1, kColSign = 5;

class VblList : public TSuiteFixture {
protected:
  void Open(uint8_t typeSub, uint8_t typeBn = 0) {
    if (!Session) Start();
    InstallMsgCatalogue();
    Cfg[CfgDocRussian] = 1;
    Table = std::make_unique<TZTable>(&Host);
    Table->TmpFile = TMP;
    List = std::make_unique<TVblList>(*Table, typeSub, typeBn, true);
    List->OnEnableChange = [this](bool on) { Enabled.push_back(on); };
    ASSERT_TRUE(List->LoadScreen());
    List->FormShow();
  }
  void TearDown() override {
    List.reset();
    Table.reset();
    TSuiteFixture::TearDown();
  }
  uint32_t Number(int line) {
    WRec rec;
    Table->ReadRecord(line, &rec, trOther);
    uint32_t v;
    std::memcpy(&v, rec.Data, 4);
    return v;
  }
  // The demo index of a project line, from its object number.
  int DemoIndex(int line) {
    for (int i = 0; i < TDemoOptions{}.Projects; ++i)
      if (DemoObjectNumber(i) == Number(line)) return i;
    ADD_FAILURE() << "no demo project " << Number(line);
    return 0;
  }
  // The colour of the texts drawn in each row on the screen, by line.
  std::map<int, TColor> DrawnColours() {
    Host.Can.Calls.clear();
    Table->Paint();
    std::map<int, TColor> out;
    for (const TDrawCall& c : Host.Can.Texts())
      for (int r = 0; r < Table->RowCount(); ++r)
        if (c.Y >= Table->AreaTop() + Table->RowTop(r) &&
            c.Y < Table->AreaTop() + Table->RowTop(r + 1) && !c.Str.empty())
          out[Table->ScreenLine(r)] = c.Font.Color;
    return out;
  }
  void MarkAll() {
    for (unsigned short k : {kKeyCtrlPageUp, kKeyInsert, kKeyCtrlPageDown, kKeyInsert})
      Table->WorkKey(k);
  }
  int Marked() {
    int n = 0;
    for (int i = 0; i < Table->LineCount(); ++i)
      n += (Table->GetIndex(i)->Flags & kIdxMarked) != 0;
    return n;
  }

  TFixedHost Host{900, 1200};
  std::unique_ptr<TZTable> Table;
  std::unique_ptr<TVblList> List;
  std::vector<bool> Enabled;
};

TEST_F(VblList, ProjectLinesAreColouredByStateTheFilterKeepsOnlyReplaceableOnes) {
  Open(1);
  ASSERT_EQ(Table->LineCount(), TDemoOptions{}.Projects);
  const std::map<TDemoCase, std::pair<uint8_t, TColor>> expect = {
      {TDemoCase::Missing, {stMissing, kColorMissing}},
      {TDemoCase::New, {stReplaced, kColorReplaced}},
      {TDemoCase::Damaged, {stUnreadable, kColorUnreadable}},
      {TDemoCase::UserChanged, {stUserChanged, kColorUserChanged}}};
  std::map<int, TColor> drawn = DrawnColours();
  std::set<TColor> normal; // the colour the table draws with, whatever it is
  int replaceable = 0;
  for (int i = 0; i < Table->LineCount(); ++i) {
    int demo = DemoIndex(i);
    auto e = expect.find(DemoProjectCase(demo));
    uint8_t state = e == expect.end() ? uint8_t{stReplaceable} : e->second.first;
    EXPECT_EQ(List->StateOf(i), state) << i;
    ASSERT_TRUE(drawn.count(i)) << i;
    if (e != expect.end())
      EXPECT_EQ(drawn[i], e->second.second) << i;
    else
      normal.insert(drawn[i]);
    replaceable += state == stReplaceable;
    std::vector<std::string> texts = Table->LineTexts(i);
    ASSERT_GT(texts.size(), static_cast<size_t>(kColSign));
    EXPECT_EQ(texts[kColSign], "") << i;
    EXPECT_EQ(texts[kColKind], KindLetter(static_cast<int8_t>((demo + 1) % 4))) << i;
  }
  ASSERT_EQ(normal.size(), 1u);
  for (TColor c : {kColorMissing, kColorReplaced, kColorUnreadable, kColorUserChanged})
    EXPECT_FALSE(normal.count(c));
  for (int b = 0; b < kLegendCount; ++b)
    EXPECT_TRUE(List->Legend(b)) << b; // the demo list has every state

  MarkAll();
  EXPECT_EQ(Table->MarkedCount(), replaceable);
  EXPECT_EQ(Marked(), replaceable);
  for (int i = 0; i < Table->LineCount(); ++i) {
    if (Table->GetIndex(i)->Flags & kIdxMarked) {
      EXPECT_EQ(List->StateOf(i), stReplaceable) << i;
    }
  }
  EXPECT_EQ(Enabled, std::vector<bool>{true});
  Table->WorkKey(kKeyDelete);
  EXPECT_EQ(Enabled.back(), false);
  EXPECT_EQ(Table->MarkedCount(), 0);
}
TEST_F(VblList, ContractorRepeatsAreHiddenAndAnEmptyListOffersNothing) {
  Open(3);
  int sevens = 0, hidden = 0, nine = -1;
  for (int i = 0; i < Table->LineCount(); ++i) {
    if (Number(i) == 9) nine = i;
    if (Number(i) != 7) continue;
    ++sevens;
    hidden += (Table->GetIndex(i)->Flags & kIdxHidden) != 0;
    EXPECT_EQ(List->StateOf(i), stReplaceable) << i; // the hidden one is checked too
  }
  EXPECT_EQ(sevens, 2);
  EXPECT_EQ(hidden, 1);

  // A range without a replaceable line (project 9 is replaced already) leaves no mark.
  ASSERT_GE(nine, 0);
  Table->WorkKey(kKeyCtrlPageUp);
  for (int k = 0; k < Table->LineCount() && Table->CurrentLine() != nine; ++k)
    Table->WorkKey(kKeyDown);
  ASSERT_EQ(Table->CurrentLine(), nine);
  Table->WorkKey(kKeyInsert);
  Table->WorkKey(kKeyInsert);
  EXPECT_EQ(Table->MarkedCount(), 0);
  EXPECT_TRUE(Enabled.empty());

  // The estimate documents' list emptied: no line, no legend, nothing to change.
  List.reset();
  {
    WFile list(GetRealName(ListAliasName(ListInfoOf(1, 0), true)));
    list.WCreat_file(1);
    list.WClose_file(1);
  }
  Open(1);
  EXPECT_EQ(Table->LineCount(), 0);
  for (int b = 0; b < kLegendCount; ++b)
    EXPECT_FALSE(List->Legend(b)) << b;
  MarkAll();
  EXPECT_EQ(Table->MarkedCount(), 0);
  EXPECT_TRUE(Enabled.empty());
  EXPECT_EQ(Table->RowCount(), 0);
}
} // namespace
