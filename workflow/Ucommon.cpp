// Process-wide files and buffers, and the reference P145 data of the correction workflow: their
// start-up and close-down.
#include "workflow/Ucommon.h"

#include <unistd.h>

#include "base/Codec.h"
#include "workflow/Instance.h"

#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "paths/Dpath.h"
#include "storage/Dsfile.h"
#include "storage/Recformat.h"
#include "storage/Sysio.h"
#include "paths/Zcomp_var.h"
#include "workflow/Refdata.h"
#include "workflow/Refstore.h"

WFile* TMP = nullptr;
WFile* FileRef = nullptr;
WFile* FileList = nullptr;
WFile* FileObj = nullptr;
WRec RecWork;
const char* const kProgramSelf = "/proc/self/exe";
const char* const kWorkFileName = "RAB#Temp";
const char* const kLeftoverName = "$TMP";
std::string RefFileName = kRefFileName, WorkFileName = kWorkFileName;

TPrivateWorkFiles::TPrivateWorkFiles() {
  std::string base = Cp1251FromUtf8(PrivateRuntimeDir()) + "/ravinel-" + std::to_string(getpid());
  RefFileName = base + "-" + kRefFileName;
  WorkFileName = base + "-Temp";
}

TPrivateWorkFiles::~TPrivateWorkFiles() {
  RefFileName = kRefFileName;
  WorkFileName = kWorkFileName;
}

namespace {

// Copy buffer size of the extraction.
constexpr int kCopyChunk = 10000;

template <class T> void Destroy(T*& p) noexcept {
  try {
    delete p;
  } catch (...) {
  }
  p = nullptr;
}

void UnlinkIfExists(const std::string& cpPath) {
  if (sysio::FileExists(cpPath)) sysio::Unlink(cpPath);
}

[[noreturn]] void NoReference(const std::string& program, const std::string& why) {
  SetError(program + "|" + why, MsgNoReference);
}

} // namespace

void StartProcess() {
  if (WorkFileName == kWorkFileName) UnlinkIfExists(kLeftoverName); // another's, otherwise
  InitBuf();
}

void OpenProcessFiles() {
  Boib = new WFile("CFG#Boib.sfr");
  UnlinkIfExists(GetRealName(WorkFileName));
  TMP = new WFile(WorkFileName, fmCreate);
  Destroy(TMP);
  TMP = new WFile(WorkFileName, fmUpdate);
}

void CloseProcessFiles() noexcept {
  if (TMP) {
    Destroy(TMP);
    try {
      UnlinkIfExists(GetRealName(WorkFileName));
    } catch (...) {
    }
  }
  if (Boib) Destroy(Boib);
}

void EndProcess() noexcept {
  DeInitBuf();
}

void CreateFieldLists() {
  TListFields** lists[4] = {&ListFields147, &ListFields150, &ListFields166, &ListFields169};
  const int numbers[4] = {147, 150, 166, 169};
  for (int i = 0; i < 4; ++i) {
    *lists[i] = new TListFields;
    CreatDefRecord(numbers[i], *lists[i], &RecWork);
  }
}

void ReleaseFieldLists() noexcept {
  for (TListFields** l : {&ListFields147, &ListFields150, &ListFields166, &ListFields169})
    if (*l) DeleteListFields(*l, true);
}

TEmbeddedReference LocateReference(const std::string& programFile) {
  TEmbeddedReference at;
  unsigned long size = 0;
  {
    SFile program(programFile, fmRead);
    size = program.Size();
    char trailer[kTrailerSize];
    if (size < kTrailerSize) NoReference(programFile, "нет завершающего блока");
    program.Seek(static_cast<long>(size - kTrailerSize));
    if (program.SRead(trailer, static_cast<int>(kTrailerSize)) != static_cast<int>(kTrailerSize))
      NoReference(programFile, "нет завершающего блока");
    at.Offset = GetLe32(trailer + kTrailerOffsetAt);
    at.Length = GetLe32(trailer + kTrailerLengthAt);
  }
  // The data must lie directly in front of the trailer and hold at least a 17-group header.
  if (at.Length < DirEntryAt(kRefFileGroups) || at.Offset > size - kTrailerSize ||
      at.Length != size - kTrailerSize - at.Offset)
    NoReference(programFile, "смещение " + std::to_string(at.Offset) + ", длина " +
                                 std::to_string(at.Length) + ", файл " + std::to_string(size));
  return at;
}

