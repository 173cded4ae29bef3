// Builds a small suite installation for tests: the configuration directory with the alias table
// "alias.zev", the configuration record "cfg.zev" and the screen description file "Boib.sfr".
// The record files are written byte by byte here, independent of the program's record file code.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// One record of a record file: prefix and data.
struct TRawRecord {
  int8_t Prefix = 0;
  std::string Data;
};

// One field of a record structure: name and field type byte.
struct TSuiteField {
  std::string Name;
  unsigned char Type;
};

// Bytes of a record file: a simple file (one chain) and a composite file (groups in order).
std::string SimpleFileBytes(const std::vector<TRawRecord>& records);
std::string CompositeFileBytes(const std::vector<std::vector<TRawRecord>>& groups);
// A 16-bit length followed by the text.
std::string TextData(const std::string& text);

class TSuiteBuilder {
public:
  // root: an existing directory (e.g. a TTempDir) in which "CFG" is created.
  explicit TSuiteBuilder(const std::string& root);

  // A raw alias record, e.g. "RAB#/x/RAB/" or "NSI#/x/RUS/#/x/UKR/".
  TSuiteBuilder& Alias(const std::string& record);
  // An alias of the directory root/subdir/ (the directory is created).
  TSuiteBuilder& AliasDir(const std::string& alias, const std::string& subdir);
  // The configuration record (2,644 zero bytes with both language bytes 1 unless changed).
  TSuiteBuilder& CfgBytes(const std::string& bytes);
  TSuiteBuilder& Languages(unsigned char docRussian, unsigned char ifaceRussian);
  // A structure group of the screen description file: two records for the table control, then
  // one record per field (name text, type byte).
  TSuiteBuilder& Structure(int number, const std::vector<TSuiteField>& fields);
  // Any group of the screen description file, given record by record.
  TSuiteBuilder& Group(int number, const std::vector<TRawRecord>& records);

  // Writes CFG/alias.zev, CFG/cfg.zev and CFG/Boib.sfr (groups not given are empty). The alias
  // CFG (root/CFG/) comes first unless an alias record for CFG was given.
  void Write() const;

  std::string Root;   // without a trailing "/"
  std::string CfgDir; // Root + "/CFG/"

private:
  std::vector<std::string> Aliases;
  std::string Cfg;
  std::map<int, std::vector<TRawRecord>> Groups;
};
