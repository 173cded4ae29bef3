// Field descriptor lists, record walking, field values as text, images and packed dates.
#include "storage/Fun_struct.h"

#include <algorithm>
#include <cstdio>

#include "format/Fun_math.h"
#include "messages/Utslang.h"
#include "messages/Zmsg.h"
#include "storage/Dwfile.h"

WFile* Boib = nullptr;

namespace {
bool IsText(TypeField t) {
  return t >= tfString && t <= tfShort81;
}

// Bytes of a numeric field in a record (0 for texts and unknown types).
int FixedSize(TypeField t) {
  switch (t) {
  case tfChar:
  case tfByte:
    return 1;
  case tfWord:
  case tfDate:
    return 2;
  case tfDword:
  case tfInt:
  case tfDword11:
    return 4;
  case tfDouble:
    return 8;
  default:
    return 0;
  }
}

// One field found in record data.
struct TFieldAt {
  TypeField Type;
  int Offset;
  int Length;
};

// Walks the fields of data (limit bytes) in list order; visit(index, field) for each field that
// fits. Returns false when a field did not fit and the walk stopped there.
template <class F> bool Walk(const TListFields& list, const char* data, size_t limit, F visit) {
  size_t pos = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    TypeField t = list[i].FType;
    if (IsText(t)) {
      if (pos + 2 > limit) return false;
      unsigned char b0 = static_cast<unsigned char>(data[pos]);
      unsigned char b1 = static_cast<unsigned char>(data[pos + 1]);
      size_t len = b1 == 0x81 || b1 == 0x82 ? b0 : b0 | (b1 << 8);
      if (b1 == 0x81)
        t = tfShort81;
      else if (b1 == 0x82)
        t = tfShort82;
      if (pos + 2 + len > limit) return false;
      visit(i, TFieldAt{t, static_cast<int>(pos + 2), static_cast<int>(len)});
      pos += 2 + len;
    } else if (int size = FixedSize(t)) {
      if (pos + static_cast<size_t>(size) > limit) return false;
      visit(i, TFieldAt{t, static_cast<int>(pos), size});
      pos += static_cast<size_t>(size);
    }
  }
  return true;
}

// A text field's value with the language rule: a text starting with WDelim4 gives its variant.
std::string LangText(const char* at, int length) {
  std::string text(at, static_cast<size_t>(length));
  if (!text.empty() && text[0] == WDelim4) return GetTextLang(DocLang(), text);
  return text;
}

void UnpackInto(const TListFields& list, const char* data, size_t limit, TRecImage& image) {
  image.Resize(ImageSize(list));
  std::vector<int> slot(list.size());
  for (size_t i = 0, at = 0; i < list.size(); at += ImageFieldSize(list[i].FType), ++i)
    slot[i] = static_cast<int>(at);
  Walk(list, data, limit, [&](size_t i, const TFieldAt& f) {
    if (IsText(f.Type))
      image.SetText(slot[i], LangText(data + f.Offset, f.Length));
    else
      std::memcpy(image.Data() + slot[i], data + f.Offset, static_cast<size_t>(f.Length));
  });
}

// Bytes the packed form of an image takes.
int PackedSize(const TListFields& list, const TRecImage& image) {
  int total = 0, at = 0;
  for (const TField& f : list) {
    if (f.FType == tfString)
      total += 2 + static_cast<int>(image.GetText(at).size());
    else if (IsText(f.FType))
      total += 2 + std::min<int>(255, image.GetText(at).size());
    else
      total += FixedSize(f.FType);
    at += ImageFieldSize(f.FType);
  }
  return total;
}

