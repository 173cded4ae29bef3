// The table control's widget: painting, size changes and the scroll bar child.
#include "table/QtZtable.h"

#include <QAccessible>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QWheelEvent>

#include "base/QtKeys.h"

TQtZTable::TQtZTable(QWidget* parent) : QWidget(parent) {
  // The control wants arrows, Tab and characters and takes the focus like a button.
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  FTable = std::make_unique<TZTable>(this);
}

TQtZTable::~TQtZTable() {
  FTable.reset();
}

void TQtZTable::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  TQtCanvas canvas(&painter, FMeasure.Font());
  FPaintCanvas = &canvas;
  FTable->Paint();
  FPaintCanvas = nullptr;
}

void TQtZTable::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FTable->WMSize();
}

void TQtZTable::CreateScrollBar() {
  if (FBar) return;
  FBar = new QScrollBar(Qt::Vertical, this);
  FBar->setFocusPolicy(Qt::NoFocus);
  FBar->setRange(0, 0);
  FBar->setSingleStep(1);
  FBar->setPageStep(1);
  FBar->setGeometry(width() - kScrollBarWidth, 0, kScrollBarWidth, height());
  connect(FBar, &QAbstractSlider::actionTriggered, this, &TQtZTable::BarAction);
  connect(FBar, &QAbstractSlider::sliderReleased, this,
          [this] { FTable->SBScroll(TScrollCode::ThumbPosition, FBar->sliderPosition()); });
  FBar->show();
}

void TQtZTable::DestroyScrollBar() {
  delete FBar;
  FBar = nullptr;
}

void TQtZTable::SetScrollBarGeometry(const TRect& rect) {
  if (FBar) FBar->setGeometry(rect.Left, rect.Top, rect.Width(), rect.Height());
}

void TQtZTable::SetScrollBarMax(int max) {
  if (FBar) FBar->setMaximum(max);
}

void TQtZTable::SetScrollBarPos(int pos) {
  if (!FBar) return;
  QSignalBlocker block(FBar);
  FBar->setValue(pos);
  FBar->setSliderPosition(pos);
}

void TQtZTable::RepaintScrollBar() {
  if (FBar) FBar->update();
}

void TQtZTable::ClientToScreen(int& x, int& y) const {
  QPoint p = mapToGlobal(QPoint(x, y));
  x = p.x();
  y = p.y();
}

// The bar's steps become the control's keys; the control then sets the bar's position itself,
// which replaces the step the bar would have taken.
void TQtZTable::BarAction(int action) {
  TScrollCode code = TScrollCode::Other;
  switch (action) {
  case QAbstractSlider::SliderSingleStepSub:
    code = TScrollCode::LineUp;
    break;
  case QAbstractSlider::SliderSingleStepAdd:
    code = TScrollCode::LineDown;
    break;
  case QAbstractSlider::SliderPageStepSub:
    code = TScrollCode::PageUp;
    break;
  case QAbstractSlider::SliderPageStepAdd:
    code = TScrollCode::PageDown;
    break;
  default:
    return; // dragging ends in the thumb position on release
  }
  int before = FBar->value();
  FTable->SBScroll(code, before);
  if (FBar && FBar->sliderPosition() != FTable->SetFsbPos()) SetScrollBarPos(FTable->SetFsbPos());
}

// Tab and Backtab are the control's keys, not focus moves.
bool TQtZTable::event(QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
      keyPressEvent(key);
      return true;
    }
  }
  return QWidget::event(event);
}

void TQtZTable::keyPressEvent(QKeyEvent* event) {
  int code = TransKey(event);
  if (code == 0) {
    QWidget::keyPressEvent(event);
    return;
  }
  FTable->KeyDown(code & 0xFF, code & ~0xFF);
}

void TQtZTable::MouseAt(QMouseEvent* event) {
  int shift = 0;
  if (event->modifiers() & Qt::ShiftModifier) shift |= kShift;
  if (event->modifiers() & Qt::ControlModifier) shift |= kCtrl;
  if (event->modifiers() & Qt::AltModifier) shift |= kAlt;
  QPoint p = event->position().toPoint();
  FTable->MouseMove(shift, p.x(), p.y());
}

void TQtZTable::mousePressEvent(QMouseEvent* event) {
  MouseAt(event);
  if (event->button() == Qt::LeftButton) FTable->Click();
}

void TQtZTable::mouseDoubleClickEvent(QMouseEvent* event) {
  MouseAt(event);
  if (event->button() == Qt::LeftButton) FTable->DblClick();
}

void TQtZTable::mouseMoveEvent(QMouseEvent* event) {
  MouseAt(event);
}

void TQtZTable::wheelEvent(QWheelEvent* event) {
  int delta = event->angleDelta().y();
  if (delta == 0) return;
  FTable->WMMouseWheel(delta);
  event->accept();
}

void TQtZTable::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  FTable->DoEnter();
}

void TQtZTable::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  FTable->DoExit();
}

void TQtZTable::Present() {
  update();
  if (QAccessible::isActive()) {
    QAccessibleEvent changed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
  }
}
