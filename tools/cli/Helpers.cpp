// Helpers shared by the commands of ravinel-cli.
#include <cstdio>

#include "base/Codec.h"
#include "tools/cli/Cli.h"

std::string ArgPath(const std::string& utf8) {
  return Cp1251FromUtf8(utf8);
}

long ParseNumber(const std::string& text, const std::string& what) {
  size_t used = 0;
  long v = -1;
  try {
    v = std::stol(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size() || v < 0)
    throw TUsageError(what + " must be a non-negative number: " + text);
  return v;
}

std::string JsonString(const std::string& utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string Hex(const char* data, size_t n, const char* sep) {
  std::string out;
  char buf[4];
  for (size_t i = 0; i < n; ++i) {
    if (i && *sep) out += sep;
    std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned char>(data[i]));
    out += buf;
  }
  return out;
}

std::string Preview(const char* data, size_t n) {
  std::string cp;
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(data[i]);
    cp += (c < 0x20 || c == 0x7F || c == 0x98) ? '.' : static_cast<char>(c);
  }
  return Utf8FromCp1251(cp);
}
