// The program ravinel: its entry (single instance, process-wide files, close-down) and the main
// window TfMain, from which the user chooses what to correct and the language of the documents.
#pragma once
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "controls/Uzgroupbox.h"
#include "controls/Uzmlbtn.h"
#include "controls/Uzradiobutton.h"
#include "messages/Mnudesc.h" // TypeSub
#include "workflow/Suitedir.h"
#include "workflow/Ucommon.h"

// Kind of settings block while TypeSub is 5: 0 construction and mounting, repair and mining
// works; 1 commissioning; 2 repair at enterprises of the ministry of industrial policy; 3 repair
// at housing and communal enterprises.
extern unsigned char TypeBn;

// Opens the object list window modally for the choice and returns when it has closed: owner,
// TypeSub, TypeBn, and the document language of the list (true: Russian).
using TOpenListHook =
    std::function<void(QWidget* owner, unsigned char typeSub, unsigned char typeBn, bool isRus)>;

class TfMain : public QWidget {
public:
  // Builds the window, then the field lists and the reference file from programFile.
  TfMain(TOpenListHook openList, const std::string& programFile = kProgramSelf);
  ~TfMain() override;

  QPlainTextEdit* Memo1;
  QLabel*
      Status; // which reference data is in use and the suite's folder, in the interface language
  TZGroupBox* GroupBox1;
  TZMLButton* vSs;
  TZMLButton* vDc;
  TZMLButton* vPd;
  TZGroupBox* GroupBox2;
  TZMLButton* Button1;
  TZMLButton* Button2;
  TZMLButton* Button3;
  TZMLButton* Button4;
  TZGroupBox* ZGroupBox3;
  TZRadioButton* RDLang;
  TZRadioButton* UDLang;
  QLabel* FlagRus;
  QLabel* FlagUkr;
  TZMLButton* kHistory; // the history window: batches of changes, undo, report
  TZMLButton* kExit;

  // The interface language and the document language from the radio buttons; the window
  // changes to the new language at once.
  void LangClick();
  // Opens the list window for TypeSub and TypeBn as the buttons have set them.
  void OpenList();
  // Releases the field lists and the reference file (once).
  void FormClose();

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  void BuildForm();
  TZGroupBox* BuildProjects();
  TZGroupBox* BuildBlocks();
  TZGroupBox* BuildLanguage();
  void Choose(unsigned char typeSub, int typeBn);
  // Every text of the window in the interface language.
  void ShowLanguage();
  TOpenListHook OpenListHook;
  std::unique_ptr<TFormData> Data;
  std::string SuiteFolder; // the folder holding the suite's CFG
};

extern TfMain* fMain;

// The 16 x 16 flag images of the language group.
QPixmap RussianFlag();
QPixmap UkrainianFlag();

// The decimal separator of number formatting and parsing, "," for the whole run.
void SetDecimalComma();

struct TCorvaneOptions {
  std::string StartDir;                   // the optional argument: the directory to start in
  std::string ProgramFile = kProgramSelf; // the file carrying the reference data
  TOpenListHook OpenList;
  TAskSuiteDir AskSuiteDir; // empty: the folder dialog
};
// The entry after the single-instance rule, inside a running application: the suite's folder,
// the process-wide files, the decimal comma, the main window and its message loop, and the
// close-down. An error on the way is shown in the message dialog and ends the run with 1; 0
// otherwise (also when the user gives up choosing the suite's folder).
int RunCorvane(const TCorvaneOptions& options);
// The whole program: a second instance ends at once with 0; then the application and
// RunCorvane with the optional directory argument.
int CorvaneMain(int argc, char** argv, TOpenListHook openList);
