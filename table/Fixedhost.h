// A window for the table control without a display: a fixed size, always visible and focused,
// and the fixed-metric canvas. The benchmark and the fuzzer run the control in it.
#pragma once
#include "base/FixedCanvas.h"
#include "table/Ztable.h"

class TFixedHost : public TZTableHost {
public:
  TFixedHost(int width, int height, int charWidth = 10, int lineHeight = 16)
      : W(width), H(height), Can(charWidth, lineHeight) {}
  void Invalidate() override {}
  int Width() const override { return W; }
  int Height() const override { return H; }
  bool IsVisible() const override { return true; }
  void SetVisible(bool) override {}
  bool Focused() const override { return true; }
  void SetFocus() override {}
  TCanvas& Canvas() override { return Can; }
  void CreateScrollBar() override { Bar = true; }
  void DestroyScrollBar() override { Bar = false; }
  bool HasScrollBar() const override { return Bar; }
  void SetScrollBarGeometry(const TRect&) override {}
  void SetScrollBarMax(int) override {}
  void SetScrollBarPos(int) override {}
  void ClientToScreen(int&, int&) const override {}
  int W, H;
  bool Bar = false;
  TFixedCanvas Can;
};
