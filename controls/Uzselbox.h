// TZSelBox: a one-line selection field drawn like a closed combo box. A click or one of the
// selecting keys fires OnSelect, where the owner lets the user choose the value.
#pragma once
#include <QWidget>
#include <functional>

#include "controls/Uzlangbox.h"

class TZSelBox : public QWidget, public TZLangControl {
public:
  explicit TZSelBox(const std::string& name, QWidget* parent = nullptr);

  TZLangBox HintL{this, "Hint"};
  std::function<void(TZSelBox*)> OnSelect;

  std::string Text() const { return FText; }
  void SetText(const std::string& text);
  bool Pressed() const { return FPressed; }
  // The height a line of the font needs plus 8.
  int FittingHeight() const;

  std::string RProp(const std::string& name) const override;
  void WProp(const std::string& name, const std::string& text) override;

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  static bool SelectKey(int code);
  void Press();
  void Release();
  std::string FText;
  bool FPressed = false;
};
