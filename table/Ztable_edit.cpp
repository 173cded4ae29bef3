// TZTable record editing: the edit record and its cell, adding, replacing, deleting, copying and
// moving lines, each write going to the list's record file (or to TMP) before the index changes.
#include <algorithm>
#include <cstring>
#include <exception>

#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "paths/Dlist.h"
#include "table/Ztable.h"
#include "messages/Utslang.h"

namespace {
// Position of key among the entries of list in key order; a met equal key is the position.
template <class T> int KeyPosition(const std::vector<T*>& list, const char* key, int len) {
  const std::string zeros(static_cast<size_t>(std::max(len, 0)), '\0');
  bool found = false;
  return SearchKeys(
      static_cast<int>(list.size()),
      [&](int i) {
        const char* k = list[static_cast<size_t>(i)]->Key;
        return k ? k : zeros.data();
      },
      key ? key : zeros.data(), len, found);
}

// A fresh line that copies what a copy keeps of its source.
TZTabIndex* CopyOf(const TZTabIndex* src) {
  auto* e = new TZTabIndex;
  e->Flags = static_cast<uint16_t>(src->Flags & ~(kIdxMarked | kIdxWritten));
  e->Level = src->Level;
  return e;
}
} // namespace

// ---- the edit record ----

WRec* TZTable::EditBuf() {
  if (!FEditRec) FEditRec = std::make_unique<WRec>();
  return FEditRec.get();
}

TListFields* TZTable::EditFields() {
  if (FEditKind >= FKindFields.size()) return nullptr;
  return &FKindFields[FEditKind];
}

TZOutField* TZTable::EditOutField(int Col) {
  if (FEditKind >= FKindOutFields.size() || Col < 0) return nullptr;
  TZOutFields& outs = FKindOutFields[FEditKind];
  if (Col >= static_cast<int>(outs.size())) return nullptr;
  return &outs[static_cast<size_t>(Col)];
}

int TZTable::EditColumnField() {
  const TZOutField* out = EditOutField(FCurCol);
  const TListFields* fields = EditFields();
  if (!out || !fields || out->FieldIndex < 0 || out->FieldIndex >= static_cast<int>(fields->size()))
    return -1;
  return out->FieldIndex;
}

int TZTable::EditLine() const {
  return std::clamp(CurLine(), 0, std::max(LineCount() - 1, 0));
}

void TZTable::UnpackEdit() {
  if (TListFields* fields = EditFields()) CreatStructRecord(fields, EditBuf());
}

std::string TZTable::GetValue(const std::string& Name, int& Index, bool& Found, bool Flag) {
  Found = false;
  TListFields* fields = EditFields();
  if (!fields || !FEditRec) return "";
  return GetValueUnPack(fields, Name, Index, FEditRec.get(), Found, Flag);
}

bool TZTable::InitCurrentEdit() {
  if (LineCount() == 0 || FEmpty) return false;
  if (!FVNsi && (FSel.Selecting() || FSel.MarkedCount() > 0)) return false;
  FChanged = FKeyChanged = false;
  const int line = EditLine();
  WRec* rec = EditBuf();
  ReadRecord(line, rec, trEdit);
  FEditIndex = GetIndex(line);
  FEditDIndex = nullptr;
  FTarget = line;
  FEditKind = static_cast<unsigned char>(rec->Prefix);
  if (!EditFields()) return false;
  UnpackEdit();
  if (!FTabType && !DefDataForRk()) return false;
  FNewRecord = false;
  return true;
}

