// TDMessages: the one modal dialog for errors, warnings and questions. It sizes itself to the
// text, shows the picture and title of the kind, offers the protocol viewer, stays in front.
#pragma once
#include <QDialog>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <array>
#include <cstdint>
#include <string>

#include "controls/Uzcheckbox.h"
#include "controls/Uzmlbtn.h"
#include "format/Format_text.h"
#include "messages/Zmsg.h"

enum : uint8_t { dmError = 0, dmQuestion = 1, dmWarning = 2, dmQuestionAsk = 3 };

class TDMessages : public QDialog {
public:
  static constexpr int ClientWidth = 342;
  static constexpr int ClientHeight = 166;
  // The designed form's caption and frames: form height = client height + this.
  static constexpr int NonClientHeight = 24;

  TDMessages(QWidget* owner, bool normalColours, uint8_t mode);

  // Lays the dialog out for its text (done when it is first shown).
  void FormShow();
  // The View button: opens the protocol viewer, or tells that there is nothing to view.
  void btWatchExitClick();
  // The Exit and No buttons: closes the dialog without the OK result.
  void btNoWatchClick() { reject(); }
  // The left edge of the text block.
  int TextLeft() const { return Image->width() + 2 * Image->x(); }

  QTimer* Timer;
  QLabel* Image;
  std::array<QPixmap, 6> ImageList; // error, question, warning; then the same on red
  TZMLButton* btYes;
  TZMLButton* btWatchExit;
  TZMLButton* btNoWatch;
  TZCheckBox* Ask;

  int Shrink = 0;
  int TextHeight = 0;
  int LineCount = 0;
  TLineLayout Layout;
  bool HasProtocol = false;
  std::string Text;
  std::string ErrLog;
  std::string WarLog;
  uint8_t Mode;
  bool NormalColours;
  QWidget* BottomRef = nullptr; // the lowest control; the text stays above its top

protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void MakeImages();
  void ErrorLayout();
  void QuestionLayout();
  void DrawImage(int index);
  TFontSpec TextFont() const;
  bool FShown = false;
};

// A question the user can silence: bit 0 = answered Yes, bit 1 = "do not ask again" ticked.
int MRestNo(const std::string& text);

// Shows a request of the message operations in the dialog; true when answered Yes.
bool DialogPresenter(const TMsgRequest& request);
// Makes the message operations use the dialog while a QApplication exists, else the console.
void InstallDialogPresenter();
