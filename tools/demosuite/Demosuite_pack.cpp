// The demo generator's packing: list records and other records with structures packed by the
// record code's StructRec, and the groups of a suite's files written through WFile.
#include "tools/demosuite/Demosuite_parts.h"

#include "messages/Zmsg.h"
#include "storage/Dsfile.h"
#include "storage/Sysio.h"

#include <cstring>

namespace demosuite {

void PutDouble(std::string& out, double d) {
  char b[8];
  std::memcpy(b, &d, 8);
  out.append(b, 8);
}

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

} // namespace demosuite