bool TZTable::DefDataForRk() {
  const int field = EditColumnField();
  if (field < 0 || FFirstDataCell + FCurCol >= static_cast<int>(FCells.size())) return false;
  const TZCell& cell = *FCells[static_cast<size_t>(FFirstDataCell + FCurCol)];
  FEditFont.Name = cell.FontName;
  FEditFont.Size = cell.FontSize;
  FEditFont.Style = cell.FontStyle;
  if (FHost) FHost->Canvas().SetFont(FEditFont);
  const int rowTop =
      FCurRow < static_cast<int>(FRowTop.size()) ? FRowTop[static_cast<size_t>(FCurRow)] : 0;
  const int space = std::max(FLineAreaHeight - rowTop, 0);
  const int lineHeight = FEditIndex ? FEditIndex->Height : 0;
  const int height = lineHeight > 0 ? std::min(space, lineHeight) : space;
  FEditRect = {cell.CellRect.Left, FAreaTop + rowTop, cell.CellRect.Right,
               FAreaTop + rowTop + height};
  FEditTopLeft = {FEditRect.Left, FEditRect.Top};
  FEditBottomRight = {FEditRect.Right, FEditRect.Bottom};
  if (FHost) {
    FHost->ClientToScreen(FEditTopLeft.X, FEditTopLeft.Y);
    FHost->ClientToScreen(FEditBottomRight.X, FEditBottomRight.Y);
  }
  int index = field;
  bool found = false;
  FCellText = GetValue("", index, found, false);
  return true;
}

// The cell of a new line lies below the last filled row, one text line of the cell's font high.
bool TZTable::DefDataForuEdRk(int Col) {
  FCurCol = Col;
  if (Col < 0 || Col >= FDataColumns || EditColumnField() < 0) return false;
  const int rows = std::clamp(FRowCount, 0, static_cast<int>(FRowTop.size()));
  const int saveRow = FCurRow;
  const int saveHeight = FEditIndex ? FEditIndex->Height : 0;
  if (FEditIndex) FEditIndex->Height = 0;
  FCurRow = rows; // DefDataForRk takes the top of row FCurRow (the area's top when none)
  const bool ok = DefDataForRk();
  FCurRow = saveRow;
  if (FEditIndex) FEditIndex->Height = static_cast<uint16_t>(saveHeight);
  if (!ok) return false;
  const int line = FHost ? FHost->Canvas().TextHeight("W") : 16;
  if (FEditRect.Height() <= 0) return false;
  FEditRect.Bottom = FEditRect.Top + std::min(FEditRect.Height(), line);
  FEditBottomRight = {FEditRect.Right, FEditRect.Bottom};
  if (FHost) FHost->ClientToScreen(FEditBottomRight.X, FEditBottomRight.Y);
  return true;
}

void TZTable::EndEditRk(const std::string& Text) {
  const int field = EditColumnField();
  if (field < 0) return;
  TListFields* fields = EditFields();
  int length = 0;
  const char* packed = PackRk((*fields)[static_cast<size_t>(field)].FType, Text, length);
  SetValue(fields, EditBuf(), "", length, packed, field);
  FChanged = true;
  FinishEdit();
}

void TZTable::ReleaseNewEdit() {
  if (!FNewRecord) return;
  if (FEditDIndex) {
    delete[] FEditDIndex->Key;
    delete FEditDIndex;
  }
  if (FEditIndex) {
    delete[] FEditIndex->Key;
    delete FEditIndex;
  }
  FEditIndex = nullptr;
  FEditDIndex = nullptr;
  FNewRecord = false;
}

bool TZTable::InitNewEdit(unsigned char Kind) {
  if (FSel.Selecting() || FSel.MarkedCount() > 0 || Kind >= FKindFields.size()) return false;
  ReleaseNewEdit();
  FEditKind = Kind;
  FEditIndex = new TZTabIndex;
  FEditIndex->Adr = 0;
  FEditDIndex = nullptr;
  if (FDActive) {
    FEditDIndex = new TZTabDIndex;
    FEditDIndex->Index = FEditIndex;
  }
  FChanged = FKeyChanged = false;
  FNewRecord = true;
  return true;
}

void TZTable::KorCreat(unsigned char Kind) {
  if (Kind >= FKindFields.size())
    SetError(ByIface("Не задано описание записи вида ", "Не задано опис запису виду ") +
                 std::to_string(Kind),
             0);
  FEditKind = Kind;
  CreatEmptyRec(&FKindFields[Kind], EditBuf(), Kind);
  if (TabOnKorCreat) TabOnKorCreat(this, Kind);
  UnpackEdit();
}

