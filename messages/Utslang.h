// Two-language texts: a Russian part behind the marker 4 and a Ukrainian part behind the marker 5
// (or "^" and "&" in printable texts); GetTextLang picks the part of one language.
#pragma once
#include <cstdint>
#include <string>

// The interface language of windows, messages and the command line: elg_End stands for the
// language shown, whichever it is.
enum ELang : uint8_t { elg_Rus = 0, elg_Ukr = 1, elg_End = 2 };
// The language new controls and every message start in; Ukrainian at start, set by the main
// window's language choice (and by the command line's --lang).
extern ELang IFaceLang;
inline bool IfaceRussian() {
  return IFaceLang == elg_Rus;
}
// The text of the interface language out of a Russian and a Ukrainian one.
inline const char* ByIface(const char* rus, const char* ukr) {
  return IfaceRussian() ? rus : ukr;
}

// The language asked for: 0 Ukrainian, 1 Russian, 2 both (the whole text).
enum TAGELangType { elUkr = 0, elRus = 1, elBoth = 2 };

extern const char LangRh;    // 4, before the Russian part in stored data
extern const char LangUh;    // 5, before the Ukrainian part
extern const char LangRc;    // "^", the printable Russian marker
extern const char LangUc;    // "&", the printable Ukrainian marker
extern const char LangRa[2]; // the single character 4 (constant data: usable at start-up)
extern const char LangUa[2]; // the single character 5

// The part of language lang (2 both, 0 Ukrainian, any other value Russian) in text; length 0
// means up to the terminating zero. start receives the part's first character ("" when empty);
// returns the part's length.
int GetTextLang(int lang, const char* text, int length, const char*& start, bool printable);
// The part by the markers 4 and 5, as a string (length 0: the whole text). Callers pass
// Cfg[CfgDocRussian] as lang.
std::string GetTextLang(int lang, const std::string& text, int length = 0);
// The document language of Cfg (DocRussian non-zero: Russian) as a language for GetTextLang.
int DocLang();
