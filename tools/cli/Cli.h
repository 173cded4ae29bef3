// The command table of ravinel-cli and the helpers its commands share.
#pragma once
#include <stdexcept>
#include <string>
#include <vector>

struct TCliContext {
  bool Json = false;
  bool Russian = false; // --lang rus: Russian output documents (Ukrainian by default)
};

// A wrong command line: the tool prints the message and the command's usage and exits 2.
struct TUsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct TCommand {
  std::string Name;
  std::string Usage; // arguments after the name
  std::string Help;  // one line
  // Runs with the arguments after the command name (UTF-8); returns the exit code.
  int (*Run)(TCliContext& ctx, const std::vector<std::string>& args);
};

// Each unit of commands adds its entries here; main collects them in this order.
void AddStorageCommands(std::vector<TCommand>& table);
void AddCorrectionCommands(std::vector<TCommand>& table);
void AddReferenceCommands(std::vector<TCommand>& table);
void AddHistoryCommands(std::vector<TCommand>& table);

// Tells on stderr which batches cut short by a crash were completed from the files.
void PrintRecoveredBatches(const std::vector<std::string>& ids);

// Helpers.
std::string ArgPath(const std::string& utf8); // a command-line path as a CP1251 name
long ParseNumber(const std::string& text, const std::string& what);
std::string JsonString(const std::string& utf8);
std::string Hex(const char* data, size_t n, const char* sep);
// Printable CP1251 bytes as UTF-8, others as '.'.
std::string Preview(const char* data, size_t n);
