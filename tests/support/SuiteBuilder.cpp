// The test suite builder and raw record file bytes.
#include "tests/support/SuiteBuilder.h"

#include <filesystem>
#include <stdexcept>

#include "tests/support/RecBytes.h"
#include "tests/support/Tempdir.h"

namespace {
std::string ChainBytes(const std::vector<TRawRecord>& records) {
  std::string out;
  for (const TRawRecord& r : records) {
    if (r.Data.empty() || r.Data.size() > 20000) throw std::invalid_argument("record length");
    out += Rec(r.Prefix, 0xFFFFFFFF, r.Data);
  }
  return out + Marker();
}
} // namespace

std::string TextData(const std::string& text) {
  return Le16(static_cast<uint16_t>(text.size())) + text;
}

std::string SimpleFileBytes(const std::vector<TRawRecord>& records) {
  return ChainBytes(records);
}

std::string CompositeFileBytes(const std::vector<std::vector<TRawRecord>>& groups) {
  uint32_t n = static_cast<uint32_t>(groups.size());
  std::string data, dir;
  uint32_t at = 8 + 8 * n;
  for (const auto& g : groups) {
    std::string chain = ChainBytes(g);
    dir +=
        Le32(at + static_cast<uint32_t>(data.size())) + Le32(static_cast<uint32_t>(chain.size()));
    data += chain;
  }
  return Le32(at + static_cast<uint32_t>(data.size())) + Le32(n) + dir + data;
}

TSuiteBuilder::TSuiteBuilder(const std::string& root)
    : Root(root), CfgDir(root + "/CFG/"), Cfg(2644, '\0') {
  Cfg[22] = 1;
  Cfg[23] = 1;
}

TSuiteBuilder& TSuiteBuilder::Alias(const std::string& record) {
  Aliases.push_back(record);
  return *this;
}

TSuiteBuilder& TSuiteBuilder::AliasDir(const std::string& alias, const std::string& subdir) {
  std::filesystem::create_directories(Root + "/" + subdir);
  return Alias(alias + "#" + Root + "/" + subdir + "/");
}

TSuiteBuilder& TSuiteBuilder::CfgBytes(const std::string& bytes) {
  Cfg = bytes;
  return *this;
}

TSuiteBuilder& TSuiteBuilder::Languages(unsigned char docRussian, unsigned char ifaceRussian) {
  if (Cfg.size() < 24) Cfg.resize(24, '\0');
  Cfg[22] = static_cast<char>(docRussian);
  Cfg[23] = static_cast<char>(ifaceRussian);
  return *this;
}

TSuiteBuilder& TSuiteBuilder::Structure(int number, const std::vector<TSuiteField>& fields) {
  std::vector<TRawRecord> records;
  records.push_back({0, Le32(0) + Le32(0)});
  records.push_back({0, TextData("")});
  for (const TSuiteField& f : fields)
    records.push_back({1, TextData(f.Name) + static_cast<char>(f.Type)});
  return Group(number, records);
}

TSuiteBuilder& TSuiteBuilder::Group(int number, const std::vector<TRawRecord>& records) {
  Groups[number] = records;
  return *this;
}

void TSuiteBuilder::Write() const {
  std::filesystem::create_directories(CfgDir);
  std::vector<TRawRecord> aliases;
  bool hasCfg = false;
  for (const std::string& a : Aliases)
    if (a.size() > 3 && (a.compare(0, 4, "CFG#") == 0 || a.compare(0, 4, "cfg#") == 0))
      hasCfg = true;
  if (!hasCfg) aliases.push_back({0, "CFG#" + CfgDir});
  for (const std::string& a : Aliases)
    aliases.push_back({0, a});
  WriteAll(CfgDir + "alias.zev", SimpleFileBytes(aliases));
  WriteAll(CfgDir + "cfg.zev", Cfg);
  std::vector<std::vector<TRawRecord>> groups(Groups.empty() ? 1 : Groups.rbegin()->first + 1);
  for (const auto& [number, records] : Groups)
    groups[static_cast<size_t>(number)] = records;
  WriteAll(CfgDir + "Boib.sfr", CompositeFileBytes(groups));
}
