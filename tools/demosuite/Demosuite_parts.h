// The parts the units of the demo generator share: record types, the random generator, the
// packing of records by their structures and the files of a suite under construction.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "storage/Dwfile.h"
#include "storage/Fun_struct.h"
#include "tools/demosuite/Demosuite.h"
#include "workflow/Refdata.h"

namespace demosuite {

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

// Shuffles units of records (a unit stays together) with the generator.
template <class T> void Shuffle(std::vector<T>& v, TRng& rng) {
  for (size_t i = v.size(); i > 1; --i)
    std::swap(v[i - 1], v[rng.Next() % i]);
}

// ---- packing (Demosuite_pack) ----------------------------------------------------------------

// A field of a structure the generator writes into the screen description file.
struct TFieldDef {
  std::string Name;
  uint8_t Type;
};

// A value for a field: text, or a number.
struct TVal {
  std::string Text;
  double Num = 0;
};
using TValues = std::map<std::string, TVal>;

void PutDouble(std::string& out, double d);
// The field list of a structure, as the record code reads it from the description file.
TListFields FieldList(const std::vector<TFieldDef>& defs);
// The record data of the values by the record code's packing (fields without a value: zero or
// empty).
std::string PackFields(const TListFields& list, const TValues& values);
// The structures of a project's and a settings block's list record, of a calculation's title
// record and of a result line.
const std::vector<TFieldDef>& Struct147();
const TListFields& Fields147();
std::vector<TFieldDef> Struct150();
std::vector<TFieldDef> Struct166();
std::vector<TFieldDef> Struct169();
uint16_t PackDate(int day, int month, int year);

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

void WriteGroup(WFile& f, int group, const TRecs& recs);
void MakeDir(const std::string& path);
// Writes a whole file; durable: flushed at once (the demo suite), else left to the system (the
// large suite of the measurements, which is removed after its run).
void WriteRaw(const std::string& path, const std::string& bytes, bool durable);

// ---- the configuration (Demosuite_cfg) -------------------------------------------------------

// The common start of every generated suite: checks the directory, reads the reference
// groups, and makes the suite's directories and its CFG files.
std::vector<TRecs> StartSuite(const std::string& dir, const std::string& refFile);

// ---- calculations and objects (Demosuite) ----------------------------------------------------

struct TObject {
  uint32_t Number;
  int Kind;
  std::string Variant;
  TDemoCase Case;
};

// Another calculation than P145: title, lines source lines, separator, two result lines.
TRecs OtherCalc(const char* code, const char* name, int lines, TRng& rng);
// The P145 calculation of an object of case c.
TRecs P145For(const std::vector<TRecs>& ref, TDemoCase c, int kind, bool russian);
// count records of random kinds and bytes, each up to maxLen long.
TRecs Filler(TRng& rng, int count, int maxLen);
std::string ProjectListRecord(const TObject& o, bool russian, TRng& rng, int sub);

} // namespace demosuite
