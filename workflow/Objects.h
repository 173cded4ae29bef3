// The objects of one list (projects of a subsystem or settings blocks of a kind): where they
// are, how their files are named, and the check and change of one object. Shared by the
// command line and the list window.
#pragma once
#include <cstdint>
#include <exception>
#include <functional>
#include <future>
#include <map>
#include <string>
#include <vector>

#include "storage/Fun_struct.h"
#include "workflow/Objectfiles.h"

class TDigestPool;

// State bits of a line after a check.
enum : uint8_t {
  stMissing = 1,     // the object file does not exist
  stReplaceable = 2, // P145 equals the old reference
  stReplaced = 4,    // P145 equals the new reference
  stUserChanged = 8, // P145 equals neither
  stUnreadable = 16, // the object file could not be read, or its name is unsafe
};

// The bits the batch change sets in a project's flag word.
constexpr uint32_t kChangedFlags = 0x44000000;
// Length of a project's information record in group 149.
constexpr int kInfoRecLen = 19500;
constexpr int kInfoGroup = 149;
// Offsets in the unpacked list record of a project (structure 147).
constexpr int kImgNumber = 0;
constexpr int kImgKind = 4;
constexpr int kImgFlags = 5;
constexpr int kImgVariant = 75;

// What a list holds, by TypeSub (1, 2, 3 projects; 5 settings blocks) and TypeBn.
struct TListInfo {
  uint8_t TypeSub = 1;
  uint8_t TypeBn = 0;
  const char* ListAlias; // "LSS#AdmSs" ...
  int Group;             // list group in the list file
  int Screen;            // 222 projects, 210 settings blocks
  const char* Prefix;    // alias of the object files
  const char* ExtUkr;
  const char* ExtRus;
  int CalcGroup; // 109 projects, 33 settings blocks
  bool Projects() const { return TypeSub != 5; }
  bool Contractor() const { return TypeSub == 3; }
};
TListInfo ListInfoOf(uint8_t typeSub, uint8_t typeBn);
// The list file's alias name with its language extension (not resolved).
std::string ListAliasName(const TListInfo& info, bool isRus);

// One line of the list, in the order the table control keeps.
struct TObjLine {
  uint32_t Adr = 0; // the list record's address in the list file
  uint32_t Number = 0;
  int8_t Kind = 0;     // construction kind (settings blocks: TypeBn)
  std::string Variant; // contractor variant text
  bool Hidden = false; // repeats the previous contractor record's number
  uint8_t State = 0;   // state bits of all check passes
  std::string File;    // object file alias name ("" when the variant is unsafe)
};

// A contractor variant text that keeps the object's file inside its aliased directory.
bool IsSafeVariant(const std::string& variant);
// The object file's alias name; "" when the variant text is unsafe.
std::string ObjectFileName(const TListInfo& info, uint32_t number, const std::string& variant,
                           unsigned char russian);

// The line's order key: the object number, most significant byte first.
void LineKey(uint32_t number, char key[4]);

// The leading fields of the list record structure that a line needs (number, kind, variant).
TListFields ListLineFields(const TListInfo& info);
// A line from its list record (fields: ListLineFields); Adr and Hidden are left to the caller.
TObjLine ObjectLineOf(const TListInfo& info, const TListFields& fields, const WRec* rec,
                      unsigned char russian);

// Reads the list group of the list file into lines in table order (big-endian number key, an
// equal key placed ahead of the one the search met), hiding repeated contractor numbers.
std::vector<TObjLine> LoadObjectLines(TObjectFiles& files, const TListInfo& info,
                                      unsigned char russian);

// Checks one object against the reference file and returns the state bit it earns
// (CheckObjects, one line).
uint8_t CheckObject(TObjectFiles& files, const TListInfo& info, const TObjLine& line,
                    unsigned char russian);
// Told how many lines are done of how many; false asks to stop before the next line.
using TProgress = std::function<bool(size_t done, size_t total)>;
// Adds the check result to every line. A stop leaves the remaining lines without a new bit.
void CheckObjectLines(TObjectFiles& files, const TListInfo& info, std::vector<TObjLine>& lines,
                      unsigned char russian, const TProgress& progress = {});

enum class TChangeResult { Changed, Unchanged, Missing, UnsafeName, Failed };
// Changed, changed with a warning (the change went through, with a deviation the user is told),
// or failed (the object file and its list record are as they were).
struct TChangeOutcome {
  TChangeResult Result = TChangeResult::Unchanged;
  std::string Error;     // CP1251 message of a failure
  std::string Warning{}; // CP1251 warning of a change made; "" when there is none
  // SHA-256 of the object's bytes before and after a change, when a digest pool was given
  // (invalid where they were not taken).
  std::shared_future<std::string> Before{}, After{};
};
const char* ChangeResultName(TChangeResult r);

// Writes the packed list record (in the scratch record) over the line's record in the list file.
using TListWriter = std::function<void(WRec* rec)>;
// Directories whose entries a batch has changed but not yet flushed: directory -> a file in it.
using TPendingDirs = std::map<std::string, std::string>;
// Changes one object (the batch change for one line). listRec: the line's list record.
// Errors of the object's file are caught and returned as Failed, after the list record's old
// bytes are written back. With pendingDirs the flush of the object's directory is left to the
// caller, who must do it before reporting success. The warnings are in the interface language.
// With digests, the bytes before and after a change are hashed there, beside the file work.
TChangeOutcome ChangeObject(TObjectFiles& files, const TListInfo& info, const TObjLine& line,
                            const WRec& listRec, unsigned char russian,
                            const TListWriter& writeList, TPendingDirs* pendingDirs = nullptr,
                            TDigestPool* digests = nullptr);
// Writes the project's information record into group 149 of obj, packed in scratch.
void UpdateObjectInfo(WFile& obj, const TRecImage& boib147, WRec& scratch);

// One failed object of a batch change, or (Warning set) one changed with a warning.
struct TChangeFailure {
  uint32_t Number = 0;
  std::string Variant, File, Message;
  bool Warning = false;
};
// One line's result of a batch change.
struct TChangeItem {
  const TObjLine* Line = nullptr;
  TChangeOutcome Outcome;
};

// A message of an exception as a user reads it, without the blank that a message of no
// catalogue text starts with.
std::string ErrorText(const std::exception& e);
// Flushes the directory of real now, or records it in pending for the caller to flush; the
// file is in place already, so a failure comes back as a warning.
std::string FlushDir(const std::string& real, TPendingDirs* pending);
