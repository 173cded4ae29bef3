// Deterministic generator of a demo suite installation: the object files in every state the
// correction distinguishes and the lists of the three subsystems and the four block kinds.
#include "tools/demosuite/Demosuite_parts.h"

#include "messages/Zmsg.h"
#include "storage/Dsfile.h"
#include "storage/Dutilfile.h"
#include "storage/Recformat.h"
#include "storage/Sysio.h"
#include "workflow/Objects.h"

#include <algorithm>

using namespace demosuite;

namespace demosuite {

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

} // namespace demosuite

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
