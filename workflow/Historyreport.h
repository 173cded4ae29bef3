// The report of one batch: what was changed, when, by whom and where, each object's result and
// the first result line of its calculation before and after, as CSV or as a printable HTML page.
#pragma once
#include <string>
#include <vector>

#include "workflow/History.h"

struct TReportLine {
  const TBatchEntry* Entry = nullptr;
  std::string Before, After; // the first result line of the P145 calculation (CP1251)
};

// The lines of a batch's report; the calculations are read from the kept and the current files
// (a file that cannot be read gives an empty text). Needs the workflow's start-up.
std::vector<TReportLine> ReportLines(const TBatchInfo& b);
// The report texts, UTF-8, with captions in the interface language.
std::string ReportCsv(const TBatchInfo& b, const std::vector<TReportLine>& lines);
std::string ReportHtml(const TBatchInfo& b, const std::vector<TReportLine>& lines);
// An object's result and a batch's kind as the report names them, in the interface language.
std::string ResultText(const std::string& result);
std::string KindText(const std::string& kind);
// Writes a report to path (CP1251 name), replacing a file of that name.
void WriteReportFile(const std::string& path, const std::string& utf8);
