// Object file names, separated lists, CP1251 case, key filters, shortcut codes, name checks and
// list disposal.
#include <gtest/gtest.h>

#include <unistd.h>

#include "format/Fun_other.h"
#include "messages/Zmsg.h"
#include "paths/Dpath.h"

namespace {
TEST(CreatNameFile, NumberSuffixAndLanguage) {
  std::string name;
  CreatNameFile("LPD", 0, "", ".pd1u", ".pd1r", name, 1);
  EXPECT_EQ(name, "LPD#0.pd1r");
  CreatNameFile("LPD", 0, "A", ".pd1u", ".pd1r", name, 0);
  EXPECT_EQ(name, "LPD#0_A.pd1u");
  CreatNameFile("LBN", 17, "", ".ukr", ".rus", name, 1);
  EXPECT_EQ(name, "LBN#17.rus");
  CreatNameFile("LSS", 4294967295u, "", ".aru", ".arr", name, 0);
  EXPECT_EQ(name, "LSS#4294967295.aru");
}

TEST(CrtStringList, SplitsAndJoins) {
  std::vector<std::string> list{"old"};
  EXPECT_EQ(CrtStringList(list, "", "#"), 0);
  EXPECT_EQ(list, std::vector<std::string>{"old"});
  EXPECT_EQ(CrtStringList(list, "a#b#", "#"), 2);
  EXPECT_EQ(list, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(CrtStringList(list, "a##b", "#"), 3);
  EXPECT_EQ(list, (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(CrtStringList(list, "x", "|"), 1);
  EXPECT_EQ(list, std::vector<std::string>{"x"});
  EXPECT_EQ(CrtAnsistring({"a", "b"}, "#"), "a#b#");
  EXPECT_EQ(CrtAnsistring({}, "#"), "");
}

TEST(SmallBig, CyrillicUpperCase) {
  std::string s = "дом ёжик їжак єва іван abc";
  EXPECT_EQ(SmallBig(s, false), static_cast<int>(s.size()) + 1);
  EXPECT_EQ(s, "ДОМ ёЖИК ЇЖАК ЄВА іВАН ABC"); // ё and і stay small
  std::string empty;
  EXPECT_EQ(SmallBig(empty, true), 0);
}

TEST(SmallBig, LatinLookalikesBecomeCyrillic) {
  std::string s = "ABCcEHIKMOPTXZ";
  SmallBig(s, true);
  EXPECT_EQ(s, "АВССЕНІКМОРТХZ");
}

TEST(BigSmall, StringAndBufferForms) {
  std::string s = "ДОМ ЄЇ Іі ABC";
  BigSmall(s);
  EXPECT_EQ(s, "дом єї ii abc");
  char buf[] = "ДОМ ЄЇ Іі ABC";
  BigSmall(buf);
  EXPECT_STREQ(buf, "дом єї Іі abc");
}

TEST(CheckKey, Modes) {
  EXPECT_EQ(CheckKey('5', 1, ""), '5');
  EXPECT_EQ(CheckKey(8, 1, ""), 8);
  EXPECT_EQ(CheckKey('x', 0, ""), 'x');
  EXPECT_EQ(CheckKey('x', 1, ""), 0);
  EXPECT_EQ(CheckKey(',', 2, "12"), ',');
  EXPECT_EQ(CheckKey(',', 2, "1,2"), 0);
  EXPECT_EQ(CheckKey('.', 2, "12"), 0);
  EXPECT_EQ(CheckKey('-', 3, "-+"), 0);
  EXPECT_EQ(CheckKey('x', 3, "-+"), 'x');
}

TEST(GetKodKey, ModifiersAndKeys) {
  EXPECT_EQ(GetKodKey("Ctrl+Shift+F5"), 512u + 1024u + 0x74u);
  EXPECT_EQ(GetKodKey("Alt+X"), 256u + 'X');
  EXPECT_EQ(GetKodKey("Del"), 0x2Eu);
  EXPECT_EQ(GetKodKey("Ctrl+Enter"), 512u + 13u);
  EXPECT_EQ(GetKodKey("Meta+A"), static_cast<uint32_t>('A')); // unknown modifiers add nothing
}

struct PresenterGuard {
  TMsgPresenter saved;
  std::vector<std::string> shown;
  PresenterGuard() {
    saved = SetMsgPresenter([this](const TMsgRequest& r) {
      shown.push_back(r.Text);
      return false;
    });
  }
  ~PresenterGuard() { SetMsgPresenter(saved); }
};

TEST(CheckNameFile, RefusesForbiddenCharacters) {
  PresenterGuard g;
  std::string cwd = GetCurrentDir();
  EXPECT_FALSE(CheckNameFile(cwd + "/Smeta1.dat", "/other", 0));
  EXPECT_TRUE(CheckNameFile(cwd + "/Sm_eta.dat", "/other", 0));
  ASSERT_EQ(g.shown.size(), 1u);
  EXPECT_NE(g.shown[0].find("Sm_eta"), std::string::npos);
  EXPECT_FALSE(CheckNameFile(cwd + "/Sm_eta.dat", "/other", 1)); // the underscore allowed
  EXPECT_TRUE(CheckNameFile(cwd + "/Sm.eta.dat", "/other", 1));
  EXPECT_FALSE(CheckNameFile(cwd + "/Sm.eta.dat", "/other", 2));
  // Outside the working directory, the part behind the given directory is checked.
  EXPECT_TRUE(CheckNameFile("/data/dir/A+B.dat", "/data/dir", 2));
  EXPECT_FALSE(CheckNameFile("/data/dir/AB.dat", "/data/dir", 2));
  EXPECT_EQ(g.shown.size(), 3u);
}

struct TItem {
  static int Alive;
  int Value;
  explicit TItem(int v) : Value(v) { ++Alive; }
  ~TItem() { --Alive; }
};
int TItem::Alive = 0;

TEST(DeleteList, ReleasesItemsAndOptionallyTheList) {
  auto* list = new std::vector<TItem*>{new TItem(1), nullptr, new TItem(2)};
  DeleteList(list, false);
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->empty());
  EXPECT_EQ(TItem::Alive, 0);
  list->push_back(new TItem(3));
  list->push_back(new TItem(4));
  TItem* kept = (*list)[1];
  DeleteList<TItem>(list, true, [](TItem* i) { return i->Value == 3; });
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(TItem::Alive, 1); // the refused item belongs to someone else
  delete kept;
  std::vector<TItem*>* none = nullptr;
  bDeleteList(none, true);
  EXPECT_EQ(none, nullptr);
}
} // namespace
