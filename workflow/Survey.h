// The survey of a list: the distinct P145 calculations its objects carry, by kind and document
// language, and whether each equals the old reference, the new one, or neither.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "workflow/Objects.h"
#include "workflow/Refstore.h"

enum class TSurveyMatch { Old, New, Neither };
const char* SurveyMatchName(TSurveyMatch m); // "old", "new", "neither"

// One distinct calculation: the bytes the comparison looks at are the same in all its objects.
struct TSurveyCalc {
  int Kind = 0;
  bool Russian = false;
  std::string Bytes;             // ComparedBytes of the calculation
  TCalcRecords Calc;             // the calculation of the first object that carries it
  int Objects = 0;               // objects that carry it
  std::vector<uint32_t> Numbers; // the first five of them
  TSurveyMatch Match = TSurveyMatch::Neither;
  int RefGroup = -1; // the reference group it equals, -1 for neither
};

struct TSurvey {
  std::vector<TSurveyCalc> Calcs; // by kind, then by the number of objects, most first
  int Missing = 0;                // object files that do not exist
  int Unreadable = 0;             // object files that cannot be read, or unsafe names
  int WithoutP145 = 0;            // calculation groups without a P145 title
};

// Most object numbers a distinct calculation lists.
constexpr size_t kSurveyNumbers = 5;

// Surveys the lines of a list against the reference file of files, opening each object file
// there in turn.
TSurvey SurveyObjectLines(TObjectFiles& files, const TListInfo& info,
                          const std::vector<TObjLine>& lines, unsigned char russian);