int PackInto(const TListFields& list, const TRecImage& image, char* data) {
  int pos = 0, at = 0;
  for (const TField& f : list) {
    if (IsText(f.FType)) {
      const std::string& text = image.GetText(at);
      size_t n = f.FType == tfString ? text.size() : std::min<size_t>(255, text.size());
      data[pos] = static_cast<char>(n & 0xFF);
      data[pos + 1] = f.FType == tfString    ? static_cast<char>(n >> 8)
                      : f.FType == tfShort82 ? static_cast<char>(0x82)
                                             : static_cast<char>(0x81);
      std::memcpy(data + pos + 2, text.data(), n);
      pos += 2 + static_cast<int>(n);
    } else if (int size = FixedSize(f.FType)) {
      std::memcpy(data + pos, image.Data() + at, static_cast<size_t>(size));
      pos += size;
    }
    at += ImageFieldSize(f.FType);
  }
  return pos;
}

// The largest record a buffer can take (the on-disk length is 16 bits).
int RecLimit(const WRec* rec) {
  return std::min(rec->Capacity(), 0xFFFF);
}

[[noreturn]] void TooLong(int length, int limit) {
  SetError(ByIface("Длина записи ", "Довжина запису ") + std::to_string(length) +
               ByIface(" больше допустимой ", " більша за допустиму ") + std::to_string(limit),
           0);
}

int FindField(const TListFields& list, const std::string& name) {
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].FName == name) return static_cast<int>(i);
  return -1;
}

std::string ValueText(const TField& f, const WRec* rec) {
  int size = IsText(f.FType) ? f.FLength : FixedSize(f.FType);
  if (f.FOffset < 0 || size < 0 || f.FOffset + size > rec->Len) return "";
  const char* at = rec->Data + f.FOffset;
  switch (f.FType) {
  case tfString:
  case tfShort82:
  case tfShort81:
    return LangText(at, f.FLength);
  case tfChar:
    return std::string(1, *at);
  case tfByte:
    return std::to_string(static_cast<int8_t>(*at));
  case tfWord:
    return std::to_string(LoadWord(at));
  case tfDword:
  case tfInt:
    return std::to_string(LoadInt(at));
  case tfDouble:
    return DFloatToStr(LoadDouble(at), -9);
  case tfDate:
    return UnPackDt1(LoadWord(at));
  default:
    return "";
  }
}

// The record must hold the field before a value is stored into it.
void CheckInRecord(const TField& f, int size, const WRec* rec) {
  if (f.FOffset < 0 || size < 0 || f.FOffset + size > rec->Len)
    SetError(ByIface("Реквизит ", "Реквізит ") + f.FName +
                 ByIface(" лежит за концом записи", " лежить за кінцем запису"),
             0);
}

// Resizes the text field i of rec to length, moving what follows.
void ResizeText(TListFields& list, size_t i, WRec* rec, int length) {
  TField& f = list[i];
  if (f.FType != tfString && length > 255)
    SetError(ByIface("Длина текста реквизита ", "Довжина тексту реквізиту ") + f.FName +
                 ByIface(" больше 255", " більша за 255"),
             0);
  int diff = length - f.FLength;
  int newLen = rec->Len + diff;
  if (newLen > RecLimit(rec)) TooLong(newLen, RecLimit(rec));
  if (i + 1 < list.size()) {
    int from = f.FOffset + f.FLength;
    std::memmove(rec->Data + from + diff, rec->Data + from, static_cast<size_t>(rec->Len - from));
    for (size_t k = i + 1; k < list.size(); ++k)
      list[k].FOffset += diff;
  }
  f.FLength = length;
  rec->Data[f.FOffset - 2] = static_cast<char>(length & 0xFF);
  if (f.FType == tfString) rec->Data[f.FOffset - 1] = static_cast<char>(length >> 8);
  rec->Len = static_cast<uint16_t>(newLen);
}
} // namespace

int ImageFieldSize(TypeField type) {
  return IsText(type) ? 4 : FixedSize(type);
}

int ImageSize(const TListFields& list) {
  int size = 0;
  for (const TField& f : list)
    size += ImageFieldSize(f.FType);
  return size;
}

void TRecImage::Resize(int size) {
  Bytes.assign(static_cast<size_t>(std::max(size, 0)), 0);
  Texts.clear();
}

