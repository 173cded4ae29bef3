// The history window's rows and decisions, in the interface language; the undo and the report
// are the history's, called as the command line calls them.
#include "workflow/Uhistory_list.h"

#include "messages/Utslang.h"
#include "paths/Rdwr_cfg.h"
#include "workflow/Historyreport.h"
#include "workflow/Uvbl_texts.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <set>

namespace {

constexpr size_t kRefusalsShown = 20;

bool IsChange(const TBatchEntry& e) {
  return e.Result == kResChanged || e.Result == kResWarning;
}

// The documents' language of the batch while it lives: its list's aliases and texts follow it.
class TDocLang {
public:
  explicit TDocLang(const TBatchInfo& b) : Saved(Cfg[CfgDocRussian]) {
    Cfg[CfgDocRussian] = b.DocRussian() ? 1 : 0;
  }
  ~TDocLang() { Cfg[CfgDocRussian] = Saved; }
  TDocLang(const TDocLang&) = delete;
  TDocLang& operator=(const TDocLang&) = delete;

private:
  unsigned char Saved;
};

} // namespace

std::vector<std::string> BatchCaptions() {
  return {ByIface("Начат", "Почато"),
          ByIface("Вид", "Вид"),
          ByIface("Пользователь", "Користувач"),
          ByIface("Компьютер", "Комп'ютер"),
          ByIface("Список", "Список"),
          ByIface("Объектов", "Об'єктів"),
          ByIface("Изменено", "Змінено"),
          ByIface("Ошибок", "Помилок"),
          ByIface("Состояние", "Стан")};
}

std::vector<std::string> ObjectCaptions() {
  return {ByIface("Номер", "Номер"), ByIface("Вариант", "Варіант"), ByIface("Файл", "Файл"),
          ByIface("Результат", "Результат")};
}

std::string LocalTimeText(const std::string& t) {
  std::tm tm{};
  if (t.size() != 20 || !strptime(t.c_str(), "%Y-%m-%dT%H:%M:%SZ", &tm)) return t;
  std::time_t when = timegm(&tm);
  std::tm local{};
  localtime_r(&when, &local);
  char out[32];
  std::strftime(out, sizeof out, "%d.%m.%Y %H:%M:%S", &local);
  return out;
}

TReportType ReportTypeOf(const std::string& path) {
  std::string ext = path.substr(
      path.find_last_of('.') == std::string::npos ? path.size() : path.find_last_of('.') + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ext == "csv") return TReportType::Csv;
  if (ext == "html" || ext == "htm") return TReportType::Html;
  return TReportType::Pdf;
}

void THistoryList::Load() {
  Rows.clear();
  for (const std::string& id : ListBatches()) {
    TRow r;
    r.Id = id;
    try {
      r.Info = ReadBatch(id);
    } catch (const std::exception& e) { // a damaged batch is named; the others are still listed
      r.Error = ErrorText(e);
    }
    Rows.push_back(std::move(r));
  }
  Choose(Rows.empty() ? -1 : 0);
}

std::vector<uint32_t> THistoryList::RestoredOf(const std::string& id) const {
  std::vector<uint32_t> out;
  for (const TRow& r : Rows)
    if (r.Error.empty() && r.Info.Undoes == id)
      for (const TBatchEntry& e : r.Info.Objects)
        if (e.Result == kResChanged) out.push_back(e.Number);
  return out;
}

std::vector<std::string> THistoryList::BatchCells(int row) const {
  const TRow& r = Rows.at(static_cast<size_t>(row));
  if (!r.Error.empty()) return {r.Id, "", "", "", "", "", "", "", r.Error};
  const TBatchInfo& b = r.Info;
  std::string state = !b.Finished   ? ByIface("не завершен", "не завершено")
                      : b.Recovered ? ByIface("восстановлен после сбоя", "відновлено після збою")
                                    : "";
  size_t changed = b.Count(kResChanged) + b.Count(kResWarning);
  std::vector<uint32_t> back = RestoredOf(b.Id);
  size_t undone = 0;
  for (const TBatchEntry& e : b.Objects)
    undone += IsChange(e) && std::count(back.begin(), back.end(), e.Number) > 0;
  if (b.Kind == "undo")
    state = ByIface("отмена пакета ", "скасування пакета ") + b.Undoes;
  else if (undone > 0 && undone == changed)
    state = ByIface("отменен", "скасовано");
  else if (undone > 0)
    state = ByIface("отменен частично", "скасовано частково");
  return {LocalTimeText(b.Started),
          KindText(b.Kind),
          b.User,
          b.Host,
          ListName(b.ListInfo()),
          std::to_string(b.Objects.size()),
          std::to_string(changed),
          std::to_string(b.Count(kResFailed)),
          state};
}

