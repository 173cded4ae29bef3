// The list window's and the main window's own texts, in the interface language: decided here,
// shown by the widgets.
#include "workflow/Uvbl_texts.h"

#include "messages/Utslang.h"
#include "workflow/Changetext.h"

const char* const kProjectNames[3][2] = {{"Сметные документы", "Кошторисні документи"},
                                         {"Договорная цена", "Договірна ціна"},
                                         {"Подрядчик", "Підрядник"}};
const char* const kBlockNames[4][2] = {{"Строительно - монтажные работы, ремонтные и горные работы",
                                        "Будівельно - монтажні роботи, ремонтні та гірничі роботи"},
                                       {"Пусконаладочные работы", "Пусконалагоджувальні роботи"},
                                       {"Ремонтные работы на предприятиях Минпромполитики Украины",
                                        "Ремонтні роботи на підприємствах Мінпромполітики України"},
                                       {"Ремонтные работы на предприятиях Жилкомунхоза",
                                        "Ремонтні роботи на підприємствах Житлокомунгоспу"}};

namespace {
// Remaining time is told only after this much work, when the pace has settled.
constexpr int64_t kEstimateAfterMs = 2000;

const char* Pick(const char* const (&text)[2]) {
  return ByIface(text[0], text[1]);
}
} // namespace

std::string ListName(const TListInfo& info) {
  if (!info.Projects()) return Pick(kBlockNames[info.TypeBn & 3]);
  return Pick(kProjectNames[info.TypeSub >= 1 && info.TypeSub <= 3 ? info.TypeSub - 1 : 0]);
}

std::string CountsText(const TListCounts& c) {
  return ByIface("Объектов: ", "Об'єктів: ") + std::to_string(c.Lines) +
         ByIface(", можно заменить: ", ", можна замінити: ") + std::to_string(c.Replaceable) +
         ByIface(", выделено: ", ", виділено: ") + std::to_string(c.Marked);
}

std::string ConfirmChangeText(int count, const TListInfo& info) {
  return ByIface("Заменить расчет П145 у выделенных объектов (",
                 "Замінити розрахунок П145 у виділених об'єктів (") +
         std::to_string(count) + ByIface(") списка \"", ") списку \"") + ListName(info) + "\"?";
}

std::string DurationText(int64_t ms) {
  int64_t s = (ms + 999) / 1000;
  std::string sec = std::to_string(s % 60) + ByIface(" с", " с");
  if (s < 60) return sec;
  if (s % 60 < 10) sec = "0" + sec;
  return std::to_string(s / 60) + ByIface(" мин ", " хв ") + sec;
}

std::string ProgressText(size_t done, size_t total, const std::string& object, int64_t elapsedMs,
                         const std::string& label) {
  std::string text =
      (label.empty() ? ByIface("Замена расчета П145", "Заміна розрахунку П145") : label) + ": " +
      std::to_string(done < total ? done + 1 : total) + ByIface(" из ", " з ") +
      std::to_string(total);
  if (!object.empty()) text += " \x97 " + object; // an em dash
  if (done > 0 && done < total && elapsedMs >= kEstimateAfterMs) {
    int64_t left = elapsedMs * static_cast<int64_t>(total - done) / static_cast<int64_t>(done);
    text += ByIface("\nОсталось около ", "\nЗалишилося близько ") + DurationText(left);
  }
  return text;
}

std::string FinalChangeText(const TBatchReport& r) {
  std::string text =
      ByIface("Обработка выделенных файлов закончена", "Обробку виділених файлів закінчено");
  text += ByIface("##Изменено объектов: ", "##Змінено об'єктів: ") + std::to_string(r.Changed);
  if (r.Warned) text += ChangeText(TChangeText::WarningsCount, std::to_string(r.Warned));
  text += ByIface(", с ошибками: ", ", з помилками: ") + std::to_string(r.Failed);
  if (r.Stopped)
    text += ByIface("##Обработка остановлена пользователем", "##Обробку зупинено користувачем");
  if (!r.ProtocolError.empty())
    text += ByIface("##Протокол ошибок не записан: ", "##Протокол помилок не записано: ") +
            r.ProtocolError;
  return text;
}

std::string SuiteFolderText(const std::string& folder) {
  return ByIface("Папка комплекса: ", "Тека комплексу: ") + folder;
}

std::string SuiteFolderOfCfg(const std::string& dirCfg) {
  std::string dir = dirCfg;
  while (dir.size() > 1 && dir.back() == '/')
    dir.pop_back();
  size_t slash = dir.rfind('/');
  if (slash == std::string::npos) return dir;
  return slash == 0 ? "/" : dir.substr(0, slash);
}
