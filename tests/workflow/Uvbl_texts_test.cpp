// The list window's own texts: the list's name, the progress with its estimate of the time left,
// and the suite folder the main window names, in both interface languages.
#include <gtest/gtest.h>

#include <set>

#include "messages/Utslang.h"
#include "workflow/Uvbl_texts.h"

namespace {

struct TLang {
  ELang Saved = IFaceLang;
  explicit TLang(ELang l) { IFaceLang = l; }
  ~TLang() { IFaceLang = Saved; }
};

TEST(ListTexts, EveryListHasItsOwnNameInBothLanguages) {
  for (ELang lang : {elg_Rus, elg_Ukr}) {
    TLang in(lang);
    std::set<std::string> names;
    for (uint8_t sub : {1, 2, 3})
      names.insert(ListName(ListInfoOf(sub, 0)));
    for (uint8_t bn = 0; bn < 4; ++bn)
      names.insert(ListName(ListInfoOf(5, bn)));
    EXPECT_EQ(names.size(), 7u);
  }
  TLang ukr(elg_Ukr);
  EXPECT_EQ(ListName(ListInfoOf(5, 1)), "Пусконалагоджувальні роботи");
  EXPECT_EQ(ConfirmChangeText(3, ListInfoOf(2, 0)),
            "Замінити розрахунок П145 у виділених об'єктів (3) списку \"Договірна ціна\"?");
}

TEST(ListTexts, TheProgressNamesTheObjectAndEstimatesTheTimeLeftOnceItCan) {
  TLang rus(elg_Rus);
  EXPECT_EQ(ProgressText(11, 300, "LSS#12.aru", 0),
            "Замена расчета П145: 12 из 300 \x97 LSS#12.aru");
  // Too early to tell: nothing done yet, or too little time gone.
  EXPECT_EQ(ProgressText(0, 300, "LSS#1.aru", 60000).find("Осталось"), std::string::npos);
  EXPECT_EQ(ProgressText(10, 300, "LSS#11.aru", 1500).find("Осталось"), std::string::npos);
  // 10 objects in 10 s: 290 left take 290 s.
  EXPECT_EQ(ProgressText(10, 300, "LSS#11.aru", 10000),
            "Замена расчета П145: 11 из 300 \x97 LSS#11.aru\nОсталось около 4 мин 50 с");
  EXPECT_EQ(DurationText(65000), "1 мин 05 с");
  EXPECT_EQ(DurationText(40001), "41 с");
  TLang ukr(elg_Ukr);
  EXPECT_EQ(ProgressText(10, 300, "LSS#11.aru", 10000),
            "Заміна розрахунку П145: 11 з 300 \x97 LSS#11.aru\nЗалишилося близько 4 хв 50 с");
}

TEST(ListTexts, TheSuiteFolderIsTheOneThatHoldsCfg) {
  EXPECT_EQ(SuiteFolderOfCfg("/home/o/suite/CFG/"), "/home/o/suite");
  EXPECT_EQ(SuiteFolderOfCfg("/CFG/"), "/");
  TLang rus(elg_Rus);
  EXPECT_EQ(SuiteFolderText("/s"), "Папка комплекса: /s");
}

} // namespace
