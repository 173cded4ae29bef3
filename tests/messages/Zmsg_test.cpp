// Message building, the exception, system error texts and the presenter road.
#include <gtest/gtest.h>

#include <cerrno>
#include <unistd.h>

#include "messages/Msgcat.h"
#include "messages/Syslang.h"
#include "messages/Zmsg.h"
#include "messages/Utslang.h"
#include "paths/Rdwr_cfg.h"

namespace {
const std::string kFallback7 = "Ошибка. Текст сообщения №7 отсутствует в ресурсах программы";

// Keeps the catalogue hook and the interface language (Russian unless a test says otherwise).
struct CatalogueGuard {
  TLoadMsg saved = cLoadMsg;
  ELang savedLang = IFaceLang;
  CatalogueGuard() { IFaceLang = elg_Rus; }
  ~CatalogueGuard() {
    cLoadMsg = saved;
    IFaceLang = savedLang;
  }
};

TEST(CreatMsg, NumberZeroAndNinetyNineKeepTheText) {
  CatalogueGuard g;
  cLoadMsg = nullptr;
  EXPECT_EQ(creat_msg("a|b", 0), " a|b");
  EXPECT_EQ(creat_msg("x|y", 99), "x|y");
}

TEST(CreatMsg, FallbackTextWithAndWithoutParameters) {
  CatalogueGuard g;
  cLoadMsg = nullptr;
  EXPECT_EQ(creat_msg("A|B", 7), kFallback7 + "## A B");
  EXPECT_EQ(creat_msg("", 7), kFallback7 + " ");
  // A trailing "|" adds no empty parameter; an inner empty one stays.
  EXPECT_EQ(creat_msg("A|", 7), kFallback7 + "## A");
  EXPECT_EQ(creat_msg("|B", 7), kFallback7 + "##  B");
  // Line breaks inside the text separate parameters too.
  EXPECT_EQ(creat_msg("A\r\nB|C\n", 7), kFallback7 + "## A B C");
}

TEST(CreatMsg, PlaceholdersFilledLeftToRight) {
  CatalogueGuard g;
  cLoadMsg = [](uint16_t n, unsigned char, int max) -> std::string {
    EXPECT_EQ(max, 800);
    if (n == 50) return "$ и $ и $";
    if (n == 51) return "[$]";
    if (n == 52) return "нет подстановки";
    return "";
  };
  EXPECT_EQ(creat_msg("A", 50), "A и   и $");
  EXPECT_EQ(creat_msg("A|B", 51), "[A]");
  EXPECT_EQ(creat_msg("", 51), "[ ]");
  EXPECT_EQ(creat_msg("x|y", 52), "нет подстановки x|y");
  // A parameter holding "$" is itself searched by the next replacement, as the text is.
  EXPECT_EQ(creat_msg("$|Z", 50), "Z и   и $");
}

TEST(CreatMsg, CatalogueGetsInterfaceLanguage) {
  CatalogueGuard g;
  InstallMsgCatalogue();
  EXPECT_EQ(creat_msg("/tmp/x", 1), "Файл /tmp/x не найден");
  IFaceLang = elg_Ukr;
  EXPECT_EQ(creat_msg("/tmp/x", 1), "Файл /tmp/x не знайдено");
  EXPECT_EQ(creat_msg("f|( 30000)|20000", 11),
            "Файл f пошкоджено: довжина запису ( 30000) більша за допустиму 20000");
}

TEST(ZErrorTest, CarriesTextAndNumber) {
  try {
    SetError("abc", 42);
    FAIL();
  } catch (const ZError& e) {
    EXPECT_STREQ(e.what(), "abc");
    EXPECT_EQ(e.HelpContext, 42);
    EXPECT_EQ(e.Number, 42);
    EXPECT_EQ(e.Text, "abc");
  }
}

TEST(SystemError, TextAndCodeFormat) {
  try {
    OutSystemErrorCode("file", ENOENT);
    FAIL();
  } catch (const ZError& e) {
    EXPECT_EQ(e.HelpContext, 99);
    EXPECT_EQ(e.Message, "file#(" + SystemErrorText(ENOENT) + "[Win=00000002])");
  }
  try {
    OutSystemErrorCode("", 255);
    FAIL();
  } catch (const ZError& e) {
    EXPECT_EQ(e.Message, SystemErrorText(255) + "[Win=000000FF]");
  }
}

// The system's text follows the interface language (the C library's own translations), and is
// English only where no translation is installed.
TEST(SystemError, TextInTheInterfaceLanguage) {
  CatalogueGuard g;
  const bool installed = access("/usr/share/locale/uk/LC_MESSAGES/libc.mo", R_OK) == 0 &&
                         access("/usr/share/locale/ru/LC_MESSAGES/libc.mo", R_OK) == 0;
  if (!installed) GTEST_SKIP() << "the C library's translations are not installed";
  EXPECT_EQ(SystemErrorText(ENOENT), "Нет такого файла или каталога");
  IFaceLang = elg_Ukr;
  EXPECT_EQ(SystemErrorText(ENOENT), "Немає такого файла або каталогу");
  EXPECT_EQ(SystemErrorTextIn(EACCES, false), "Відмовлено у доступі");
  EXPECT_EQ(SystemErrorTextIn(12345, false), SystemErrorTextIn(12345, true)) << "no translation";
}

class PresenterTest : public ::testing::Test {
protected:
  void SetUp() override {
    saved = cLoadMsg;
    cLoadMsg = nullptr;
    SetMsgPresenter([this](const TMsgRequest& r) {
      shown.push_back(r);
      return answer;
    });
  }
  void TearDown() override {
    SetMsgPresenter(nullptr);
    cLoadMsg = saved;
  }
  TLoadMsg saved;
  std::vector<TMsgRequest> shown;
  bool answer = true;
};

TEST_F(PresenterTest, NumbersAreOffsetByKind) {
  OutWar("t", 3);
  EXPECT_TRUE(OutSel("t", 1));
  answer = false;
  EXPECT_FALSE(OutSelRepeat("q", 5));
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].Mode, TMsgMode::Warning);
  EXPECT_NE(shown[0].Text.find("№1003"), std::string::npos);
  EXPECT_EQ(shown[1].Mode, TMsgMode::Question);
  EXPECT_NE(shown[1].Text.find("№2001"), std::string::npos);
  EXPECT_TRUE(shown[2].Alarm);
  // A warning given 99 looks up 1099 and so does not show the bare text.
  OutWar("bare", 99);
  EXPECT_NE(shown.back().Text.find("№1099"), std::string::npos);
}

TEST_F(PresenterTest, SilentErrorAndLogForms) {
  OutErr("never", 999);
  OutErrLog("never", 999, "e", "w");
  EXPECT_TRUE(shown.empty());
  OutErr(ZError("shown", 99));
  OutErrLog("x", 99, "err.Log", "war.Log");
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].Text, "shown");
  EXPECT_FALSE(shown[0].Log);
  EXPECT_TRUE(shown[1].Log);
  EXPECT_EQ(shown[1].ErrLog, "err.Log");
  EXPECT_EQ(shown[1].WarLog, "war.Log");
}

TEST_F(PresenterTest, UndefinedErrorAddsSystemText) {
  errno = 0;
  OutUnDefError("plain");
  errno = EACCES;
  OutUnDefError("denied");
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].Text, "plain");
  EXPECT_EQ(shown[1].Text, "denied#(" + SystemErrorText(EACCES) + ")");
}
} // namespace
