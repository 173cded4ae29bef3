// ravinel-cli: command-line access to the record files and the correction.
// Global options come before the command; --json is also accepted after it.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "base/Codec.h"
#include "messages/Msgcat.h"
#include "messages/Utslang.h"
#include "messages/Zmsg.h"
#include "storage/Drec.h"
#include "tools/cli/Cli.h"
#include "workflow/Version.h"

namespace {
std::vector<TCommand> Commands() {
  std::vector<TCommand> table;
  AddStorageCommands(table);
  AddCorrectionCommands(table);
  AddReferenceCommands(table);
  AddHistoryCommands(table);
  return table;
}

void PrintHelp(const std::vector<TCommand>& table) {
  std::cout << "usage: ravinel-cli [-C DIR] [--lang rus|ukr] [--json] COMMAND [ARGS...]\n\n"
               "  -C DIR     work as if started in DIR\n"
               "  --lang     language of the messages and of the output documents:\n"
               "             rus Russian, ukr Ukrainian (default ukr)\n"
               "  --json     print machine-readable output\n"
               "  --help     show this text\n"
               "  --version  show the version and the reference data built in\n\ncommands:\n";
  for (const TCommand& c : table)
    std::cout << "  " << c.Name << " " << c.Usage << "\n      " << c.Help << "\n";
  std::cout << "\nexit status: 0 success, 1 error, 2 wrong usage\nmanual: man ravinel-cli\n";
}

int Usage(const std::string& message, const TCommand* cmd) {
  std::cerr << "ravinel-cli: " << message << "\n";
  if (cmd)
    std::cerr << "usage: ravinel-cli " << cmd->Name << " " << cmd->Usage << "\n";
  else
    std::cerr << "try: ravinel-cli --help\n";
  return 2;
}

int RunCommand(const TCommand& cmd, TCliContext& ctx, const std::vector<std::string>& args) {
  try {
    return cmd.Run(ctx, args);
  } catch (const TUsageError& e) {
    return Usage(e.what(), &cmd);
  } catch (const ZError& e) {
    if (e.HelpContext != MsgSilent)
      std::cerr << Utf8FromCp1251(MessageLine(e.Message, e.HelpContext)) << "\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "ravinel-cli: " << e.what() << "\n";
    return 1;
  }
}
} // namespace

int main(int argc, char** argv) {
  std::vector<TCommand> table = Commands();
  TCliContext ctx;
  std::string startDir;
  int i = 1;
  for (; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      PrintHelp(table);
      return 0;
    } else if (a == "--version") {
      return PrintVersion("ravinel-cli");
    } else if (a == "--json") {
      ctx.Json = true;
    } else if (a == "--lang") {
      std::string lang = ++i < argc ? argv[i] : "";
      if (lang != "rus" && lang != "ukr") return Usage("--lang takes rus or ukr", nullptr);
      ctx.Russian = lang == "rus";
    } else if (a == "-C") {
      if (++i >= argc) return Usage("-C needs a directory", nullptr);
      startDir = argv[i];
    } else if (!a.empty() && a[0] == '-') {
      return Usage("unknown option " + a, nullptr);
    } else {
      break;
    }
  }
  if (i >= argc) return Usage("no command given", nullptr);
  const TCommand* cmd = nullptr;
  for (const TCommand& c : table)
    if (c.Name == argv[i]) cmd = &c;
  if (!cmd) return Usage(std::string("unknown command ") + argv[i], nullptr);
  std::vector<std::string> args;
  for (++i; i < argc; ++i) {
    if (std::string(argv[i]) == "--json")
      ctx.Json = true;
    else
      args.push_back(argv[i]);
  }
  IFaceLang = ctx.Russian ? elg_Rus : elg_Ukr;
  std::error_code ec;
  if (!startDir.empty()) std::filesystem::current_path(startDir, ec);
  if (ec) {
    std::cerr << "ravinel-cli: " << startDir << ": " << Utf8FromCp1251(SystemErrorText(ec.value()))
              << "\n";
    return 1;
  }
  InstallMsgCatalogue();
  InitBuf();
  int rc = RunCommand(*cmd, ctx, args);
  DeInitBuf();
  return rc;
}
