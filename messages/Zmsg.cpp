// Message building, the error exception, and the showing operations.
#include "messages/Zmsg.h"
#include "messages/Msgcat.h"
#include "messages/Syslang.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <unistd.h>

#include "base/Codec.h"
#include "paths/Dpath.h"
#include "paths/Rdwr_cfg.h"
#include "storage/Sysio.h"
#include "messages/Utslang.h"

TLoadMsg cLoadMsg;

namespace {
TMsgPresenter gPresenter;

bool Present(TMsgRequest request) {
  return gPresenter ? gPresenter(request) : ConsolePresenter(request);
}

// Every "|" becomes a line break and the lines are the parameters; line breaks already in the
// text (CR LF, LF or CR) split it as well. A break at the very end adds no empty parameter.
std::vector<std::string> SplitParams(const std::string& text) {
  std::vector<std::string> params;
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '|' && c != '\n' && c != '\r') {
      line += c;
      continue;
    }
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    params.push_back(line);
    line.clear();
  }
  if (!line.empty()) params.push_back(line);
  return params;
}

std::string CatalogueText(int number) {
  if (number == 0 || number == MsgSystemError) return ""; // 99 shows the caller's text alone
  if (cLoadMsg) return cLoadMsg(static_cast<uint16_t>(number), IfaceRussian() ? 1 : 0, 800);
  return ""; // the application's own string resources hold no texts
}

bool Show(TMsgMode mode, bool alarm, const std::string& text, int lookup, bool log,
          const std::string& errLog, const std::string& warLog) {
  TMsgRequest request;
  request.Mode = mode;
  request.Alarm = alarm;
  request.Text = creat_msg(text, lookup);
  request.Log = log;
  request.ErrLog = errLog;
  request.WarLog = warLog;
  return Present(request);
}
} // namespace

ZError::ZError(const std::string& text, int number)
    : Message(text), HelpContext(number), Text(text), Number(number) {}

void SetError(const std::string& text, int number) {
  throw ZError(text, number);
}

namespace {
// Each parameter in turn replaces the first "$" of the whole text, searched from its beginning;
// the first "$" left over becomes a blank.
std::string FillParams(std::string msg, const std::vector<std::string>& params) {
  size_t at;
  for (const std::string& p : params) {
    if ((at = msg.find('$')) == std::string::npos) return msg;
    msg.replace(at, 1, p);
  }
  if ((at = msg.find('$')) != std::string::npos) msg.replace(at, 1, " ");
  return msg;
}
} // namespace

std::string FillParams(const std::string& msg, const std::string& params) {
  return FillParams(msg, SplitParams(params));
}

std::string creat_msg(const std::string& text, int number) {
  std::vector<std::string> params = SplitParams(text);
  std::string msg = CatalogueText(number);
  if (number != 0 && number != MsgSystemError && msg.empty()) {
    msg = ByIface("Ошибка. Текст сообщения №", "Помилка. Текст повідомлення №") +
          std::to_string(number) +
          ByIface(" отсутствует в ресурсах программы", " відсутній у ресурсах програми");
    if (!params.empty()) {
      msg += "##";
      for (size_t k = 0; k < params.size(); ++k)
        msg += " $";
    }
  }
  if (msg.find('$') != std::string::npos) return FillParams(msg, params);
  if (number == MsgSystemError) return text;
  return msg + " " + text;
}

std::string MessageLine(const std::string& text, int number) {
  std::string msg = creat_msg(text, number);
  if (number == 0 && !msg.empty() && msg[0] == ' ') msg.erase(0, 1);
  return msg;
}

TMsgPresenter SetMsgPresenter(TMsgPresenter presenter) {
  TMsgPresenter old = std::move(gPresenter);
  gPresenter = std::move(presenter);
  return old;
}

bool ConsolePresenter(const TMsgRequest& request) {
  static const char* const kTitles[] = {"error", "warning", "question"};
  std::cerr << kTitles[static_cast<int>(request.Mode)] << ": " << Utf8FromCp1251(request.Text)
            << "\n";
  if (request.Log) {
    if (!request.ErrLog.empty())
      std::cerr << "  errors: " << Utf8FromCp1251(request.ErrLog) << "\n";
    if (!request.WarLog.empty())
      std::cerr << "  warnings: " << Utf8FromCp1251(request.WarLog) << "\n";
  }
  if (request.Mode != TMsgMode::Question) return false;
  if (!isatty(STDIN_FILENO)) return false;
  std::cerr << "[y/n] " << std::flush;
  std::string answer;
  if (!std::getline(std::cin, answer)) return false;
  return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

void OutErr(const std::string& text, int number) {
  if (number == MsgSilent) return;
  Show(TMsgMode::Error, false, text, number, false, "", "");
}

void OutErr(const ZError& error) {
  OutErr(error.Message, error.HelpContext);
}

void OutErrLog(const std::string& text, int number, const std::string& errLog,
               const std::string& warLog) {
  if (number == MsgSilent) return;
  Show(TMsgMode::Error, false, text, number, true, errLog, warLog);
}

void OutWar(const std::string& text, int number) {
  Show(TMsgMode::Warning, false, text, number + 1000, false, "", "");
}

void OutWarLog(const std::string& text, int number, const std::string& errLog,
               const std::string& warLog) {
  Show(TMsgMode::Warning, false, text, number + 1000, true, errLog, warLog);
}

bool OutSel(const std::string& text, int number) {
  return Show(TMsgMode::Question, false, text, number + 2000, false, "", "");
}

bool OutSelRepeat(const std::string& text, int number) {
  return Show(TMsgMode::Question, true, text, number + 2000, false, "", "");
}

bool OutSelLog(const std::string& text, int number, const std::string& errLog,
               const std::string& warLog) {
  return Show(TMsgMode::Question, false, text, number + 2000, true, errLog, warLog);
}

std::string SystemErrorText(int code) {
  if (code == 0) return "";
  return SystemErrorTextIn(code, IfaceRussian());
}

void OutSystemErrorCode(const std::string& text, int code) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(code));
  std::string sys = SystemErrorText(code) + "[Win=" + hex + "]";
  SetError(text.empty() ? sys : text + "#(" + sys + ")", MsgSystemError);
}

void OutSystemError(const std::string& text) {
  OutSystemErrorCode(text, errno);
}

void OutUnDefError(const std::string& text) {
  std::string sys = SystemErrorText(errno);
  OutErr(sys.empty() ? text : text + "#(" + sys + ")", MsgSystemError);
}

void CreatNameLog(const std::string& fileName, std::string& logName, const std::string& suffix,
                  bool unique) {
  std::string real = GetRealName(fileName);
  std::string part = real.substr(real.rfind('/') == std::string::npos ? 0 : real.rfind('/') + 1);
  size_t dot = part.rfind('.');
  if (dot != std::string::npos) part[part.find(part.substr(dot))] = '_';
  std::string name = GetAliasPath("LOG") + part;
  if (!suffix.empty()) name += "_" + suffix;
  name = unique ? CreatUnikalNameLog(name, "Log") : name + ".Log";
  logName = GetRealName(name);
}

std::string CreatUnikalNameLog(const std::string& base, const std::string& ext) {
  std::string name = base + "." + ext;
  struct stat st;
  for (int counter = 1; sysio::Stat(name, &st) == 0; ++counter)
    name = base + "_" + std::to_string(counter) + "." + ext;
  return name;
}
