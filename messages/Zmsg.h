// The error exception, numbered message texts, and the one road to show errors,
// warnings and questions (through a replaceable presenter: console now, dialog in the windows).
#pragma once
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

class ZError : public std::exception {
public:
  ZError(const std::string& text, int number);
  const char* what() const noexcept override { return Message.c_str(); }

  std::string Message; // the inherited message: the text
  int HelpContext;     // the inherited help context: the number
  std::string Text;    // the class's own copies
  int Number;
};

// Raises ZError(text, number).
[[noreturn]] void SetError(const std::string& text, int number);

// The catalogue hook: (number, interface-language flag non-zero = Russian, max length) -> text.
using TLoadMsg = std::function<std::string(uint16_t, unsigned char, int)>;
extern TLoadMsg cLoadMsg;

// Builds the finished message text for a number and a "|"-separated parameter text.
std::string creat_msg(const std::string& text, int number);
// A catalogue text with its "$" placeholders filled, in order, from the "|"-separated params.
std::string FillParams(const std::string& msg, const std::string& params);

// The finished message as a line of text: creat_msg without the blank that number 0 puts
// before the caller's text.
std::string MessageLine(const std::string& text, int number);

// What a presenter is asked to show.
enum class TMsgMode { Error, Warning, Question };
struct TMsgRequest {
  TMsgMode Mode = TMsgMode::Error;
  bool Alarm = false; // red window, white bold text
  std::string Text;   // finished message (CP1251)
  bool Log = false;   // protocol attached
  std::string ErrLog; // error protocol file name
  std::string WarLog; // warning protocol file name
};
// Shows a request modally; returns true when a question was answered with Yes.
using TMsgPresenter = std::function<bool(const TMsgRequest&)>;

// Installs a presenter; an empty one restores the console presenter. Returns the previous one.
TMsgPresenter SetMsgPresenter(TMsgPresenter presenter);
// The console presenter: stderr in UTF-8; questions read y/n from a terminal, else answer no.
bool ConsolePresenter(const TMsgRequest& request);

void OutErr(const std::string& text, int number);
void OutErr(const ZError& error);
void OutErrLog(const std::string& text, int number, const std::string& errLog,
               const std::string& warLog);
void OutWar(const std::string& text, int number);
void OutWarLog(const std::string& text, int number, const std::string& errLog,
               const std::string& warLog);
bool OutSel(const std::string& text, int number);
bool OutSelRepeat(const std::string& text, int number);
bool OutSelLog(const std::string& text, int number, const std::string& errLog,
               const std::string& warLog);

// Raises ZError(99) with the text of errno: "[Win=XXXXXXXX]" carries the code.
[[noreturn]] void OutSystemError(const std::string& text);
// Same as above with an explicit error code.
[[noreturn]] void OutSystemErrorCode(const std::string& text, int code);
// Shows the text of errno (without the code) as an error with number 99.
void OutUnDefError(const std::string& text);

// The system's text for an error code, without a trailing line break ("" for code 0).
std::string SystemErrorText(int code);

// The protocol file name for a data file: the LOG alias directory + the file's name with its
// extension dot turned into "_" [+ "_" + suffix] + ".Log" (or the first free name of the series
// when unique is set), resolved once more.
void CreatNameLog(const std::string& fileName, std::string& logName, const std::string& suffix,
                  bool unique);
// base + "." + ext, else base + "_1." + ext, "_2", ...: the first name of no existing file.
std::string CreatUnikalNameLog(const std::string& base, const std::string& ext);
