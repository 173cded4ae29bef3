// The in-cell editor window TEditRk (a borderless single-line edit or memo with its popup menus),
// the free-standing value editor uEditField, and the table's form and in-cell editing.
#pragma once
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <functional>
#include <string>

#include "base/Canvas.h"
#include "storage/Fun_struct.h"

// The check an owner gives the editor: stage 0 before the first show (it may move the rectangle
// and change the text and the filter), 1 after a save, 2 after an abandon; true ends editing.
using TEdRkCheck = std::function<bool(char Stage, TPoint& TopLeft, TPoint& BottomRight,
                                      char& Filter, std::string& Text, void* User)>;

class TEditRk : public QDialog {
  Q_OBJECT
public:
  explicit TEditRk(QWidget* owner);
  ~TEditRk() override;
  // Places the editor on the rectangle (screen corners) with the text, the kind and the filter.
  void Init(bool Memo, char Filter, const TFontSpec& Font, const std::string& Text, int Right,
            int Bottom, int Left, int Top);
  int Result() const { return FResult; }
  const std::string& ResultText() const { return FResultText; }
  // The caret position on show; 0 selects all text.
  int CaretPos = 0;

  QLineEdit* vEdit;
  QPlainTextEdit* vMemo;
  QMenu* PM;
  QMenu* PM1;

  // What Enter (or Ctrl+Enter), double click and "Сохранить" do; refuses a text ending in ",".
  void SaveText();
  // What Escape and "Не сохранять" do.
  void CloseUnsaved();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

private:
  bool FilterKey(QKeyEvent* key);
  void ShowMenu(const QPoint& at);
  QMenu* MakeMenu(const char* save, const char* noSave);

  std::string FInitText, FResultText;
  char FFilter = 0;
  bool FMemo = false, FWrap = false;
  int FResult = 0;
};

// The editor while one is open, else null.
extern TEditRk* EditRk;

// Edits a value outside a table with the editor; shown again while it is saved and the check
// rejects the text. On save Text receives the edited text. Returns whether it was saved.
// Flag is kept for the callers' form and has no effect.
bool uEditField(QWidget* Form, std::string& Text, TypeField Type, bool Flag, TPoint TopLeft,
                TPoint BottomRight, const TEdRkCheck& Check, void* User, bool Minus);
