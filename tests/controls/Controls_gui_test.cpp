// Two-language controls, the multi-line label, the selection field, memo helpers and the Qt layer.
#include <gtest/gtest.h>

#include <stdexcept>

#include <QFontInfo>
#include <QKeyEvent>
#include <QTest>

#include "tests/support_gui/Guisupport.h"
#include "base/FixedCanvas.h"
#include "base/QtApp.h"
#include "base/QtKeys.h"
#include "base/QtText.h"
#include "controls/Fun_memo.h"
#include "controls/Uzcheckbox.h"
#include "controls/Uzgroupbox.h"
#include "controls/Uzmlbtn.h"
#include "controls/Uzradiobutton.h"
#include "controls/Uzselbox.h"
#include "controls/Ztext.h"
#include "messages/Zmsg.h"

namespace {
// Sets the interface language for the controls made in one test.
struct LangGuard {
  ELang saved = IFaceLang;
  explicit LangGuard(ELang lang) { IFaceLang = lang; }
  ~LangGuard() { IFaceLang = saved; }
};

} // namespace

TEST(LangBox, ButtonShowsItsLanguageAndSwaps) {
  LangGuard lang(elg_Rus);
  TZMLButton b;
  b.CaptionL.Set("Выход", "Вихід");
  b.HintL.Set("Закрыть окно", "Закрити вікно");
  EXPECT_EQ(FromQString(b.text()), "Выход");
  EXPECT_EQ(FromQString(b.toolTip()), "Закрыть окно");
  EXPECT_EQ(b.CaptionL.LUkr(), "Вихід");
  b.WLang(elg_Ukr);
  EXPECT_EQ(b.CaptionL.Lang(), elg_Ukr);
  EXPECT_EQ(FromQString(b.text()), "Вихід");
  EXPECT_EQ(FromQString(b.toolTip()), "Закрити вікно");
  EXPECT_EQ(b.CaptionL.LRus(), "Выход");
  EXPECT_EQ(b.CaptionL.LUkr(), "Вихід");
  b.WLang(elg_End); // the shown language: nothing changes
  EXPECT_EQ(FromQString(b.text()), "Вихід");
}

TEST(LangBox, EventMayChangeOrVetoTheSwitch) {
  LangGuard lang(elg_Ukr);
  TZCheckBox c;
  c.CaptionL.Set("Да", "Так");
  std::vector<std::pair<ELang, std::string>> calls;
  bool veto = true;
  c.OnLangChange = [&](TZLangBox* box, ELang to, std::string& value, bool& ignore) {
    EXPECT_EQ(box, &c.CaptionL);
    calls.push_back({to, value});
    value += "!";
    ignore = veto;
  };
  c.CaptionL.WLang(elg_Rus);
  EXPECT_EQ(FromQString(c.text()), "Так"); // vetoed
  EXPECT_EQ(c.CaptionL.Lang(), elg_Ukr);
  veto = false;
  c.CaptionL.WLang(elg_Rus);
  EXPECT_EQ(FromQString(c.text()), "Да!");
  EXPECT_EQ(c.CaptionL.LUkr(), "Так");
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1], (std::pair<ELang, std::string>{elg_Rus, "Да"}));
}

TEST(LangBox, InitAnnouncesTheShownTextAndMarksTheBox) {
  LangGuard lang(elg_Rus);
  TZRadioButton r;
  r.CaptionL.Set("Русский", "Російська");
  int calls = 0;
  bool veto = true;
  std::vector<ELang> langs;
  r.OnLangChange = [&](TZLangBox*, ELang to, std::string& value, bool& ignore) {
    ++calls;
    langs.push_back(to);
    value = "изменено";
    ignore = veto;
  };
  r.CaptionL.Init();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(FromQString(r.text()), "Русский"); // ignore keeps the property
  // The switch that follows Init is not announced, the one after it is.
  r.CaptionL.WLang(elg_Ukr);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(FromQString(r.text()), "Російська");
  r.CaptionL.WLang(elg_Rus);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(FromQString(r.text()), "Російська"); // vetoed
  // Without ignore, Init writes the changed text back.
  veto = false;
  r.CaptionL.Init();
  EXPECT_EQ(FromQString(r.text()), "изменено");
  EXPECT_EQ(langs, (std::vector<ELang>{elg_Rus, elg_Rus, elg_Ukr}));
}

