// The reader of the menu descriptions on the demo suite's files and on damaged records, and the
// rules of titles, help contexts, shortcut codes and enabled states.
#include <gtest/gtest.h>

#include "messages/Mnudesc.h"
#include "storage/Dutilfile.h"
#include "storage/Dwfile.h"
#include "tests/support/MenuSuite.h"
#include "workflow/Refdata.h"

namespace {

struct TLists {
  TListFields S898, S899;
  WRec Rec;
  TLists() {
    CreatDefRecord(kTextStruct, &S898, &Rec);
    CreatDefRecord(kItemStruct, &S899, &Rec);
  }
};

std::string Item(uint32_t flags, const std::string& form, int level, const std::string& key,
                 const std::string& help, const std::string& shortcut = "") {
  std::string r(4, '\0');
  for (int i = 0; i < 4; ++i)
    r[static_cast<size_t>(i)] = static_cast<char>(flags >> (8 * i));
  return r + PackText(form) + static_cast<char>(level) + PackText(key) + PackText("T") +
         PackText(shortcut) + PackText(help) + PackText("") + PackText("");
}

TEST(MenuDescriptions, DemoFileGivesTextsItemsAndHelpTable) {
  TMenuSuite suite;
  TLists l;
  TDopFile dop;
  TTextIndex index;
  index.Build(dop.File(), l.S898, &l.Rec);
  std::string text;
  ASSERT_TRUE(index.Find("tdel", true, text)); // keys ignore letter case
  EXPECT_EQ(text, "Удалить");
  ASSERT_TRUE(index.Find("TDel", false, text));
  EXPECT_EQ(text, "Видалити");
  EXPECT_FALSE(index.Find("TNone", true, text));

  std::vector<TMnuDescItem> items = ReadMenuItems(dop.File(), l.S899, &l.Rec, "Ф118");
  ASSERT_EQ(items.size(), 8u);
  EXPECT_EQ(items[2].ItemKey, "mDel");
  EXPECT_EQ(items[2].Level, 1);
  EXPECT_EQ(items[2].Shortcut, "Del");
  EXPECT_EQ(items[2].HelpContext, 1182);
  EXPECT_EQ(items[2].TextId[1], "TDel2");
  EXPECT_EQ(items[2].Flags, 4096u | 128 | 2048 | 1024);
  EXPECT_EQ(ReadMenuItems(dop.File(), l.S899, &l.Rec, "Ф11").size(), 0u); // exact form key
  EXPECT_TRUE(suite.Shown.empty());

  std::vector<THelpEntry> help = ReadHelpTable(dop.File(), &l.Rec);
  int context = 0;
  EXPECT_TRUE(FindHelpContext(help, "Ф118", 4, context)); // "9": every subsystem
  EXPECT_EQ(context, 1180);
  EXPECT_TRUE(FindHelpContext(help, "Ф119", 2, context));
  EXPECT_EQ(context, 1192);
  EXPECT_FALSE(FindHelpContext(help, "Ф119", 3, context));
  EXPECT_FALSE(FindHelpContext(help, "Ф118ab", 1, context)); // 6 characters compared
}

TEST(MenuDescriptions, BadRecordsWarnAndAreLeftOutOrMended) {
  TMenuSuite suite;
  {
    WFile f(suite.Dir / "CFG/Dop.zev");
    f.WCreat_file(kItemGroup);
    for (const std::string& r :
         {Item(0, "Ф1", 1, "early", ""), Item(0, "Ф1", 0, std::string(40, 'k'), "12"),
          Item(0, "Ф1", 2, "deep", ""), Item(0, "Ф1", 1, "sub", "abc", "Ctrl+Nothing"),
          std::string("\x01\x02", 2)})
      f.WWrite('\0', static_cast<unsigned short>(r.size()), r.data());
    f.WClose_file(kItemGroup);
  }
  TLists l;
  TDopFile dop;
  std::vector<TMnuDescItem> items = ReadMenuItems(dop.File(), l.S899, &l.Rec, "Ф1");
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0].ItemKey, std::string(kItemKeyLen, 'k'));
  EXPECT_EQ(items[1].ItemKey, "sub");
  EXPECT_EQ(items[1].HelpContext, 0);
  ASSERT_EQ(suite.Shown.size(), 3u);
  EXPECT_NE(suite.Shown[0].find("early"), std::string::npos);
  EXPECT_NE(suite.Shown[1].find("deep"), std::string::npos);
  EXPECT_NE(suite.Shown[2].find("abc"), std::string::npos);
  EXPECT_EQ(ShortcutOrWarn(items[1].Shortcut), 0u);
  EXPECT_EQ(suite.Shown.size(), 4u);

  // A file without the groups of texts and items (here the one a host keeps open) is a clear
  // error.
  creat_bf(suite.Dir / "CFG/Small.zev", 10);
  DopCfg = new WFile(suite.Dir / "CFG/Small.zev");
  {
    TDopFile small;
    EXPECT_EQ(&small.File(), DopCfg);
    EXPECT_THROW(ReadMenuItems(small.File(), l.S899, &l.Rec, "Ф1"), ZError);
    EXPECT_TRUE(ReadHelpTable(small.File(), &l.Rec).empty());
  }
  delete DopCfg;
  DopCfg = nullptr;
}

