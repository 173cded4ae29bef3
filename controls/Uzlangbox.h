// Two-language captions and hints: a TZLangBox is bound to one text property of a control,
// the property shows the text of the current language and the box keeps the other one.
#pragma once
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "base/QtText.h"
#include "messages/Utslang.h" // ELang, IFaceLang

class TZLangBox;
// (sender, new language, new value, ignore): the handler may change the value or veto the change.
using TLangChange = std::function<void(TZLangBox*, ELang, std::string&, bool&)>;

// The control side of a language box: its text properties by name.
class TZLangControl {
public:
  virtual ~TZLangControl() = default;
  virtual std::string RProp(const std::string& name) const = 0;
  virtual void WProp(const std::string& name, const std::string& text) = 0;
  // True while the control's form is being loaded.
  virtual bool Loading() const { return false; }
  TLangChange OnLangChange;
};

class TZLangBox {
public:
  TZLangBox(TZLangControl* control, std::string property);

  void WText(ELang lang, const std::string& text);
  std::string RText(ELang lang) const;
  void WLang(ELang lang);
  void Init();

  ELang Lang() const { return FLang; }
  std::string CurText() const { return RText(elg_End); }
  std::string LRus() const { return RText(elg_Rus); }
  std::string LUkr() const { return RText(elg_Ukr); }
  void SetLRus(const std::string& text) { WText(elg_Rus, text); }
  void SetLUkr(const std::string& text) { WText(elg_Ukr, text); }
  // Sets both texts at once.
  void Set(const std::string& rus, const std::string& ukr);

private:
  bool Shown(ELang lang) const { return lang == FLang || lang == elg_End; }
  TZLangControl* FControl;
  ELang FLang;
  std::string FProperty;
  std::string FOther; // the text of the language not shown
  bool FInitMark = false;
};

// A Qt widget with a "Caption" (its text, or its title) and a "Hint" (its tool tip) box.
template <class W> class TZCaptioned : public W, public TZLangControl {
public:
  explicit TZCaptioned(QWidget* parent = nullptr) : W(parent) {}

  TZLangBox CaptionL{this, "Caption"};
  TZLangBox HintL{this, "Hint"};

  void WLang(ELang lang) {
    CaptionL.WLang(lang);
    HintL.WLang(lang);
  }
  void Init() {
    CaptionL.Init();
    HintL.Init();
  }
  std::string RProp(const std::string& name) const override {
    return name == "Hint" ? FromQString(this->toolTip()) : RCaption();
  }
  void WProp(const std::string& name, const std::string& text) override {
    if (name == "Hint")
      this->setToolTip(ToQString(text));
    else
      WCaption(text);
  }
  virtual std::string RCaption() const {
    if constexpr (requires(const W& w) { w.text(); })
      return FromQString(this->text());
    else
      return FromQString(this->title());
  }
  virtual void WCaption(const std::string& text) {
    if constexpr (requires(W & w) { w.setText(QString()); })
      this->setText(ToQString(text));
    else
      this->setTitle(ToQString(text));
  }
};
