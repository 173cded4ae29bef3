// A deterministic demo installation of the estimating suite: configuration directory, screen
// description file, list files and object files in every state the correction distinguishes.
#pragma once
#include <cstdint>
#include <string>

struct TDemoOptions {
  int Projects = 10; // projects per subsystem (estimate documents, contract price, contractor)
  int Blocks = 6;    // settings blocks per kind
  uint32_t Seed = 1;
};

// What an object of the demo suite is made to be.
enum class TDemoCase {
  Old,          // old reference calculation: replaceable
  OldLongTitle, // old, its title record holds more than the code
  OldBetween,   // old, between two other calculations
  OldLaterDiff, // old up to the first result line, differing later: still replaceable
  Old149Empty,  // old, empty group 149
  Old149Other,  // old, group 149 holds a record of another length
  New,          // new reference calculation: replaced already
  UserChanged,  // the first result line differs
  Damaged,      // a record header of the calculation group is damaged
  Missing,      // no object file
};

// Creates the suite in dir (CP1251, absolute, must be empty or absent) from the reference
// file refFile (a composite file of 17 groups).
void CreateDemoSuite(const std::string& dir, const std::string& refFile,
                     const TDemoOptions& options);

// Writes the shared description file "Cfg#Dop.zev" (menu texts in group 52, menu items of the demo
// forms "Ф118" and "Ф119" in group 51, a help table in group 53) into dir/CFG and the structures
// 898 and 899 into dir/CFG/Boib.sfr, which must have 900 groups or more. CreateDemoSuite calls it.
void WriteMenuDescriptions(const std::string& dir);

// The case of the i-th project of a subsystem and of the i-th settings block of a kind.
TDemoCase DemoProjectCase(int index);
TDemoCase DemoBlockCase(int index);
// Object number of the i-th project or block.
uint32_t DemoObjectNumber(int index);

// A large suite of one subsystem (estimate documents, Russian documents only) for measurements:
// every project file is written whole in the compact layout, without flushing each group.
struct TLargeSuiteOptions {
  int Projects = 5000;
  int FileBytes = 64 * 1024; // size of each project file
  int Calculations = 30;     // calculations in group 109, the P145 calculation among them
  int ListRecords = 0;       // records of a second list file kLargeListName (0: none)
  uint32_t Seed = 1;
};
// The second list of the large suite, in the directory of the alias "LSS".
constexpr const char* kLargeListName = "AdmSsBig.rus";

// Creates the large suite in dir (CP1251, absolute, empty or absent) from the reference file.
void CreateLargeSuite(const std::string& dir, const std::string& refFile,
                      const TLargeSuiteOptions& options);

// The case of the i-th project of the large suite (eight in ten are replaceable, one in fifty
// is missing).
TDemoCase LargeSuiteCase(int index);
