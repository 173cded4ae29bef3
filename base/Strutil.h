// Small CP1251 text helpers shared by the path, number and file layers.
#pragma once
#include <string>

// Upper case of every CP1251 letter, Latin and Cyrillic (ё і ї є ґ included).
std::string AnsiUpperCase(const std::string& text);
// Drops blanks and control characters at both ends.
std::string Trim(const std::string& text);
