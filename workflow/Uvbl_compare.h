// TfCompare: a read-only view of one object's P145 calculation beside the new reference, the
// lines that differ marked and highlighted; the comparison is the survey's (workflow/Survey).
#pragma once
#include <QDialog>
#include <QLabel>
#include <QTableWidget>
#include <string>

#include "workflow/Survey.h"

class TfCompare : public QDialog {
public:
  TfCompare(QWidget* owner, const TCalcComparison& c);

  QLabel* Verdict;     // what the comparison found
  QTableWidget* Lines; // marker, the object's line, the reference's line
  // The rows shown as differing.
  int DifferingRows() const;

protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
};
