// The texts of the batch change and of a file replaced by a new one, in Russian and Ukrainian
// (in the message catalogue), in the interface language.
#pragma once
#include <cstdint>
#include <string>

#include "messages/Msgcat.h"

#include "storage/Filekeep.h"

enum class TChangeText : uint16_t {
  InfoRecordLength = MsgInfoRecordLength, // the information record's other length: length found
  OwnerNotKept = MsgOwnerNotKept,         // file, old owner, new owner
  DirNotFlushed = MsgDirNotFlushed,       // file, the system's error
  ListNotRestored = MsgListNotRestored,   // the error, list file, the restore's error, object file
  WarningLabel = MsgWarningLabel,         // before a warning in the protocol
  WarningsCount = MsgWarningsCount,       // ", of them with warnings: N" behind the changed count
  WarningsHeading = MsgWarningsHeading,   // a protocol of warnings alone: list file
};

// The text in the interface language, with its "$" placeholders filled, in order, from the
// "|"-separated params.
std::string ChangeText(TChangeText id, const std::string& params = "");
// The warning for an owner a replacement could not keep; "" when it was kept.
std::string OwnerWarning(const TOwnerChange& change, const std::string& file);
// Two warnings as one text.
std::string JoinWarnings(const std::string& a, const std::string& b);
