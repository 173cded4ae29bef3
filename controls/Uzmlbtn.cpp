// Multi-line two-language button.
#include "controls/Uzmlbtn.h"

TZMLButton::TZMLButton(QWidget* parent) : TZCaptioned<QPushButton>(parent) {}

std::string TZMLButton::RCaption() const {
  std::string text = FromQString(this->text());
  for (char& c : text)
    if (c == '\n') c = '#';
  return text;
}

void TZMLButton::WCaption(const std::string& text) {
  if (text == RCaption()) return;
  if (text.find('#') != std::string::npos) SetMultiLine(true);
  std::string shown = text;
  for (char& c : shown)
    if (c == '#') c = '\n';
  setText(ToQString(shown));
}

void TZMLButton::SetMultiLine(bool on) {
  if (!on && RCaption().find('#') != std::string::npos) return;
  FMultiLine = on;
  update();
}