const char* TRecImage::At(int offset, size_t size) const {
  if (offset < 0 || static_cast<size_t>(offset) + size > Bytes.size())
    SetError(ByIface("Смещение ", "Зміщення ") + std::to_string(offset) +
                 ByIface(" вне образа структуры", " поза образом структури"),
             0);
  return Bytes.data() + offset;
}

const std::string& TRecImage::GetText(int offset) const {
  static const std::string kEmpty;
  uint32_t ref = Get<uint32_t>(offset);
  return ref == 0 || ref > Texts.size() ? kEmpty : Texts[ref - 1];
}

void TRecImage::SetText(int offset, const std::string& text) {
  uint32_t ref = Get<uint32_t>(offset);
  if (ref == 0 || ref > Texts.size()) {
    Texts.push_back(text);
    Set<uint32_t>(offset, static_cast<uint32_t>(Texts.size()));
  } else {
    Texts[ref - 1] = text;
  }
}

void CreatDefRecord(int number, TListFields* list, WRec* rec) {
  WFile* file = Boib ? Boib : new WFile("CFG#Boib.sfr");
  try {
    file->WOpen_file(static_cast<unsigned long>(number));
    bool more = file->WRead(rec) && file->WRead(rec); // two records for the table control
    while (more && file->WRead(rec)) {
      const char* cur = rec->Data;
      TField f;
      if (rec->Len >= 2) {
        uint16_t n = std::min<uint16_t>(LoadWord(cur), static_cast<uint16_t>(rec->Len - 2));
        f.FName.assign(cur, n);
        if (2 + n < rec->Len) f.FType = static_cast<TypeField>(cur[n]);
      }
      list->push_back(f);
    }
  } catch (...) {
    if (file != Boib) delete file;
    throw;
  }
  if (file != Boib) delete file;
}

void CreatStructRecord(TListFields* list, WRec* rec) {
  Walk(*list, rec->Data, rec->Len, [&](size_t i, const TFieldAt& f) {
    TField& d = (*list)[i];
    d.FType = f.Type;
    d.FOffset = f.Offset;
    d.FLength = f.Length;
  });
}

int CreatEmptyRec(TListFields* list, WRec* rec, unsigned char prefix) {
  int total = 0;
  for (const TField& f : *list)
    total += IsText(f.FType) ? 2 : FixedSize(f.FType);
  if (total > RecLimit(rec)) TooLong(total, RecLimit(rec));
  rec->Prefix = static_cast<int8_t>(prefix);
  rec->Adr = EmptyAdr;
  int pos = 0;
  for (TField& f : *list) {
    if (IsText(f.FType)) {
      rec->Data[pos] = 0;
      rec->Data[pos + 1] = f.FType == tfString    ? 0
                           : f.FType == tfShort82 ? static_cast<char>(0x82)
                                                  : static_cast<char>(0x81);
      f.FOffset = pos + 2;
      f.FLength = 0;
      pos += 2;
    } else if (int size = FixedSize(f.FType)) {
      std::memset(rec->Data + pos, 0, static_cast<size_t>(size));
      f.FOffset = pos;
      f.FLength = size;
      pos += size;
    }
  }
  rec->Len = static_cast<uint16_t>(pos);
  return static_cast<int>(list->size());
}

void RecStruct(const TListFields* list, const WRec* rec, TRecImage& image) {
  UnpackInto(*list, rec->Data, rec->Len, image);
}

void RecStruct(const TListFields* list, const char* data, TRecImage& image) {
  UnpackInto(*list, data, SIZE_MAX, image);
}

int StructRec(const TListFields* list, const TRecImage& image, WRec* rec, unsigned char prefix) {
  int size = PackedSize(*list, image);
  if (size > RecLimit(rec)) TooLong(size, RecLimit(rec));
  int n = PackInto(*list, image, rec->Data);
  rec->Len = static_cast<uint16_t>(n);
  rec->Prefix = static_cast<int8_t>(prefix);
  return n;
}

int StructRec(const TListFields* list, const TRecImage& image, char* data) {
  return PackInto(*list, image, data);
}

