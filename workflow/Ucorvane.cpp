// The entry of ravinel and its main window: the choice of subsystem or settings-block kind and
// of the document language, from which the object list window is opened.
#include "workflow/Ucorvane.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QLocale>
#include <QPainter>
#include <QVBoxLayout>
#include <cstdio>
#include <optional>

#include "base/Codec.h"
#include "base/QtApp.h"
#include "base/QtText.h"
#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "paths/Rdwr_cfg.h"
#include "workflow/Instance.h"

unsigned char TypeBn = 0;
TfMain* fMain = nullptr;

namespace {

// The explanatory text of the memo, line by line as stored (several lines end in a blank).
const char* const kMemoLines[] = {
    "Изменение расчетов П145 (расчетов инфляции) предпринято для более полной реализации "
    "«Изменения №6 к ДБН Д.1.1-1-2000», ",
    "пункт 3.1.20.",
    " Здесь в составе  материально-технических затрат учтены не только материалы и "
    "оборудование, но и эксплуатация машин, за ",
    "вычетом  амортотчислений и зарплаты машинистов.",
    "",
    "Пользователю предоставлена возможность:",
    "- в списках существующих блоков настроек всех типов строек выбрать блоки настройки, для "
    "которых необходимо изменить расчеты ",
    "инфляции (П145);",
    "- в списках существующих строек всех подсистем выбрать стройки, для которых необходимо "
    "изменить расчеты инфляции (П145). ",
    "",
    "Программа не подвергает изменению те расчеты П145, которые  были изменены пользователем "
    "самостоятельно.",
    "",
    "Если после выполнения данной программы пользователь введет позже в Список строек новую "
    "информационную модель стройки, то для ",
    "такой стройки следует выполнить процедуру изменения расчета П145 обращением к этой "
    "программе, либо применить к стройке блок ",
    "настройки c измененным расчетом П145. ",
    "В случае последующего переноса в редакцию 2.9.1 нового блока настройки, изменить в нем "
    "расчет П145 можно обращением к ",
    "программе. ",
};

QString MemoText() {
  std::string text;
  for (const char* line : kMemoLines)
    text += std::string(text.empty() ? "" : "\n") + line;
  return ToQString(text);
}

// A flag of horizontal stripes (top to bottom) with a thin grey frame.
QPixmap StripedFlag(std::initializer_list<QColor> stripes) {
  constexpr int kSide = 16;
  QPixmap pix(kSide, kSide);
  QPainter p(&pix);
  int n = static_cast<int>(stripes.size()), i = 0;
  for (const QColor& c : stripes) {
    int top = i * kSide / n, bottom = (i + 1) * kSide / n;
    p.fillRect(0, top, kSide, bottom - top, c);
    ++i;
  }
  p.setPen(QColor(128, 128, 128));
  p.drawRect(0, 0, kSide - 1, kSide - 1);
  return pix;
}

TZMLButton* LangButton(QWidget* parent, const char* caption) {
  auto* b = new TZMLButton(parent);
  b->CaptionL.Set(caption, caption);
  return b;
}

// A group box whose caption is bold; the controls inside keep the window's font.
QGroupBox* BoldGroup(QGroupBox* box, const QFont& plain) {
  QFont bold = plain;
  bold.setBold(true);
  box->setFont(bold);
  box->setProperty("plainFont", plain);
  return box;
}

void AddPlain(QGroupBox* box, QLayout* layout, QWidget* w) {
  w->setFont(box->property("plainFont").value<QFont>());
  layout->addWidget(w);
}

} // namespace

QPixmap RussianFlag() {
  return StripedFlag({Qt::white, QColor(0, 57, 166), QColor(213, 43, 30)});
}

QPixmap UkrainianFlag() {
  return StripedFlag({QColor(0, 87, 183), QColor(255, 215, 0)});
}

TfMain::TfMain(TOpenListHook openList, const std::string& programFile)
    : OpenListHook(std::move(openList)) {
  BuildForm();
  Data = std::make_unique<TFormData>(programFile);
  ShowStatus();
}

