// The message dialog: modes, colours, layout to the text, the keep-in-front timer and View.
#include "messages/Umessages.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QStyle>

#include "base/QtCanvas.h"
#include "base/QtKeys.h"
#include "base/Scale.h"
#include "messages/View_prt.h"
#include "paths/Rdwr_cfg.h"
#include "storage/Sysio.h"
#include "messages/Utslang.h"

namespace {
constexpr int kPicture = 64;

TZMLButton* Button(QWidget* parent, QRect rect, const char* rus, const char* ukr) {
  auto* b = new TZMLButton(parent);
  b->setGeometry(rect);
  b->CaptionL.Set(rus, ukr);
  b->setAutoDefault(false);
  return b;
}

void MoveUp(QWidget* w, int by) {
  w->move(w->x(), w->y() - by);
}

const char* TitleOf(uint8_t mode, bool russian) {
  switch (mode) {
  case dmError:
    return russian ? "     О ш и б к а  !" : "     П о м и л к а  !";
  case dmWarning:
    return russian ? "     П р е д у п р е ж д е н и е  !" : "     П о п е р е д ж е н н я  !";
  default:
    return russian ? "     З а п р о с  !" : "     З а п и т  !";
  }
}
} // namespace

TDMessages::TDMessages(QWidget* owner, bool normalColours, uint8_t mode)
    : QDialog(owner), Mode(mode), NormalColours(normalColours) {
  setObjectName("DMessages");
  setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFixedSize(ClientWidth, ClientHeight);
  setFont(ToQFont(TFontSpec{}));
  QPalette pal = palette();
  pal.setColor(QPalette::Window, ToQColor(NormalColours ? clSkyBlue : clRed));
  setPalette(pal);
  setAutoFillBackground(true);

  Timer = new QTimer(this);
  Timer->setInterval(1000);
  connect(Timer, &QTimer::timeout, this, [this] {
    raise();
    activateWindow();
  });
  Image = new QLabel(this);
  Image->setGeometry(16, 36, kPicture, kPicture);
  Image->setScaledContents(true);
  MakeImages();
  btYes = Button(this, QRect(16, 136, 50, 20), "&Да", "&Так");
  btWatchExit = Button(this, QRect(133, 136, 75, 20), "&Просмотр", "&Перегляд");
  btWatchExit->hide();
  btNoWatch = Button(this, QRect(276, 136, 50, 20), "&Нет", "&Ні");
  Ask = new TZCheckBox(this);
  Ask->setGeometry(80, 112, 193, 17);
  Ask->setLayoutDirection(Qt::RightToLeft); // caption left of the box
  Ask->CaptionL.Set("&Не задавать больше этот вопрос", "&Не задавати більше це питання");
  Ask->hide();

  const bool question = Mode == dmQuestion || Mode == dmQuestionAsk;
  connect(btYes, &QPushButton::clicked, this, [this] { accept(); });
  connect(btWatchExit, &QPushButton::clicked, this, [this, question] {
    if (question)
      btWatchExitClick();
    else
      btNoWatchClick();
  });
  connect(btNoWatch, &QPushButton::clicked, this, [this, question] {
    if (question)
      btNoWatchClick();
    else
      btWatchExitClick();
  });

  ErrorLayout();
  if (Mode == dmError)
    DrawImage(0);
  else if (Mode == dmWarning)
    DrawImage(2);
  if (Mode == dmQuestionAsk) {
    Ask->show();
    BottomRef = Ask;
  }
  if (question) QuestionLayout();
  if (IsScale) SetScaleMsg(this);
  Timer->start();
}

void TDMessages::MakeImages() {
  const QStyle::StandardPixmap kinds[3] = {
      QStyle::SP_MessageBoxCritical, QStyle::SP_MessageBoxQuestion, QStyle::SP_MessageBoxWarning};
  for (int i = 0; i < 3; ++i) {
    QPixmap icon = style()->standardIcon(kinds[i]).pixmap(kPicture, kPicture);
    for (int alarm = 0; alarm < 2; ++alarm) {
      QPixmap pm(kPicture, kPicture);
      pm.fill(alarm ? ToQColor(clRed) : Qt::transparent);
      QPainter p(&pm);
      p.drawPixmap(pm.rect(), icon);
      ImageList[static_cast<size_t>(alarm * 3 + i)] = pm;
    }
  }
}

void TDMessages::DrawImage(int index) {
  Image->setPixmap(ImageList[static_cast<size_t>((NormalColours ? 0 : 3) + index)]);
}

void TDMessages::ErrorLayout() {
  btWatchExit->CaptionL.Set("&Выход", "&Вихід");
  btWatchExit->show();
  btYes->hide();
  btNoWatch->setGeometry(btNoWatch->x() - 25, btNoWatch->y(), 75, btNoWatch->height());
  btNoWatch->hide();
  btNoWatch->CaptionL.Set("&Просмотр", "&Перегляд");
  BottomRef = btWatchExit;
}

