// The table control's Qt widget: hosts a TZTable, paints it through a TQtCanvas and forwards the
// widget's size, focus, keys, mouse, wheel and its own vertical scroll bar to it.
#pragma once
#include <QScrollBar>
#include <QWidget>
#include <memory>

#include "base/QtCanvas.h"
#include "table/Ztable.h"

class TQtZTable : public QWidget, public TZTableHost {
  Q_OBJECT
public:
  explicit TQtZTable(QWidget* parent = nullptr);
  ~TQtZTable() override;

  TZTable& Table() { return *FTable; }
  QScrollBar* ScrollBar() const { return FBar; }

  // ---- TZTableHost
  void Invalidate() override { update(); }
  // Repaints and tells screen readers that the current line may have changed.
  void Present() override;
  int Width() const override { return width(); }
  int Height() const override { return height(); }
  bool IsVisible() const override { return isVisible(); }
  void SetVisible(bool visible) override { setVisible(visible); }
  bool Focused() const override { return hasFocus(); }
  void SetFocus() override { setFocus(Qt::OtherFocusReason); }
  TCanvas& Canvas() override { return FPaintCanvas ? *FPaintCanvas : FMeasure; }
  void CreateScrollBar() override;
  void DestroyScrollBar() override;
  bool HasScrollBar() const override { return FBar != nullptr; }
  void SetScrollBarGeometry(const TRect& rect) override;
  void SetScrollBarMax(int max) override;
  void SetScrollBarPos(int pos) override;
  void RepaintScrollBar() override;
  void ClientToScreen(int& x, int& y) const override;

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;
  bool focusNextPrevChild(bool) override { return false; }
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

private:
  void BarAction(int action);
  void MouseAt(QMouseEvent* event);
  std::unique_ptr<TZTable> FTable;
  TQtCanvas FMeasure;                // measures outside painting
  TQtCanvas* FPaintCanvas = nullptr; // the painter's canvas while painting
  QScrollBar* FBar = nullptr;
};
