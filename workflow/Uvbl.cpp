// TfVbl: the object list window's controls and handlers. The table's events, the check pass and
// the batch change are TVblList's (Uvbl_list), shared in substance with the command line.
#include "workflow/Uvbl.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "base/QtApp.h"
#include "base/QtText.h"
#include "base/Strutil.h"
#include "controls/Uzlangbox.h"
#include "messages/Zmsg.h"
#include "messages/Msgcat.h"
#include "messages/Utslang.h"
#include "paths/Dpath.h"
#include "paths/Rdwr_cfg.h"
#include "workflow/Changetext.h"
#include "workflow/Ucommon.h"
#include "workflow/Uprogress.h"
#include "workflow/Uvbl_compare.h"
#include "workflow/Uvbl_texts.h"

namespace {

// The legend and the buttons: Russian, then Ukrainian.
const char* const kLegendText[kLegendCount][2] = {
    {"Черный цвет  - замена расчета П145 возможна",
     "Чорний колір - заміна розрахунку П145 можлива"},
    {"Зеленый цвет - замена расчета П145 уже выполнена",
     "Зелений колір - заміну розрахунку П145 уже виконано"},
    {"Желтый цвет  - расчет П145 изменен пользователем и не подлежит замене",
     "Жовтий колір - розрахунок П145 змінено користувачем, він не підлягає заміні"},
    {"Синий  цвет     - файл содержит неисправимые ошибки",
     "Синій колір - файл містить невиправні помилки"},
    {"Красный  цвет- файл   отсутствует", "Червоний колір - файл відсутній"}};

QPushButton* Button(QWidget* parent, const char* rus, const char* ukr) {
  return new QPushButton(ToQString(ByIface(rus, ukr)), parent);
}

} // namespace

TfVbl::TfVbl(QWidget* owner, unsigned char typeSub, unsigned char typeBn, bool isRus)
    : QDialog(owner) {
  setModal(true);
  setFont(ToQFont(TFontSpec{})); // the family of the table and the main window
  resize(900, 600);
  RestoreWindowGeometry(this, "list");
  auto* v = new QVBoxLayout(this);
  ZText1 = new TZText(this);
  ZText1->SetAlign(alTop);
  TFontSpec heading = ZText1->Font(1);
  heading.Style |= fsBold;
  ZText1->SetFont(1, heading);
  // The heading is one line; in a layout the label cannot size itself.
  ZText1->setFixedHeight(QFontMetrics(ToQFont(ZText1->Font(1))).height() + 4);
  v->addWidget(ZText1);
  Pt = new QWidget(this);
  auto* pl = new QVBoxLayout(Pt);
  pl->setContentsMargins(0, 0, 0, 0);
  tb = new TQtZTable(Pt);
  pl->addWidget(tb);
  v->addWidget(Pt, 1);
  Counts = new QLabel(this);
  v->addWidget(Counts);
  v->addLayout(BuildLegend());
  auto* h = new QHBoxLayout();
  kCh = Button(this, "Изменить", "Змінити");
  kCmp = Button(this, "Сравнить", "Порівняти");
  kCmp->setToolTip(
      ToQString(ByIface("Расчет П145 текущей строки рядом с новым эталоном (F3)",
                        "Розрахунок П145 поточного рядка поруч із новим еталоном (F3)")));
  Button1 = Button(this, "Начать/закончить выделение", "Почати/закінчити виділення");
  kCan = Button(this, "Прекратить начатое выделение", "Припинити розпочате виділення");
  kRes = Button(this, "Отказаться от выделения", "Відмовитися від виділення");
  kEx = Button(this, "Выход", "Вихід");
  for (QPushButton* b : {kCh, kCmp, Button1, kCan, kRes, kEx}) {
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::TabFocus);
    h->addWidget(b);
  }
  v->addLayout(h);
  kCh->setEnabled(false);
  connect(kCh, &QPushButton::clicked, this, [this] { kChClick(); });
  connect(kCmp, &QPushButton::clicked, this, [this] { kCmpClick(); });
  AskConfirm = [this](const std::string& text) { return AskConfirmBox(text); };
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(kCan, &QPushButton::clicked, this, [this] { kCanClick(); });
  connect(kRes, &QPushButton::clicked, this, [this] { kResClick(); });
  connect(kEx, &QPushButton::clicked, this, [this] { close(); });

  TZTable& t = tb->Table();
  t.IFaceLang = IFaceLang == elg_Ukr ? 1 : 0;
  t.TmpFile = TMP;
  FList = std::make_unique<TVblList>(t, typeSub, typeBn, isRus);
  FList->OnClose = [this] { close(); };
  FList->OnEnableChange = [this](bool on) { kCh->setEnabled(on && !FReadOnly); };
  // The table tells while it is still marking; the counts are read when it is done.
  FList->OnCountsChanged = [this] { QTimer::singleShot(0, this, [this] { ShowCounts(); }); };
  FList->OnCompare = [this] { QTimer::singleShot(0, this, [this] { kCmpClick(); }); };
  t.DocRussian = Cfg[CfgDocRussian];
}