void TDMessages::QuestionLayout() {
  DrawImage(1);
  btWatchExit->CaptionL.Set("&Просмотр", "&Перегляд");
  btNoWatch->CaptionL.Set("&Нет", "&Ні");
  btYes->show();
  btNoWatch->setGeometry(btNoWatch->x() + 25, btNoWatch->y(), 50, btNoWatch->height());
  btNoWatch->show();
  btWatchExit->hide();
  if (Mode != dmQuestionAsk) BottomRef = btYes;
}

TFontSpec TDMessages::TextFont() const {
  TFontSpec f;
  f.Color = NormalColours ? clBlack : clWhite;
  if (!NormalColours) f.Style = fsBold;
  return f;
}

void TDMessages::FormShow() {
  setWindowTitle(ToQString(TitleOf(Mode, IfaceRussian())));
  TQtCanvas canvas(nullptr, TextFont());
  int maxLine;
  LineCount =
      FormatTextWord(Text, ClientWidth - TextLeft(), canvas, Layout, false, TextHeight, maxLine);
  TextHeight += 6;
  const int bottom = BottomRef->y();
  const int formHeight = ClientHeight + NonClientHeight;
  Shrink = ClientHeight - (formHeight - bottom) - TextHeight;
  if (bottom - Shrink < Image->height() + 10) Shrink = bottom - (Image->height() + 10);
  if (Mode == dmError || Mode == dmWarning) MoveUp(btWatchExit, Shrink);
  if (Mode == dmQuestionAsk) MoveUp(Ask, Shrink);
  if (Mode == dmQuestion || Mode == dmQuestionAsk) {
    MoveUp(btYes, Shrink);
    MoveUp(btNoWatch, Shrink);
  }
  setFixedSize(ClientWidth, ClientHeight - Shrink);
  Image->move(Image->x(), (BottomRef->y() - Image->height()) / 2);
  if (!HasProtocol) return;
  QWidget* view = Mode == dmError || Mode == dmWarning ? btNoWatch
                  : Mode == dmQuestion                 ? btWatchExit
                                                       : nullptr;
  if (!view) return;
  view->show();
  MoveUp(view, Shrink);
}

void TDMessages::showEvent(QShowEvent* event) {
  if (!FShown) {
    FShown = true;
    FormShow();
  }
  QDialog::showEvent(event);
}

void TDMessages::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  TQtCanvas canvas(&painter, TextFont());
  const int top = (BottomRef->y() - TextHeight) / 2;
  CellOutText(Text, TRect{TextLeft(), top, ClientWidth - 3, top + TextHeight}, canvas, 1, 1,
              LineCount, TextHeight, Layout);
}

void TDMessages::keyPressEvent(QKeyEvent* event) {
  if (TransKey(event) == 27)
    btNoWatchClick();
  else
    QDialog::keyPressEvent(event);
}

void TDMessages::btWatchExitClick() {
  Timer->stop();
  ViewPrt = new TViewPrt(this);
  auto usable = [](const std::string& name) { return name.empty() || sysio::FileExists(name); };
  if (usable(ErrLog) && usable(WarLog)) {
    ViewPrt->WarLog = WarLog;
    ViewPrt->ErrLog = ErrLog;
    ViewPrt->exec();
  } else {
    QMessageBox box(
        QMessageBox::NoIcon, QString(),
        ToQString(ByIface("Нет информации для просмотра !", "Немає інформації для перегляду !")),
        QMessageBox::Ok, this);
    box.exec();
  }
  delete ViewPrt;
  ViewPrt = nullptr;
  Timer->start(); // also after the refusal: the dialog stays open and keeps itself in front
}

int MRestNo(const std::string& text) {
  TDMessages dialog(nullptr, true, dmQuestionAsk);
  dialog.Text = text;
  int result = dialog.exec() == QDialog::Accepted ? 1 : 0;
  if (dialog.Ask->isChecked()) result |= 2;
  return result;
}

bool DialogPresenter(const TMsgRequest& request) {
  uint8_t mode = request.Mode == TMsgMode::Error     ? dmError
                 : request.Mode == TMsgMode::Warning ? dmWarning
                                                     : dmQuestion;
  TDMessages dialog(nullptr, !request.Alarm, mode);
  dialog.Text = request.Text;
  if (request.Log) {
    dialog.HasProtocol = true;
    dialog.ErrLog = request.ErrLog;
    dialog.WarLog = request.WarLog;
  }
  return dialog.exec() == QDialog::Accepted;
}

void InstallDialogPresenter() {
  SetMsgPresenter([](const TMsgRequest& request) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) return DialogPresenter(request);
    return ConsolePresenter(request);
  });
}
