// The entry of ravinel and its main window: the choice of subsystem or settings-block kind and
// of the document language, from which the object list window is opened.
#include "workflow/Uvbl_texts.h"
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
#include <span>

#include "base/Codec.h"
#include "base/QtApp.h"
#include "base/QtText.h"
#include "messages/Msgcat.h"
#include "messages/Utslang.h"
#include "messages/Zmsg.h"
#include "paths/Dpath.h"
#include "paths/Rdwr_cfg.h"
#include "workflow/Instance.h"
#include "workflow/Uhistory.h"

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
// The same text in Ukrainian.
const char* const kMemoLinesUkr[] = {
    "Зміну розрахунків П145 (розрахунків інфляції) здійснено для повнішої реалізації "
    "«Зміни №6 до ДБН Д.1.1-1-2000», ",
    "пункт 3.1.20.",
    " Тут у складі матеріально-технічних витрат враховано не лише матеріали й обладнання, а й "
    "експлуатацію машин, за ",
    "вирахуванням амортвідрахувань і заробітної плати машиністів.",
    "",
    "Користувачеві надано можливість:",
    "- у списках наявних блоків налаштування всіх типів будов вибрати блоки налаштування, для "
    "яких необхідно змінити розрахунки ",
    "інфляції (П145);",
    "- у списках наявних будов усіх підсистем вибрати будови, для яких необхідно змінити "
    "розрахунки інфляції (П145). ",
    "",
    "Програма не змінює тих розрахунків П145, які користувач змінив самостійно.",
    "",
    "Якщо після виконання цієї програми користувач пізніше введе до Списку будов нову "
    "інформаційну модель будови, то для ",
    "такої будови слід виконати процедуру зміни розрахунку П145 зверненням до цієї програми "
    "або застосувати до будови блок ",
    "налаштування зі зміненим розрахунком П145. ",
    "У разі подальшого перенесення до редакції 2.9.1 нового блока налаштування змінити в ньому "
    "розрахунок П145 можна зверненням до ",
    "програми. ",
};

QString MemoText() {
  std::string text;
  bool first = true;
  for (const char* line : IfaceRussian() ? std::span(kMemoLines) : std::span(kMemoLinesUkr)) {
    text += std::string(first ? "" : "\n") + line;
    first = false;
  }
  return ToQString(text);
}

// The captions of the main window: Russian, then Ukrainian.
const char* const kCaption[] = {"Корректировка расчета 145", "Коригування розрахунку 145"};
const char* const kProjectsCaption[] = {"  Стройки  ", "  Будови  "};
const char* const kBlocksCaption[] = {"  Блоки настройки  ", "  Блоки налаштування  "};
// The buttons name the lists (Uvbl_texts).
const auto& kProjectButtons = kProjectNames;
const auto& kBlockButtons = kBlockNames;

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

TZMLButton* LangButton(QWidget* parent, const char* const (&caption)[2]) {
  auto* b = new TZMLButton(parent);
  b->CaptionL.Set(caption[0], caption[1]);
  return b;
}

// A group box whose caption is bold; the controls inside keep the window's font.
template <class Box> Box* BoldGroup(Box* box, const QFont& plain) {
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
  SuiteFolder = SuiteFolderOfCfg(GetDirCfg());
  ShowLanguage();
}

TfMain::~TfMain() {
  FormClose();
}

