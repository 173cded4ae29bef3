// TZCheckBox: a check box with Russian and Ukrainian caption and hint.
#pragma once
#include <QCheckBox>

#include "controls/Uzlangbox.h"

class TZCheckBox : public TZCaptioned<QCheckBox> {
public:
  explicit TZCheckBox(QWidget* parent = nullptr) : TZCaptioned<QCheckBox>(parent) {}
};
