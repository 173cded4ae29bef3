// GetTextLang with any text, language and length: the part it returns lies inside the text, and
// "both languages" returns the whole text.
#include <cstring>

#include "fuzz/support/Fuzz.h"
#include "messages/Utslang.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TFuzzInput in(data, size);
  int lang = static_cast<int8_t>(in.Byte());
  bool printable = in.Byte() & 1;
  int length = static_cast<int>(in.Byte()) - 16; // sometimes 0 (up to the zero) or negative
  std::string text = in.Rest();
  if (length > static_cast<int>(text.size())) length = static_cast<int>(text.size());
  const char* start = nullptr;
  int n = GetTextLang(lang, text.c_str(), length < 0 ? 0 : length, start, printable);
  const char* end = text.c_str() + (length <= 0 ? std::strlen(text.c_str()) : length);
  FUZZ_CHECK(n >= 0 && start != nullptr);
  if (n > 0) FUZZ_CHECK(start >= text.c_str() && start + n <= end);
  std::string part = GetTextLang(lang, text, length < 0 ? 0 : length);
  FUZZ_CHECK(part.size() <= text.size());
  if (lang == elBoth && length <= 0)
    FUZZ_CHECK(part == text || text.find('\0') != std::string::npos);
  return 0;
}
