// The message dialog in its modes and colours, MRestNo, the presenter and the protocol viewer.
#include <gtest/gtest.h>

#include <algorithm>

#include <QAccessible>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTextBlock>

#include "tests/support_gui/Guisupport.h"
#include "tests/support/Tempdir.h"
#include "base/QtText.h"
#include "controls/Uzlangbox.h"
#include "messages/Umessages.h"
#include "messages/View_prt.h"
#include "paths/Rdwr_cfg.h"

namespace {
struct LangGuard {
  ELang saved = IFaceLang;
  unsigned char savedCfg = Cfg[CfgIfaceRussian];
  explicit LangGuard(ELang lang) {
    IFaceLang = lang;
    Cfg[CfgIfaceRussian] = lang == elg_Rus;
  }
  ~LangGuard() {
    IFaceLang = saved;
    Cfg[CfgIfaceRussian] = savedCfg;
  }
};

const std::string kOneLine = "Файл не найден";
const std::string kLong =
    "Запись 17 файла LSS#5.aru повреждена: длина записи больше допустимой. Файл следует "
    "восстановить из резервной копии и повторить обработку.#(Ошибка чтения)";

// The visible buttons, left to right: caption and left edge.
std::vector<std::pair<std::string, int>> Buttons(TDMessages& d) {
  std::vector<std::pair<std::string, int>> out;
  for (TZMLButton* b : {d.btYes, d.btWatchExit, d.btNoWatch})
    if (b->isVisible()) out.push_back({b->CaptionL.CurText(), b->x()});
  std::sort(out.begin(), out.end(), [](auto& a, auto& b) { return a.second < b.second; });
  return out;
}

std::string LineOf(QPlainTextEdit* edit, int n) {
  return FromQString(edit->document()->findBlockByNumber(n).text());
}

using Btns = std::vector<std::pair<std::string, int>>;
} // namespace

TEST(DMessages, ButtonsInEveryModeWithAndWithoutProtocol) {
  LangGuard lang(elg_Rus);
  struct {
    uint8_t mode;
    bool protocol;
    Btns buttons;
    const char* shot;
  } cases[] = {
      {dmError, false, {{"&Выход", 133}}, "error"},
      {dmError, true, {{"&Выход", 133}, {"&Просмотр", 251}}, "error_protocol"},
      {dmWarning, false, {{"&Выход", 133}}, "warning"},
      {dmWarning, true, {{"&Выход", 133}, {"&Просмотр", 251}}, "warning_protocol"},
      {dmQuestion, false, {{"&Да", 16}, {"&Нет", 276}}, "question"},
      {dmQuestion, true, {{"&Да", 16}, {"&Просмотр", 133}, {"&Нет", 276}}, "question_protocol"},
      {dmQuestionAsk, false, {{"&Да", 16}, {"&Нет", 276}}, "question_ask"},
      {dmQuestionAsk, true, {{"&Да", 16}, {"&Нет", 276}}, "question_ask_protocol"},
  };
  for (auto& k : cases) {
    TDMessages d(nullptr, true, k.mode);
    d.Text = kLong;
    d.HasProtocol = k.protocol;
    d.ErrLog = "err.log";
    d.show();
    EXPECT_EQ(Buttons(d), k.buttons) << k.shot;
    const bool question = k.mode == dmQuestion || k.mode == dmQuestionAsk;
    EXPECT_EQ(d.Ask->isVisible(), k.mode == dmQuestionAsk) << k.shot;
    EXPECT_EQ(d.btNoWatch->width(), question ? 50 : 75) << k.shot;
    // All buttons share one row, moved up by the shrink.
    for (TZMLButton* b : {d.btYes, d.btWatchExit, d.btNoWatch})
      if (b->isVisible()) {
        EXPECT_EQ(b->y(), 136 - d.Shrink) << k.shot;
      }
    EXPECT_EQ(d.height(), TDMessages::ClientHeight - d.Shrink);
    EXPECT_EQ(d.Image->y(), (d.BottomRef->y() - 64) / 2) << k.shot;
    SaveShot(&d, "dmessages_" + std::string(k.shot));
  }
}

