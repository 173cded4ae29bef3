// Runs a command-line program of the project for a test and captures its results.
#pragma once
#include <string>
#include <vector>

struct TRun {
  int Code; // exit status, -1 when the program did not exit normally
  std::string Out, Err;
};

// A text quoted for the shell.
std::string Quote(const std::string& s);

// Runs program with args (stdin from /dev/null); scratchDir receives the captured output files.
TRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                const std::string& scratchDir);