TEST(LangBox, GroupBoxCaptionIsItsTitle) {
  LangGuard lang(elg_Ukr);
  TZGroupBox g;
  g.CaptionL.Set("Стройки", "Будови");
  EXPECT_EQ(FromQString(g.title()), "Будови");
  g.WLang(elg_Rus);
  EXPECT_EQ(FromQString(g.title()), "Стройки");
}

TEST(MLButton, HashCaptionShowsTwoLinesAndReadsBackUnchanged) {
  LangGuard lang(elg_Ukr);
  TZMLButton b;
  b.resize(90, 40);
  EXPECT_FALSE(b.MultiLine());
  b.CaptionL.Set("Два#слова", "Два#слова");
  EXPECT_TRUE(b.MultiLine());
  EXPECT_EQ(FromQString(b.text()), "Два\nслова");
  EXPECT_EQ(b.CaptionL.CurText(), "Два#слова");
  b.SetMultiLine(false); // refused while the caption breaks lines
  EXPECT_TRUE(b.MultiLine());
  TZMLButton one;
  one.CaptionL.WText(elg_End, "Два слова");
  EXPECT_GT(b.sizeHint().height(), one.sizeHint().height());
  SaveShot(&b, "mlbutton_two_lines");
}

TEST(ZText, HeightFollowsTheTextsWhenAlignedToTop) {
  LangGuard lang(elg_Ukr);
  TZText t;
  t.resize(100, 50);
  t.SetTextU(1, "abc");
  t.SetTextU(2, "de");
  t.SetHor(2, 2);
  t.SetAlign(alTop);
  TFixedCanvas c(10, 20); // two one-line texts of 20 px: 40 px
  EXPECT_FALSE(t.PaintOn(c));
  EXPECT_EQ(t.height(), 44);
  c.Calls.clear();
  EXPECT_TRUE(t.PaintOn(c));
  auto texts = c.Texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].Y, 2);
  EXPECT_EQ(texts[0].X, 2);
  EXPECT_EQ(texts[1].Y, 22);
  EXPECT_EQ(texts[1].X, 98 - 20); // right-aligned within width - 2
  // Other alignments keep the height; the other language's texts are not shown.
  t.SetAlign(alNone);
  t.resize(100, 80);
  t.WLang(elg_Rus);
  c.Calls.clear();
  EXPECT_TRUE(t.PaintOn(c));
  EXPECT_TRUE(c.Texts().empty());
  EXPECT_EQ(t.height(), 80);
}

TEST(ZText, BadAlignmentIsRefusedAndPaintsWithQt) {
  Shown shown;
  LangGuard lang(elg_Ukr);
  TZText t;
  t.SetHor(1, 1);
  t.SetHor(1, 3);
  EXPECT_EQ(t.Hor(1), 1);
  ASSERT_EQ(shown.All.size(), 1u);
  EXPECT_EQ(shown.All[0].Text, " Неверно задан признак выравнивания");
  t.resize(160, 10);
  t.SetBorder(true);
  t.SetAlign(alTop);
  t.SetTextU(1, "Перший рядок#другий рядок");
  TFontSpec bold;
  bold.Style = fsBold;
  t.SetFont(2, bold);
  t.SetTextU(2, "Жирний текст");
  t.grab(); // the first paint corrects the height
  QFontMetrics regular(ToQFont(TFontSpec{})), heavy(ToQFont(bold));
  EXPECT_EQ(t.height(), 2 * regular.height() + heavy.height() + 4);
  SaveShot(&t, "ztext_border");
}

