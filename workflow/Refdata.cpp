// Parser of the readable reference source and the record encoding of a calculation.
#include "workflow/Refdata.h"

#include "base/Codec.h"
#include "messages/Zmsg.h"
#include "storage/Dutilfile.h"
#include "storage/Dwfile.h"
#include "storage/Sysio.h"

#include <algorithm>
#include <sstream>

const char* const kRefFileName = "oldnew145.bn";
const char* const kP145Code = "Д145";

namespace {

struct TLineReader {
  std::string Line;
  size_t Pos = 0;
  int LineNo = 0;

  [[noreturn]] void Fail(const std::string& what) const {
    SetError("Исходный текст расчетов П145, строка " + std::to_string(LineNo) + ": " + what, 0);
  }
  void SkipBlanks() {
    while (Pos < Line.size() && (Line[Pos] == ' ' || Line[Pos] == '\t'))
      ++Pos;
  }
  bool AtEnd() {
    SkipBlanks();
    return Pos >= Line.size();
  }
  std::string Word() {
    SkipBlanks();
    size_t start = Pos;
    while (Pos < Line.size() && Line[Pos] != ' ' && Line[Pos] != '\t')
      ++Pos;
    if (start == Pos) Fail("не хватает поля");
    return Line.substr(start, Pos - start);
  }
  long Number(long low, long high) {
    std::string w = Word();
    if (w.empty() || w.size() > 6 || !std::all_of(w.begin(), w.end(), ::isdigit))
      Fail("ожидается число: " + w);
    long v = std::stol(w);
    if (v < low || v > high) Fail("число вне допустимых границ: " + w);
    return v;
  }
  // A quoted text; escapes \" \\ \xHH. Returns the CP1251 bytes.
  std::string Quoted() {
    SkipBlanks();
    if (Pos >= Line.size() || Line[Pos] != '"') Fail("ожидается текст в кавычках");
    ++Pos;
    std::string out, run;
    for (;;) {
      if (Pos >= Line.size()) Fail("текст не закрыт кавычкой");
      char c = Line[Pos++];
      if (c == '"') break;
      if (c != '\\') {
        run += c;
        continue;
      }
      out += Convert(run);
      run.clear();
      if (Pos >= Line.size()) Fail("незаконченная escape-последовательность");
      char e = Line[Pos++];
      if (e == '"' || e == '\\') {
        out += e;
      } else if (e == 'x' && Pos + 2 <= Line.size() && isxdigit(Line[Pos]) &&
                 isxdigit(Line[Pos + 1])) {
        out += static_cast<char>(std::stoi(Line.substr(Pos, 2), nullptr, 16));
        Pos += 2;
      } else {
        Fail("неизвестная escape-последовательность");
      }
    }
    return out + Convert(run);
  }
  std::string Convert(const std::string& utf8) const {
    std::string cp = Cp1251FromUtf8(utf8);
    if (std::count(cp.begin(), cp.end(), '?') != std::count(utf8.begin(), utf8.end(), '?'))
      Fail("символ вне кодовой страницы 1251");
    return cp;
  }
};

void CheckCalc(const TRefCalc& c, const TLineReader& r) {
  if (c.Source.empty() || c.Result.empty()) r.Fail("группа без строк исходных данных или итогов");
  if (c.Kind != c.Group % 4 || c.Russian != (c.Group % 8 < 4) || c.New != (c.Group >= 8))
    r.Fail("вид, язык или версия не соответствуют номеру группы " + std::to_string(c.Group));
  for (size_t i = 0; i < c.Result.size(); ++i)
    if (c.Result[i].Final != (i + 1 == c.Result.size() ? 1 : 0))
      r.Fail("признак итоговой строки только у последней строки группы " + std::to_string(c.Group));
}

void ParseLine(TLineReader& r, std::vector<TRefCalc>& calcs) {
  std::string key = r.Word();
  if (key == "group") {
    if (!calcs.empty()) CheckCalc(calcs.back(), r);
    long g = r.Number(0, kRefGroups - 1);
    if (g != static_cast<long>(calcs.size())) r.Fail("группы должны идти по порядку с 0");
    calcs.emplace_back().Group = static_cast<int>(g);
  } else {
    if (calcs.empty()) r.Fail("строка вне группы");
    TRefCalc& c = calcs.back();
    if (key == "kind") {
      c.Kind = static_cast<int>(r.Number(0, 3));
    } else if (key == "lang") {
      std::string l = r.Word();
      if (l != "rus" && l != "ukr") r.Fail("язык rus или ukr");
      c.Russian = l == "rus";
    } else if (key == "version") {
      std::string v = r.Word();
      if (v != "old" && v != "new") r.Fail("версия old или new");
      c.New = v == "new";
    } else if (key == "src" || key == "res") {
      bool src = key == "src";
      std::vector<TRefLine>& lines = src ? c.Source : c.Result;
      if (src && !c.Result.empty()) r.Fail("строка исходных данных после итоговых");
      TRefLine l;
      l.Number = static_cast<uint16_t>(r.Number(1, 65535));
      if (l.Number != lines.size() + 1) r.Fail("номера строк должны идти подряд с 1");
      if (src) {
        l.Code = r.Convert(r.Word());
        l.Name = r.Quoted();
      } else {
        l.Final = static_cast<uint8_t>(r.Number(0, 1));
        l.Name = r.Quoted();
        l.Formula = r.Quoted();
      }
      lines.push_back(l);
    } else {
      r.Fail("неизвестное ключевое слово " + r.Convert(key));
    }
  }
  if (!r.AtEnd()) r.Fail("лишний текст в конце строки");
}

void AppendU16(std::string& out, uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}

} // namespace