bool TZTable::FinishEdit() {
  bool wrote = false;
  if (FChanged) {
    int line = EditLine();
    ReplaceIndexRecord(FNewRecord, FKeyChanged, line, EditBuf(), false);
    FNewRecord = false;
    FEmpty = false;
    FTarget = line;
    WorkStatus(kRefTarget, FCurRow, true);
    wrote = true;
  } else {
    ReleaseNewEdit();
  }
  FBound.clear();
  return wrote;
}

void TZTable::AddBound(uint8_t Kind, void* Control, int Field) {
  FBound.push_back({Kind, Control, Field});
}

void TZTable::BeginStoreBound() {
  if (FRec && FEditRec) FRec->Prefix = FEditRec->Prefix;
  if (FEditIndex) FEditIndex->Height = FEditIndex->NeedHeight = 0;
  UnpackEdit();
}

bool TZTable::StoreField(int Field, const std::string& Text) {
  TListFields* fields = EditFields();
  if (!fields || Field < 0 || Field >= static_cast<int>(fields->size())) return false;
  const TField& f = (*fields)[static_cast<size_t>(Field)];
  int length = 0;
  const char* packed = PackRk(f.FType, Text, length);
  WRec* rec = EditBuf();
  if (length == f.FLength && f.FOffset + length <= rec->Len &&
      std::memcmp(rec->Data + f.FOffset, packed, static_cast<size_t>(length)) == 0)
    return false;
  SetValue(fields, rec, "", length, packed, Field);
  FChanged = true;
  return true;
}

// ---- writing ----

uint32_t TZTable::KorWrite(WEdit Op, unsigned long Prev, unsigned long Next, WRec* Rec) {
  uint32_t adr;
  if (FTmpMode) {
    if (!TmpFile)
      SetError(ByIface("Не открыт временный файл записей TMP",
                       "Не відкрито тимчасовий файл записів TMP"),
               0);
    adr = TmpFile->Header.End;
    TmpFile->WWriteAppend(Rec);
  } else {
    if (!FFile)
      SetError(
          ByIface("Необходимо вначале выполнить TabOpen", "Необхідно спочатку виконати TabOpen"),
          0);
    adr = static_cast<uint32_t>(FFile->WEditFile(Op, FNumFile, Prev, Next, Rec));
  }
  FModified = true;
  FChanged = FKeyChanged = false;
  return adr;
}

// Where the file's chain continues behind the live record at adr.
uint32_t TZTable::ChainNext(uint32_t adr) {
  WRec scratch;
  int next = static_cast<int>(adr);
  FFile->WRead(&scratch, next);
  return static_cast<uint32_t>(next);
}

// Writes Rec as a new record for a line that will stand at main position MainPosition: behind
// the record of the line before it, continuing where that record's chain continued. Linking to
// the chain successor rather than to the next line's record keeps records the owner does not
// list, and keeps a keyed list (whose order is not the chain's) from closing a loop.
uint32_t TZTable::WriteAt(int MainPosition, WRec* Rec, const TZTabIndex* Skip) {
  if (FTmpMode) return KorWrite(weInsert, EmptyAdr, EmptyAdr, Rec);
  uint32_t prev = EmptyAdr;
  for (int i = MainPosition - 1; i >= 0 && prev == EmptyAdr; --i) {
    const TZTabIndex* e = FIndex[static_cast<size_t>(i)];
    if (e != Skip) prev = e->Adr;
  }
  if (!FFile)
    SetError(ByIface("Необходимо вначале выполнить TabOpen", "Необхідно спочатку виконати TabOpen"),
             0);
  const uint32_t next =
      prev == EmptyAdr ? FFile->Dir.at(static_cast<size_t>(FNumFile)).Offset : ChainNext(prev);
  return KorWrite(weInsert, prev, next, Rec);
}

