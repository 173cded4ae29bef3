// The survey of a list's P145 calculations against the reference data in use.
#include "workflow/Survey.h"

#include "paths/Dpath.h"
#include "storage/Sysio.h"

#include <algorithm>
#include <exception>

namespace {

enum class TTaken { Calc, Missing, Unreadable, None };

// The P145 calculation of one line's object file.
TTaken TakeOfLine(TObjectFiles& files, const TListInfo& info, const TObjLine& line,
                  TCalcRecords& calc) {
  if (line.File.empty() || line.Kind < 0 || line.Kind > 3) return TTaken::Unreadable;
  WFile* file = nullptr;
  try {
    file = &files.OpenObject(line.File);
  } catch (const std::exception&) {
    return sysio::FileExists(GetRealName(line.File)) ? TTaken::Unreadable : TTaken::Missing;
  }
  try {
    calc = TakeP145(*file, info.CalcGroup);
    files.CloseObject();
  } catch (const std::exception&) {
    files.CloseObject();
    return TTaken::Unreadable;
  }
  return calc.empty() ? TTaken::None : TTaken::Calc;
}

void Classify(TSurveyCalc& c, const std::vector<std::string>& refBytes) {
  int old = RefGroupOf(c.Kind, c.Russian, false);
  if (c.Bytes == refBytes[static_cast<size_t>(old)]) {
    c.Match = TSurveyMatch::Old;
    c.RefGroup = old;
  } else if (c.Bytes == refBytes[static_cast<size_t>(old + 8)]) {
    c.Match = TSurveyMatch::New;
    c.RefGroup = old + 8;
  }
}

} // namespace

const char* SurveyMatchName(TSurveyMatch m) {
  switch (m) {
  case TSurveyMatch::Old:
    return "old";
  case TSurveyMatch::New:
    return "new";
  case TSurveyMatch::Neither:
    return "neither";
  }
  return "";
}

TSurvey SurveyObjectLines(TObjectFiles& files, const TListInfo& info,
                          const std::vector<TObjLine>& lines, unsigned char russian) {
  std::vector<std::string> refBytes;
  for (int g = 0; g < kRefGroups; ++g)
    refBytes.push_back(ComparedBytes(ReadGroupRecords(files.Ref, g)));
  TSurvey s;
  for (const TObjLine& line : lines) {
    TCalcRecords calc;
    TTaken t = TakeOfLine(files, info, line, calc);
    s.Missing += t == TTaken::Missing;
    s.Unreadable += t == TTaken::Unreadable;
    s.WithoutP145 += t == TTaken::None;
    if (t != TTaken::Calc) continue;
    std::string bytes = ComparedBytes(calc);
    auto same = [&](const TSurveyCalc& c) { return c.Kind == line.Kind && c.Bytes == bytes; };
    auto it = std::find_if(s.Calcs.begin(), s.Calcs.end(), same);
    if (it == s.Calcs.end()) {
      TSurveyCalc c;
      c.Kind = line.Kind;
      c.Russian = russian != 0;
      c.Bytes = bytes;
      c.Calc = calc;
      Classify(c, refBytes);
      it = s.Calcs.insert(s.Calcs.end(), c);
    }
    ++it->Objects;
    if (it->Numbers.size() < kSurveyNumbers) it->Numbers.push_back(line.Number);
  }
  std::stable_sort(s.Calcs.begin(), s.Calcs.end(), [](const TSurveyCalc& a, const TSurveyCalc& b) {
    return a.Kind != b.Kind ? a.Kind < b.Kind : a.Objects > b.Objects;
  });
  return s;
}
