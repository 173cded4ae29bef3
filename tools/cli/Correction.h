// The correction commands of ravinel-cli: check, change, reference and demo.
#pragma once
#include <string>
#include <vector>

struct TCliOptions {
  bool Json = false;
  bool Russian = false; // --lang rus; Ukrainian documents by default
};

int CmdCheck(const TCliOptions& o, const std::vector<std::string>& args);
int CmdChange(const TCliOptions& o, const std::vector<std::string>& args);
int CmdReference(const TCliOptions& o, const std::vector<std::string>& args);
int CmdDemo(const TCliOptions& o, const std::vector<std::string>& args);

// Runs a correction command (check, change, reference, demo); handled is false for any other.
// Usage faults print a line and give 2; errors of the program propagate as ZError.
int RunCorrectionCommand(const std::string& cmd, const TCliOptions& o,
                         const std::vector<std::string>& args, bool& handled);
