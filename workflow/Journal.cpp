// JSON lines of the batch journal: a small writer and a strict reader of flat objects.
#include "workflow/Journal.h"

#include "base/Codec.h"
#include "messages/Msgcat.h"
#include "messages/Utslang.h"
#include "messages/Zmsg.h"
#include "storage/Sysio.h"

#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <unistd.h>

namespace {

void AppendJsonString(std::string& out, const std::string& utf8) {
  out += '"';
  for (unsigned char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  out += '"';
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | cp >> 6);
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | cp >> 18);
    out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

class TParser {
public:
  explicit TParser(const std::string& s) : S(s) {}
  TJsonLine Object();

private:
  [[noreturn]] void Fail(const std::string& what) {
    throw std::invalid_argument(what + ByIface(", позиция ", ", позиція ") +
                                std::to_string(At + 1));
  }
  void Blank() {
    while (At < S.size() && (S[At] == ' ' || S[At] == '\t'))
      ++At;
  }
  void Expect(char c) {
    Blank();
    if (At >= S.size() || S[At] != c)
      Fail(ByIface("ожидается '", "очікується '") + std::string(1, c) + "'");
    ++At;
  }
  uint32_t Hex4();
  std::string String(); // UTF-8
  int64_t Integer();

  const std::string& S;
  size_t At = 0;
};

uint32_t TParser::Hex4() {
  if (At + 4 > S.size()) Fail(ByIface("неполный код \\u", "неповний код \\u"));
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) {
    char c = S[At++];
    int d = c >= '0' && c <= '9'   ? c - '0'
            : c >= 'a' && c <= 'f' ? c - 'a' + 10
            : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                   : -1;
    if (d < 0) Fail(ByIface("неверный код \\u", "невірний код \\u"));
    v = v << 4 | static_cast<uint32_t>(d);
  }
  return v;
}

std::string TParser::String() {
  Expect('"');
  std::string out;
  for (;;) {
    if (At >= S.size()) Fail(ByIface("текст не закрыт", "текст не закрито"));
    unsigned char c = static_cast<unsigned char>(S[At++]);
    if (c == '"') return out;
    if (c < 0x20) Fail(ByIface("управляющий символ в тексте", "керуючий символ у тексті"));
    if (c != '\\') {
      out += static_cast<char>(c);
      continue;
    }
    if (At >= S.size()) Fail(ByIface("текст не закрыт", "текст не закрито"));
    char e = S[At++];
    static const std::string plain = "\"\\/bfnrt", meant = "\"\\/\b\f\n\r\t";
    size_t k = plain.find(e);
    if (k != std::string::npos) {
      out += meant[k];
    } else if (e == 'u') {
      uint32_t cp = Hex4();
      if (cp >= 0xD800 && cp < 0xDC00) {
        if (At + 2 > S.size() || S[At] != '\\' || S[At + 1] != 'u')
          Fail(ByIface("неверная пара \\u", "невірна пара \\u"));
        At += 2;
        uint32_t lo = Hex4();
        if (lo < 0xDC00 || lo >= 0xE000) Fail(ByIface("неверная пара \\u", "невірна пара \\u"));
        cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
      } else if (cp >= 0xDC00 && cp < 0xE000) {
        Fail(ByIface("неверная пара \\u", "невірна пара \\u"));
      }
      AppendUtf8(out, cp);
    } else {
      Fail(ByIface("неверный знак после \\", "невірний знак після \\"));
    }
  }
}

int64_t TParser::Integer() {
  Blank();
  size_t start = At;
  if (At < S.size() && S[At] == '-') ++At;
  size_t digits = At;
  while (At < S.size() && S[At] >= '0' && S[At] <= '9')
    ++At;
  if (At == digits || At - digits > 18)
    Fail(ByIface("ожидается целое число", "очікується ціле число"));
  return std::stoll(S.substr(start, At - start));
}

TJsonLine TParser::Object() {
  TJsonLine line;
  Expect('{');
  Blank();
  if (At < S.size() && S[At] == '}') {
    ++At;
  } else {
    for (;;) {
      std::string key = Cp1251FromUtf8(String());
      if (line.Has(key)) Fail(ByIface("ключ дважды: ", "ключ двічі: ") + key);
      Expect(':');
      Blank();
      if (At < S.size() && S[At] == '"')
        line.Put(key, Cp1251FromUtf8(String()));
      else
        line.Put(key, Integer());
      Blank();
      if (At < S.size() && S[At] == ',') {
        ++At;
        continue;
      }
      Expect('}');
      break;
    }
  }
  Blank();
  if (At != S.size()) Fail(ByIface("текст после объекта", "текст після об'єкта"));
  return line;
}

} // namespace