std::vector<TRefCalc> ParseRefSource(const std::string& utf8) {
  std::vector<TRefCalc> calcs;
  std::istringstream in(utf8);
  TLineReader r;
  while (std::getline(in, r.Line)) {
    ++r.LineNo;
    if (!r.Line.empty() && r.Line.back() == '\r') r.Line.pop_back();
    r.Pos = 0;
    if (r.AtEnd() || r.Line[r.Pos] == '#') continue;
    ParseLine(r, calcs);
  }
  if (!calcs.empty()) CheckCalc(calcs.back(), r);
  if (calcs.size() != kRefGroups)
    r.Fail("ожидается 16 групп, найдено " + std::to_string(calcs.size()));
  return calcs;
}

std::string PackText(const std::string& text) {
  std::string out;
  AppendU16(out, static_cast<uint16_t>(text.size()));
  return out + text;
}

std::vector<TRefRecord> EncodeRefCalc(const TRefCalc& calc) {
  const std::string code = PackText(kP145Code);
  std::vector<TRefRecord> recs;
  recs.push_back({0, code});
  for (const TRefLine& l : calc.Source) {
    std::string d = code;
    AppendU16(d, l.Number);
    d += '\x01';
    d += PackText(l.Name) + PackText(l.Code) + std::string(kSourceTailZeros, '\0');
    recs.push_back({1, d});
  }
  recs.push_back({2, code});
  for (const TRefLine& l : calc.Result) {
    std::string d = code;
    AppendU16(d, l.Number);
    d += static_cast<char>(l.Final);
    d += PackText(l.Name) + "\x03\x20" + PackText(l.Formula) + std::string(kResultTailZeros, '\0');
    recs.push_back({3, d});
  }
  return recs;
}

int RefGroupOf(int kind, bool russian, bool newVersion) {
  return kind + (russian ? 0 : 4) + (newVersion ? 8 : 0);
}

void BuildReferenceFile(const std::vector<TRefCalc>& calcs, const std::string& out) {
  if (calcs.size() != kRefGroups) SetError("Нужно 16 эталонных расчетов", 0);
  std::vector<std::vector<TRefRecord>> groups;
  for (const TRefCalc& c : calcs)
    groups.push_back(EncodeRefCalc(c));
  WriteReferenceGroups(groups, out);
}

void WriteReferenceGroups(const std::vector<std::vector<TRefRecord>>& groups,
                          const std::string& out) {
  if (groups.size() != kRefGroups) SetError("Нужно 16 эталонных расчетов", 0);
  if (sysio::FileExists(out)) sysio::Unlink(out);
  // An empty text in group 0 first, as the suite's tools create such files; the groups then
  // follow as old and new of each kind and language side by side.
  creat_bf(out, kRefFileGroups, "");
  WFile file(out);
  for (int g : {0, 8, 1, 9, 2, 10, 3, 11, 4, 12, 5, 13, 6, 14, 7, 15}) {
    file.WCreat_file(static_cast<unsigned long>(g));
    for (const TRefRecord& r : groups[static_cast<size_t>(g)])
      file.WWrite(r.Prefix, static_cast<unsigned short>(r.Data.size()), r.Data.data());
    file.WClose_file(static_cast<unsigned long>(g));
  }
}
