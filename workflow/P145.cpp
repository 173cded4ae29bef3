// The P145 calculation of an object's calculation group against the reference groups: the
// comparison record by record and the replacement in place of the old calculation.
#include "workflow/P145.h"

#include "storage/Fun_struct.h"
#include "workflow/Fieldlists.h"
#include "workflow/Refdata.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// A record buffer from the pool for the length of one operation.
class TPoolBuf {
public:
  TPoolBuf() : Rec(GetBuf()) {}
  ~TPoolBuf() { FreeBuf(Rec); }
  TPoolBuf(const TPoolBuf&) = delete;
  TPoolBuf& operator=(const TPoolBuf&) = delete;
  WRec* operator->() { return Rec; }
  WRec* Get() { return Rec; }

private:
  WRec* Rec;
};

// Offset in the unpacked image of field index of a structure.
int ImageOffsetOf(const TListFields& list, size_t index) {
  int off = 0;
  for (size_t i = 0; i < index && i < list.size(); ++i)
    off += ImageFieldSize(list[i].FType);
  return off;
}

struct TStoredRec {
  int8_t Prefix;
  std::string Data;
};

TStoredRec Keep(const WRec* rec) {
  return {rec->Prefix, std::string(rec->Data, rec->Len)};
}

} // namespace

bool IsP145Title(const WRec* rec) {
  if (rec->Prefix != 0) return false;
  // The code is the first field; a text not starting with the two-language marker unpacks to
  // its own bytes, so it is compared in place. Other forms take the full unpacking.
  TypeField first = ListFields166->empty() ? TypeField(0) : (*ListFields166)[0].FType;
  if (first >= tfString && first <= tfShort81 && rec->Len >= 2) {
    unsigned char b0 = static_cast<unsigned char>(rec->Data[0]);
    unsigned char b1 = static_cast<unsigned char>(rec->Data[1]);
    size_t len = b1 == 0x81 || b1 == 0x82 ? b0 : b0 | (b1 << 8);
    if (2 + len <= rec->Len && (len == 0 || rec->Data[2] != WDelim4))
      return len == std::strlen(kP145Code) && std::memcmp(rec->Data + 2, kP145Code, len) == 0;
  }
  TRecImage image(ImageSize(*ListFields166));
  RecStruct(ListFields166, rec, image);
  return image.GetText(0) == kP145Code;
}

bool IsFinalLine(const WRec* rec) {
  if (rec->Prefix != 3) return false;
  TRecImage image(ImageSize(*ListFields169));
  RecStruct(ListFields169, rec, image);
  return image.Get<uint8_t>(ImageOffsetOf(*ListFields169, 2)) != 0;
}

bool CompareP145(WFile& obj, int group, WFile& ref, int refGroup) {
  TPoolBuf r, d;
  ref.WOpen_file(static_cast<unsigned long>(refGroup));
  ref.WRead(r.Get()); // the title record, not compared
  obj.WOpen_file(static_cast<unsigned long>(group));
  for (;;) {
    if (!obj.WRead(d.Get())) return false;
    if (IsP145Title(d.Get())) break;
  }
  for (;;) {
    bool gotR = ref.WRead(r.Get());
    bool gotD = obj.WRead(d.Get());
    if (gotR != gotD || !gotR) return false;
    if (r->Len != d->Len || r->Prefix != d->Prefix) return false;
    if (std::memcmp(r->Data, d->Data, r->Len) != 0) return false;
    if (r->Prefix == 3) return true;
  }
}

void ReplaceP145(WFile& obj, int group, WFile& ref, int refGroup, WRec& scratch) {
  // The new content is gathered first, so that a read failure cannot leave a half-written
  // group behind: the group under construction is started only when every record is known.
  std::vector<TStoredRec> content;
  WRec* w = &scratch;
  obj.WOpen_file(static_cast<unsigned long>(group));
  bool more = true;
  while ((more = obj.WRead(w)) && !IsP145Title(w))
    content.push_back(Keep(w));
  if (more)
    while ((more = obj.WRead(w)) && !IsFinalLine(w)) {
    }
  ref.WOpen_file(static_cast<unsigned long>(refGroup));
  while (ref.WRead(w))
    content.push_back(Keep(w));
  if (more)
    while (obj.WRead(w))
      content.push_back(Keep(w));

  obj.WCreat_file(static_cast<unsigned long>(group));
  for (const TStoredRec& rec : content)
    obj.WWrite(static_cast<char>(rec.Prefix), static_cast<unsigned short>(rec.Data.size()),
               rec.Data.data());
  obj.WClose_file(static_cast<unsigned long>(group));
}

bool ChangeP145(WFile& obj, int group, WFile& ref, int8_t kind, unsigned char russian,
                WRec& scratch) {
  int old = RefGroupOf(kind, russian != 0, false);
  if (!CompareP145(obj, group, ref, old)) return true;
  ReplaceP145(obj, group, ref, old + 8, scratch);
  return false;
}