// New content of the line's record, at its place in the chain (one atomic switch in the file).
uint32_t TZTable::Rewrite(TZTabIndex* e, WRec* Rec) {
  if (FTmpMode) return KorWrite(weMove, e->Adr, EmptyAdr, Rec);
  if (!FFile)
    SetError(ByIface("Необходимо вначале выполнить TabOpen", "Необхідно спочатку виконати TabOpen"),
             0);
  return KorWrite(weMove, e->Adr, ChainNext(e->Adr), Rec);
}

int TZTable::MainPos(const TZTabIndex* e) const {
  auto it = std::find(FIndex.begin(), FIndex.end(), e);
  return it == FIndex.end() ? -1 : static_cast<int>(it - FIndex.begin());
}

int TZTable::InsertMain(TZTabIndex* e) {
  const int pos = KeyPosition(FIndex, e->Key, FLenBaseKey);
  FIndex.insert(FIndex.begin() + pos, e);
  return pos;
}

int TZTable::InsertSecondary(TZTabDIndex* d) {
  const int pos = KeyPosition(FDIndex, d->Key, FLenDopKey ? FLenDopKey : FLenBaseKey);
  FDIndex.insert(FDIndex.begin() + pos, d);
  return pos;
}

// Takes the line out of both orders (its secondary entry is released, the line itself is not).
void TZTable::Unlist(TZTabIndex* e) {
  const int pos = MainPos(e);
  if (pos >= 0) FIndex.erase(FIndex.begin() + pos);
  for (auto it = FDIndex.begin(); it != FDIndex.end();)
    if ((*it)->Index == e) {
      delete[](*it)->Key;
      delete *it;
      it = FDIndex.erase(it);
    } else {
      ++it;
    }
  if (FCurIndex == e) FCurIndex = nullptr;
}

void TZTable::UpdateBar() {
  SetMaxFsb(SetFsbMax());
}

uint32_t TZTable::AddRecord(WRec* Rec, TZTabIndex* Index, bool Show, int& Pos) {
  TZTabIndex* e = Index ? Index : new TZTabIndex;
  const int count = LineCount();
  if (Pos < 0) Pos = EditLine();
  int pos;
  try {
    if (FLenBaseKey > 0) {
      if (!e->Key) LoadKey(Rec, e);
      pos = KeyPosition(FIndex, e->Key, FLenBaseKey);
    } else {
      pos = FEmpty || count == 0 ? count : std::clamp(Pos, 0, count);
      if (FEmpty && Show) FEmpty = false;
    }
    e->Adr = WriteAt(pos, Rec, nullptr);
  } catch (...) {
    if (!Index) DelLineIndex(e);
    throw;
  }
  e->Flags |= kIdxWritten;
  FIndex.insert(FIndex.begin() + pos, e);
  Pos = pos;
  if (FDActive) {
    auto* d = new TZTabDIndex;
    d->Index = e;
    LoadDKey(Rec, e, d);
    Pos = InsertSecondary(d);
  }
  if (PostIndex) PostIndex(this, 1);
  UpdateBar();
  FEmpty = false;
  FTarget = Pos;
  if (Show) WorkStatus(kRefTarget, FCurRow, true);
  return e->Adr;
}

// A new line, or a line whose key changed, takes its place in key order; the new record is
// written before the index changes, so a failed write leaves the index as it was.
uint32_t TZTable::PlaceAnew(TZTabIndex* e, bool New, int& Line, WRec* Rec) {
  uint32_t adr;
  if (New) {
    if (!e->Key) LoadKey(Rec, e);
    adr = WriteAt(KeyPosition(FIndex, e->Key, FLenBaseKey), Rec, nullptr);
  } else {
    adr = Rewrite(e, Rec);
    Unlist(e);
    delete[] e->Key;
    e->Key = nullptr;
    LoadKey(Rec, e);
  }
  e->Adr = adr;
  Line = InsertMain(e);
  if (FDActive) {
    TZTabDIndex* d = New && FEditDIndex && FEditDIndex->Index == e ? FEditDIndex : new TZTabDIndex;
    if (d == FEditDIndex) FEditDIndex = nullptr;
    delete[] d->Key;
    d->Key = nullptr;
    d->Index = e;
    LoadDKey(Rec, e, d);
    Line = InsertSecondary(d);
  }
  return adr;
}