TJsonLine& TJsonLine::Put(const std::string& key, const std::string& text) {
  Values.push_back({key, true, text, 0});
  return *this;
}

TJsonLine& TJsonLine::Put(const std::string& key, int64_t number) {
  Values.push_back({key, false, "", number});
  return *this;
}

bool TJsonLine::Has(const std::string& key) const {
  for (const TValue& v : Values)
    if (v.Key == key) return true;
  return false;
}

const TJsonLine::TValue& TJsonLine::Find(const std::string& key, bool text) const {
  for (const TValue& v : Values)
    if (v.Key == key) {
      if (v.IsText != text)
        throw std::invalid_argument(key +
                                    (text ? ByIface(": ожидается текст", ": очікується текст")
                                          : ByIface(": ожидается число", ": очікується число")));
      return v;
    }
  throw std::invalid_argument(ByIface("нет ключа ", "немає ключа ") + key);
}

const std::string& TJsonLine::Text(const std::string& key) const {
  return Find(key, true).Text;
}

int64_t TJsonLine::Number(const std::string& key) const {
  return Find(key, false).Number;
}

std::string TJsonLine::Json() const {
  std::string out = "{";
  for (size_t i = 0; i < Values.size(); ++i) {
    if (i) out += ',';
    AppendJsonString(out, Utf8FromCp1251(Values[i].Key));
    out += ':';
    if (Values[i].IsText)
      AppendJsonString(out, Utf8FromCp1251(Values[i].Text));
    else
      out += std::to_string(Values[i].Number);
  }
  return out + "}";
}

TJsonLine ParseJsonLine(const std::string& line) {
  return TParser(line).Object();
}

void BadJournal(const std::string& path, size_t lineNo, const std::string& reason) {
  SetError(path + "|" + std::to_string(lineNo) + "|" + reason, MsgBadJournal);
}

TJournalText ReadJournalFile(const std::string& path) {
  int fd = sysio::Open(path, O_RDONLY | O_NOFOLLOW);
  if (fd < 0) OutSystemErrorCode(path, errno);
  std::string bytes;
  char buf[65536];
  for (;;) {
    ssize_t n = sysio::ReadFull(fd, buf, sizeof buf);
    if (n < 0) {
      int code = errno;
      IoSys().Close(fd);
      OutSystemErrorCode(path, code);
    }
    bytes.append(buf, static_cast<size_t>(n));
    if (n < static_cast<ssize_t>(sizeof buf)) break;
    if (bytes.size() > (64u << 20)) {
      IoSys().Close(fd);
      BadJournal(path, 0, ByIface("длиннее 64 МиБ", "довший за 64 МіБ"));
    }
  }
  IoSys().Close(fd);
  TJournalText out;
  size_t lineNo = 0;
  for (size_t at = 0; at < bytes.size();) {
    size_t end = bytes.find('\n', at);
    if (end == std::string::npos) break; // torn: never made durable
    ++lineNo;
    try {
      out.Lines.push_back(ParseJsonLine(bytes.substr(at, end - at)));
    } catch (const std::invalid_argument& e) {
      BadJournal(path, lineNo, e.what());
    }
    at = end + 1;
    out.GoodSize = at;
  }
  return out;
}

TJournalWriter::TJournalWriter(const std::string& path, bool resume, uint64_t goodSize)
    : Name(path) {
  int flags = O_WRONLY | O_NOFOLLOW | (resume ? 0 : O_CREAT | O_EXCL);
  Fd = sysio::Open(path, flags, 0666);
  if (Fd < 0) OutSystemErrorCode(path, errno);
  off_t end = static_cast<off_t>(goodSize);
  if (resume && (IoSys().Truncate(Fd, end) != 0 || IoSys().Seek(Fd, end, SEEK_SET) != end)) {
    int code = errno;
    IoSys().Close(Fd);
    OutSystemErrorCode(path, code);
  }
}

TJournalWriter::~TJournalWriter() {
  if (Fd >= 0) IoSys().Close(Fd);
}

void TJournalWriter::Flush() {
  if (Pending.empty()) return;
  if (sysio::WriteFull(Fd, Pending.data(), Pending.size()) != static_cast<ssize_t>(Pending.size()))
    OutSystemErrorCode(Name, errno ? errno : EIO);
  if (IoSys().DataSync(Fd) != 0) OutSystemErrorCode(Name, errno);
  Pending.clear();
}