TEST(SelBox, SizeTextHintAndSelection) {
  TZSelBox s("SelBox1");
  EXPECT_EQ(s.width(), 145);
  EXPECT_EQ(s.height(), s.fontMetrics().height() + 8);
  EXPECT_EQ(s.Text(), "SelBox1");
  s.SetText("Значение");
  EXPECT_EQ(FromQString(s.toolTip()), "Значение");
  int selected = 0;
  s.OnSelect = [&](TZSelBox* who) {
    EXPECT_EQ(who, &s);
    ++selected;
  };
  s.show();
  QTest::mousePress(&s, Qt::LeftButton);
  EXPECT_TRUE(s.Pressed());
  SaveShot(&s, "selbox_pressed");
  QTest::mouseRelease(&s, Qt::LeftButton);
  EXPECT_EQ(selected, 1);
  QTest::keyClick(&s, Qt::Key_Space);
  QTest::keyClick(&s, Qt::Key_PageDown);
  QTest::keyClick(&s, Qt::Key_A);
  EXPECT_EQ(selected, 3);
  s.setEnabled(false);
  QTest::mouseClick(&s, Qt::LeftButton);
  EXPECT_EQ(selected, 3);
  SaveShot(&s, "selbox_disabled");
}

TEST(QtLayer, KeyCodes) {
  EXPECT_EQ(TransKey(Qt::Key_Up, Qt::NoModifier), 38);
  EXPECT_EQ(TransKey(Qt::Key_Insert, Qt::NoModifier), 45);
  EXPECT_EQ(TransKey(Qt::Key_Escape, Qt::NoModifier), 27);
  EXPECT_EQ(TransKey(Qt::Key_F5, Qt::ControlModifier | Qt::ShiftModifier), 116 + 512 + 1024);
  EXPECT_EQ(TransKey(Qt::Key_Insert, Qt::AltModifier), 45 + 256);
  EXPECT_EQ(TransKey(Qt::Key_Shift, Qt::ShiftModifier), 0);
  EXPECT_EQ(TransKey(Qt::Key_Control, Qt::ControlModifier), 0);
  EXPECT_EQ(TransKey(Qt::Key_Alt, Qt::AltModifier), 0);
  EXPECT_EQ(TransKey(Qt::Key_2, Qt::KeypadModifier), 98);
  EXPECT_EQ(TransKey(Qt::Key_Exclam, Qt::ShiftModifier), '1' + 1024);
  EXPECT_EQ(TransKey(0x419, Qt::NoModifier), 'Q'); // Й shares its key with Q
  QKeyEvent e(QEvent::KeyPress, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(TransKey(&e), 46 + 512);
}

TEST(QtLayer, ColoursFontsAndTexts) {
  EXPECT_EQ(ToQColor(clRed), QColor(255, 0, 0));
  EXPECT_EQ(ToQColor(clSkyBlue), QColor(166, 202, 240));
  EXPECT_EQ(FromQColor(QColor(166, 202, 240)), clSkyBlue);
  EXPECT_EQ(ToQColor(clBtnFace), QApplication::palette().color(QPalette::Button));
  EXPECT_EQ(ToQColor(clWindowText), QApplication::palette().color(QPalette::WindowText));
  QFontInfo sans(ToQFont(TFontSpec{"MS Sans Serif", 8, 0, 0}));
  EXPECT_EQ(sans.family(), "Liberation Sans");
  EXPECT_EQ(sans.pixelSize(), 11);
  EXPECT_EQ(QFontInfo(ToQFont(TFontSpec{"Arial", 10, 0, 0})).family(), "Liberation Sans");
  EXPECT_EQ(QFontInfo(ToQFont(TFontSpec{"Courier New", 8, 0, 0})).family(), "Liberation Mono");
  EXPECT_EQ(QFontInfo(ToQFont(TFontSpec{"Times New Roman", 11, 0, 0})).family(),
            "Liberation Serif");
  EXPECT_EQ(FromQFont(ToQFont(TFontSpec{"Arial", 10, fsBold | fsItalic, 0}), 0),
            (TFontSpec{"Arial", 10, fsBold | fsItalic, 0}));
  const std::string all = "Ёё ЇїІіЄєҐґ №\x98";
  EXPECT_EQ(FromQString(ToQString(all)), all);
}

namespace {
class Thrower : public QObject {
public:
  std::function<void()> What;
  bool event(QEvent*) override {
    What();
    return true;
  }
};
} // namespace

TEST(QtLayer, EventDispatchShowsExceptionsAndGoesOn) {
  Shown shown;
  Thrower t;
  QEvent ev(QEvent::User);
  t.What = [] { SetError("f|g", 5); };
  QCoreApplication::sendEvent(&t, &ev);
  t.What = [] { throw std::runtime_error("boom"); };
  QCoreApplication::sendEvent(&t, &ev);
  t.What = [] { throw 7; };
  QCoreApplication::sendEvent(&t, &ev);
  t.What = [] { SetError("", 999); }; // 999 shows nothing
  QCoreApplication::sendEvent(&t, &ev);
  ASSERT_EQ(shown.All.size(), 3u);
  EXPECT_EQ(shown.All[0].Text, creat_msg("f|g", 5));
  EXPECT_EQ(shown.All[1].Text, "boom");
  EXPECT_FALSE(shown.All[2].Text.empty());
  for (auto& r : shown.All)
    EXPECT_EQ(r.Mode, TMsgMode::Error);
}

TEST(Memo, TextToMemoWrapsOnceOrTwiceAndComesBack) {
  TFixedCanvas c(10, 16);
  QPlainTextEdit memo;
  memo.resize(105, 60); // 100 px to wrap in: 9 characters a line
  std::string text = "aaaa bbbb cccc";
  EXPECT_EQ(TextToMemo(text, c, &memo, 3), 2 * 16);
  // The blank that would be the tenth character does not fit: the line ends after "aaaa ".
  EXPECT_EQ(memo.toPlainText(), "aaaa \nbbbb cccc");
  EXPECT_EQ(memo.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  // Four lines (64 px) exceed 60 - 5: wrapped again 16 px narrower, with a scroll bar.
  text = "aaaa#bbbb#cccc#ddddddddd";
  EXPECT_EQ(TextToMemo(text, c, &memo, 1), 16 * 5);
  EXPECT_EQ(memo.toPlainText(), "aaaa#\nbbbb#\ncccc#\ndddddddd\nd");
  EXPECT_EQ(memo.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  std::string back;
  TextFromMemo(&memo, back);
  EXPECT_EQ(back, text);
  EXPECT_EQ(TextToMemo("ab#cd", c, &memo, 0), 16);
  EXPECT_EQ(memo.toPlainText(), "ab#cd");
  EXPECT_EQ(TextToMemo("", c, &memo, 0), 0);
  EXPECT_TRUE(memo.toPlainText().isEmpty());
}

TEST(Memo, MinusCheckKey) {
  QLineEdit e;
  e.setText("12");
  e.setCursorPosition(0);
  EXPECT_EQ(MinusCheckKey('-', &e), '-');
  EXPECT_EQ(MinusCheckKey(',', &e), ',');
  EXPECT_EQ(MinusCheckKey('7', &e), '7');
  EXPECT_EQ(MinusCheckKey(8, &e), 8);
  EXPECT_EQ(MinusCheckKey('a', &e), 0);
  e.setCursorPosition(1);
  EXPECT_EQ(MinusCheckKey('-', &e), 0);
  e.setText("1,2");
  EXPECT_EQ(MinusCheckKey(',', &e), 0);
}
