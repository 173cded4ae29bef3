// Record buffers and the buffer pool.
#include "storage/Drec.h"

#include <vector>

#include "messages/Msgcat.h"
#include "messages/Zmsg.h"

WRec::WRec() : WRec(UseLenRec) {}

WRec::WRec(int size) : Data(new char[size > 0 ? size : 1]), Size(size > 0 ? size : 0) {}

WRec::~WRec() {
  delete[] Data;
}

namespace {
struct TBufEntry {
  unsigned char InUse; // 0 free, 1 handed out
  WRec* Rec;
};
// Idle buffers beyond this many are released as they come back.
constexpr size_t kMaxPooled = 16;
std::vector<TBufEntry>* ListRec = nullptr;
} // namespace

void InitBuf(char* /*text*/) {
  if (!ListRec) ListRec = new std::vector<TBufEntry>;
}

void InitBuf() {
  InitBuf(nullptr);
}

WRec* GetBuf() {
  if (!ListRec) InitBuf();
  for (TBufEntry& e : *ListRec)
    if (e.InUse == 0) {
      e.InUse = 1;
      return e.Rec;
    }
  ListRec->push_back({1, new WRec()});
  return ListRec->back().Rec;
}

void FreeBuf(WRec* rec) {
  if (ListRec)
    for (auto it = ListRec->begin(); it != ListRec->end(); ++it) {
      if (it->InUse == 0 || it->Rec != rec) continue;
      if (ListRec->size() < kMaxPooled) {
        it->InUse = 0;
      } else {
        delete it->Rec;
        ListRec->erase(it);
      }
      return;
    }
  SetError("", MsgNotPoolBuffer);
}

void DeInitBuf() {
  if (!ListRec) return;
  for (TBufEntry& e : *ListRec)
    delete e.Rec;
  delete ListRec;
  ListRec = nullptr;
}

int BufPoolSize() {
  return ListRec ? static_cast<int>(ListRec->size()) : 0;
}
