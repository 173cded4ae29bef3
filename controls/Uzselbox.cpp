// The selection field: painting, hint and the press-and-release that selects.
#include "controls/Uzselbox.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QToolTip>
#include <qdrawutil.h>

#include "base/QtKeys.h"

namespace {
constexpr int kButtonWidth = 17;
}

TZSelBox::TZSelBox(const std::string& name, QWidget* parent) : QWidget(parent) {
  setObjectName(ToQString(name));
  setFocusPolicy(Qt::StrongFocus);
  resize(145, FittingHeight());
  SetText(name);
}

int TZSelBox::FittingHeight() const {
  return fontMetrics().height() + 8;
}

void TZSelBox::SetText(const std::string& text) {
  FText = text;
  HintL.WText(elg_End, text);
  update();
}

std::string TZSelBox::RProp(const std::string& name) const {
  return name == "Hint" ? FromQString(toolTip()) : FText;
}

void TZSelBox::WProp(const std::string& name, const std::string& text) {
  if (name == "Hint")
    setToolTip(ToQString(text));
  else
    SetText(text);
}

bool TZSelBox::SelectKey(int code) {
  return code == 13 || code == 32 || code == 34 || code == 41 || code == 43 || code == 98;
}

void TZSelBox::Press() {
  setFocus();
  FPressed = true;
  update();
}

void TZSelBox::Release() {
  if (!FPressed) return;
  FPressed = false;
  update();
  if (OnSelect) OnSelect(this);
}

void TZSelBox::mousePressEvent(QMouseEvent* event) {
  // Qt reports the primary button as left also when the system swaps the buttons.
  if (event->button() == Qt::LeftButton && isEnabled())
    Press();
  else
    QWidget::mousePressEvent(event);
}

void TZSelBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton)
    Release();
  else
    QWidget::mouseReleaseEvent(event);
}

void TZSelBox::keyPressEvent(QKeyEvent* event) {
  if (SelectKey(TransKey(event)) && !event->isAutoRepeat())
    Press();
  else
    QWidget::keyPressEvent(event);
}

void TZSelBox::keyReleaseEvent(QKeyEvent* event) {
  if (SelectKey(TransKey(event)) && !event->isAutoRepeat())
    Release();
  else
    QWidget::keyReleaseEvent(event);
}

bool TZSelBox::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    int room = width() - kButtonWidth - 8;
    if (fontMetrics().horizontalAdvance(ToQString(FText)) <= room) {
      QToolTip::hideText();
      event->ignore();
      return true;
    }
  }
  return QWidget::event(event);
}

void TZSelBox::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) SetText(FText);
  QWidget::changeEvent(event);
}

void TZSelBox::paintEvent(QPaintEvent*) {
  if (height() != FittingHeight()) resize(width(), FittingHeight());
  QPainter p(this);
  QRect all = rect();
  qDrawShadePanel(&p, all, palette(), true, 2);
  QRect field = all.adjusted(2, 2, -2, -2);
  p.fillRect(field, Qt::white);
  QRect button(field.right() - kButtonWidth + 1, field.top(), kButtonWidth, field.height());
  QStyleOptionButton bo;
  bo.initFrom(this);
  bo.rect = button;
  bo.state |= FPressed ? QStyle::State_Sunken : QStyle::State_Raised;
  style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &bo, &p, this);
  bo.rect = button.adjusted(3, 3, -3, -3).translated(FPressed ? 1 : 0, FPressed ? 1 : 0);
  style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &bo, &p, this);
  QRect textRect(field.left() + 2, field.top(), button.left() - field.left() - 3, field.height());
  if (hasFocus()) {
    QStyleOptionFocusRect fo;
    fo.initFrom(this);
    fo.rect = textRect.adjusted(-1, 1, 0, -1);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &fo, &p, this);
  }
  p.setPen(isEnabled() ? palette().color(QPalette::Text)
                       : palette().color(QPalette::Disabled, QPalette::Text));
  p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, ToQString(FText));
}
