// File names, list texts, case conversion, key filters and shortcut parsing.
#include "format/Fun_other.h"

#include <algorithm>

#include "messages/Zmsg.h"
#include "paths/Dpath.h"

void CreatNameFile(const std::string& prefix, uint32_t number, const std::string& suffix,
                   const std::string& extUkr, const std::string& extRus, std::string& name,
                   unsigned char russian) {
  name = prefix + "#" + std::to_string(number);
  if (!suffix.empty()) name += "_" + suffix;
  name += russian ? extRus : extUkr;
}

int CrtStringList(std::vector<std::string>& list, const std::string& text,
                  const std::string& separator) {
  if (text.empty()) return 0;
  std::string all = text;
  if (separator.empty()) {
    list.assign(1, all);
    return 1;
  }
  if (all.size() < separator.size() ||
      all.compare(all.size() - separator.size(), separator.size(), separator) != 0)
    all += separator;
  for (size_t at = all.find(separator); at != std::string::npos; at = all.find(separator, at + 1))
    all.replace(at, separator.size(), "\n");
  // As a string list takes its text: CR, LF and CR LF all end a line; the last break adds none.
  list.clear();
  std::string line;
  for (size_t i = 0; i < all.size(); ++i) {
    char c = all[i];
    if (c != '\r' && c != '\n') {
      line += c;
      continue;
    }
    if (c == '\r' && i + 1 < all.size() && all[i + 1] == '\n') ++i;
    list.push_back(line);
    line.clear();
  }
  if (!line.empty()) list.push_back(line);
  return static_cast<int>(list.size());
}

std::string CrtAnsistring(const std::vector<std::string>& list, const std::string& separator) {
  std::string text;
  for (const std::string& line : list)
    text += line + separator;
  return text;
}

namespace {
unsigned char Upper(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || c >= 224) return static_cast<unsigned char>(c - 32);
  if (c == 186) return 170; // є
  if (c == 191) return 175; // ї
  return c;
}

unsigned char Lower(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 192 && c <= 223)) return static_cast<unsigned char>(c + 32);
  if (c == 170) return 186; // Є
  if (c == 175) return 191; // Ї
  return c;
}

// Latin capitals that look like Cyrillic ones.
unsigned char CyrillicLookalike(unsigned char c) {
  switch (c) {
  case 'A':
    return 192;
  case 'B':
    return 194;
  case 'C':
    return 209;
  case 'c':
    return 209;
  case 'E':
    return 197;
  case 'H':
    return 205;
  case 'I':
    return 178;
  case 'K':
    return 202;
  case 'M':
    return 204;
  case 'O':
    return 206;
  case 'P':
    return 208;
  case 'T':
    return 210;
  case 'X':
    return 213;
  default:
    return c;
  }
}

// Virtual key code of the key part of a shortcut text; 0 when unknown.
uint32_t VirtualKey(const std::string& key) {
  if (key.size() == 1) {
    unsigned char c = Upper(static_cast<unsigned char>(key[0]));
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ') return c;
  }
  std::string k = key;
  SmallBig(k, false);
  if (k.size() >= 2 && k[0] == 'F') {
    int n = 0;
    for (size_t i = 1; i < k.size() && n <= 24; ++i)
      n = k[i] >= '0' && k[i] <= '9' ? n * 10 + (k[i] - '0') : 99;
    if (n >= 1 && n <= 24) return static_cast<uint32_t>(0x6F + n);
  }
  static const struct {
    const char* Name;
    uint32_t Code;
  } kNames[] = {{"BKSP", 8},  {"TAB", 9},    {"ENTER", 13}, {"ESC", 27},  {"SPACE", 32},
                {"PGUP", 33}, {"PGDN", 34},  {"END", 35},   {"HOME", 36}, {"LEFT", 37},
                {"UP", 38},   {"RIGHT", 39}, {"DOWN", 40},  {"INS", 45},  {"DEL", 46}};
  for (const auto& n : kNames)
    if (k == n.Name) return n.Code;
  return 0;
}
} // namespace

int SmallBig(std::string& text, bool latin) {
  if (text.empty()) return 0;
  for (char& c : text) {
    unsigned char u = Upper(static_cast<unsigned char>(c));
    if (latin) u = CyrillicLookalike(u);
    c = static_cast<char>(u);
  }
  return static_cast<int>(text.size()) + 1;
}

void BigSmall(std::string& text) {
  for (char& c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    c = u == 178 || u == 179 ? 'i' : static_cast<char>(Lower(u));
  }
}

void BigSmall(char* text) {
  for (; text && *text; ++text)
    *text = static_cast<char>(Lower(static_cast<unsigned char>(*text)));
}

char CheckKey(char key, int mode, const std::string& text) {
  if (key == 8 || (key >= '0' && key <= '9')) return key;
  switch (mode) {
  case 0:
    return key;
  case 1:
    return 0;
  case 2:
    return key == ',' && text.find(',') == std::string::npos ? key : 0;
  default:
    return text.find(key) == std::string::npos ? key : 0;
  }
}

uint32_t GetKodKey(const std::string& text) {
  uint32_t code = 0;
  size_t start = 0;
  for (size_t plus = text.find('+'); plus != std::string::npos; plus = text.find('+', start)) {
    std::string part = text.substr(start, plus - start);
    if (part == "Alt")
      code += 256;
    else if (part == "Ctrl")
      code += 512;
    else if (part == "Shift")
      code += 1024;
    start = plus + 1;
  }
  return code + VirtualKey(text.substr(start));
}

bool CheckNameFile(const std::string& name, const std::string& dir, int allowed) {
  static const std::string kForbidden = "_.?#\\,:;~@$%^&*=+{}[]<>/\"";
  std::string upperName = name, cwd = GetCurrentDir(), upperDir = dir;
  SmallBig(upperName, false);
  SmallBig(cwd, false);
  SmallBig(upperDir, false);
  // The part behind the working directory, or else behind the given one, or else the leaf.
  size_t at = cwd.empty() ? std::string::npos : upperName.find(cwd);
  size_t skip = cwd.size();
  if (at == std::string::npos) {
    at = upperDir.empty() ? std::string::npos : upperName.find(upperDir);
    skip = upperDir.size();
  }
  std::string part;
  if (at != std::string::npos)
    part = name.size() > at + skip + 1 ? name.substr(at + skip + 1) : "";
  else
    part = name.substr(name.rfind('/') == std::string::npos ? 0 : name.rfind('/') + 1);
  size_t dot = part.rfind('.');
  if (dot != std::string::npos && part.find('/', dot) == std::string::npos) part.erase(dot);
  std::string forbidden =
      kForbidden.substr(std::min(static_cast<size_t>(std::max(allowed, 0)), kForbidden.size()));
  for (char c : part)
    if (forbidden.find(c) != std::string::npos) {
      OutErr(part + "|" + std::string(1, c), 714);
      return true;
    }
  return false;
}
