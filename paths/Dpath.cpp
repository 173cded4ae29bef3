// Alias resolution. (The alias table arrives with the configuration reader.)
#include "paths/Dpath.h"

std::string GetRealName(const std::string& name) { return name; }
