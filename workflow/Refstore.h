// The reference calculations of the office's own suite: the form of a calculation, reading it
// from object and reference files, learning a reference file from objects, and installing it.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "messages/Zmsg.h"
#include "storage/Dwfile.h"
#include "storage/Filekeep.h"
#include "workflow/Refdata.h"

// The installed reference file in the suite's configuration directory.
extern const char* const kInstalledRefName; // "ravinel-p145.bn"

using TCalcRecords = std::vector<TRefRecord>;

// What is wrong with the form of a calculation (title, source lines, separator, result lines
// ending with the one final line, each record starting with the code and its fields within the
// record); "" when the form is sound.
std::string CalcFormFault(const TCalcRecords& recs);
// The readable content of a calculation of sound form (Group, Kind, Russian, New left as given).
TRefCalc DecodeCalc(const TCalcRecords& recs);

// All records of a group.
TCalcRecords ReadGroupRecords(WFile& file, int group);
// The P145 calculation of a calculation group, from its title record to its final result line
// (to the group's end when no final line comes); empty when the group holds no P145 title.
// Needs the field lists 166 and 169.
TCalcRecords TakeP145(WFile& file, int group);
// The bytes the comparison looks at: every record behind the title up to the first result line,
// prefix and data.
std::string ComparedBytes(const TCalcRecords& recs);

// Copies the bytes of a file into a new file to (replacing it), made durable.
void CopyFileBytes(const std::string& from, const std::string& to);
// The installed file's path in the configuration directory dirCfg (ending with "/").
std::string InstalledReferencePath(const std::string& dirCfg);
// Checks that path is a reference file: a composite file of 17 groups, groups 0..15 each one
// calculation of sound form, group 16 empty. Raises MsgNotReferenceFile otherwise.
void CheckReferenceFile(const std::string& path);
// The fault text of a reference check or copy that failed on copy, naming original instead.
std::string ReferenceFault(const ZError& e, const std::string& copy, const std::string& original);
// Writes the 16 groups to out through a scratch file and one rename, the directory flushed; an
// existing out keeps its mode, group, owner and attributes, and an owner that could not be kept
// is told in the result (so for the two below).
TOwnerChange WriteReferenceFileSafely(const std::vector<TCalcRecords>& groups,
                                      const std::string& out);
// Installs file as the suite's reference file in dirCfg; the previous one stays until the new
// one is complete and checked. Raises MsgNotReferenceFile for a file of the wrong form.
TOwnerChange InstallReference(const std::string& file, const std::string& dirCfg);
// Removes the installed file; false when there was none.
bool RemoveInstalledReference(const std::string& dirCfg);
// The calculation group of an object file by its extension: 109 for a project, 33 for a
// settings block; raises MsgUnknownObjectKind for another extension.
int CalcGroupOfFile(const std::string& name);

// One reference group to learn: the group number and the object file (path or alias name).
using TLearnPick = std::pair<int, std::string>;
// Writes out: the reference data in use (the open reference file ref, which out must not be)
// with each picked group replaced by the P145 calculation of its object. Every pick is checked
// before anything is written.
TOwnerChange LearnReference(WFile& ref, const std::vector<TLearnPick>& picks,
                            const std::string& out);
