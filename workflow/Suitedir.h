// Finding the suite the program works on: the start directory, the folder remembered from an
// earlier start, or the folder the user names, which is then remembered for the next start.
#pragma once
#include <functional>
#include <string>

// The file that remembers the suite's folder: $XDG_CONFIG_HOME/ravinel/suite-dir, else
// $HOME/.config/ravinel/suite-dir ("" when neither is set). OS paths (UTF-8) throughout.
std::string RememberedSuiteFile();
// The remembered folder, "" when none.
std::string ReadRememberedSuite();
// Remembers dir; raises ZError when the file cannot be written.
void RememberSuite(const std::string& dir);
// True when a configuration directory "CFG" lies in the current directory or above it.
bool SuiteFoundHere();

// Asks the user for the suite's folder; gets the folder where "CFG" was looked for in vain and
// the remembered folder when it holds no suite any more ("" otherwise), and returns the chosen
// folder, "" when the user gives up.
using TAskSuiteDir =
    std::function<std::string(const std::string& lookedIn, const std::string& remembered)>;
// Makes the current directory one from which "CFG" is found: startDir (when not empty) or the
// current directory, else the remembered folder, else the folders ask returns until one fits
// (that one is remembered). False when the user gave up. Raises ZError when startDir cannot be
// entered.
bool EnterSuite(const std::string& startDir, const TAskSuiteDir& ask);
