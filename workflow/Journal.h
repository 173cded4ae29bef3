// The journal of a batch: plain JSON lines, one flat object per line, that a person can read
// and any tool can parse. The writer appends and makes lines durable in group commits.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// One journal line: keys with text (CP1251 inside, UTF-8 on disk) or integer values.
class TJsonLine {
public:
  TJsonLine& Put(const std::string& key, const std::string& text);
  TJsonLine& Put(const std::string& key, const char* text) { return Put(key, std::string(text)); }
  TJsonLine& Put(const std::string& key, int64_t number);
  bool Has(const std::string& key) const;
  // The value of key; a missing key or one of the other type raises std::invalid_argument.
  const std::string& Text(const std::string& key) const;
  int64_t Number(const std::string& key) const;
  // The line as JSON, without the line end.
  std::string Json() const;

  struct TValue {
    std::string Key;
    bool IsText = true;
    std::string Text; // CP1251
    int64_t Number = 0;
  };
  std::vector<TValue> Values;

private:
  const TValue& Find(const std::string& key, bool text) const;
};

// Parses one line; raises std::invalid_argument with the reason for anything but one flat
// object of strings and integers.
TJsonLine ParseJsonLine(const std::string& line);

// The lines of a journal file. The last line is dropped when it lacks its line end: it was never
// made durable (a crash tore it). Damage raises ZError MsgBadJournal naming the file and line.
struct TJournalText {
  std::vector<TJsonLine> Lines;
  uint64_t GoodSize = 0; // bytes up to the end of the last whole line
};
TJournalText ReadJournalFile(const std::string& path);
// The error of a bad line, raised as ZError MsgBadJournal (file | line number | reason).
[[noreturn]] void BadJournal(const std::string& path, size_t lineNo, const std::string& reason);

// Appends lines to a journal; Flush writes them and makes them durable with one fdatasync.
class TJournalWriter {
public:
  // Creates the journal (it must not exist), or with resume opens an existing one and cuts a
  // torn last line off at goodSize.
  TJournalWriter(const std::string& path, bool resume = false, uint64_t goodSize = 0);
  ~TJournalWriter();
  TJournalWriter(const TJournalWriter&) = delete;
  TJournalWriter& operator=(const TJournalWriter&) = delete;
  void Add(const TJsonLine& line) { Pending += line.Json() + "\n"; }
  void Flush();
  const std::string& Path() const { return Name; }

private:
  std::string Name;
  std::string Pending;
  int Fd = -1;
};