TfVbl::~TfVbl() {
  FList->FormClose();
}

bool TfVbl::FormShow() {
  if (!FList->LoadScreen()) return false;
  setWindowTitle(ToQString(FList->Caption()));
  ZText1->SetText(1, FList->Heading());
  FLock = std::make_unique<TChangeLock>(GetDirCfg());
  FReadOnly = !FLock->CanChange();
  if (FReadOnly)
    ShowReadOnly();
  else
    FLock->ShowNotice();
  {
    TBusy busy(FBusy);
    TProgressShown progress(this, ByIface("Проверка объектов", "Перевірка об'єктів"), false);
    FList->FormShow([&](size_t done, size_t total) { return progress.Step(done, total); });
  }
  ShowLegend();
  ShowCounts();
  FocusTable();
  return true;
}

QGridLayout* TfVbl::BuildLegend() {
  // The colour names in one column, the meanings in the next, each line in its state's colour;
  // a hidden line keeps its place, so that the table keeps its height.
  static const TColor colours[kLegendCount] = {clWindowText, kColorReplaced, kColorUserChanged,
                                               kColorUnreadable, kColorMissing};
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(4);
  grid->setVerticalSpacing(0);
  for (int i = 0; i < kLegendCount; ++i) {
    std::string text = ByIface(kLegendText[i][0], kLegendText[i][1]);
    size_t dash = text.find('-');
    std::string name = Trim(text.substr(0, dash));
    LbName[i] = new QLabel(ToQString(name), this);
    Lb[i] = new QLabel(ToQString("- " + Trim(text.substr(dash + 1))), this);
    Lb[i]->setAccessibleName(ToQString(name + " - " + Trim(text.substr(dash + 1))));
    for (QLabel* l : {LbName[i], Lb[i]}) {
      QPalette pal = l->palette();
      if (colours[i] != clWindowText) pal.setColor(QPalette::WindowText, ToQColor(colours[i]));
      l->setPalette(pal);
      QSizePolicy keep = l->sizePolicy();
      keep.setRetainSizeWhenHidden(true);
      l->setSizePolicy(keep);
      l->hide();
    }
    grid->addWidget(LbName[i], i, 0);
    grid->addWidget(Lb[i], i, 1);
  }
  grid->setColumnStretch(1, 1);
  return grid;
}

void TfVbl::ShowReadOnly() {
  const TSuiteLockResult& r = FLock->State();
  std::string why = r.State == TSuiteLockState::Held
                        ? ByIface("Данные комплекса изменяет ", "Дані комплексу змінює ") +
                              SuiteLockHolderLine(r.Holder) + "."
                        : MessageLine(FLock->NoticeText(), FLock->NoticeNumber());
  ZText1->SetText(1, ByIface("Только просмотр: выделение и изменение недоступны",
                             "Лише перегляд: виділення та зміна недоступні"));
  ZText1->SetText(2, why);
  QFontMetrics heading(ToQFont(ZText1->Font(1))), plain(ToQFont(ZText1->Font(2)));
  ZText1->setFixedHeight(heading.height() + plain.height() + 4);
  tb->Table().SetCanSelect(false);
  for (QPushButton* b : {kCh, Button1, kCan, kRes})
    b->setEnabled(false);
}

void TfVbl::ShowLegend() {
  for (int i = 0; i < kLegendCount; ++i)
    for (QLabel* l : {LbName[i], Lb[i]})
      l->setVisible(FList->Legend(i));
}

void TfVbl::ShowCounts() {
  Counts->setText(ToQString(CountsText(FList->Counts())));
}

