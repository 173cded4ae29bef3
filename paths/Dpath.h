// Path aliases: "ALIAS#name" resolves to the aliased directory followed by the name. The alias
// table and the configuration record are read from the configuration directory at start-up.
#pragma once
#include <string>

// The markers of a two-language path: Russian variant first, Ukrainian second.
constexpr char WADelimRus = 4;
constexpr char WADelimUkr = 5;

// The current directory (CP1251).
std::string GetCurrentDir();
// The directory "CFG" (any letter case) in the current directory or the nearest ancestor,
// ending with "/". Raises "Отсутствует директория CFG" when there is none.
std::string GetDirCfg();
// Builds the alias table from DirCfg + "alias.zev" and reads Cfg (full), or from "File.Cfg"
// without reading Cfg and with the catalogue hook switched off.
void InitPath(bool full);
// Releases the alias table.
void DeInitPath();
// Adds one alias-file record ("ALIAS#path[#second path]") as entry index of the table; the
// table must exist and is sorted again by SortAliases.
void AddAliasRecord(const std::string& record);
void SortAliases();

// The real path of an alias name; a name without "#" is returned unchanged.
std::string GetRealName(const std::string& name);
// The directory of an alias (message 7 when the table does not hold it).
std::string GetAliasPath(const std::string& alias);