TfMain::~TfMain() {
  FormClose();
}

void TfMain::BuildForm() {
  setWindowTitle(ToQString("Корректировка расчета 145"));
  setFont(ToQFont(TFontSpec{}));
  Memo1 = new QPlainTextEdit(this);
  Memo1->setReadOnly(true);
  Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Memo1->setPlainText(MemoText());
  Status = new QLabel(this);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(BuildProjects(), 0, Qt::AlignTop);
  auto* middle = new QVBoxLayout;
  middle->addWidget(BuildLanguage());
  kExit = LangButton(this, "Выход");
  connect(kExit, &QPushButton::clicked, this, [this] { close(); });
  middle->addWidget(kExit);
  middle->addStretch();
  bottom->addLayout(middle);
  bottom->addWidget(BuildBlocks(), 1, Qt::AlignTop);
  auto* all = new QVBoxLayout(this);
  all->addWidget(Memo1, 1);
  all->addWidget(Status);
  all->addLayout(bottom);
  resize(900, 480);
}

QGroupBox* TfMain::BuildProjects() {
  GroupBox1 = BoldGroup(new QGroupBox(ToQString("  Стройки  "), this), font());
  auto* box = new QVBoxLayout(GroupBox1);
  vSs = LangButton(GroupBox1, "Сметные документы");
  vDc = LangButton(GroupBox1, "Договорная цена");
  vPd = LangButton(GroupBox1, "Подрядчик");
  const unsigned char types[] = {1, 2, 3};
  TZMLButton* buttons[] = {vSs, vDc, vPd};
  for (int i = 0; i < 3; ++i) {
    AddPlain(GroupBox1, box, buttons[i]);
    unsigned char t = types[i];
    connect(buttons[i], &QPushButton::clicked, this, [this, t] { Choose(t, -1); });
  }
  return GroupBox1;
}

QGroupBox* TfMain::BuildBlocks() {
  GroupBox2 = BoldGroup(new QGroupBox(ToQString("  Блоки настройки  "), this), font());
  auto* box = new QVBoxLayout(GroupBox2);
  const char* captions[] = {"Строительно - монтажные работы, ремонтные и горные работы",
                            "Пусконаладочные работы",
                            "Ремонтные работы на предприятиях Минпромполитики Украины",
                            "Ремонтные работы на предприятиях Жилкомунхоза"};
  QPushButton** buttons[] = {&Button1, &Button2, &Button3, &Button4};
  for (int i = 0; i < 4; ++i) {
    *buttons[i] = new QPushButton(ToQString(captions[i]), GroupBox2);
    AddPlain(GroupBox2, box, *buttons[i]);
    connect(*buttons[i], &QPushButton::clicked, this, [this, i] { Choose(5, i); });
  }
  return GroupBox2;
}

TZGroupBox* TfMain::BuildLanguage() {
  ZGroupBox3 = new TZGroupBox(this);
  ZGroupBox3->CaptionL.Set("Списки строек с выходными документами", "Язык выходных документов");
  BoldGroup(ZGroupBox3, font());
  auto* grid = new QGridLayout(ZGroupBox3);
  RDLang = new TZRadioButton(ZGroupBox3);
  RDLang->CaptionL.Set("На русском языке ( ZEV-5 рус.)", "Русский");
  UDLang = new TZRadioButton(ZGroupBox3);
  UDLang->CaptionL.Set("На украинском языке  ( ZEV-5 укр.)", "Украинский");
  UDLang->setChecked(true);
  FlagRus = new QLabel(ZGroupBox3);
  FlagRus->setPixmap(RussianFlag());
  FlagUkr = new QLabel(ZGroupBox3);
  FlagUkr->setPixmap(UkrainianFlag());
  QFont plain = font();
  for (QWidget* w : {static_cast<QWidget*>(RDLang), static_cast<QWidget*>(UDLang)})
    w->setFont(plain);
  grid->addWidget(FlagRus, 0, 0);
  grid->addWidget(RDLang, 0, 1);
  grid->addWidget(FlagUkr, 1, 0);
  grid->addWidget(UDLang, 1, 1);
  grid->setColumnStretch(1, 1);
  connect(RDLang, &QRadioButton::clicked, this, [this] { LangClick(); });
  connect(UDLang, &QRadioButton::clicked, this, [this] { LangClick(); });
  return ZGroupBox3;
}

