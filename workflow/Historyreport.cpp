// CSV and HTML reports of a batch of the history.
#include "workflow/Historyreport.h"

#include "base/Codec.h"
#include "messages/Utslang.h"
#include "paths/Dpath.h"
#include "storage/Dsfile.h"
#include "storage/Sysio.h"
#include "workflow/Refstore.h"

#include <exception>
#include <memory>

namespace {

// The first result line of the P145 calculation in a file; "" when there is none to read.
std::string FirstResult(const std::string& path, int group) {
  try {
    if (!sysio::FileExists(path)) return "";
    WFile file(path);
    TCalcRecords recs = TakeP145(file, group);
    if (recs.empty() || !CalcFormFault(recs).empty()) return "";
    TRefCalc calc = DecodeCalc(recs);
    if (calc.Result.empty()) return "";
    std::string formula = calc.Result[0].Formula;
    for (char& c : formula)
      if (c == '\x01') c = ' ';
    return calc.Result[0].Name + ": " + formula;
  } catch (const std::exception&) {
    return "";
  }
}

struct TCaptions {
  std::string Title, Batch, Kind, Started, Ended, User, Host, List, Number, Variant, File, Result,
      Before, After, Message;
};

TCaptions Captions() {
  return {ByIface("Отчет о замене расчета П145", "Звіт про заміну розрахунку П145"),
          ByIface("Пакет", "Пакет"),
          ByIface("Вид", "Вид"),
          ByIface("Начат", "Почато"),
          ByIface("Закончен", "Закінчено"),
          ByIface("Пользователь", "Користувач"),
          ByIface("Компьютер", "Комп'ютер"),
          ByIface("Список", "Список"),
          ByIface("Номер", "Номер"),
          ByIface("Вариант", "Варіант"),
          ByIface("Файл", "Файл"),
          ByIface("Результат", "Результат"),
          ByIface("Первая строка результата до", "Перший рядок результату до"),
          ByIface("Первая строка результата после", "Перший рядок результату після"),
          ByIface("Сообщение", "Повідомлення")};
}

} // namespace

std::string ResultText(const std::string& r) {
  if (r == kResChanged) return ByIface("изменен", "змінено");
  if (r == kResWarning) return ByIface("изменен с предупреждением", "змінено з попередженням");
  if (r == kResFailed) return ByIface("ошибка", "помилка");
  if (r == kResSkipped) return ByIface("пропущен", "пропущено");
  return ByIface("не завершен", "не завершено");
}

std::string KindText(const std::string& k) {
  return k == "undo" ? ByIface("отмена", "скасування") : ByIface("замена", "заміна");
}

namespace {

std::string Csv(const std::string& cp) {
  std::string s = Utf8FromCp1251(cp), out = "\"";
  for (char c : s)
    out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::string Html(const std::string& cp) {
  std::string out;
  for (char c : Utf8FromCp1251(cp)) {
    switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    default:
      out += c;
    }
  }
  return out;
}

std::vector<std::pair<std::string, std::string>> HeadFields(const TBatchInfo& b,
                                                            const TCaptions& c) {
  return {{c.Batch, b.Id},  {c.Kind, KindText(b.Kind)}, {c.Started, b.Started}, {c.Ended, b.Ended},
          {c.User, b.User}, {c.Host, b.Host},           {c.List, b.List}};
}

} // namespace

std::vector<TReportLine> ReportLines(const TBatchInfo& b) {
  std::vector<TReportLine> out;
  int group = b.ListInfo().CalcGroup;
  for (const TBatchEntry& e : b.Objects) {
    TReportLine l;
    l.Entry = &e;
    l.Before = FirstResult(BatchDir(b.Id) + e.Backup, group);
    if (e.Result == kResChanged || e.Result == kResWarning)
      l.After = FirstResult(GetRealName(e.File), group);
    out.push_back(std::move(l));
  }
  return out;
}

std::string ReportCsv(const TBatchInfo& b, const std::vector<TReportLine>& lines) {
  TCaptions c = Captions();
  std::string out = "\xEF\xBB\xBF"; // spreadsheets then read it as UTF-8
  for (const auto& [name, value] : HeadFields(b, c))
    out += Csv(name) + "," + Csv(value) + "\r\n";
  out += "\r\n" + Csv(c.Number) + "," + Csv(c.Variant) + "," + Csv(c.File) + "," + Csv(c.Result) +
         "," + Csv(c.Before) + "," + Csv(c.After) + "," + Csv(c.Message) + "\r\n";
  for (const TReportLine& l : lines)
    out += std::to_string(l.Entry->Number) + "," + Csv(l.Entry->Variant) + "," +
           Csv(l.Entry->File) + "," + Csv(ResultText(l.Entry->Result)) + "," + Csv(l.Before) + "," +
           Csv(l.After) + "," + Csv(l.Entry->Message) + "\r\n";
  return out;
}

std::string ReportHtml(const TBatchInfo& b, const std::vector<TReportLine>& lines) {
  TCaptions c = Captions();
  std::string out =
      "<!DOCTYPE html>\n<html lang=\"" + std::string(IfaceRussian() ? "ru" : "uk") +
      "\">\n<head><meta charset=\"utf-8\"><title>" + Html(c.Title) + " " + b.Id +
      "</title>\n<style>\nbody{font-family:sans-serif;font-size:10pt;margin:1cm}\n"
      "table{border-collapse:collapse;width:100%}\n"
      "td,th{border:1px solid #444;padding:2pt 4pt;text-align:left;vertical-align:top}\n"
      "thead{display:table-header-group}\ntr{page-break-inside:avoid}\n"
      "@page{size:A4 landscape;margin:1cm}\n</style></head>\n<body>\n<h1>" +
      Html(c.Title) + "</h1>\n<table class=\"head\">\n";
  for (const auto& [name, value] : HeadFields(b, c))
    out += "<tr><th>" + Html(name) + "</th><td>" + Html(value) + "</td></tr>\n";
  out += "</table>\n<p></p>\n<table>\n<thead><tr>";
  for (const std::string* h :
       {&c.Number, &c.Variant, &c.File, &c.Result, &c.Before, &c.After, &c.Message})
    out += "<th>" + Html(*h) + "</th>";
  out += "</tr></thead>\n<tbody>\n";
  for (const TReportLine& l : lines)
    out += "<tr><td>" + std::to_string(l.Entry->Number) + "</td><td>" + Html(l.Entry->Variant) +
           "</td><td>" + Html(l.Entry->File) + "</td><td>" + Html(ResultText(l.Entry->Result)) +
           "</td><td>" + Html(l.Before) + "</td><td>" + Html(l.After) + "</td><td>" +
           Html(l.Entry->Message) + "</td></tr>\n";
  return out + "</tbody>\n</table>\n</body>\n</html>\n";
}

void WriteReportFile(const std::string& path, const std::string& utf8) {
  SFile out(path, fmRewrite, O_NOFOLLOW);
  out.SWrite(utf8.data(), static_cast<int>(utf8.size()));
  out.Sync();
}
