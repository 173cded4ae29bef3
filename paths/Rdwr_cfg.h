// The suite's configuration record "cfg.zev": 2,644 bytes read once at start-up.
// DocRussian (byte 22) is the document language, byte 23 the interface language; non-zero =
// Russian.
#pragma once
#include <array>
#include <cstddef>
#include <string>

constexpr std::size_t CfgSize = 2644;
constexpr std::size_t CfgDocRussian = 22;
constexpr std::size_t CfgIfaceRussian = 23;

extern std::array<unsigned char, CfgSize> Cfg;

// Reads up to 2,644 bytes of dir + "cfg.zev" (or "CFG#cfg.zev" when dir is empty) into Cfg; a
// shorter file leaves the remaining bytes as they were.
void ReadCfg(const std::string& dir);
