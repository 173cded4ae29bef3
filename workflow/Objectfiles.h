// The files of one check-and-change session, handed by the list window and the command line to
// the check, the change and the survey, which name them in their signatures.
#pragma once
#include <memory>
#include <string>

#include "storage/Drec.h"
#include "storage/Dwfile.h"

// The list file, the reference file and the scratch record belong to the caller: they are given
// at construction and must stay open, in place, for as long as this object lives; it never
// closes them. The object file under work and the working copy of a change belong to this
// object: the check and the change open them here, one object at a time, and close them when
// that object's work ends, at the latest in the destructor.
class TObjectFiles {
public:
  TObjectFiles(WFile& list, WFile& ref, WRec& scratch) : List(list), Ref(ref), Scratch(scratch) {}
  ~TObjectFiles();
  TObjectFiles(const TObjectFiles&) = delete;
  TObjectFiles& operator=(const TObjectFiles&) = delete;

  WFile& List;   // the list file whose lines are checked and changed
  WFile& Ref;    // the reference file, "oldnew145.bn" or the private copy
  WRec& Scratch; // a list record read or packed, the buffer of a replacement

  // Opens name (an alias name or a path) as the object file under work, closing one still
  // open first; raises the file layer's error, and then no object file is open.
  WFile& OpenObject(const std::string& name);
  // The open object file; raises when none is open.
  WFile& Object();
  // Closes the object file; an error of the closing is dropped: it follows the one that ends
  // the object's work, or the file was only read.
  void CloseObject() noexcept;

  // The same for the working copy of a change: a private file in memory.
  WFile& OpenWork(std::unique_ptr<SFile> file);
  WFile& Work();
  void CloseWork() noexcept;
  // Closes the working copy and raises what the closing raises: the copy's last writes.
  void FinishWork();

private:
  WFile* Obj = nullptr;
  WFile* WorkCopy = nullptr;
};
