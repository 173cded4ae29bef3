// The demo suite's configuration: the alias table, the configuration record, the screen
// description file with its structures and screens, and the menu description file.
#include "tools/demosuite/Demosuite_parts.h"

#include "messages/Mnudesc.h"
#include "messages/Zmsg.h"
#include "storage/Dutilfile.h"
#include "storage/Recformat.h"
#include "storage/Sysio.h"
#include "workflow/Refstore.h"

using namespace demosuite;

namespace demosuite {

// ---- screen description file -------------------------------------------------------------

void WriteStructure(WFile& f, int number, const std::vector<TFieldDef>& defs) {
  TRecs recs;
  recs.push_back({0, PackText("Структура " + std::to_string(number))});
  std::string count;
  AppendLe32(count, static_cast<uint32_t>(defs.size()));
  recs.push_back({0, count});
  for (const TFieldDef& d : defs)
    recs.push_back({0, PackText(d.Name) + static_cast<char>(d.Type)});
  WriteGroup(f, number, recs);
}

struct TColumn {
  const char* Field;
  double Width;
  uint8_t HorAlign;
  const char* CapRus;
  const char* CapUkr;
};

// The font of a cell: face, size in points, bold.
struct TCellFont {
  const char* Face;
  int Size;
  bool Bold;
};
const TCellFont kTitleFont{"Times New Roman", 11, true}, kGroupFont{"Arial", 8, true},
    kHeadFont{"Arial", 8, false}, kDataFont{"Arial", 9, false},
    kNumberFont{"Courier New", 9, false};

std::string CellRecord(const std::string& name, double l, double t, double r, double b, uint8_t hor,
                       const TCellFont& font, const std::string& rus, const std::string& ukr) {
  std::string c = PackText(name);
  for (double v : {l, t, r, b})
    PutDouble(c, v);
  c += std::string("\x01\x01\x01\x01", 4);
  c += static_cast<char>(hor);
  c += static_cast<char>(1); // vertically centred
  c += PackText(font.Face);
  AppendLe32(c, static_cast<uint32_t>(font.Size));
  c += '\0';                                                             // CellByte
  c += std::string(font.Bold ? "\x01" : "\0", 1) + std::string(3, '\0'); // style bytes
  return c + PackText(rus) + PackText(ukr);
}

// A heading over the columns from First on, with the columns' own headings beneath it.
struct TGroupHead {
  size_t First = SIZE_MAX;
  const char* CapRus = "";
  const char* CapUkr = "";
};

// The screen: the title over all columns, the column headings (those from the group's first
// column on under the group heading), one line template; numbers in a fixed-pitch font.
void WriteScreen(WFile& f, int number, int structure, const std::vector<TColumn>& cols,
                 const char* titleRus, const char* titleUkr, const TGroupHead& group = {}) {
  const bool grouped = group.First < cols.size();
  TRecs recs;
  std::string head;
  AppendLe32(head, 1);
  AppendLe32(head, static_cast<uint32_t>(1 + 2 * cols.size() + (grouped ? 1 : 0)));
  recs.push_back({0, head});
  std::string kind;
  AppendLe32(kind, static_cast<uint32_t>(structure));
  AppendLe32(kind, static_cast<uint32_t>(cols.size()));
  for (const TColumn& c : cols) {
    kind += PackText(c.Field) + '\0';
    AppendLe32(kind, 0);
  }
  recs.push_back({0, kind});
  double total = 0, groupLeft = 0;
  for (size_t i = 0; i < cols.size(); ++i) {
    if (i < group.First) groupLeft += cols[i].Width;
    total += cols[i].Width;
  }
  recs.push_back({0, CellRecord("Title", 0, 0, total, 0.6, 1, kTitleFont, titleRus, titleUkr)});
  if (grouped)
    recs.push_back({0, CellRecord("Group", groupLeft, 0.6, total, 1.1, 1, kGroupFont, group.CapRus,
                                  group.CapUkr)});
  double x = 0;
  for (size_t i = 0; i < cols.size(); ++i) {
    const TColumn& c = cols[i];
    double top = grouped && i >= group.First ? 1.1 : 0.6;
    recs.push_back({0, CellRecord(std::string("H") + c.Field, x, top, x + c.Width, 1.6, 1,
                                  kHeadFont, c.CapRus, c.CapUkr)});
    x += c.Width;
  }
  x = 0;
  for (size_t i = 0; i < cols.size(); ++i) {
    const TColumn& c = cols[i];
    recs.push_back({0, CellRecord(std::string("D") + c.Field, x, 1.6, x + c.Width, 2.1, c.HorAlign,
                                  i == 0 ? kNumberFont : kDataFont, "", "")});
    x += c.Width;
  }
  WriteGroup(f, number, recs);
}

// Groups of the screen description file: up to the menu structures 898 and 899.
constexpr int kBoibGroups = 900;

void WriteBoib(const std::string& path) {
  creat_bf(path, kBoibGroups);
  TSuiteFile f(path);
  WriteStructure(f, 147, Struct147());
  WriteStructure(f, 150, Struct150());
  WriteStructure(f, 166, Struct166());
  WriteStructure(f, 169, Struct169());
  WriteScreen(f, 222, 147,
              {{"NumObj", 1.5, 2, "№", "№"},
               {"KindObj", 1.0, 1, "Вид", "Вид"},
               {"NameObj", 8.0, 0, "Наименование стройки", "Найменування будови"},
               {"Variant", 2.0, 0, "Вариант", "Варіант"},
               {"DateChange", 2.5, 1, "Дата изменения", "Дата зміни"},
               {"SignObj", 1.5, 1, "Признак", "Ознака"}},
              "Список строек", "Список будов", {3, "Сведения о стройке", "Відомості про будову"});
  WriteScreen(f, 210, 150,
              {{"NumBn", 1.5, 2, "№", "№"},
               {"NameBn", 9.0, 0, "Наименование блока настройки", "Найменування блоку настройки"},
               {"DateCreat", 2.5, 1, "Дата создания", "Дата створення"},
               {"NoteBn", 4.0, 0, "Примечание", "Примітка"}},
              "Список блоков настроек", "Список блоків настройок");
  f.Done();
}

// ---- menu descriptions ---------------------------------------------------------------------

// One menu item of the demo forms: form key, level, item key, text identifiers 1 to 3,
// shortcut, help context and flags (the masks of StandartSetEnabled that disable it).
struct TDemoItem {
  const char* Form;
  uint8_t Level;
  const char* Key;
  const char* Text1;
  const char* Shortcut;
  const char* Help;
  uint32_t Flags;
  const char* Text2 = "";
  const char* Text3 = "";
};

const std::vector<TDemoItem>& DemoMenuItems() {
  static const std::vector<TDemoItem> items = {
      {"Ф118", 0, "mFile", "TFile", "", "", 0},
      {"Ф118", 1, "mIns", "TIns", "Ins", "1181", 4096 | 2048 | 1024},
      {"Ф118", 1, "mDel", "TDel", "Del", "1182", 4096 | 128 | 2048 | 1024, "TDel2", "TDel3"},
      {"Ф118", 1, "mMark", "TMark", "Ctrl+Alt+Esc", "1183", 4096 | 128 | 2048},
      {"Ф118", 0, "mGo", "TGo", "", "", 0},
      {"Ф118", 1, "mFirst", "TFirst", "Ctrl+PgUp", "", 4096 | 128},
      {"Ф118", 1, "mLast", "TLast", "Ctrl+PgDn", "", 4096 | 128},
      {"Ф118", 0, "mHelp", "THelp", "F1", "1180", 0},
      {"Ф119", 0, "aOne", "TOne", "F2", "", 0},
      {"Ф119", 0, "bTwo", "", "Ctrl+F3", "", 0},
  };
  return items;
}

// The structures of the menu texts and of the menu items.
const std::vector<TFieldDef>& MenuTextStruct() {
  static const std::vector<TFieldDef> d = {{"KeyTxt", 1}, {"TxtRus", 1}, {"TxtUkr", 1}};
  return d;
}

const std::vector<TFieldDef>& MenuItemStruct() {
  static const std::vector<TFieldDef> d = {{"FlagMnu", 7}, {"FormKey", 1}, {"LevelMnu", 5},
                                           {"KeyMnu", 1},  {"IdTxt1", 1},  {"ShortCut", 1},
                                           {"HelpCtx", 1}, {"IdTxt2", 1},  {"IdTxt3", 1}};
  return d;
}

void WriteMenuStructures(const std::string& boib) {
  TSuiteFile f(boib);
  WriteStructure(f, kTextStruct, MenuTextStruct());
  WriteStructure(f, kItemStruct, MenuItemStruct());
  f.Done();
}

TRecs DemoMenuTexts() {
  static const char* const texts[][3] = {
      {"TFile", "Файл", "Файл"},
      {"TIns", "Добавить", "Додати"},
      {"TDel", "Удалить", "Видалити"},
      {"TDel2", "Удалить отмеченные", "Видалити позначені"},
      {"TDel3", "Удалить все", "Видалити всі"},
      {"TMark", "Закончить выделение", "Закінчити виділення"},
      {"TGo", "Переход", "Перехід"},
      {"TFirst", "В начало списка", "На початок списку"},
      {"TLast", "В конец списка", "В кінець списку"},
      {"THelp", "Справка", "Довідка"},
      {"TOne", "Пункт один", "Пункт один"},
      {"N0001", "Пункт два", "Пункт два"},
  };
  const TListFields list = FieldList(MenuTextStruct());
  TRecs recs;
  for (const auto& t : texts) {
    TValues v;
    v["KeyTxt"].Text = t[0];
    v["TxtRus"].Text = t[1];
    v["TxtUkr"].Text = t[2];
    recs.push_back({0, PackFields(list, v)});
  }
  return recs;
}

TRecs DemoMenuRecords() {
  const TListFields list = FieldList(MenuItemStruct());
  TRecs recs;
  for (const TDemoItem& i : DemoMenuItems()) {
    TValues v;
    v["FlagMnu"].Num = i.Flags;
    v["FormKey"].Text = i.Form;
    v["LevelMnu"].Num = i.Level;
    v["KeyMnu"].Text = i.Key;
    v["IdTxt1"].Text = i.Text1;
    v["ShortCut"].Text = i.Shortcut;
    v["HelpCtx"].Text = i.Help;
    v["IdTxt2"].Text = i.Text2;
    v["IdTxt3"].Text = i.Text3;
    recs.push_back({0, PackFields(list, v)});
  }
  return recs;
}

// Help table: a 6-character key (form key + text, zero-filled), a subsystem character ("9" for
// all) and the help context.
TRecs DemoHelpTable() {
  TRecs recs;
  auto add = [&](const std::string& key, char sub, uint32_t context) {
    std::string r = key;
    r.resize(6, '\0');
    r += sub;
    AppendLe32(r, context);
    recs.push_back({0, r});
  };
  add("Ф118", '9', 1180);
  add("Ф119", '1', 1191);
  add("Ф119", '2', 1192);
  return recs;
}

// ---- configuration -------------------------------------------------------------------------

void WriteAliases(const std::string& dir) {
  const std::string path = dir + "/CFG/alias.zev";
  {
    WFile f(path, fmCreate);
    auto add = [&](const std::string& text) {
      f.WWrite('\0', static_cast<unsigned short>(text.size()), text.data());
    };
    for (const char* a : {"CFG", "RAB", "LOG", "LSS", "LDC", "LPD", "LBN"})
      add(std::string(a) + "#" + dir + "/" + a + "/");
    add("NSI#" + dir + "/NSI/RUS/#" + dir + "/NSI/UKR/");
  }
  SFile(path, fmUpdate).Sync(); // the output file writes its end when it closes
}

void WriteCfg(const std::string& dir) {
  std::string cfg(2644, '\0');
  cfg[22] = 0; // documents in Ukrainian
  cfg[23] = 1; // Russian interface
  WriteRaw(dir + "/CFG/cfg.zev", cfg, true);
}

// The common start of every generated suite: checks the directory, reads the reference
// groups, and makes the suite's directories and its CFG files.
std::vector<TRecs> StartSuite(const std::string& dir, const std::string& refFile) {
  if (dir.empty() || dir[0] != '/' || dir.find('#') != std::string::npos)
    SetError("Каталог демонстрационного комплекса должен быть абсолютным и без \"#\": " + dir, 0);
  std::vector<TRecs> ref;
  {
    WFile r(refFile);
    for (int g = 0; g < kRefGroups; ++g)
      ref.push_back(ReadGroupRecords(r, g));
  }
  MakeDir(dir);
  for (const char* sub : {"CFG", "RAB", "LOG", "LSS", "LDC", "LPD", "LBN", "NSI"})
    MakeDir(dir + "/" + sub);
  WriteAliases(dir);
  WriteCfg(dir);
  WriteBoib(dir + "/CFG/Boib.sfr");
  WriteMenuDescriptions(dir);
  return ref;
}

} // namespace demosuite

// The shared description file "Cfg#Dop.zev" and the structures of its records.
void WriteMenuDescriptions(const std::string& dir) {
  WriteMenuStructures(dir + "/CFG/Boib.sfr");
  const std::string path = dir + "/CFG/Dop.zev";
  creat_bf(path, kHelpGroup + 1);
  TSuiteFile f(path);
  WriteGroup(f, kTextGroup, DemoMenuTexts());
  WriteGroup(f, kItemGroup, DemoMenuRecords());
  WriteGroup(f, kHelpGroup, DemoHelpTable());
  f.Done();
}
