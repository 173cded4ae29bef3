// Record structures: field descriptor lists read from the screen description file, field offsets
// of a record, field values as text, unpacked structure images, and packed dates.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "storage/Drec.h"

class WFile;

// Field types as stored in the description file; other values occupy no bytes.
enum TypeField : unsigned char {
  tfString = 1,  // 16-bit length, then the bytes
  tfShort82 = 2, // length byte, 0x82, then the bytes
  tfShort81 = 3, // length byte, 0x81, then the bytes
  tfChar = 4,
  tfByte = 5,  // signed
  tfWord = 6,  // unsigned 16 bits
  tfDword = 7, // 32 bits, shown signed
  tfInt = 8,
  tfDouble = 9,
  tfDate = 10,   // packed date
  tfDword11 = 11 // never converted
};

// First byte of a multi-language text.
constexpr char WDelim4 = 4;

// One field of a structure; FOffset and FLength describe one particular record.
struct TField {
  std::string FName;
  TypeField FType = TypeField(0);
  int32_t FOffset = 0; // of the value (texts: behind the length prefix)
  int32_t FLength = 0; // of the value (texts: the current text length)
};
// A structure: its fields in record order.
using TListFields = std::vector<TField>;

// The screen description file "CFG#Boib.sfr" when it is held open for the run (else null).
extern WFile* Boib;

// Bytes a field of the type takes in an unpacked image (texts: a 4-byte slot).
int ImageFieldSize(TypeField type);
// Bytes of the unpacked image of a structure.
int ImageSize(const TListFields& list);

// The unpacked image of a record: the fields back to back at the offsets a 32-bit build gives
// them, a text taking a 4-byte slot that refers to an entry of the image's own text table.
class TRecImage {
public:
  TRecImage() = default;
  explicit TRecImage(int size) { Resize(size); }
  // Zero bytes and empty texts of the given size.
  void Resize(int size);
  int Size() const { return static_cast<int>(Bytes.size()); }
  char* Data() { return Bytes.data(); }
  const char* Data() const { return Bytes.data(); }

  template <class T> T Get(int offset) const {
    T v;
    std::memcpy(&v, At(offset, sizeof v), sizeof v);
    return v;
  }
  template <class T> void Set(int offset, T v) {
    std::memcpy(const_cast<char*>(At(offset, sizeof v)), &v, sizeof v);
  }
  // The text of the 4-byte slot at offset.
  const std::string& GetText(int offset) const;
  void SetText(int offset, const std::string& text);

private:
  const char* At(int offset, size_t size) const;
  std::vector<char> Bytes;
  std::vector<std::string> Texts; // a slot holds index + 1; 0 is the empty text
};

// Fills list with the fields of structure number (group number of the screen description file).
void CreatDefRecord(int number, TListFields* list, WRec* rec);
// Sets FOffset and FLength of every field for the record in rec; settles the text types 1..3
// by their length prefix. Stops at the first field that does not fit in rec->Len.
void CreatStructRecord(TListFields* list, WRec* rec);
// An empty record of the structure in rec; returns the number of fields.
int CreatEmptyRec(TListFields* list, WRec* rec, unsigned char prefix);
// Unpacks record data into image (sized to the structure).
void RecStruct(const TListFields* list, const WRec* rec, TRecImage& image);
void RecStruct(const TListFields* list, const char* data, TRecImage& image);
// Packs image into record data; returns the bytes written (the WRec form also sets Len and
// Prefix, and refuses an image that does not fit the buffer).
int StructRec(const TListFields* list, const TRecImage& image, WRec* rec, unsigned char prefix);
int StructRec(const TListFields* list, const TRecImage& image, char* data);
// The display text of one field, found by name (when not empty, or index < 0) or by index.
std::string GetValueUnPack(const TListFields* list, const std::string& name, int& index,
                           const WRec* rec, bool& found, bool zeroAsEmpty);
// Stores length packed bytes (non-text fields: FLength bytes) into one field of rec.
void SetValue(TListFields* list, WRec* rec, const std::string& name, int length, const char* value,
              int index);
// Packed bytes of a text value, in a buffer that the next call reuses.
const char* PackRk(TypeField type, const std::string& text, int& length);

// Packed date: day bits 0-4, month bits 5-8, year code (year - 2000, or - 1900 before 2000)
// bits 9-15.
uint16_t PackDate_2b(int day, int month, int year);
// Packs a DD.MM.YYYY text.
uint16_t PackDt1(const std::string& text);
// DD.MM.YYYY; year codes from 90 are 19xx, below 90 20xx.
std::string UnPackDt1(uint16_t date);

// Releases the fields; with freeList the list is destroyed and list set to null.
void DeleteListFields(TListFields*& list, bool freeList);
