// The start-up path state.
#include "paths/Zcomp_var.h"

std::string DirCfg;
std::vector<TAliasEntry>* tAlias = nullptr;
std::vector<std::string>* tPath = nullptr;
