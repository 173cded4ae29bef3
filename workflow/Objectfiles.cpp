// The files of one check-and-change session: the caller's list and reference file, and the
// object file and working copy opened and closed here.
#include "workflow/Objectfiles.h"

#include <stdexcept>

namespace {
void Close(WFile*& f) noexcept {
  try {
    delete f;
  } catch (...) {
  }
  f = nullptr;
}

WFile& Open(WFile*& slot, const std::string& name) {
  Close(slot);
  slot = new WFile(name);
  return *slot;
}

WFile& Opened(WFile* f, const char* what) {
  if (!f) throw std::logic_error(std::string("no ") + what + " is open");
  return *f;
}
} // namespace

TObjectFiles::~TObjectFiles() {
  CloseWork();
  CloseObject();
}

WFile& TObjectFiles::OpenObject(const std::string& name) {
  return Open(Obj, name);
}

WFile& TObjectFiles::Object() {
  return Opened(Obj, "object file");
}

void TObjectFiles::CloseObject() noexcept {
  Close(Obj);
}

WFile& TObjectFiles::OpenWork(std::unique_ptr<SFile> file) {
  Close(WorkCopy);
  WorkCopy = new WFile(std::move(file));
  return *WorkCopy;
}

WFile& TObjectFiles::Work() {
  return Opened(WorkCopy, "working copy");
}

void TObjectFiles::CloseWork() noexcept {
  Close(WorkCopy);
}

void TObjectFiles::FinishWork() {
  WFile* f = WorkCopy;
  WorkCopy = nullptr;
  delete f;
}