void THistoryList::Choose(int row) {
  Chosen = row >= 0 && row < BatchCount() ? row : -1;
}

const TBatchInfo* THistoryList::Batch() const {
  if (Chosen < 0 || !Rows[static_cast<size_t>(Chosen)].Error.empty()) return nullptr;
  return &Rows[static_cast<size_t>(Chosen)].Info;
}

int THistoryList::ObjectCount() const {
  return Batch() ? static_cast<int>(Batch()->Objects.size()) : 0;
}

std::vector<std::string> THistoryList::ObjectCells(int object) const {
  const TBatchEntry& e = Batch()->Objects.at(static_cast<size_t>(object));
  std::string result = e.Done ? ResultText(e.Result) : ResultText("");
  std::vector<uint32_t> back = RestoredOf(Batch()->Id);
  if (IsChange(e) && std::count(back.begin(), back.end(), e.Number) > 0)
    result += ByIface(", отменено", ", скасовано");
  if (!e.Message.empty()) result += ": " + e.Message;
  return {std::to_string(e.Number), e.Variant, e.File, result};
}

std::vector<uint32_t> THistoryList::UndoNumbers(const std::vector<int>& marked) const {
  std::vector<uint32_t> out;
  const TBatchInfo* b = Batch();
  if (!b) return out;
  if (!marked.empty()) {
    for (int i : marked)
      if (i >= 0 && i < ObjectCount()) out.push_back(b->Objects[static_cast<size_t>(i)].Number);
    return out;
  }
  std::vector<uint32_t> back = RestoredOf(b->Id);
  for (const TBatchEntry& e : b->Objects)
    if (IsChange(e) && std::count(back.begin(), back.end(), e.Number) == 0) out.push_back(e.Number);
  return out;
}

bool THistoryList::CanUndo(bool readOnly, const std::vector<int>& marked) const {
  return !readOnly && Batch() && Batch()->Finished && !UndoNumbers(marked).empty();
}

std::string THistoryList::ConfirmUndoText(size_t count) const {
  const TBatchInfo& b = *Batch();
  return ByIface("Отменить изменения пакета от ", "Скасувати зміни пакета від ") +
         LocalTimeText(b.Started) + ByIface(" у объектов (", " в об'єктів (") +
         std::to_string(count) + ByIface(") списка \"", ") списку \"") + ListName(b.ListInfo()) +
         "\"?" +
         ByIface("#Объект, измененный после пакета, останется как есть.",
                 "#Об'єкт, змінений після пакета, залишиться як є.");
}

TUndoResult THistoryList::Undo(const std::vector<int>& marked, const TUndoProgress& progress) {
  const std::string id = Batch()->Id;
  std::vector<uint32_t> numbers = UndoNumbers(marked);
  RecoverBatches();
  TBatchInfo b = ReadBatch(id);
  TUndoResult r;
  {
    TDocLang lang(b);
    r = UndoBatch(b, numbers, nullptr, progress);
  }
  int row = Chosen;
  Load();
  for (int i = 0; i < BatchCount(); ++i)
    if (Rows[static_cast<size_t>(i)].Id == id) row = i;
  Choose(row);
  return r;
}

bool THistoryList::Refused(const TUndoResult& r) {
  return std::any_of(r.Items.begin(), r.Items.end(),
                     [](const TUndoItem& it) { return it.Result != "restored"; });
}

std::string THistoryList::FinalUndoText(const TUndoResult& r) {
  size_t restored = 0, refused = 0;
  std::string list;
  for (const TUndoItem& it : r.Items) {
    if (it.Result == "restored") {
      ++restored;
      continue;
    }
    if (++refused <= kRefusalsShown)
      list += "#" + std::to_string(it.Entry.Number) +
              (it.Entry.File.empty() ? "" : " (" + it.Entry.File + ")") + ": " + it.Reason;
  }
  std::string text = ByIface("Отмена изменений закончена", "Скасування змін закінчено");
  text += ByIface("##Восстановлено объектов: ", "##Відновлено об'єктів: ") +
          std::to_string(restored) + ByIface(", отказано: ", ", відмовлено: ") +
          std::to_string(refused);
  if (refused) text += ByIface("##Не восстановлены:", "##Не відновлено:") + list;
  if (refused > kRefusalsShown)
    text += ByIface("#... и еще ", "#... і ще ") + std::to_string(refused - kRefusalsShown);
  return text;
}

std::string THistoryList::ReportHtml() const {
  TDocLang lang(*Batch());
  return ::ReportHtml(*Batch(), ReportLines(*Batch()));
}

std::string THistoryList::ReportCsv() const {
  TDocLang lang(*Batch());
  return ::ReportCsv(*Batch(), ReportLines(*Batch()));
}
