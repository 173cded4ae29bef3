// Process-wide files and buffers of the correction workflow, their start-up and close-down
// steps, and the reference P145 data's extraction and release. Only the windows and the command
// line read the file globals: they hand them on as a TObjectFiles.
#pragma once
#include <cstdint>
#include <string>

#include "storage/Drec.h"
#include "storage/Dwfile.h"
#include "storage/Fun_struct.h"
#include "workflow/Fieldlists.h"
#include "workflow/Refdata.h"

// Boib, the screen description file, is declared with the record structures (Fun_struct).
extern WFile* TMP;      // "RAB#Temp", the table control's work file
extern WFile* FileRef;  // "oldnew145.bn", the reference file
extern WFile* FileList; // the list file while the list window or a list command has it open
// The object file under work of the original design: the check and the change hold their object
// file in a TObjectFiles, so it stays null.
extern WFile* FileObj;
extern WRec RecWork; // the shared record buffer, handed on as the scratch record

// The reference file in the current directory, and where the program finds its own file.
extern const char* const kProgramSelf;  // "/proc/self/exe"
extern const char* const kWorkFileName; // "RAB#Temp"
extern const char* const kLeftoverName; // "$TMP"
// The names the working files are made under: the suite's own (the two above) unless a
// TPrivateWorkFiles lives.
extern std::string RefFileName, WorkFileName;

// While it lives, the reference copy and the table's work file of this process lie in the user's
// private runtime folder instead of the suite: a session that only reads the suite runs beside
// the windows and other readers of the same suite without touching their files.
class TPrivateWorkFiles {
public:
  TPrivateWorkFiles();
  ~TPrivateWorkFiles();
  TPrivateWorkFiles(const TPrivateWorkFiles&) = delete;
  TPrivateWorkFiles& operator=(const TPrivateWorkFiles&) = delete;
};

// Entry start-up before the path aliases: delete a leftover "$TMP", create the buffer pool.
void StartProcess();
// Right after the path aliases: open Boib, re-create the empty work file TMP.
void OpenProcessFiles();
// After the message loop, before the aliases are released: close and delete TMP, close Boib.
void CloseProcessFiles() noexcept;
// After the aliases are released: the buffer pool.
void EndProcess() noexcept;

// Main window construction: the field lists 147, 150, 166, 169; closing: their release.
void CreateFieldLists();
void ReleaseFieldLists() noexcept;

// Where the reference data appended to the program file lies in it: directly in front of the
// 16-byte trailer that gives its offset and length. Raises MsgNoReference when the program file
// carries no valid reference data (for instance after strip).
struct TEmbeddedReference {
  uint32_t Offset = 0, Length = 0;
};
TEmbeddedReference LocateReference(const std::string& programFile = kProgramSelf);
// Copies the reference data appended to the program file out into "oldnew145.bn" and checks
// that it opens as a composite file of 17 groups; raises MsgNoReference when the program file
// carries no valid reference data (for instance after strip).
void ExtractReference(const std::string& programFile = kProgramSelf,
                      const std::string& target = RefFileName);
// The suite's installed reference file in the configuration directory dirCfg; "" when there is
// none (or dirCfg is empty).
std::string InstalledReferenceOf(const std::string& dirCfg);
// The reference data of the start-up: when the configuration directory (DirCfg) holds the
// suite's installed reference file, it is copied into "oldnew145.bn" and checked (a damaged one
// raises MsgBadInstalledReference: no silent fall-back); otherwise ExtractReference. Then
// FileRef := the reference file.
void OpenReference(const std::string& programFile = kProgramSelf);
// Closes FileRef and deletes "oldnew145.bn".
void ReleaseReference() noexcept;
// The status line of the main window: which reference data is in use, in the document
// language (russian non-zero: Russian); "" while no reference file is open.
std::string ReferenceSourceText(unsigned char russian);
// Whether the open reference data is the suite's installed file, and the file it came from
// (the installed file or the program file; "" while none is open).
bool ReferenceFromSuite();
std::string ReferenceSourcePath();

// The entry's part of the start-up: StartProcess, InitPath, OpenProcessFiles. The destructor
// performs the matching close-down steps, also after a start-up that failed half-way.
class TProcessSession {
public:
  TProcessSession();
  ~TProcessSession();
  TProcessSession(const TProcessSession&) = delete;
  TProcessSession& operator=(const TProcessSession&) = delete;

private:
  void Release() noexcept;
  int Stage = 0;
};

// The main window's part: the field lists and the reference file from programFile; Release
// (or the destructor) frees them in the order of the window's closing.
class TFormData {
public:
  explicit TFormData(const std::string& programFile = kProgramSelf);
  ~TFormData() { Release(); }
  TFormData(const TFormData&) = delete;
  TFormData& operator=(const TFormData&) = delete;
  void Release() noexcept;

private:
  bool Held = false;
};

// The whole start-up and close-down of the workflow for a caller without windows, in the
// order the windowed program performs them.
class TWorkflowSession {
public:
  explicit TWorkflowSession(const std::string& programFile = kProgramSelf) : Form(programFile) {}

private:
  TProcessSession Process;
  TFormData Form;
};
