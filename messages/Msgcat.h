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
// Numbers of the record files: a record of length 0 read, a position behind the end value, a
// record longer than the limit or the buffer.
constexpr int MsgEmptyRecord = 9;
constexpr int MsgPastEnd = 10;
constexpr int MsgRecordTooLong = 11;
// Numbers of the file layer: a file to read or update is missing, a file opened for writing only
// read, one opened for reading only written; a buffer freed that the pool did not give; the
// question whether to replace an existing file.
constexpr int MsgFileMissing = 1;
constexpr int MsgReadWriteOnly = 17;
constexpr int MsgWriteReadOnly = 18;
constexpr int MsgNotPoolBuffer = 4;
constexpr int SelOverwrite = 1;
// Message numbers added by this program for damaged files.
constexpr int MsgChainLoop = 19; // a record chain runs longer than the file could hold
constexpr int MsgBadLayout = 20; // header, directory or a group lies outside the file
// Message numbers of the correction workflow.
constexpr int MsgNoReference = 140;      // the program file carries no valid reference data
constexpr int MsgAlreadyRunning = 141;   // another instance holds the single-instance lock
constexpr int MsgUnsafeObjectName = 142; // an object name would leave its aliased directory
constexpr int MsgSuiteLocked = 151;      // another session changes the suite: lock file, its holder
constexpr int WarLockRefused = 4;        // the file system refuses record locks: lock file, reason
// Message numbers of the office's own reference data (learning and installing it).
constexpr int MsgNotReferenceFile = 143;      // a file is no reference file of 17 groups
constexpr int MsgBadInstalledReference = 144; // the suite's installed reference file is damaged
constexpr int MsgNoP145InObject = 145;        // an object's calculation group holds no P145
constexpr int MsgBadP145Form = 146;           // an object's P145 lacks the record table's form
constexpr int MsgRefGroupRange = 147;         // a reference group number outside 0..15
constexpr int MsgRefGroupTwice = 148;         // a reference group named twice
constexpr int MsgOutIsDirectory = 149;        // a file name that names a directory
constexpr int MsgUnknownObjectKind = 150;     // an object file's extension tells no object kind
constexpr int MsgOutIsWorkFile = 153;   // an output file that is the program's working reference
constexpr int MsgLockUnavailable = 154; // the lock file cannot be opened for writing: file, reason
// Texts of the batch change and of replaced files, asked for in the caller's language.
constexpr int MsgInfoRecordLength = 155; // a warning: the information record's other length
constexpr int MsgOwnerNotKept = 156;     // a warning: file, old owner, new owner
constexpr int MsgDirNotFlushed = 157;    // a warning: file, the system's error
constexpr int MsgListNotRestored = 158;  // error, list file, the restore's error, object file
constexpr int MsgWarningLabel = 159;     // before a warning in the protocol
constexpr int MsgWarningsCount = 160;    // ", of them with warnings: N"
constexpr int MsgWarningsHeading = 161;  // a protocol of warnings alone: list file
// Numbers of the history of batches.
constexpr int MsgBadJournal = 162;   // a damaged journal: file, line, reason
constexpr int MsgOutsideSuite = 163; // a journal names a file outside the suite: journal, name
constexpr int MsgNoBatch = 164;      // no batch of that name in the history
constexpr int MsgBadBatchName = 165; // a batch name that is no name of the history

// A record address lies in the header or the directory.
constexpr int MsgLinkIntoHeader = 21;
// The parameter text is the whole message (the table control's refusals).
constexpr int MsgTabText = 0;
// Numbers of the table control: error 22, warning 3, questions 2 and 5.
constexpr int MsgTrailingComma = 22; // an edited cell text may not end with ","
constexpr int WarBatchFailures = 6;  // a batch change ended with failures: its summary
constexpr int WarBatchWarnings = 7;  // a batch change ended with warnings only: its summary
constexpr int WarCopyIntoBlock = 3;  // a copy or move would land inside the marked block
constexpr int SelDeleteRecords = 2;  // delete the chosen records?
constexpr int SelDeleteAgain = 5;    // the owner's text, then confirm the deletion once more

// Numbers of the table control's screen description.
constexpr int MsgOwnText = 0;     // no catalogue text: the text given is the whole message
constexpr int MsgBadScreen = 152; // a screen description holds a value the control cannot lay out

// The catalogue text for a looked-up number (warnings +1000, questions +2000); "" when none.
std::string MsgCatalogueText(uint16_t number, unsigned char russian);
// Sets cLoadMsg to the catalogue.
void InstallMsgCatalogue();