void TfVbl::FocusTable() {
  tb->setFocus(Qt::OtherFocusReason);
}

void TfVbl::Button1Click() {
  tb->Table().WorkKey(kKeyInsert);
  FocusTable();
}

void TfVbl::kCanClick() {
  tb->Table().WorkKey(kKeyAbandon);
  FocusTable();
}

void TfVbl::kResClick() {
  tb->Table().WorkKey(kKeyDelete);
  FocusTable();
}

bool TfVbl::AskConfirmBox(const std::string& text) {
  for (;;) {
    QMessageBox box(QMessageBox::Question, windowTitle(), ToQString(text), QMessageBox::NoButton,
                    this);
    QPushButton* change =
        box.addButton(ToQString(ByIface("Изменить", "Змінити")), QMessageBox::AcceptRole);
    QPushButton* list = box.addButton(ToQString(ByIface("Список объектов", "Список об'єктів")),
                                      QMessageBox::ActionRole);
    box.addButton(ToQString(ByIface("Отмена", "Скасувати")), QMessageBox::RejectRole);
    box.setDefaultButton(change);
    box.exec();
    if (box.clickedButton() != list) return box.clickedButton() == change;
    ShowObjects();
  }
}

void TfVbl::ShowObjects() {
  QDialog d(this);
  d.setWindowTitle(
      ToQString(ByIface("Объекты, которые будут изменены", "Об'єкти, які буде змінено")));
  d.resize(420, 360);
  auto* v = new QVBoxLayout(&d);
  auto* names = new QPlainTextEdit(&d);
  names->setReadOnly(true);
  std::string text;
  for (const std::string& n : FList->MarkedObjects())
    text += n + "\n";
  names->setPlainText(ToQString(text));
  v->addWidget(names);
  auto* close = new QPushButton(ToQString(ByIface("Закрыть", "Закрити")), &d);
  connect(close, &QPushButton::clicked, &d, &QDialog::accept);
  v->addWidget(close, 0, Qt::AlignRight);
  d.exec();
}

void TfVbl::kCmpClick() {
  if (FBusy) return;
  TCalcComparison c;
  if (!FList->CompareCurrent(c)) return;
  TfCompare view(this, c);
  view.exec();
  FocusTable();
}

void TfVbl::kChClick() {
  if (FReadOnly || FBusy) return;
  const int count = tb->Table().MarkedCount();
  if (count > 0 && AskConfirm && !AskConfirm(ConfirmChangeText(count, FList->Info()))) {
    FocusTable();
    return;
  }
  TBatchReport r;
  {
    TBusy busy(FBusy);
    TProgressShown progress(this, ByIface("Замена расчета П145", "Заміна розрахунку П145"), true);
    r = FList->ChangeMarked([&](size_t done, size_t total, const std::string& object) {
      return progress.Step(done, total, object);
    });
  }
  // The colours of the re-check are on the screen before the message is.
  FList->FinishChange();
  ShowLegend();
  ShowCounts();
  tb->repaint();
  ShowFinalMessage(r);
  FocusTable();
}

void TfVbl::ShowFinalMessage(const TBatchReport& r) {
  ::ShowFinalMessage(this, FinalChangeText(r), r.Failed || r.Warned || !r.ProtocolError.empty(),
                     r.Failed || r.Warned ? r.Protocol : "",
                     r.Failed ? WarBatchFailures : WarBatchWarnings);
}

void TfVbl::reject() {
  if (!FBusy) QDialog::reject();
}

void TfVbl::closeEvent(QCloseEvent* event) {
  if (FBusy) {
    event->ignore();
    return;
  }
  FList->FormClose();
  FLock.reset();
  SaveWindowGeometry(this, "list");
  event->accept();
}

TfVbl* fVbl = nullptr;

void OpenObjectList(QWidget* owner, unsigned char typeSub, unsigned char typeBn, bool isRus) {
  std::unique_ptr<TfVbl> w;
  // Cleared before the window is destroyed, whichever way this returns.
  struct TCurrent {
    ~TCurrent() { fVbl = nullptr; }
  } current;
  try {
    w = std::make_unique<TfVbl>(owner, typeSub, typeBn, isRus);
    fVbl = w.get();
    if (!w->FormShow()) return;
  } catch (const ZError& e) {
    OutErr(e);
    return;
  }
  w->exec();
}
