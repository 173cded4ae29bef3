// TViewPrt: the read-only viewer of the error and warning protocols of an operation, opened from
// the message dialog; two buttons switch between the protocols when both exist.
#pragma once
#include <QDialog>
#include <QFrame>
#include <QPlainTextEdit>
#include <string>

#include "controls/Uzmlbtn.h"

// The suite's version text shown in the viewer's title.
extern const char* const ZEVVER;

class TViewPrt : public QDialog {
public:
  explicit TViewPrt(QWidget* owner);

  // Shows one protocol file, its first line being the title.
  void StartView(const std::string& fileName);
  // The title for a file in the interface language.
  static std::string Title(const std::string& fileName);
  void kErrClick() { StartView(ErrLog); }
  void kWarClick() { StartView(WarLog); }
  void Button1Click() { close(); }

  QFrame* Panel1;
  QPlainTextEdit* LTxt;
  QFrame* Panel2;
  TZMLButton* kWar;
  TZMLButton* kErr;
  TZMLButton* Button1;
  std::string WarLog;
  std::string ErrLog;

protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void hideEvent(QHideEvent* event) override;

private:
  void FormShow();
  bool FShown = false;
};

// The viewer while the message dialog shows it; null otherwise.
extern TViewPrt* ViewPrt;

// Scales a form and its controls by NewScr / OldScr when the two differ.
void SetScaleMsg(QWidget* form);
