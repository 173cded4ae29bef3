// TZGroupBox: a group box with Russian and Ukrainian caption (its title) and hint.
#pragma once
#include <QGroupBox>

#include "controls/Uzlangbox.h"

class TZGroupBox : public TZCaptioned<QGroupBox> {
public:
  explicit TZGroupBox(QWidget* parent = nullptr) : TZCaptioned<QGroupBox>(parent) {}
};