void TfMain::BuildForm() {
  setFont(ToQFont(TFontSpec{}));
  Memo1 = new QPlainTextEdit(this);
  Memo1->setReadOnly(true);
  Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  Status = new QLabel(this);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(BuildProjects(), 0, Qt::AlignTop);
  auto* middle = new QVBoxLayout;
  middle->addWidget(BuildLanguage());
  kHistory = LangButton(this, {"История изменений", "Історія змін"});
  connect(kHistory, &QPushButton::clicked, this, [this] { OpenHistory(this); });
  middle->addWidget(kHistory);
  kExit = LangButton(this, {"Выход", "Вихід"});
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

TZGroupBox* TfMain::BuildProjects() {
  GroupBox1 = BoldGroup(new TZGroupBox(this), font());
  GroupBox1->CaptionL.Set(kProjectsCaption[0], kProjectsCaption[1]);
  auto* box = new QVBoxLayout(GroupBox1);
  vSs = LangButton(GroupBox1, kProjectButtons[0]);
  vDc = LangButton(GroupBox1, kProjectButtons[1]);
  vPd = LangButton(GroupBox1, kProjectButtons[2]);
  const unsigned char types[] = {1, 2, 3};
  TZMLButton* buttons[] = {vSs, vDc, vPd};
  for (int i = 0; i < 3; ++i) {
    AddPlain(GroupBox1, box, buttons[i]);
    unsigned char t = types[i];
    connect(buttons[i], &QPushButton::clicked, this, [this, t] { Choose(t, -1); });
  }
  return GroupBox1;
}

TZGroupBox* TfMain::BuildBlocks() {
  GroupBox2 = BoldGroup(new TZGroupBox(this), font());
  GroupBox2->CaptionL.Set(kBlocksCaption[0], kBlocksCaption[1]);
  auto* box = new QVBoxLayout(GroupBox2);
  TZMLButton** buttons[] = {&Button1, &Button2, &Button3, &Button4};
  for (int i = 0; i < 4; ++i) {
    *buttons[i] = LangButton(GroupBox2, kBlockButtons[i]);
    AddPlain(GroupBox2, box, *buttons[i]);
    connect(*buttons[i], &QPushButton::clicked, this, [this, i] { Choose(5, i); });
  }
  return GroupBox2;
}

TZGroupBox* TfMain::BuildLanguage() {
  ZGroupBox3 = new TZGroupBox(this);
  ZGroupBox3->CaptionL.Set("Списки строек с выходными документами", "Мова вихідних документів");
  BoldGroup(ZGroupBox3, font());
  auto* grid = new QGridLayout(ZGroupBox3);
  RDLang = new TZRadioButton(ZGroupBox3);
  RDLang->CaptionL.Set("На русском языке ( ZEV-5 рус.)", "Російська");
  UDLang = new TZRadioButton(ZGroupBox3);
  UDLang->CaptionL.Set("На украинском языке  ( ZEV-5 укр.)", "Українська");
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
  // Any way the choice changes counts: a click, the keys, or a screen reader's toggle.
  for (TZRadioButton* b : {RDLang, UDLang})
    connect(b, &QRadioButton::toggled, this, [this](bool on) {
      if (on) LangClick();
    });
  return ZGroupBox3;
}

void TfMain::LangClick() {
  bool r = RDLang->isChecked();
  IFaceLang = r ? elg_Rus : elg_Ukr;
  Cfg[CfgDocRussian] = r ? 1 : 0;
  ShowLanguage();
}

void TfMain::ShowLanguage() {
  LoadQtTranslations();
  setWindowTitle(ToQString(kCaption[IFaceLang == elg_Rus ? 0 : 1]));
  Memo1->setPlainText(MemoText());
  for (TZMLButton* b : {vSs, vDc, vPd, Button1, Button2, Button3, Button4, kHistory, kExit})
    b->WLang(IFaceLang);
  for (TZGroupBox* g : {GroupBox1, GroupBox2, ZGroupBox3})
    g->WLang(IFaceLang);
  RDLang->WLang(IFaceLang);
  UDLang->WLang(IFaceLang);
  std::string status = ReferenceSourceText(IfaceRussian());
  if (!SuiteFolder.empty()) status += "\n" + SuiteFolderText(SuiteFolder);
  Status->setText(ToQString(status));
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

std::string AskSuiteDirDialog(const std::string& lookedIn, const std::string& remembered) {
  std::string text =
      ByIface("Не найден каталог настройки комплекса CFG (с файлами alias.zev и cfg.zev) ни в "
              "каталоге ",
              "Не знайдено каталог налаштування комплексу CFG (з файлами alias.zev і cfg.zev) ні "
              "в каталозі ") +
      Cp1251FromUtf8(lookedIn) + ByIface(", ни выше него.", ", ні вище від нього.");
  if (!remembered.empty())
    text += ByIface("#Запомненная папка комплекса ", "#Запам'ятована тека комплексу ") +
            Cp1251FromUtf8(remembered) +
            ByIface(" больше не содержит каталога CFG.", " більше не містить каталогу CFG.");
  text += ByIface("#Укажите папку комплекса: каталог CFG должен лежать в ней или выше. Выбор "
                  "будет запомнен для следующих запусков.",
                  "#Укажіть теку комплексу: каталог CFG має лежати в ній або вище. Вибір буде "
                  "запам'ятовано для наступних запусків.");
  OutWar(text, MsgOwnText);
  // The dialog opens where the suite was last, when that folder is still there.
  QString start = QString::fromStdString(remembered);
  if (remembered.empty() || !QDir(start).exists()) start = QString::fromStdString(lookedIn);
  QString dir = QFileDialog::getExistingDirectory(
      nullptr,
      ToQString(ByIface("Папка комплекса (с каталогом CFG)", "Тека комплексу (з каталогом CFG)")),
      start);
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
    LoadQtTranslations(); // the folder dialog speaks the interface language too
    const TAskSuiteDir& ask = options.AskSuiteDir ? options.AskSuiteDir : AskSuiteDirDialog;
    if (!EnterSuite(options.StartDir, ask)) return 0;
    // A second copy of the windows on this suite gives way at once, silently.
    if (!AcquireSuiteProcessLock(GetDirCfg())) return 0;
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
  ZApplication app(argc, argv);
  InstallMsgCatalogue();
  if (argc > 2) {
    std::fprintf(stderr, "usage: ravinel [DIRECTORY]\n");
    return 2;
  }
  TCorvaneOptions options;
  options.StartDir = argc > 1 ? argv[1] : "";
  options.OpenList = std::move(openList);
  return RunCorvane(options);
}
