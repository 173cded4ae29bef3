// The table control's published numbers: the key codes WorkKey works, the refresh operations
// of WorkStatus and an owner's TabOnKey, and the statuses of TabOnStartEndSelect.
#pragma once

// A key code is the virtual key plus these bits for the modifiers held.
enum : unsigned short { kKeyAlt = 256, kKeyCtrl = 512, kKeyShift = 1024 };

// Key codes. The control works the cursor keys, Insert, Delete, Ctrl+PageUp/PageDown,
// Ctrl+Alt+Escape and the internal codes itself; Enter and Escape reach the owner's TabOnKey.
enum : unsigned short {
  kKeyEnter = 13,
  kKeyRedraw = 24, // internal: redraw the rows
  kKeyEscape = 27,
  kKeyShowAgain = 31, // internal: fill the screen again from Position
  kKeyPageUp = 33,
  kKeyPageDown = 34,
  kKeyEnd = 35,
  kKeyHome = 36,
  kKeyLeft = 37,
  kKeyUp = 38,
  kKeyRight = 39,
  kKeyDown = 40,
  kKeyInsert = 45, // with CanSelect: start or finish a selection
  kKeyDelete = 46, // with CanSelect: remove all marks
  kKeyCtrlPageUp = kKeyCtrl + kKeyPageUp,
  kKeyCtrlPageDown = kKeyCtrl + kKeyPageDown,
  kKeyAbandon = kKeyCtrl + kKeyAlt + kKeyEscape, // abandon a started selection
  kKeyFillBackward = 2053,                       // internal: refresh 8
  kKeyFillForward = 2054,                        // internal: refresh 10
  kKeyGoTarget = 2055                            // internal: go to the target line, refresh 11
};

// Refresh operations of WorkStatus; an owner's TabOnKey returns the one its key needs.
enum : unsigned char {
  kRefNone = 0,
  kRefRows = 1, // the previous and the current row (all rows while selecting)
  kRefAll = 3,
  kRefEmpty = 4,
  kRefRow = 5, // the current row
  kRefBranch = 6,
  kRefFromLast = 7,
  kRefBackward = 8,
  kRefFromStart = 9,
  kRefForward = 10,
  kRefTarget = 11,
  kRefAfterDelete = 12,
  kRefHeader = 13
};

// What TabOnStartEndSelect is told.
enum class etpslSelect : unsigned char {
  Started = 0,   // Insert starts a selection (the owner may refuse)
  Finishing = 1, // Insert ends it (the owner may refuse the marking)
  Marked = 2,    // the finished selection has marked its lines (the owner may filter them)
  Abandoned = 3, // Ctrl+Alt+Escape
  Cleared = 4    // all marks removed
};
