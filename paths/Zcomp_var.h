// The start-up path state: the configuration directory and the alias table.
#pragma once
#include <string>
#include <vector>

// One alias: its name (trimmed, upper-cased) and the index of its path in tPath.
struct TAliasEntry {
  std::string Name;
  int Index;
};

// The configuration directory; ends with "/" (its last component is the CFG directory).
extern std::string DirCfg;
// Alias names sorted by unsigned bytes; null outside InitPath .. DeInitPath.
extern std::vector<TAliasEntry>* tAlias;
// Directory paths in the order of the alias file: plain, or 0x04 Russian 0x05 Ukrainian.
extern std::vector<std::string>* tPath;
