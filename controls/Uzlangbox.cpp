// The language box: swapping the shown and the kept text of a control property.
#include "controls/Uzlangbox.h"

TZLangBox::TZLangBox(TZLangControl* control, std::string property)
    : FControl(control), FLang(IFaceLang), FProperty(std::move(property)) {}

void TZLangBox::WText(ELang lang, const std::string& text) {
  if (Shown(lang))
    FControl->WProp(FProperty, text);
  else
    FOther = text;
}

std::string TZLangBox::RText(ELang lang) const {
  return Shown(lang) ? FControl->RProp(FProperty) : FOther;
}

void TZLangBox::Set(const std::string& rus, const std::string& ukr) {
  WText(elg_Rus, rus);
  WText(elg_Ukr, ukr);
}

void TZLangBox::WLang(ELang lang) {
  if (Shown(lang)) return;
  std::string value = FOther;
  bool ignore = false;
  if (FInitMark)
    FInitMark = false; // the change that follows Init is not announced
  else if (FControl->OnLangChange && !FControl->Loading())
    FControl->OnLangChange(this, lang, value, ignore);
  if (ignore) return;
  FLang = lang;
  FOther = FControl->RProp(FProperty);
  FControl->WProp(FProperty, value);
}

void TZLangBox::Init() {
  std::string text = RText(FLang);
  FInitMark = true;
  bool ignore = false;
  if (FControl->OnLangChange) FControl->OnLangChange(this, FLang, text, ignore);
  if (!ignore) FControl->WProp(FProperty, text);
}