TEST(DMessages, ShrinksToTheTextButKeepsSeventyFourPixels) {
  LangGuard lang(elg_Ukr);
  TDMessages one(nullptr, true, dmError);
  one.Text = kOneLine;
  one.show();
  EXPECT_EQ(one.LineCount, 1);
  EXPECT_EQ(one.btWatchExit->y(), 74);
  EXPECT_EQ(one.Shrink, 136 - 74);
  EXPECT_EQ(one.height(), 166 - 62);
  EXPECT_EQ(one.Image->y(), 5);
  EXPECT_EQ(one.btWatchExit->CaptionL.CurText(), "&Вихід");
  EXPECT_EQ(FromQString(one.windowTitle()), "     П о м и л к а  !");
  SaveShot(&one, "dmessages_one_line_ukr");

  TDMessages ask(nullptr, true, dmQuestionAsk);
  ask.Text = kOneLine;
  ask.show();
  EXPECT_EQ(ask.Ask->y(), 74); // the check box is the bottom reference
  EXPECT_EQ(ask.btYes->y(), 136 - (112 - 74));

  // A text of many lines lowers the buttons less: the formula without the minimum.
  TDMessages many(nullptr, true, dmWarning);
  many.Text = kLong + "#" + kLong;
  many.show();
  ASSERT_GT(many.LineCount, 4);
  EXPECT_EQ(many.TextHeight, many.LineCount * QFontMetrics(ToQFont(TFontSpec{})).height() + 6);
  EXPECT_EQ(many.Shrink, 166 - (166 + TDMessages::NonClientHeight - 136) - many.TextHeight);
  EXPECT_EQ(FromQString(many.windowTitle()), "     П о п е р е д ж е н н я  !");
  SaveShot(&many, "dmessages_many_lines");
}

TEST(DMessages, AlarmColours) {
  LangGuard lang(elg_Rus);
  TDMessages d(nullptr, false, dmQuestion);
  d.Text = "Повторить операцию?";
  d.show();
  EXPECT_EQ(d.palette().color(QPalette::Window), QColor(255, 0, 0));
  EXPECT_EQ(d.Image->pixmap().toImage(), d.ImageList[4].toImage());
  EXPECT_EQ(d.ImageList[4].toImage().pixelColor(0, 0), QColor(255, 0, 0));
  QImage shot = d.grab().toImage();
  // The text is white and bold: white pixels in the text block, none in normal colours.
  auto whites = [](const QImage& img, QRect r) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x)
        if (img.pixelColor(x, y) == QColor(255, 255, 255)) ++n;
    return n;
  };
  QRect text(d.TextLeft(), 0, TDMessages::ClientWidth - d.TextLeft() - 3, d.BottomRef->y());
  EXPECT_GT(whites(shot, text), 20);
  SaveShot(&d, "dmessages_alarm");
  TDMessages normal(nullptr, true, dmQuestion);
  normal.Text = d.Text;
  normal.show();
  EXPECT_EQ(normal.palette().color(QPalette::Window), QColor(166, 202, 240));
  EXPECT_EQ(whites(normal.grab().toImage(), text), 0);
  EXPECT_EQ(normal.Image->pixmap().toImage(), normal.ImageList[1].toImage());
}

TEST(DMessages, MRestNoResults) {
  LangGuard lang(elg_Rus);
  struct {
    bool tick, yes;
    int result;
  } cases[] = {{false, false, 0}, {false, true, 1}, {true, false, 2}, {true, true, 3}};
  for (auto& k : cases) {
    WhenModal([k](QWidget* w) {
      auto* d = static_cast<TDMessages*>(w);
      if (k.tick) QTest::mouseClick(d->Ask, Qt::LeftButton);
      if (k.tick && k.yes) SaveShot(d, "dmessages_mrestno_ticked");
      QTest::mouseClick(k.yes ? d->btYes : d->btNoWatch, Qt::LeftButton);
    });
    EXPECT_EQ(MRestNo("Удалить файл?"), k.result);
  }
}

TEST(DMessages, PresenterAnswersAndEscapeCloses) {
  LangGuard lang(elg_Rus);
  TMsgPresenter saved = SetMsgPresenter(DialogPresenter);
  WhenModal([](QWidget* w) {
    auto* d = static_cast<TDMessages*>(w);
    EXPECT_EQ(d->Mode, dmQuestion);
    EXPECT_EQ(d->Text, creat_msg("x", 2005));
    QTest::mouseClick(d->btYes, Qt::LeftButton);
  });
  EXPECT_TRUE(OutSel("x", 5));
  WhenModal([](QWidget* w) {
    EXPECT_FALSE(static_cast<TDMessages*>(w)->NormalColours);
    QTest::keyClick(w, Qt::Key_Escape);
  });
  EXPECT_FALSE(OutSelRepeat("x", 5));
  WhenModal([](QWidget* w) {
    auto* d = static_cast<TDMessages*>(w);
    EXPECT_EQ(d->Mode, dmWarning);
    EXPECT_TRUE(d->HasProtocol);
    EXPECT_EQ(d->ErrLog, "e");
    EXPECT_EQ(d->WarLog, "w");
    QTest::mouseClick(d->btWatchExit, Qt::LeftButton); // Exit
  });
  OutWarLog("x", 5, "e", "w");
  SetMsgPresenter(saved);
}

