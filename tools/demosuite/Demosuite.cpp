// Deterministic generator of a demo suite installation: every record packed and written by the
// record file code, the reference groups read by the reference store's group reader.
#include "tools/demosuite/Demosuite.h"

#include "messages/Mnudesc.h"
#include "messages/Zmsg.h"
#include "storage/Dsfile.h"
#include "storage/Dutilfile.h"
#include "storage/Dwfile.h"
#include "storage/Fun_struct.h"
#include "storage/Recformat.h"
#include "storage/Sysio.h"
#include "workflow/Objects.h"
#include "workflow/Refdata.h"
#include "workflow/Refstore.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

namespace {

using TRec = TRefRecord;
using TRecs = std::vector<TRec>;

class TRng {
public:
  explicit TRng(uint32_t seed) : S(seed * 2654435761u + 0x9E3779B97F4A7C15ull) {}
  uint32_t Next() {
    S ^= S << 13;
    S ^= S >> 7;
    S ^= S << 17;
    return static_cast<uint32_t>(S >> 11);
  }
  int Range(int low, int high) { return low + static_cast<int>(Next() % (high - low + 1)); }

private:
  uint64_t S;
};

// ---- packing -----------------------------------------------------------------------------

struct TFieldDef {
  std::string Name;
  uint8_t Type;
};

void PutDouble(std::string& out, double d) {
  char b[8];
  std::memcpy(b, &d, 8);
  out.append(b, 8);
}

// A value for a field: text, or a number.
struct TVal {
  std::string Text;
  double Num = 0;
};
using TValues = std::map<std::string, TVal>;

// The field list of a structure, as the record code reads it from the description file.
TListFields FieldList(const std::vector<TFieldDef>& defs) {
  TListFields list;
  for (const TFieldDef& d : defs) {
    TField f;
    f.FName = d.Name;
    f.FType = static_cast<TypeField>(d.Type);
    list.push_back(f);
  }
  return list;
}

// Puts a value into the image slot of a field at offset at.
void SetImageValue(TRecImage& image, int at, TypeField type, const TVal& v) {
  int64_t n = static_cast<int64_t>(v.Num);
  switch (type) {
  case tfString:
  case tfShort82:
  case tfShort81:
    image.SetText(at, v.Text);
    break;
  case tfChar:
  case tfByte:
    image.Set<int8_t>(at, static_cast<int8_t>(n));
    break;
  case tfWord:
  case tfDate:
    image.Set<uint16_t>(at, static_cast<uint16_t>(n));
    break;
  case tfDword:
  case tfInt:
  case tfDword11:
    image.Set<uint32_t>(at, static_cast<uint32_t>(n));
    break;
  case tfDouble:
    image.Set<double>(at, v.Num);
    break;
  }
}

// The record data of the values by the record code's packing (fields without a value: zero or
// empty).
std::string PackFields(const TListFields& list, const TValues& values) {
  TRecImage image(ImageSize(list));
  int at = 0;
  for (const TField& f : list) {
    auto it = values.find(f.FName);
    if (it != values.end()) SetImageValue(image, at, f.FType, it->second);
    at += ImageFieldSize(f.FType);
  }
  static WRec rec;
  StructRec(&list, image, &rec, 0);
  return std::string(rec.Data, rec.Len);
}

std::vector<TFieldDef> MakeStruct147() {
  std::vector<TFieldDef> d = {
      {"NumObj", 7},     {"KindObj", 5},     {"FlagObj", 7},   {"NameObj", 1},    {"CodeObj", 1},
      {"DateCreat", 10}, {"DateChange", 10}, {"SumSmr", 9},    {"SumAll", 9},     {"Customer", 1},
      {"Contractor", 1}, {"Address", 1},     {"Region", 6},    {"CountObj", 6},   {"VersionObj", 8},
      {"Author", 1},     {"Note", 1},        {"YearBegin", 6}, {"MonthBegin", 6}, {"SignObj", 4},
      {"LevelObj", 5},   {"Reserve", 7},     {"Variant", 1}};
  for (int i = 1; i <= 329; ++i)
    d.push_back({"Val" + std::to_string(i), 9});
  d.push_back({"Ext1", 7});
  d.push_back({"Ext2", 6});
  d.push_back({"Ext3", 5});
  return d;
}

const std::vector<TFieldDef>& Struct147() {
  static const std::vector<TFieldDef> d = MakeStruct147();
  return d;
}

const TListFields& Fields147() {
  static const TListFields list = FieldList(Struct147());
  return list;
}

std::vector<TFieldDef> Struct150() {
  return {{"NumBn", 7},   {"NameBn", 1}, {"DateCreat", 10}, {"KindBn", 5},
          {"FlagBn", 7},  {"SumBn", 9},  {"NoteBn", 1},     {"Region", 6},
          {"Reserve", 7}, {"SignBn", 4}, {"VersionBn", 6}};
}

std::vector<TFieldDef> Struct166() {
  return {{"CodeRs", 1}, {"NameRs", 1}, {"OrdRs", 6}};
}

std::vector<TFieldDef> Struct169() {
  return {{"CodeRs", 1}, {"NumStr", 6},  {"FinStr", 4}, {"NameStr", 1},
          {"FmtStr", 6}, {"Formula", 1}, {"Value1", 9}, {"Value2", 9}};
}

uint16_t PackDate(int day, int month, int year) {
  return static_cast<uint16_t>(day + 32 * month + 512 * (year >= 2000 ? year - 2000 : year - 1900));
}

// ---- record files ------------------------------------------------------------------------

// Groups of a project file, of a settings block file and of a project list file.
constexpr int kProjectGroups = 150;
constexpr int kBlockGroups = 40;
constexpr int kListGroups = 4;

// A composite file of the suite under construction. No one reads the suite before it is made,
// so the groups written need no flushes of their own: Done makes the whole file durable once.
class TSuiteFile : public WFile {
public:
  explicit TSuiteFile(const std::string& path) : WFile(path) { Durable = false; }
  void Done() { File->Sync(); }
};

void WriteGroup(WFile& f, int group, const TRecs& recs) {
  f.WCreat_file(static_cast<unsigned long>(group));
  for (const TRec& r : recs)
    f.WWrite(static_cast<char>(r.Prefix), static_cast<unsigned short>(r.Data.size()),
             r.Data.data());
  f.WClose_file(static_cast<unsigned long>(group));
}

void MakeDir(const std::string& path) {
  if (sysio::DirExists(path)) return;
  if (sysio::Mkdir(path, 0777) != 0) OutSystemError("Каталог " + path);
}

// Writes a whole file; durable: flushed at once (the demo suite), else left to the system (the
// large suite of the measurements, which is removed after its run).
void WriteRaw(const std::string& path, const std::string& bytes, bool durable) {
  SFile f(path, fmRewrite);
  f.SWrite(bytes.data(), static_cast<int>(bytes.size()));
  if (durable) f.Sync();
}

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

// ---- calculations --------------------------------------------------------------------------

std::string Code(const char* code) {
  return PackText(code);
}

TRecs OtherCalc(const char* code, const char* name, int lines, TRng& rng) {
  TRecs r;
  r.push_back({0, Code(code) + PackText(name)});
  for (int i = 1; i <= lines; ++i) {
    std::string d = Code(code);
    AppendLe16(d, static_cast<uint16_t>(i));
    d += '\x01';
    d += PackText("Исходное значение " + std::to_string(i)) +
         PackText("П" + std::to_string(rng.Range(1, 90)));
    d += std::string(8, '\0');
    r.push_back({1, d});
  }
  r.push_back({2, Code(code)});
  static const TListFields resultLine = FieldList(Struct169());
  for (int i = 1; i <= 2; ++i) {
    TValues v;
    v["CodeRs"].Text = code;
    v["NumStr"].Num = i;
    v["FinStr"].Num = i == 2 ? 1 : 0;
    v["NameStr"].Text = "Итог " + std::to_string(i);
    v["FmtStr"].Num = 0x2003;
    v["Formula"].Text = "п1.1хп1.2";
    r.push_back({3, PackFields(resultLine, v)});
  }
  return r;
}

// Appends text to the formula of a result line record.
void EditFormula(TRec& rec, const std::string& extra) {
  const std::string& d = rec.Data;
  size_t at = 9;
  at += 2 + static_cast<uint8_t>(d[at]) + 256u * static_cast<uint8_t>(d[at + 1]);
  at += 2;
  size_t len = static_cast<uint8_t>(d[at]) + 256u * static_cast<uint8_t>(d[at + 1]);
  std::string formula = d.substr(at + 2, len) + extra;
  rec.Data = d.substr(0, at) + PackText(formula) + d.substr(at + 2 + len);
}

TRecs P145For(const std::vector<TRecs>& ref, TDemoCase c, int kind, bool russian) {
  bool isNew = c == TDemoCase::New;
  TRecs calc = ref[static_cast<size_t>(RefGroupOf(kind, russian, isNew))];
  auto firstResult =
      std::find_if(calc.begin(), calc.end(), [](const TRec& r) { return r.Prefix == 3; });
  if (c == TDemoCase::OldLongTitle) calc[0].Data += PackText("Расчет инфляции");
  if (c == TDemoCase::UserChanged) EditFormula(*firstResult, "х1,05");
  if (c == TDemoCase::OldLaterDiff)
    EditFormula(calc.back(), "\x01"
                             "3");
  return calc;
}

TRecs CalcGroup(const std::vector<TRecs>& ref, TDemoCase c, int kind, bool russian, TRng& rng) {
  TRecs g;
  if (c == TDemoCase::OldBetween) {
    TRecs before = OtherCalc("Д130", "Расчет непредвиденных затрат", 3, rng);
    g.insert(g.end(), before.begin(), before.end());
  }
  TRecs p = P145For(ref, c, kind, russian);
  g.insert(g.end(), p.begin(), p.end());
  if (rng.Range(0, 2) != 0 || c == TDemoCase::OldBetween) {
    TRecs after = OtherCalc("Д150", "Расчет налога на добавленную стоимость", 2, rng);
    g.insert(g.end(), after.begin(), after.end());
  }
  return g;
}

TRecs Filler(TRng& rng, int count, int maxLen) {
  TRecs r;
  for (int i = 0; i < count; ++i) {
    std::string d(static_cast<size_t>(rng.Range(2, maxLen)), '\0');
    for (char& ch : d)
      ch = static_cast<char>(rng.Next() & 0xFF);
    r.push_back({static_cast<int8_t>(rng.Range(0, 5)), d});
  }
  return r;
}

// Damages the header of the first record of group: a length of 0 cannot be read.
void DamageGroup(const std::string& path, int group) {
  uint32_t first;
  {
    WFile f(path);
    first = f.Dir[static_cast<size_t>(group)].Offset;
  }
  SFile raw(path, fmUpdate);
  raw.Seek(static_cast<long>(first + kRecLenAt));
  raw.SWrite("\0\0", 2);
  raw.Sync();
}

struct TObject {
  uint32_t Number;
  int Kind;
  std::string Variant;
  TDemoCase Case;
};

void WriteObject(const std::string& path, const TObject& o, bool project, bool russian,
                 const std::vector<TRecs>& ref, const std::string& listRec, TRng& rng) {
  if (o.Case == TDemoCase::Missing) return;
  int groups = project ? kProjectGroups : kBlockGroups;
  int calcGroup = project ? 109 : 33;
  creat_bf(path, groups);
  {
    TSuiteFile f(path);
    std::vector<int> others =
        project ? std::vector<int>{1, 2, 3, 5, 12, 40, 108, 110} : std::vector<int>{1, 2, 5, 20};
    for (int g : others)
      WriteGroup(f, g, Filler(rng, rng.Range(1, 12), 600));
    WriteGroup(f, 5, Filler(rng, 3, 300)); // a second version leaves dead space
    WriteGroup(f, calcGroup, CalcGroup(ref, o.Case, o.Kind, russian, rng));
    if (project && o.Case != TDemoCase::Old149Empty) {
      size_t len = o.Case == TDemoCase::Old149Other ? 12345 : kInfoRecLen;
      std::string info = listRec;
      info.resize(len, '\0');
      WriteGroup(f, kInfoGroup, {{0, info}});
    }
    f.Done();
  }
  if (o.Case == TDemoCase::Damaged) DamageGroup(path, calcGroup);
}

std::string ProjectListRecord(const TObject& o, bool russian, TRng& rng, int sub) {
  TValues v;
  v["NumObj"].Num = o.Number;
  v["KindObj"].Num = o.Kind;
  v["FlagObj"].Num = (rng.Next() & 0x00000F0F) | (o.Number % 3 == 0 ? 0x40000000u : 0u);
  v["NameObj"].Text = (russian ? "Стройка " : "Будова ") + std::to_string(o.Number) +
                      (russian ? " (жилой дом)" : " (житловий будинок)");
  v["CodeObj"].Text = "С-" + std::to_string(sub) + "-" + std::to_string(o.Number);
  v["DateCreat"].Num = PackDate(rng.Range(1, 28), rng.Range(1, 12), 2008);
  v["DateChange"].Num = PackDate(rng.Range(1, 28), rng.Range(1, 12), 2009);
  v["SumSmr"].Num = rng.Range(1000, 900000) / 100.0;
  v["SumAll"].Num = rng.Range(1000, 900000) / 10.0;
  v["Customer"].Text = russian ? "Заказчик" : "Замовник";
  v["Region"].Num = rng.Range(1, 25);
  v["CountObj"].Num = rng.Range(1, 9);
  v["Variant"].Text = o.Variant;
  for (int i = 1; i <= 5; ++i)
    v["Val" + std::to_string(i)].Num = rng.Range(0, 99999) / 100.0;
  return PackFields(Fields147(), v);
}

std::string BlockListRecord(const TObject& o, bool russian, TRng& rng) {
  TValues v;
  v["NumBn"].Num = o.Number;
  v["NameBn"].Text = (russian ? "Блок настройки " : "Блок настройки ") + std::to_string(o.Number);
  v["DateCreat"].Num = PackDate(rng.Range(1, 28), rng.Range(1, 12), 2009);
  v["KindBn"].Num = o.Kind;
  v["SumBn"].Num = rng.Range(0, 1000) / 10.0;
  v["NoteBn"].Text = russian ? "Примечание" : "Примітка";
  static const TListFields list = FieldList(Struct150());
  return PackFields(list, v);
}

// Shuffles units of records (a unit stays together) with the generator.
template <class T> void Shuffle(std::vector<T>& v, TRng& rng) {
  for (size_t i = v.size(); i > 1; --i)
    std::swap(v[i - 1], v[rng.Next() % i]);
}

struct TListDef {
  const char* Dir;
  const char* ListName;
  uint8_t TypeSub;
};

void WriteProjects(const std::string& dir, const TListDef& l, const TDemoOptions& opt,
                   const std::vector<TRecs>& ref, TRng& rng) {
  std::vector<std::vector<TObject>> units;
  for (int i = 0; i < opt.Projects; ++i)
    units.push_back({{DemoObjectNumber(i), (i + l.TypeSub) % 4, "", DemoProjectCase(i)}});
  if (l.TypeSub == 3) {
    units.push_back({{7, 2, "A", TDemoCase::Old}, {7, 1, "B", TDemoCase::Old}});
    units.push_back({{9, 0, "", TDemoCase::New}});
    units.push_back({{11, 0, "../11", TDemoCase::Old}});
  }
  Shuffle(units, rng);
  TListInfo info = ListInfoOf(l.TypeSub, 0);
  for (bool russian : {true, false}) {
    std::string listPath = dir + "/" + l.Dir + "/" + l.ListName + (russian ? ".rus" : ".ukr");
    creat_bf(listPath, kListGroups);
    TRecs records;
    for (const auto& unit : units)
      for (const TObject& o : unit) {
        std::string rec = ProjectListRecord(o, russian, rng, l.TypeSub);
        records.push_back({0, rec});
        if (!IsSafeVariant(o.Variant)) continue;
        std::string name = std::to_string(o.Number) + (o.Variant.empty() ? "" : "_" + o.Variant) +
                           (russian ? info.ExtRus : info.ExtUkr);
        WriteObject(dir + "/" + l.Dir + "/" + name, o, true, russian, ref, rec, rng);
      }
    TSuiteFile list(listPath);
    WriteGroup(list, 1, records);
    list.Done();
  }
}

void WriteBlocks(const std::string& dir, const TDemoOptions& opt, const std::vector<TRecs>& ref,
                 TRng& rng) {
  for (bool russian : {true, false}) {
    std::string listPath = dir + "/LBN/AdmBn" + (russian ? ".rus" : ".ukr");
    creat_bf(listPath, 12);
    TSuiteFile list(listPath);
    for (uint8_t kind = 0; kind < 4; ++kind) {
      TListInfo info = ListInfoOf(5, kind);
      std::vector<TObject> objs;
      for (int i = 0; i < opt.Blocks; ++i)
        objs.push_back({DemoObjectNumber(i) + 100u * kind, kind, "", DemoBlockCase(i)});
      Shuffle(objs, rng);
      TRecs records;
      for (const TObject& o : objs) {
        records.push_back({0, BlockListRecord(o, russian, rng)});
        std::string name = std::to_string(o.Number) + (russian ? info.ExtRus : info.ExtUkr);
        WriteObject(dir + "/LBN/" + name, o, false, russian, ref, "", rng);
      }
      WriteGroup(list, info.Group, records);
    }
    list.Done();
  }
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

} // namespace

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

TDemoCase DemoProjectCase(int index) {
  static const TDemoCase cases[] = {TDemoCase::Old,          TDemoCase::OldBetween,
                                    TDemoCase::New,          TDemoCase::UserChanged,
                                    TDemoCase::Damaged,      TDemoCase::Missing,
                                    TDemoCase::Old149Empty,  TDemoCase::Old149Other,
                                    TDemoCase::OldLongTitle, TDemoCase::OldLaterDiff};
  return cases[index % 10];
}

TDemoCase DemoBlockCase(int index) {
  static const TDemoCase cases[] = {TDemoCase::Old,     TDemoCase::OldBetween,
                                    TDemoCase::New,     TDemoCase::UserChanged,
                                    TDemoCase::Damaged, TDemoCase::Missing};
  return cases[index % 6];
}

uint32_t DemoObjectNumber(int index) {
  static const uint32_t numbers[] = {5, 12, 260, 3, 1001, 77, 256, 18, 2, 40};
  return numbers[index % 10] + 2000u * static_cast<uint32_t>(index / 10);
}

namespace {

// Flushes the entries of dir and of every directory below it, so that a suite reported made
// survives a power loss whole.
void SyncSuiteDirs(const std::string& dir) {
  std::vector<std::string> names;
  if (sysio::ListDir(dir, names) != 0) OutSystemError("Каталог " + dir);
  for (const std::string& n : names)
    if (sysio::DirExists(dir + "/" + n)) SyncSuiteDirs(dir + "/" + n);
  if (sysio::SyncDir(dir + "/.") != 0 || sysio::SyncDir(dir) != 0) OutSystemError("Каталог " + dir);
}

} // namespace

void CreateDemoSuite(const std::string& dir, const std::string& refFile,
                     const TDemoOptions& options) {
  std::vector<TRecs> ref = StartSuite(dir, refFile);
  TRng rng(options.Seed);
  MakeDir(dir + "/NSI/RUS");
  MakeDir(dir + "/NSI/UKR");
  WriteProjects(dir, {"LSS", "AdmSs", 1}, options, ref, rng);
  WriteProjects(dir, {"LDC", "AdmDc", 2}, options, ref, rng);
  WriteProjects(dir, {"LPD", "AdmPd", 3}, options, ref, rng);
  WriteBlocks(dir, options, ref, rng);
  SyncSuiteDirs(dir);
}

// ---- a large suite for measurements --------------------------------------------------------

namespace {

size_t GroupBytes(const TRecs& recs) {
  size_t n = LenEof;
  for (const TRec& r : recs)
    n += kRecHeadSize + r.Data.size();
  return n;
}

// Writes a composite file of count groups in the compact layout that compression gives: groups
// in number order, records without links, no dead space. The body is built once, at its full
// size, and written behind the header: a list of 100,000 records is over 100 MB.
void WriteImage(const std::string& path, int count, const std::map<int, TRecs>& groups) {
  TCompactLayout image(path, static_cast<uint32_t>(count));
  size_t body = LenEof * static_cast<size_t>(count);
  for (const auto& [g, recs] : groups)
    body += GroupBytes(recs) - LenEof;
  image.Body.reserve(body);
  for (int g = 0; g < count; ++g) {
    auto it = groups.find(g);
    if (it != groups.end())
      for (const TRec& r : it->second)
        image.Add(r.Prefix, r.Data.data(), r.Data.size());
    image.EndGroup();
  }
  SFile f(path, fmRewrite);
  std::string head = image.Head();
  f.SWrite(head.data(), static_cast<int>(head.size()));
  f.SWrite(image.Body.data(), static_cast<int>(image.Body.size()));
}

// A calculation group of count calculations with the P145 calculation at a random place.
TRecs ManyCalcs(const std::vector<TRecs>& ref, TDemoCase c, int kind, int count, TRng& rng) {
  TRecs g;
  int at = rng.Range(0, std::max(0, count - 1));
  for (int i = 0, code = 100; i < count; ++i, ++code) {
    if (code == 145) ++code;
    TRecs calc = i == at ? P145For(ref, c, kind, true)
                         : OtherCalc(("Д" + std::to_string(code)).c_str(), "Прочий расчет",
                                     rng.Range(3, 6), rng);
    g.insert(g.end(), calc.begin(), calc.end());
  }
  return g;
}

void WriteLargeProject(const std::string& path, const TObject& o, const std::vector<TRecs>& ref,
                       const std::string& listRec, const TLargeSuiteOptions& opt, TRng& rng) {
  if (o.Case == TDemoCase::Missing) return;
  std::map<int, TRecs> groups;
  groups[109] = ManyCalcs(ref, o.Case, o.Kind, opt.Calculations, rng);
  if (o.Case != TDemoCase::Old149Empty) {
    std::string info = listRec;
    info.resize(kInfoRecLen, '\0');
    groups[kInfoGroup] = {{0, info}};
  }
  size_t total = DirEntryAt(kProjectGroups);
  for (const auto& [g, recs] : groups)
    total += GroupBytes(recs);
  total += LenEof * (kProjectGroups - groups.size());
  static const int fillGroups[] = {1, 2, 3, 5, 12, 40, 108, 110};
  for (int i = 0; total + kRecHeadSize + 2 < static_cast<size_t>(opt.FileBytes); ++i) {
    size_t left = static_cast<size_t>(opt.FileBytes) - total - kRecHeadSize;
    TRecs one = Filler(rng, 1, 1200);
    if (one[0].Data.size() > left) one[0].Data.resize(left);
    total += kRecHeadSize + one[0].Data.size();
    groups[fillGroups[i % 8]].push_back(one[0]); // its end marker is counted already
  }
  WriteImage(path, kProjectGroups, groups);
}

void WriteLargeList(const std::string& path, const std::vector<TObject>& objs, TRng& rng) {
  std::map<int, TRecs> groups;
  TRecs& recs = groups[1];
  for (const TObject& o : objs)
    recs.push_back({0, ProjectListRecord(o, true, rng, 1)});
  WriteImage(path, kListGroups, groups);
}

} // namespace

TDemoCase LargeSuiteCase(int index) {
  static const TDemoCase cases[] = {TDemoCase::Old,          TDemoCase::Old,
                                    TDemoCase::Old,          TDemoCase::OldBetween,
                                    TDemoCase::Old,          TDemoCase::OldLongTitle,
                                    TDemoCase::OldLaterDiff, TDemoCase::New,
                                    TDemoCase::UserChanged,  TDemoCase::Old149Empty};
  return index % 50 == 49 ? TDemoCase::Missing : cases[index % 10];
}

void CreateLargeSuite(const std::string& dir, const std::string& refFile,
                      const TLargeSuiteOptions& options) {
  std::vector<TRecs> ref = StartSuite(dir, refFile);
  TRng rng(options.Seed);
  TListInfo info = ListInfoOf(1, 0);
  std::vector<TObject> objs;
  for (int i = 0; i < options.Projects; ++i)
    objs.push_back({DemoObjectNumber(i), i % 4, "", LargeSuiteCase(i)});
  Shuffle(objs, rng);
  std::map<int, TRecs> list;
  for (const TObject& o : objs) {
    std::string rec = ProjectListRecord(o, true, rng, 1);
    list[1].push_back({0, rec});
    WriteLargeProject(dir + "/LSS/" + std::to_string(o.Number) + info.ExtRus, o, ref, rec, options,
                      rng);
  }
  const std::string listPath = dir + "/LSS/AdmSs.rus";
  WriteImage(listPath, kListGroups, list);
  if (options.ListRecords > 0) {
    std::vector<TObject> many;
    for (int i = 0; i < options.ListRecords; ++i)
      many.push_back({static_cast<uint32_t>(i + 1), i % 4, "", TDemoCase::Old});
    Shuffle(many, rng);
    WriteLargeList(dir + "/LSS/" + kLargeListName, many, rng);
  }
}
