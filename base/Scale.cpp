// The scaling globals.
#include "base/Scale.h"

int OldScr = 800;
int NewScr = 800;
bool IsScale = false;