void TfMain::LangClick() {
  bool r = RDLang->isChecked();
  IFaceLang = r ? elg_Rus : elg_Ukr;
  Cfg[CfgDocRussian] = r ? 1 : 0;
  ShowStatus();
}

void TfMain::ShowStatus() {
  Status->setText(ToQString(ReferenceSourceText(IFaceLang == elg_Rus ? 1 : 0)));
}

void TfMain::Choose(unsigned char typeSub, int typeBn) {
  TypeSub = typeSub;
  if (typeBn >= 0) TypeBn = static_cast<unsigned char>(typeBn);
  OpenList();
}

void TfMain::OpenList() {
  bool rus = RDLang->isChecked();
  Cfg[CfgDocRussian] = rus ? 1 : 0;
  if (!OpenListHook) SetError("Окно списка объектов в этой сборке программы не подключено", 0);
  OpenListHook(this, TypeSub, TypeBn, rus);
}

void TfMain::FormClose() {
  if (Data) Data->Release();
  Data.reset();
}

void TfMain::closeEvent(QCloseEvent* event) {
  FormClose();
  event->accept();
}

void SetDecimalComma() {
  QLocale comma(QLocale::Ukrainian, QLocale::Ukraine);
  comma.setNumberOptions(QLocale::OmitGroupSeparator);
  QLocale::setDefault(comma);
}

namespace {

std::string AskSuiteDirDialog(const std::string& lookedIn) {
  OutWar("Не найден каталог настройки комплекса CFG (с файлами alias.zev и cfg.zev) ни в "
         "каталоге " +
             Cp1251FromUtf8(lookedIn) +
             ", ни выше него.#Укажите папку комплекса: каталог CFG должен лежать в ней "
             "или выше. Выбор будет запомнен для следующих запусков.",
         0);
  QString dir = QFileDialog::getExistingDirectory(
      nullptr, ToQString("Папка комплекса (с каталогом CFG)"), QDir::homePath());
  return dir.toStdString();
}

int RunMainWindow(const TCorvaneOptions& options) {
  std::unique_ptr<TfMain> window = std::make_unique<TfMain>(options.OpenList, options.ProgramFile);
  fMain = window.get();
  window->show();
  QApplication::exec();
  fMain = nullptr;
  return 0;
}

} // namespace

int RunCorvane(const TCorvaneOptions& options) {
  std::optional<TProcessSession> process;
  int rc = 0;
  try {
    const TAskSuiteDir& ask = options.AskSuiteDir ? options.AskSuiteDir : AskSuiteDirDialog;
    if (!EnterSuite(options.StartDir, ask)) return 0;
    process.emplace();
    SetDecimalComma();
    rc = RunMainWindow(options);
  } catch (...) {
    fMain = nullptr;
    ShowException(std::current_exception());
    rc = 1;
  }
  process.reset();
  return rc;
}

int CorvaneMain(int argc, char** argv, TOpenListHook openList) {
  std::exception_ptr lockError;
  try {
    if (!AcquireProcessLock()) return 0;
  } catch (...) {
    lockError = std::current_exception();
  }
  ZApplication app(argc, argv);
  InstallMsgCatalogue();
  if (lockError) {
    ShowException(lockError);
    return 1;
  }
  if (argc > 2) {
    std::fprintf(stderr, "usage: ravinel [DIRECTORY]\n");
    return 2;
  }
  TCorvaneOptions options;
  options.StartDir = argc > 1 ? argv[1] : "";
  options.OpenList = std::move(openList);
  return RunCorvane(options);
}