void ExtractReference(const std::string& programFile, const std::string& target) {
  TEmbeddedReference at = LocateReference(programFile);
  uint32_t offset = at.Offset, length = at.Length;
  {
    SFile program(programFile, fmRead);
    SFile out(target, fmRewrite);
    program.Seek(static_cast<long>(offset));
    for (;;) {
      int n = program.SRead(RecWork.Data, kCopyChunk);
      if (n <= 0) break;
      out.SWrite(RecWork.Data, n);
    }
    out.Sync();
  }
  try {
    WFile check(target);
    if (check.Header.Count != static_cast<uint32_t>(kRefFileGroups) || check.Header.End != length)
      SetError("групп " + std::to_string(check.Header.Count), 0);
  } catch (const ZError& e) {
    UnlinkIfExists(target);
    NoReference(programFile, e.Message);
  }
}

namespace {
std::string RefSource; // the file the open reference data came from
bool RefFromSuite = false;

// Copies the suite's installed reference file into target and checks the copy; a fault of
// either ends the start-up with MsgBadInstalledReference.
void CopyInstalledReference(const std::string& installed, const std::string& target) {
  try {
    CopyFileBytes(installed, target);
    CheckReferenceFile(target);
  } catch (const ZError& e) {
    UnlinkIfExists(target);
    SetError(installed + "|" + ReferenceFault(e, target, installed), MsgBadInstalledReference);
  }
}
} // namespace

std::string InstalledReferenceOf(const std::string& dirCfg) {
  if (dirCfg.empty()) return "";
  std::string path = InstalledReferencePath(dirCfg);
  struct stat st;
  return sysio::Stat(path, &st) == 0 ? path : "";
}

void OpenReference(const std::string& programFile) {
  std::string installed = InstalledReferenceOf(DirCfg);
  if (installed.empty())
    ExtractReference(programFile);
  else
    CopyInstalledReference(installed, RefFileName);
  FileRef = nullptr;
  FileRef = new WFile(RefFileName);
  FileRef->KeepCache = true; // the program's own file: read once, compared for every object
  RefSource = installed.empty() ? programFile : installed;
  RefFromSuite = !installed.empty();
}

bool ReferenceFromSuite() {
  return FileRef && RefFromSuite;
}

std::string ReferenceSourcePath() {
  return FileRef ? RefSource : "";
}

std::string ReferenceSourceText(unsigned char russian) {
  if (!FileRef) return "";
  std::string text = russian ? "Эталонные расчеты П145: " : "Еталонні розрахунки П145: ";
  if (RefFromSuite) return text + (russian ? "файл комплекса " : "файл комплексу ") + RefSource;
  if (RefSource == kProgramSelf)
    return text + (russian ? "встроены в программу" : "вбудовані в програму");
  return text + (russian ? "из файла " : "з файлу ") + RefSource;
}

void ReleaseReference() noexcept {
  if (FileRef) Destroy(FileRef);
  RefSource.clear();
  RefFromSuite = false;
  try {
    UnlinkIfExists(RefFileName);
  } catch (...) {
  }
}

TProcessSession::TProcessSession() {
  try {
    StartProcess();
    Stage = 1;
    InitPath(true);
    Stage = 2;
    OpenProcessFiles();
  } catch (...) {
    Release();
    throw;
  }
}

TProcessSession::~TProcessSession() {
  Release();
}

void TProcessSession::Release() noexcept {
  if (Stage >= 2) {
    CloseProcessFiles();
    DeInitPath();
  }
  if (Stage >= 1) EndProcess();
  Stage = 0;
}

TFormData::TFormData(const std::string& programFile) {
  Held = true;
  try {
    CreateFieldLists();
    OpenReference(programFile);
  } catch (...) {
    ReleaseFieldLists();
    if (FileRef) ReleaseReference();
    Held = false;
    throw;
  }
}

void TFormData::Release() noexcept {
  if (!Held) return;
  ReleaseFieldLists();
  ReleaseReference();
  Held = false;
}
