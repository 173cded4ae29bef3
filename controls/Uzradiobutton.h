// TZRadioButton: a radio button with Russian and Ukrainian caption and hint.
#pragma once
#include <QRadioButton>

#include "controls/Uzlangbox.h"

class TZRadioButton : public TZCaptioned<QRadioButton> {
public:
  explicit TZRadioButton(QWidget* parent = nullptr) : TZCaptioned<QRadioButton>(parent) {}
};
