// Choice of the language part of a two-language text.
#include "messages/Utslang.h"

#include <cstring>

#include "paths/Rdwr_cfg.h"

ELang IFaceLang = elg_Ukr;

const char LangRh = 4;
const char LangUh = 5;
const char LangRc = '^';
const char LangUc = '&';
const char LangRa[2] = {4, 0};
const char LangUa[2] = {5, 0};

int GetTextLang(int lang, const char* text, int length, const char*& start, bool printable) {
  if (length == 0) length = static_cast<int>(std::strlen(text));
  const char* end = text + length;
  char rus = printable ? LangRc : LangRh;
  char ukr = printable ? LangUc : LangUh;
  const char* r = static_cast<const char*>(std::memchr(text, rus, static_cast<size_t>(length)));
  const char* u = static_cast<const char*>(std::memchr(text, ukr, static_cast<size_t>(length)));
  start = text;
  if (lang == elBoth || (!r && !u)) return length;
  char other = lang == elUkr ? rus : ukr;
  const char* mark = lang == elUkr ? u : r;
  start = "";
  if (!mark) return 0;
  const char* from = mark + 1;
  const char* to =
      static_cast<const char*>(std::memchr(from, other, static_cast<size_t>(end - from)));
  if (!to) to = end;
  if (to == from) return 0;
  start = from;
  return static_cast<int>(to - from);
}

std::string GetTextLang(int lang, const std::string& text, int length) {
  if (length <= 0 || length > static_cast<int>(text.size())) length = static_cast<int>(text.size());
  if (length == 0) return "";
  const char* start = nullptr;
  int n = GetTextLang(lang, text.data(), length, start, false);
  return std::string(start, static_cast<size_t>(n));
}

int DocLang() {
  return Cfg[CfgDocRussian] ? elRus : elUkr;
}