TEST(MenuRules, ShortcutCodesTitlesAndLists) {
  uint32_t code = 1;
  EXPECT_TRUE(ParseShortcut("Ctrl+Ins", code));
  EXPECT_EQ(code, 512u + 45);
  EXPECT_TRUE(ParseShortcut("Ctrl+Alt+Esc", code));
  EXPECT_EQ(code, 795u);
  EXPECT_TRUE(ParseShortcut("Shift+F5", code));
  EXPECT_EQ(code, 1024u + 116);
  EXPECT_TRUE(ParseShortcut("", code));
  EXPECT_EQ(code, 0u);
  EXPECT_FALSE(ParseShortcut("Ctrl+", code));
  EXPECT_FALSE(ParseShortcut("Nothing", code));

  EXPECT_EQ(FormKeyOf("  Ф118 "), "Ф118");
  EXPECT_EQ(FormKeyOf("Окно Ф118"), "");
  EXPECT_EQ(FallbackTextKey(7), "N0007");
  EXPECT_EQ(CaptionTitle("Ф118", "", 0, true), "Ф118-0");
  EXPECT_EQ(CaptionTitle("Ф118", " x", 2, false), "Договірна цінаФ118 x-2");
  EXPECT_EQ(CaptionTitle("Ф118", "", 8, true), "Комплексные позицииФ118-8");
  EXPECT_EQ(SubsystemName(4, false), "НСІ");
  EXPECT_EQ(SubsystemName(9, true), "");

  using TList = std::vector<std::pair<std::string, int>>;
  EXPECT_EQ(ParseTextMenu("mDel=2;mIns=3;"), (TList{{"mDel", 2}, {"mIns", 3}}));
  EXPECT_EQ(ParseTextMenu("mDel=12,x=1"), (TList{{"mDel", 12}, {"x", 1}}));
  EXPECT_EQ(ParseTextMenu("broken"), TList{});
}

TEST(MenuRules, MasksAndShortcutParking) {
  EXPECT_EQ(StandartMask({false, 5, false, false, 0}), 4096u);
  EXPECT_EQ(StandartMask({true, 0, true, true, 0}), 128u);
  EXPECT_EQ(StandartMask({true, 3, true, true, 2}), 2048u);
  EXPECT_EQ(StandartMask({true, 3, false, true, 2}), 1024u);
  EXPECT_EQ(StandartMask({true, 3, false, false, 2}), 512u);
  EXPECT_EQ(StandartMask({true, 3, false, false, 0}), 256u);
  EXPECT_TRUE(EnabledByFlags(4096 | 128, 256));
  EXPECT_FALSE(EnabledByFlags(4096 | 128, 128));

  TItemSwitch a{true, 77, 0};
  SwitchItem(a, false);
  EXPECT_EQ(a.Shortcut, 0);
  EXPECT_EQ(a.Tag, 77);
  SwitchItem(a, false); // twice: the parked shortcut stays
  EXPECT_EQ(a.Tag, 77);
  SwitchItem(a, true);
  EXPECT_EQ(a.Shortcut, 77);
  EXPECT_TRUE(a.Enabled);
  TItemSwitch b{false, 0, 0}; // disabled elsewhere: nothing to restore
  SwitchItem(b, true);
  EXPECT_EQ(b.Shortcut, 0);
  EXPECT_TRUE(b.Enabled);
}

} // namespace
