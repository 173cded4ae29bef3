// TfVbl: the modal object list window. It shows the objects of one list in the table control,
// coloured by their state, and changes the marked ones (kChClick); the work is TVblList's.
#pragma once
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <memory>

#include "controls/Ztext.h"
#include "table/QtZtable.h"
#include "workflow/Suitelock.h"
#include "workflow/Uvbl_list.h"

class TfVbl : public QDialog {
public:
  TfVbl(QWidget* owner, unsigned char typeSub, unsigned char typeBn, bool isRus);
  ~TfVbl() override;

  TZText* ZText1;
  QWidget* Pt;
  TQtZTable* tb;
  QLabel* Lb[kLegendCount];     // Lb1..Lb5: the meanings of the colours
  QLabel* LbName[kLegendCount]; // the colour names before them
  QPushButton* kCh;
  QPushButton* Button1;
  QPushButton* kCan;
  QPushButton* kRes;
  QPushButton* kEx;

  TVblList& List() { return *FList; }
  // The screen, the suite lock, the list and its check pass; false when the screen cannot be
  // read (reported). Errors of the list file are raised as ZError.
  bool FormShow();
  void kChClick();
  void Button1Click();
  void kCanClick();
  void kResClick();
  // True when another session changes the suite, or its lock file cannot be written: the list
  // is only shown.
  bool ReadOnly() const { return FReadOnly; }

protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

private:
  // The heading tells who holds the suite; selection and change are off.
  void ShowReadOnly();
  QGridLayout* BuildLegend();
  void ShowLegend();
  void FocusTable();
  std::unique_ptr<TVblList> FList;
  std::unique_ptr<TChangeLock> FLock;
  bool FReadOnly = false;
  bool FBusy = false; // a check or a change runs: no second one, no closing
};

// The list window while it is open; null otherwise.
extern TfVbl* fVbl;

// Opens the list window modally (the main window's hook).
void OpenObjectList(QWidget* owner, unsigned char typeSub, unsigned char typeBn, bool isRus);
