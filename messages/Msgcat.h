// The program's message catalogue: Russian and Ukrainian texts for the numbers it raises or asks.
// Each program installs it through cLoadMsg at start-up; tests of the fallback leave the hook
// unset.
#pragma once
#include <cstdint>
#include <string>

// Numbers with a meaning of their own: a system error whose text is the message, a refusal
// already answered by the user (never shown again), a record of another length written over one.
constexpr int MsgSystemError = 99;
constexpr int MsgSilent = 999;
constexpr int MsgRecordLength = 16;
// Message numbers added by this program for damaged files.
constexpr int MsgChainLoop = 19; // a record chain runs longer than the file could hold
constexpr int MsgBadLayout = 20; // header, directory or a group lies outside the file
// Message numbers of the correction workflow.
constexpr int MsgNoReference = 140;      // the program file carries no valid reference data
constexpr int MsgAlreadyRunning = 141;   // another instance holds the single-instance lock
constexpr int MsgUnsafeObjectName = 142; // an object name would leave its aliased directory
constexpr int MsgSuiteLocked = 143;      // another session changes the suite: lock file, its holder
constexpr int WarLockRefused = 4;        // the file system refuses record locks: lock file, reason

// A record address lies in the header or the directory.
constexpr int MsgLinkIntoHeader = 21;
// The parameter text is the whole message (the table control's refusals).
constexpr int MsgTabText = 0;
// Numbers of the table control: error 22, warning 3, questions 2 and 5.
constexpr int MsgTrailingComma = 22; // an edited cell text may not end with ","
constexpr int WarCopyIntoBlock = 3;  // a copy or move would land inside the marked block
constexpr int SelDeleteRecords = 2;  // delete the chosen records?
constexpr int SelDeleteAgain = 5;    // the owner's text, then confirm the deletion once more

// Numbers of the table control's screen description.
constexpr int MsgOwnText = 0;     // no catalogue text: the text given is the whole message
constexpr int MsgBadScreen = 150; // a screen description holds a value the control cannot lay out

// The catalogue text for a looked-up number (warnings +1000, questions +2000); "" when none.
std::string MsgCatalogueText(uint16_t number, unsigned char russian);
// Sets cLoadMsg to the catalogue.
void InstallMsgCatalogue();
