// The reference P145 calculations: their readable source text and the bytes of their records.
// The build tool compiles the source into the reference file; tests check the content against it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The reference file's name in the current directory.
extern const char* const kRefFileName; // "oldnew145.bn"
// The code of the P145 calculation, as every one of its records starts with it.
extern const char* const kP145Code; // "Д145"
// Number of reference groups (0..15) and of groups in the reference file (16 is empty).
constexpr int kRefGroups = 16;
constexpr int kRefFileGroups = 17;
// Zero bytes behind the formula of a result line (two empty 8-byte value slots).
constexpr int kResultTailZeros = 16;
// Zero bytes behind the value code of a source line.
constexpr int kSourceTailZeros = 8;

struct TRefLine {
  uint16_t Number = 0;
  uint8_t Final = 0;   // result lines: 1 on the last one
  std::string Name;    // CP1251
  std::string Code;    // source lines: the value code, CP1251
  std::string Formula; // result lines: CP1251, parts of a final line separated by the byte 01
};

struct TRefCalc {
  int Group = -1;
  int Kind = 0;
  bool Russian = true;
  bool New = false;
  std::vector<TRefLine> Source;
  std::vector<TRefLine> Result;
};

// One record of a calculation: the prefix byte (record kind) and the data bytes.
struct TRefRecord {
  signed char Prefix = 0;
  std::string Data;
};

// Parses the UTF-8 source text; returns the 16 calculations in group order. Raises ZError
// (number 0) naming the line for any syntax or consistency fault.
std::vector<TRefCalc> ParseRefSource(const std::string& utf8);

// A text field: 16-bit little-endian length, then the bytes.
std::string PackText(const std::string& text);
// The records of one calculation in file order: title, source lines, separator, result lines.
std::vector<TRefRecord> EncodeRefCalc(const TRefCalc& calc);
// The reference group of a kind and language: old = kind + (russian ? 0 : 4), new = old + 8.
int RefGroupOf(int kind, bool russian, bool newVersion);

// Writes the reference file: a composite file of 17 groups, group g holding calcs[g] (16 empty).
// An existing file of that name is replaced.
void BuildReferenceFile(const std::vector<TRefCalc>& calcs, const std::string& out);
// The same from the records of each of the 16 groups.
void WriteReferenceGroups(const std::vector<std::vector<TRefRecord>>& groups,
                          const std::string& out);
