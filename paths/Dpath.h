// Path aliases: "ALIAS#name" resolves to the aliased directory followed by the name.
#pragma once
#include <string>

// The real path of an alias name; a name without "#" is returned unchanged.
std::string GetRealName(const std::string& name);
