// The protocol viewer window.
#include "messages/View_prt.h"

#include "base/QtApp.h"

#include <QScreen>
#include <QVBoxLayout>

#include "base/QtText.h"
#include "base/Scale.h"
#include "paths/Rdwr_cfg.h"
#include "storage/Dsfile.h"
#include "messages/Utslang.h"

const char* const ZEVVER = "5.0";
TViewPrt* ViewPrt = nullptr;

namespace {
constexpr int kPanel2Height = 54;
constexpr int kButtonTop = (kPanel2Height - 25) / 2;

QFrame* Panel(QWidget* parent) {
  auto* p = new QFrame(parent);
  p->setFrameStyle(QFrame::Panel | QFrame::Sunken); // lowered outer bevel
  p->setLineWidth(1);
  p->setMidLineWidth(1);
  return p;
}

TZMLButton* Button(QWidget* parent, int left, int width, const char* rus, const char* ukr) {
  auto* b = new TZMLButton(parent);
  b->setGeometry(left, kButtonTop, width, 25);
  b->CaptionL.Set(rus, ukr);
  return b;
}

std::string ReadWholeFile(const std::string& name) {
  SFile f(name, fmRead);
  std::string data(f.Size(), '\0');
  int got = data.empty() ? 0 : f.SRead(data.data(), static_cast<int>(data.size()));
  data.resize(static_cast<size_t>(std::max(got, 0)));
  return data;
}
} // namespace

TViewPrt::TViewPrt(QWidget* owner) : QDialog(owner) {
  setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::WindowMaximizeButtonHint);
  setSizeGripEnabled(true);
  setFont(ToQFont(TFontSpec{"Courier New", 8, 0, clWindowText}));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  Panel1 = Panel(this);
  auto* inner = new QVBoxLayout(Panel1);
  inner->setContentsMargins(2, 2, 2, 2);
  LTxt = new QPlainTextEdit(Panel1);
  LTxt->setReadOnly(true);
  LTxt->setLineWrapMode(QPlainTextEdit::NoWrap);
  LTxt->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  LTxt->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QPalette pal = LTxt->palette();
  pal.setColor(QPalette::Base, Panel1->palette().color(QPalette::Window));
  LTxt->setPalette(pal);
  inner->addWidget(LTxt);
  layout->addWidget(Panel1, 1);
  Panel2 = Panel(this);
  Panel2->setFixedHeight(kPanel2Height);
  layout->addWidget(Panel2);
  kWar = Button(Panel2, 15, 86, "Неточности", "Неточності");
  kErr = Button(Panel2, 109, 75, "Ошибки", "Помилки");
  Button1 = Button(Panel2, 503, 75, "Выход", "Вихід");
  connect(kWar, &QPushButton::clicked, this, [this] { kWarClick(); });
  connect(kErr, &QPushButton::clicked, this, [this] { kErrClick(); });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  setMinimumSize(600, 200); // the designed width of the button row
  setWindowState(Qt::WindowMaximized);
  RestoreWindowGeometry(this, "viewer");
  if (IsScale) SetScaleMsg(this);
}

void TViewPrt::hideEvent(QHideEvent* event) {
  SaveWindowGeometry(this, "viewer");
  QDialog::hideEvent(event);
}

std::string TViewPrt::Title(const std::string& fileName) {
  std::string head = std::string("ZEV-5 (") + ZEVVER + ")       ";
  return head + ByIface("Просмотр файла ", "Перегляд файла ") + fileName;
}

void TViewPrt::StartView(const std::string& fileName) {
  const std::string title = Title(fileName);
  setWindowTitle(ToQString(title));
  LTxt->clear();
  // An empty name (no protocol of that kind) shows the title alone.
  std::string text = fileName.empty() ? "" : ReadWholeFile(fileName);
  std::string lines;
  lines.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    lines += text[i] == '\r' ? '\n' : text[i];
  }
  if (!lines.empty() && lines.back() == '\n') lines.pop_back();
  LTxt->setPlainText(ToQString(title + (lines.empty() ? "" : "\n" + lines)));
  LTxt->moveCursor(QTextCursor::Start);
}

void TViewPrt::FormShow() {
  if (WarLog.empty() || ErrLog.empty()) {
    kWar->hide();
    kErr->hide();
  }
  if (ErrLog.empty())
    kWarClick();
  else
    kErrClick();
}

void TViewPrt::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (FShown) return;
  FShown = true;
  // Window managers that ignore the maximised state of tool windows get the whole screen.
  if (QScreen* s = screen(); s && size() != s->availableGeometry().size())
    setGeometry(s->availableGeometry());
  FormShow();
}

void TViewPrt::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  Button1->move(Panel2->width() - Button1->width() - 15, kButtonTop); // kept at the right
}

void SetScaleMsg(QWidget* form) {
  if (OldScr == NewScr) return;
  auto scale = [](int v) { return v * NewScr / OldScr; };
  for (QWidget* w : form->findChildren<QWidget*>()) {
    QRect g = w->geometry();
    w->setGeometry(scale(g.x()), scale(g.y()), scale(g.width()), scale(g.height()));
  }
  QFont f = form->font();
  if (f.pixelSize() > 0) f.setPixelSize(std::max(1, scale(f.pixelSize())));
  form->setFont(f);
  form->resize(scale(form->width()), scale(form->height()));
}
