// The large suite of the measurements: one subsystem of many projects, each file written whole
// in the compact layout, and a second list of many records.
#include "tools/demosuite/Demosuite_parts.h"

#include "storage/Dsfile.h"
#include "storage/Dutilfile.h"
#include "storage/Recformat.h"
#include "workflow/Objects.h"

#include <algorithm>

using namespace demosuite;

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
