// The history window's work without its widgets: the batches of the suite and the objects of
// the chosen one as rows of text, which buttons are enabled, the question before an undo and its
// final message. The undo and the report are the history's own (History, Historyreport).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "workflow/History.h"

constexpr int kBatchColumns = 9;  // started, kind, user, computer, list, objects, changed,
                                  // failed, state
constexpr int kObjectColumns = 4; // number, variant, file, result

// The captions of the two tables, in the interface language.
std::vector<std::string> BatchCaptions();
std::vector<std::string> ObjectCaptions();
// "2026-12-11T01:23:45Z" as local time "11.12.2026 03:23:45"; anything else as it is.
std::string LocalTimeText(const std::string& journalTime);

// What a saved report holds, by the file's type.
enum class TReportType { Pdf, Csv, Html };
// The report type of a file name by its extension (case aside); Pdf when there is none known.
TReportType ReportTypeOf(const std::string& path);

class THistoryList {
public:
  // Reads the batches of the suite's history, newest first; a batch whose journal cannot be
  // read gives a row naming why. The chosen batch is then the first one, if any.
  void Load();
  int BatchCount() const { return static_cast<int>(Rows.size()); }
  std::vector<std::string> BatchCells(int row) const;
  // Chooses batch row; out of range chooses none.
  void Choose(int row);
  int ChosenRow() const { return Chosen; }
  // The chosen batch; null when none is chosen or its journal is damaged.
  const TBatchInfo* Batch() const;
  int ObjectCount() const;
  std::vector<std::string> ObjectCells(int object) const;

  // The objects an undo of the chosen batch would put back: the marked ones (object rows), or
  // with none marked every changed object not put back yet.
  std::vector<uint32_t> UndoNumbers(const std::vector<int>& marked) const;
  bool CanUndo(bool readOnly, const std::vector<int>& marked) const;
  bool CanReport() const { return Batch() != nullptr; }
  std::string ConfirmUndoText(size_t count) const;
  // The undo as the command line does it: journals a crash left unfinished completed, then the
  // chosen batch read anew and undone with the documents' language it was made in. The caller
  // holds the suite lock. The history is read again afterwards.
  TUndoResult Undo(const std::vector<int>& marked, const TUndoProgress& progress = {});
  // The final message ("#" breaks lines): restored and refused, the refusals by number.
  static std::string FinalUndoText(const TUndoResult& r);
  static bool Refused(const TUndoResult& r);

  // The chosen batch's report as the history writes it (UTF-8).
  std::string ReportHtml() const;
  std::string ReportCsv() const;

private:
  struct TRow {
    std::string Id, Error; // Error: why the journal cannot be read (CP1251)
    TBatchInfo Info;
  };
  // Numbers of the batch's objects an undo has put back.
  std::vector<uint32_t> RestoredOf(const std::string& id) const;
  std::vector<TRow> Rows;
  int Chosen = -1;
};
