// TfVbl: the modal object list window. It shows the objects of one list in the table control,
// coloured by their state, and changes the marked ones (kChClick); the work is TVblList's.
#pragma once
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <functional>
#include <memory>
#include <string>

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
  QLabel* Counts;               // objects, replaceable, marked: under the table
  QPushButton* kCh;
  QPushButton* kCmp; // the current line beside the new reference
  QPushButton* Button1;
  QPushButton* kCan;
  QPushButton* kRes;
  QPushButton* kEx;

  TVblList& List() { return *FList; }
  // The screen, the suite lock, the list and its check pass; false when the screen cannot be
  // read (reported). Errors of the list file are raised as ZError.
  bool FormShow();
  // Asks (AskConfirm), then changes the marked objects.
  void kChClick();
  // The current line's calculation beside the new reference, in its own window.
  void kCmpClick();
  void Button1Click();
  void kCanClick();
  void kResClick();
  // True when another session changes the suite, or its lock file cannot be written: the list
  // is only shown.
  bool ReadOnly() const { return FReadOnly; }
  // The question before a change, with the offer to see the objects; true: change. By default
  // a message box in the interface language.
  std::function<bool(const std::string& text)> AskConfirm;

protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

private:
  // The heading tells who holds the suite; selection and change are off.
  void ShowReadOnly();
  QGridLayout* BuildLegend();
  void ShowLegend();
  void ShowCounts();
  bool AskConfirmBox(const std::string& text);
  void ShowObjects();
  void ShowFinalMessage(const TBatchReport& r);
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
