// The configuration record held for the whole run.
#include "paths/Rdwr_cfg.h"

std::array<unsigned char, CfgSize> Cfg{};