uint32_t TZTable::ReplaceIndexRecord(bool New, bool KeyChanged, int& Line, WRec* Rec, bool Show) {
  TZTabIndex* e = New ? FEditIndex : GetIndex(Line);
  if (New && !e) {
    e = FEditIndex = new TZTabIndex;
    FNewRecord = true;
  }
  if (!e) return EmptyAdr;
  uint32_t adr;
  if (FLenBaseKey > 0 && (New || KeyChanged)) {
    adr = PlaceAnew(e, New, Line, Rec);
  } else if (New) {
    const int count = LineCount();
    const int pos = FEmpty || count == 0 || FDActive ? count : std::clamp(Line, 0, count);
    adr = WriteAt(pos, Rec, nullptr);
    e->Adr = adr;
    FIndex.insert(FIndex.begin() + pos, e);
    Line = pos;
    if (FDActive) {
      TZTabDIndex* d = FEditDIndex ? FEditDIndex : new TZTabDIndex;
      FEditDIndex = nullptr;
      d->Index = e;
      LoadDKey(Rec, e, d);
      Line = InsertSecondary(d);
    }
  } else {
    adr = Rewrite(e, Rec);
    e->Adr = adr;
  }
  e->Height = e->NeedHeight = 0;
  e->Flags |= kIdxWritten;
  if (New) {
    FEditIndex = e;
    FNewRecord = false;
    UpdateBar();
  }
  if (PostIndex) PostIndex(this, 4);
  if (KeyChanged && Show) {
    FTarget = Line;
    WorkStatus(kRefTarget, FCurRow, true);
  }
  return adr;
}

uint32_t TZTable::TabEdit(WEdit Op, int& Line, WRec* Rec, bool KeyChanged, bool Show) {
  if (LineCount() == 0 || Line < 0 || Line >= LineCount()) return EmptyAdr;
  switch (Op) {
  case weDelete: {
    TZTabIndex* e = GetIndex(Line);
    const uint32_t old = e->Adr;
    if (FTmpMode)
      FModified = true;
    else
      KorWrite(weDelete, old, EmptyAdr, Rec ? Rec : EditBuf());
    Unlist(e);
    DelLineIndex(e);
    UpdateBar();
    return old;
  }
  case weMove:
    return ReplaceIndexRecord(false, KeyChanged, Line, Rec, Show);
  case weUpdate: {
    TZTabIndex* e = GetIndex(Line);
    Rec->Adr = EmptyAdr;
    e->Adr = KorWrite(weUpdate, e->Adr, EmptyAdr, Rec);
    e->Flags |= kIdxWritten;
    return e->Adr;
  }
  default:
    return EmptyAdr;
  }
}

// ---- deleting ----

bool TZTable::CheckVisible(int& Line, int Count) {
  for (; Line < Count; ++Line)
    if (!(GetIndex(Line)->Flags & kIdxHidden)) return true;
  return false;
}

// Deletes the marked lines (or the current one); every record leaves the file before its line
// leaves the index. Returns whether a line went.
bool TZTable::DeleteLines(int& Cur) {
  const bool marked = FSel.MarkedCount() > 0;
  bool any = false;
  for (int n = 0; n < LineCount();) {
    TZTabIndex* e = GetIndex(n);
    const bool concerned = marked ? (e->Flags & kIdxMarked) != 0 : n == Cur;
    bool ok = true;
    if (!concerned || (TabOnDelete && !TabOnDelete(this, true, e, ok, n))) {
      ++n;
      continue;
    }
    if (n < Cur || Cur == LineCount() - 1) Cur = std::max(Cur - 1, 0);
    if (FTmpMode)
      FModified = true;
    else
      KorWrite(weDelete, e->Adr, EmptyAdr, EditBuf());
    Unlist(e);
    DelLineIndex(e);
    any = true;
    if (!marked) break;
  }
  return any;
}

