// Screen scaling of the designed forms: a host that sets IsScale scales forms and cell fonts
// by NewScr / OldScr. Nothing in the program changes them, so by default nothing is scaled.
#pragma once

extern int OldScr;
extern int NewScr;
extern bool IsScale;
