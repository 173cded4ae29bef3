// The P145 calculation in a calculation group: finding its title and final line, comparing it
// with a reference group and replacing it by one. Every call takes the files it works on.
#pragma once
#include <cstdint>

#include "storage/Drec.h"
#include "storage/Dwfile.h"

// A title record (prefix 0) whose code, unpacked with structure 166, is "Д145".
bool IsP145Title(const WRec* rec);
// A result line (prefix 3) whose final-line flag, unpacked with structure 169, is non-zero.
bool IsFinalLine(const WRec* rec);

// True when the P145 calculation in group of obj equals group refGroup of the reference file ref
// (title records are not compared; the comparison ends with the first result line). Both files
// must be open; the groups are opened anew, so calls are independent of each other.
bool CompareP145(WFile& obj, int group, WFile& ref, int refGroup);
// Replaces the P145 calculation in group of obj by the whole of reference group refGroup of ref,
// reading through the record buffer scratch; the group is written only once every record of its
// new content has been read.
void ReplaceP145(WFile& obj, int group, WFile& ref, int refGroup, WRec& scratch);
// Replaces an old calculation by the new one; returns false when it did, true when nothing
// was changed (the calculation did not equal the old reference of kind and the document
// language russian).
bool ChangeP145(WFile& obj, int group, WFile& ref, int8_t kind, unsigned char russian,
                WRec& scratch);