void TZTable::DeleteRecord(const std::string& Question) {
  if (LineCount() == 0 || FSel.Selecting() || (FEmpty && FSel.MarkedCount() == 0)) return;
  FEmpty = false;
  bool ask = false;
  if (TabOnDelete && TabOnDelete(this, false, nullptr, ask, 0)) return;
  if (!ask) {
    if (!OutSel("", SelDeleteRecords)) return;
    if (!Question.empty() && !OutSelRepeat(Question, SelDeleteAgain)) return;
  }
  int cur = EditLine();
  try {
    DeleteLines(cur);
  } catch (...) {
    FinishDelete(std::min(cur, std::max(LineCount() - 1, 0)), true);
    throw;
  }
  FTarget = cur;
  bool refresh = true;
  if (PostIndex) refresh = PostIndex(this, 3);
  cur = FTarget;
  UpdateBar();
  FinishDelete(cur, refresh);
}

void TZTable::FinishDeleteRecord(int Line) {
  FinishDelete(Line, true);
}

// Lines an owner kept from deletion lose their marks with the marked count.
void TZTable::FinishDelete(int Line, bool Draw) {
  FModified = true;
  FSel.SetAnchor(0);
  FSel.Clear();
  const int count = LineCount();
  if (count == 0) {
    FRowCount = 0;
    FEmpty = true;
    SetFirstRowLine(0);
    FCurRow = 0;
    FPosition = 0;
    if (Draw && FHost) FHost->Invalidate();
    return;
  }
  FPosition = std::clamp(Line, 0, count - 1);
  if (!Draw) return;
  if (Line >= 0 && Line < count && CheckVisible(Line, count)) {
    FTarget = Line;
    WorkStatus(kRefTarget, FCurRow, true);
  } else {
    SetFirstRowLine(count - 1);
    WorkStatus(kRefBackward, FCurRow, true);
  }
}

void TZTable::SetFirstRowLine(int Line) {
  if (FRows.empty())
    FRows.push_back(Line);
  else
    FRows[0] = Line;
}

// ---- copying and moving ----

// The current line and the one before it are both marked: a copy would land inside the block.
bool TZTable::MarkedBlockAt(int Line) {
  if (FEmpty || Line <= 0 || Line >= LineCount()) return false;
  return (GetIndex(Line)->Flags & kIdxMarked) && (GetIndex(Line - 1)->Flags & kIdxMarked);
}

bool TZTable::CopyRecord() {
  if (FSel.MarkedCount() == 0 || FSel.Selecting()) return false;
  if (FDActive)
    SetError(ByIface("В случае наличия вторичных ключей копирование невозможно",
                     "За наявності вторинних ключів копіювання неможливе"),
             0);
  if (MarkedBlockAt(EditLine())) {
    OutWar("", WarCopyIntoBlock);
    return false;
  }
  if (TabOnCopy && !TabOnCopy(this, cmStart, nullptr, nullptr)) return false;
  int pos = FEmpty ? LineCount() : EditLine();
  const bool keyed = FLenBaseKey > 0;
  int target = keyed ? LineCount() + FSel.MarkedCount() : pos;
  std::vector<TZTabIndex*> sources;
  for (TZTabIndex* e : FIndex)
    if (e->Flags & kIdxMarked) sources.push_back(e);
  WRec rec;
  for (TZTabIndex* src : sources) {
    ReadRecord(MainPos(src), &rec, trOther);
    FSel.Unmark(*src);
    TZTabIndex* copy = CopyOf(src);
    if (TabOnCopy && !TabOnCopy(this, cmLine, copy, &rec)) {
      DelLineIndex(copy);
      continue;
    }
    int at = pos;
    try {
      AddRecord(&rec, copy, false, at);
    } catch (...) {
      DelLineIndex(copy);
      throw;
    }
    if (keyed)
      target = std::min(target, at);
    else
      ++pos;
  }
  FSel.Forget();
  if (PostIndex) PostIndex(this, 2);
  FEmpty = false;
  FTarget = std::min(target, LineCount() - 1);
  WorkStatus(kRefTarget, FCurRow, true);
  return true;
}

