// TfHistory: the modal history window. It lists the batches of the suite and the objects of the
// chosen one, undoes a batch or its marked objects, and prints or saves the batch's report; the
// decisions are THistoryList's (Uhistory_list).
#pragma once
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTextDocument>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "workflow/Suitelock.h"
#include "workflow/Uhistory_list.h"

class TfHistory : public QDialog {
public:
  explicit TfHistory(QWidget* owner);
  ~TfHistory() override;

  QLabel* Heading; // read-only: who holds the suite
  QTableWidget* Batches;
  QTableWidget* Objects; // the first column's check box marks an object
  QPushButton* kUndo;
  QPushButton* kReport;
  QPushButton* kClose;

  THistoryList& List() { return FList; }
  bool ReadOnly() const { return FReadOnly; }
  // Takes the suite lock (held by another session: only shown) and reads the history.
  void FormShow();
  void ChooseBatch(int row);
  // The object rows whose check box is set.
  std::vector<int> Marked() const;
  void kUndoClick();
  // The report in the print dialog, then on the printer.
  void PrintReport();
  // The save dialog with the three types, then SaveReport.
  void SaveReportAsked();
  // Writes the chosen batch's report to path (UTF-8), by its extension PDF, CSV or HTML.
  void SaveReport(const QString& path);
  // The page printed or saved as PDF, from the report's HTML.
  std::unique_ptr<QTextDocument> ReportDocument() const;
  // The question before an undo; true: undo. By default a message box.
  std::function<bool(const std::string& text)> AskConfirm;

protected:
  void reject() override;

private:
  void BuildTables();
  void ShowBatches();
  void ShowObjects();
  void ShowButtons();
  bool AskConfirmBox(const std::string& text);
  THistoryList FList;
  std::unique_ptr<TChangeLock> FLock;
  bool FReadOnly = false;
  bool FBusy = false;
};

// Opens the history window modally (the main window's button).
void OpenHistory(QWidget* owner);
