// TZText: a multi-line label with five texts in Russian and five in Ukrainian, each with its own
// font and horizontal alignment, wrapped by words ("#" breaks lines).
#pragma once
#include <QWidget>
#include <array>

#include "base/Canvas.h"
#include "controls/Uzlangbox.h"

// How a control sits in its parent.
enum TAlign : uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };

class TZText : public QWidget {
public:
  static constexpr int TextCount = 5;
  explicit TZText(QWidget* parent = nullptr);

  // Texts are numbered 1 to 5; Text addresses the label's own language.
  std::string Text(int i) const;
  void SetText(int i, const std::string& text);
  std::string TextR(int i) const { return FRus[Slot(i)]; }
  void SetTextR(int i, const std::string& text);
  std::string TextU(int i) const { return FUkr[Slot(i)]; }
  void SetTextU(int i, const std::string& text);
  const TFontSpec& Font(int i) const { return FFonts[Slot(i)]; }
  void SetFont(int i, const TFontSpec& font);
  int Hor(int i) const { return FHor[Slot(i)]; }
  // 0 left, 1 centre, 2 right; anything else is refused with an error message.
  void SetHor(int i, int value);
  bool Border() const { return FBorder; }
  void SetBorder(bool on);
  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign align) { FAlign = align; }
  TColor Color() const { return FColor; }
  void SetColor(TColor color);
  ELang Lang() const { return FLang; }
  void WLang(ELang lang);

  // Set while the properties are being read from a form: changes do not redraw.
  bool Reading = false;

  // Paints the label on a canvas. A label aligned to the top or bottom of its parent (or with
  // custom alignment) whose height differs from the texts' height + 4 only corrects its height
  // and returns false.
  bool PaintOn(TCanvas& canvas);

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  static size_t Slot(int i);
  void Changed();
  void DrawBorder(TCanvas& canvas);
  std::array<std::string, TextCount> FRus, FUkr;
  std::array<TFontSpec, TextCount> FFonts;
  std::array<int, TextCount> FHor{};
  bool FBorder = false;
  TAlign FAlign = alNone;
  TColor FColor = clBtnFace;
  ELang FLang;
};
