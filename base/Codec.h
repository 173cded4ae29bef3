// Conversion between the program's single-byte CP1251 texts and UTF-8.
// Used only at the edges: OS file names, terminal output, and (through QString) the windows.
#pragma once
#include <string>
#include <string_view>

// Every CP1251 byte maps to one code point; the unassigned 0x98 maps to U+0098 so that the
// conversion is lossless in both directions.
std::string Utf8FromCp1251(std::string_view text);

// Code points without a CP1251 byte become '?'; malformed UTF-8 bytes become '?' too.
std::string Cp1251FromUtf8(std::string_view text);

// The code point of one CP1251 byte, and the byte of a code point (0 when there is none).
char32_t UnicodeOfCp1251(unsigned char byte);
int Cp1251OfUnicode(char32_t cp);
