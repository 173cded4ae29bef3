// Key codes as the program's windows expect them: the Windows virtual-key number of the key,
// plus 256 with Alt, 512 with Ctrl and 1024 with Shift; Shift, Ctrl and Alt alone give 0.
#pragma once
#include <QKeyEvent>

enum : int { kAlt = 256, kCtrl = 512, kShift = 1024 };

// The virtual-key number of a Qt key (keypad tells the numeric keypad); 0 when there is none.
int VirtualKeyOf(int qtKey, bool keypad = false);
int TransKey(int qtKey, Qt::KeyboardModifiers modifiers);
int TransKey(const QKeyEvent* event);