TEST(ViewPrt, OnlyErrorsOnlyWarningsOrBoth) {
  LangGuard lang(elg_Rus);
  TTempDir dir;
  const std::string err = dir / "Smeta_dat.Log", war = dir / "Smeta_dat_w.Log";
  WriteAll(err, "Ошибка 1\r\nОшибка 2\r\n");
  WriteAll(war, "Неточность\r\n");
  struct {
    std::string errLog, warLog, first;
    bool switches;
  } cases[] = {
      {err, "", "Ошибка 1", false}, {"", war, "Неточность", false}, {err, war, "Ошибка 1", true}};
  for (auto& k : cases) {
    TDMessages d(nullptr, true, dmError);
    d.Text = "Обработка закончена с ошибками";
    d.HasProtocol = true;
    d.ErrLog = k.errLog;
    d.WarLog = k.warLog;
    d.show();
    bool seen = false;
    WhenModal([&](QWidget* w) {
      auto* v = static_cast<TViewPrt*>(w);
      seen = true;
      EXPECT_EQ(ViewPrt, v);
      EXPECT_FALSE(d.Timer->isActive());
      EXPECT_EQ(v->kWar->isVisible(), k.switches);
      EXPECT_EQ(v->kErr->isVisible(), k.switches);
      const std::string shown = k.errLog.empty() ? k.warLog : k.errLog;
      EXPECT_EQ(LineOf(v->LTxt, 0), TViewPrt::Title(shown));
      EXPECT_EQ(LineOf(v->LTxt, 1), k.first);
      EXPECT_EQ(FromQString(v->windowTitle()), TViewPrt::Title(shown));
      SaveShot(v, "viewprt_" + std::to_string(k.switches) + (k.errLog.empty() ? "_war" : "_err"));
      if (k.switches) {
        QTest::mouseClick(v->kWar, Qt::LeftButton);
        EXPECT_EQ(LineOf(v->LTxt, 0), TViewPrt::Title(war));
        EXPECT_EQ(LineOf(v->LTxt, 1), "Неточность");
        EXPECT_EQ(v->LTxt->document()->blockCount(), 2);
        WriteAll(err, "Ошибка 3\r\n"); // each press reads the file again
        QTest::mouseClick(v->kErr, Qt::LeftButton);
        EXPECT_EQ(LineOf(v->LTxt, 1), "Ошибка 3");
      }
      QTest::mouseClick(v->Button1, Qt::LeftButton);
    });
    QTest::mouseClick(d.btNoWatch, Qt::LeftButton); // View
    EXPECT_TRUE(seen);
    EXPECT_EQ(ViewPrt, nullptr);
    EXPECT_TRUE(d.Timer->isActive());
    EXPECT_TRUE(d.isVisible());
  }
}

TEST(ViewPrt, MissingProtocolIsRefused) {
  LangGuard lang(elg_Ukr);
  TDMessages d(nullptr, true, dmQuestion);
  d.Text = "Продовжити?";
  d.HasProtocol = true;
  d.ErrLog = "/nonexistent/err.Log";
  d.show();
  std::string said;
  WhenModal([&](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    said = FromQString(box->text());
    box->accept();
  });
  QTest::mouseClick(d.btWatchExit, Qt::LeftButton); // View in a question
  EXPECT_EQ(said, "Немає інформації для перегляду !");
  EXPECT_EQ(ViewPrt, nullptr);
}

TEST(ViewPrt, TitleLine) {
  {
    LangGuard lang(elg_Rus);
    EXPECT_EQ(TViewPrt::Title("a.Log"),
              std::string("ZEV-5 (") + ZEVVER + ")       Просмотр файла a.Log");
  }
  LangGuard lang(elg_Ukr);
  EXPECT_EQ(TViewPrt::Title("a.Log"),
            std::string("ZEV-5 (") + ZEVVER + ")       Перегляд файла a.Log");
}

// A screen reader finds the painted message text as the dialog's static text, under its title.
TEST(DMessages, TheTextIsReadableByScreenReaders) {
  LangGuard lang(elg_Ukr);
  TDMessages d(nullptr, true, dmError);
  d.Text = "Файл не знайдено#(Немає такого файла або каталогу)";
  d.show();
  QAccessibleInterface* dialog = QAccessible::queryAccessibleInterface(&d);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(FromQString(dialog->text(QAccessible::Name)), "П о м и л к а  !");
  ASSERT_GE(dialog->childCount(), 2);
  EXPECT_EQ(dialog->child(0)->role(), QAccessible::StaticText);
  EXPECT_EQ(FromQString(dialog->child(0)->text(QAccessible::Name)),
            "Файл не знайдено\n(Немає такого файла або каталогу)");
  // Behind the text, the buttons the dialog shows, by their captions, each found again.
  std::vector<std::string> buttons;
  for (int i = 1; i < dialog->childCount(); ++i) {
    QAccessibleInterface* c = dialog->child(i);
    EXPECT_EQ(dialog->indexOfChild(c), i);
    if (c->role() == QAccessible::Button && !c->state().invisible)
      buttons.push_back(FromQString(c->text(QAccessible::Name)));
  }
  EXPECT_EQ(buttons, std::vector<std::string>{"Вихід"});
  d.close();
}
