// The suite's configuration record "cfg.zev": 2,644 bytes read once at start-up.
// DocRussian (byte 22) is the document language, byte 23 the interface language; non-zero = Russian.
#pragma once
#include <array>
#include <cstddef>

constexpr std::size_t CfgSize = 2644;
constexpr std::size_t CfgDocRussian = 22;
constexpr std::size_t CfgIfaceRussian = 23;

extern std::array<unsigned char, CfgSize> Cfg;