std::string GetValueUnPack(const TListFields* list, const std::string& name, int& index,
                           const WRec* rec, bool& found, bool zeroAsEmpty) {
  found = false;
  if (!name.empty() || index < 0) {
    index = FindField(*list, name);
    if (index < 0) return "";
  } else if (index >= static_cast<int>(list->size())) {
    return "";
  }
  const TField& f = (*list)[static_cast<size_t>(index)];
  std::string text = ValueText(f, rec);
  if (zeroAsEmpty && text == "0" && f.FType != tfString && f.FType != tfChar && f.FType != tfDate)
    text.clear();
  found = true;
  return text;
}

void SetValue(TListFields* list, WRec* rec, const std::string& name, int length, const char* value,
              int index) {
  if (!name.empty()) {
    index = FindField(*list, name);
    if (index < 0)
      SetError(ByIface("Реквизит ", "Реквізит ") + name +
                   ByIface(" отсутствует в списке описаний", " відсутній у списку описів"),
               0);
  } else if (index < 0 || index >= static_cast<int>(list->size())) {
    SetError(ByIface("Номер реквизита ", "Номер реквізиту ") + std::to_string(index) +
                 ByIface(" отсутствует в списке описаний", " відсутній у списку описів"),
             0);
  }
  size_t i = static_cast<size_t>(index);
  TField& f = (*list)[i];
  if (IsText(f.FType)) {
    length = std::max(length, 0);
    CheckInRecord(f, f.FLength, rec);
    if (f.FOffset < 2)
      SetError(ByIface("Реквизит ", "Реквізит ") + f.FName +
                   ByIface(" лежит за концом записи", " лежить за кінцем запису"),
               0);
    if (length != f.FLength) ResizeText(*list, i, rec, length);
    std::memcpy(rec->Data + f.FOffset, value, static_cast<size_t>(length));
  } else if (FixedSize(f.FType)) {
    CheckInRecord(f, f.FLength, rec);
    std::memcpy(rec->Data + f.FOffset, value, static_cast<size_t>(f.FLength));
  }
}

const char* PackRk(TypeField type, const std::string& text, int& length) {
  static std::string buffer;
  if (IsText(type)) {
    buffer = text;
    length = static_cast<int>(text.size());
    return buffer.data();
  }
  length = FixedSize(type);
  buffer.assign(static_cast<size_t>(length), '\0');
  if (text.empty() || length == 0) return buffer.data();
  auto put = [&](auto v) { std::memcpy(buffer.data(), &v, sizeof v); };
  switch (type) {
  case tfChar:
    buffer[0] = text[0];
    break;
  case tfByte:
    put(static_cast<int8_t>(StrToIntStrict(text)));
    break;
  case tfWord:
    put(static_cast<uint16_t>(StrToIntStrict(text)));
    break;
  case tfDword:
  case tfInt:
    put(StrToIntStrict(text));
    break;
  case tfDouble:
    put(DStrToFloat(text));
    break;
  case tfDate:
    put(PackDt1(text));
    break;
  default:
    break; // tfDword11 packs as 0
  }
  return buffer.data();
}

uint16_t PackDate_2b(int day, int month, int year) {
  int v = day + 32 * month + 512 * year + 0x6000;
  if (year < 2000) v -= 0x3800;
  return static_cast<uint16_t>(v & 0xFFFF);
}

uint16_t PackDt1(const std::string& text) {
  auto part = [&](size_t from, size_t n) {
    return StrToIntStrict(from < text.size() ? text.substr(from, n) : "");
  };
  return PackDate_2b(part(0, 2), part(3, 2), part(6, 4));
}

std::string UnPackDt1(uint16_t date) {
  int code = date >> 9;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", date & 31, (date >> 5) & 15,
                code >= 90 ? code + 1900 : code + 2000);
  return buf;
}

void DeleteListFields(TListFields*& list, bool freeList) {
  if (!list) return;
  list->clear();
  if (freeList) {
    delete list;
    list = nullptr;
  }
}
