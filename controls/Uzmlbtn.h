// TZMLButton: a push button with Russian and Ukrainian caption and hint, where "#" in the
// caption is a line break.
#pragma once
#include <QPushButton>

#include "controls/Uzlangbox.h"

class TZMLButton : public TZCaptioned<QPushButton> {
public:
  explicit TZMLButton(QWidget* parent = nullptr);

  std::string RCaption() const override;
  void WCaption(const std::string& text) override;
  bool MultiLine() const { return FMultiLine; }
  // Switching off is refused while the caption holds a line break.
  void SetMultiLine(bool on);

private:
  bool FMultiLine = false;
};