// Whether the record at adr is a live record of the file (false when it cannot be read).
bool TZTable::LiveAt(uint32_t adr) {
  try {
    WRec scratch;
    FFile->WRead(adr, &scratch);
    return FFile->LastAdr == adr;
  } catch (const ZError&) {
    return false;
  }
}

// Writes line j's record again in front of line dest: the copy is written before the old record
// is removed. Should a step fail while the old record still stands, the copy is removed again,
// so the file holds the line once, in its old or its new place; once the old record is gone the
// index follows the copy before the error goes on.
void TZTable::MoveInFile(int j, int dest, std::exception_ptr& error) {
  TZTabIndex* e = FIndex[static_cast<size_t>(j)];
  WRec rec;
  ReadRecord(j, &rec, trOther);
  const uint32_t at = FFile->Header.End; // where the copy goes
  try {
    WriteAt(dest, &rec, e);
    KorWrite(weDelete, e->Adr, EmptyAdr, &rec);
  } catch (const ZError&) {
    if (LiveAt(e->Adr)) {
      try {
        if (LiveAt(at)) KorWrite(weDelete, at, EmptyAdr, &rec);
      } catch (const ZError&) {
      }
      throw;
    }
    error = std::current_exception();
  }
  e->Adr = at;
  e->Flags |= kIdxWritten;
}

// Moves line j to just before line dest (the line count: to the end).
bool TZTable::MoveOne(int j, int& dest) {
  TZTabIndex* e = FIndex[static_cast<size_t>(j)];
  if (TabOnMove && !TabOnMove(this, cmLine, dest)) return false;
  std::exception_ptr error;
  if (j != dest && j != dest - 1 && !FTmpMode) MoveInFile(j, dest, error);
  FModified = true;
  FIndex.erase(FIndex.begin() + j);
  bool advance = false;
  if (j < dest) {
    FIndex.insert(FIndex.begin() + dest - 1, e); // the next line slid into j
  } else {
    FIndex.insert(FIndex.begin() + dest, e);
    ++dest;
    advance = true;
  }
  if (error) std::rethrow_exception(error);
  return advance;
}

bool TZTable::MoveRecord() {
  if (FSel.MarkedCount() == 0 || FSel.Selecting()) return false;
  if (FDActive)
    SetError(ByIface("В случае наличия вторичных ключей перемещение невозможно",
                     "За наявності вторинних ключів переміщення неможливе"),
             0);
  if (FLenBaseKey != 0)
    SetError(ByIface("Нельзя перемещать записи с ключами", "Не можна переміщати записи з ключами"),
             0);
  if (MarkedBlockAt(EditLine())) {
    OutWar("", WarCopyIntoBlock);
    return false;
  }
  if (TabOnMove && !TabOnMove(this, cmStart, 0)) return false;
  int dest = FEmpty ? LineCount() : EditLine();
  for (int j = 0; j < LineCount();) {
    TZTabIndex* e = FIndex[static_cast<size_t>(j)];
    if (!(e->Flags & kIdxMarked)) {
      ++j;
      continue;
    }
    FSel.Unmark(*e);
    if (MoveOne(j, dest) || FIndex[static_cast<size_t>(j)] == e) ++j;
  }
  FSel.Forget();
  FEmpty = false;
  FTarget = std::min(dest, LineCount() - 1);
  WorkStatus(kRefTarget, FCurRow, true);
  return true;
}
