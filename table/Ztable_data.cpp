// TZTable line index: opening and closing a list read through the owner, the main and the
// secondary key order, lookups, reading lines (from the owner or the work file) and write-back.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <string>

#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "paths/Dlist.h"
#include "table/Ztable.h"
#include "messages/Utslang.h"

namespace {

int CompareKeys(const char* a, const char* b, int len) {
  return len > 0 ? std::memcmp(a, b, static_cast<size_t>(len)) : 0;
}

// The order inserting the keys one by one gives (binary search, an equal key ahead of the one
// the search meets), computed at once: each key becomes its rank among the distinct keys, and
// the 32-bit insertion order of the ranks is the order of the keys.
template <class Entry>
std::vector<Entry*> OrderByInsertion(const std::vector<Entry*>& entries, int keyLen) {
  std::vector<uint32_t> byKey(entries.size());
  std::iota(byKey.begin(), byKey.end(), 0u);
  std::stable_sort(byKey.begin(), byKey.end(), [&](uint32_t a, uint32_t b) {
    return CompareKeys(entries[a]->Key, entries[b]->Key, keyLen) < 0;
  });
  std::vector<uint32_t> rank(entries.size());
  uint32_t r = 0;
  for (size_t i = 0; i < byKey.size(); ++i) {
    if (i > 0 && CompareKeys(entries[byKey[i - 1]]->Key, entries[byKey[i]]->Key, keyLen) != 0) ++r;
    rank[byKey[i]] = r;
  }
  std::vector<Entry*> ordered;
  ordered.reserve(entries.size());
  for (size_t i : KeyInsertionOrder(rank))
    ordered.push_back(entries[i]);
  return ordered;
}

// Binary search of key over the keys of entries (a missing key reads as zero bytes).
template <class Entry>
int SearchEntries(const std::vector<Entry*>& entries, const char* key, int keyLen, bool& found) {
  std::string zeros(static_cast<size_t>(std::max(keyLen, 0)), '\0');
  return SearchKeys(
      static_cast<int>(entries.size()),
      [&](int i) {
        const char* k = entries[static_cast<size_t>(i)]->Key;
        return k ? k : zeros.data();
      },
      key, keyLen, found);
}

// What the columns gain when the scroll bar goes.
constexpr int kScrollBarGone = 16;

[[noreturn]] void Refuse(const std::string& text) {
  SetError(text, MsgTabText);
}

} // namespace

// ---- Opening and closing

void TZTable::TabOpen(WFile* ListFile, int Num) {
  OpenCommon(ListFile, Num);
  for (int& slot : FExpand)
    slot = -1;
  FEmpty = false;
  TabInit(this);
  CreatIndex(true);
  if (FHost) FHost->SetVisible(true);
  if (TabOnSetEnbMnu) TabOnSetEnbMnu(this);
}

void TZTable::TabOpen(WFile* ListFile, int Num, bool) {
  OpenCommon(ListFile, Num);
  TabInit(this);
  CreatIndex(false);
}

void TZTable::OpenCommon(WFile* ListFile, int Num) {
  if (!TabInit)
    Refuse(ByIface("Не задано имя п/п Инициализации", "Не задано ім'я п/п Ініціалізації"));
  if (!TabRead) Refuse(ByIface("Не задано имя п/п Чтение", "Не задано ім'я п/п Читання"));
  if (!FRec) FRec = std::make_unique<WRec>();
  FIsOpen = true;
  FFile = ListFile;
  FNumFile = ListFile ? Num : 0;
  FTmpMode = ListFile == nullptr;
  FModified = false; // a fresh list
}

void TZTable::TabClose() {
  if (!FIsOpen) return;
  FIsOpen = false;
  if (FModified && FTmpMode && TabStartCreatNewFile && TabEndCreatNewFile) {
    TabStartCreatNewFile(this);
    CreatNewFile();
    TabEndCreatNewFile(this);
  }
  if (TabEnd) TabEnd(this);
  if (FHost) {
    if (FHost->HasScrollBar()) OnOffFSB(kScrollBarGone); // the columns get their width back
    FHost->SetVisible(false);
  }
  DelDIndex();
  DelIndex();
  FFile = nullptr;
  FTmpMode = false;
  FModified = false;
  FCurCol = 0;
  FSel.Forget();
  FFirstShown = FLastShown = false;
  FRowCount = 0;
  FRows.clear();
  FRowTop.clear();
}

// ---- Building the indexes

void TZTable::CreatIndex(bool Show) {
  DelDIndex(); // its entries point into the main index
  DelIndex();
  if (!FRec) FRec = std::make_unique<WRec>();
  if (CreatorIndex) {
    FEndAdr = CreatorIndex(this);
  } else {
    ReadAllLines();
  }
  if (PostIndex) PostIndex(this, 0);
  if (Show) ShowFromStart();
}

void TZTable::ReadAllLines() {
  std::vector<TZTabIndex*> pending; // keyed by the control, not yet in the index
  try {
    for (;;) {
      auto* entry = new TZTabIndex;
      bool got = false, ownKey = false;
      try {
        got = TabRead(this, trIndex, entry, FRec.get());
        ownKey = entry->Key != nullptr;
        if (got && FLenBaseKey != 0 && !ownKey) LoadKey(FRec.get(), entry);
      } catch (...) {
        DelLineIndex(entry);
        throw;
      }
      if (!got) {
        FEndAdr = entry->Adr;
        DelLineIndex(entry);
        break;
      }
      if (FLenBaseKey != 0 && !ownKey) {
        pending.push_back(entry);
      } else {
        InsertKeyed(pending);
        FIndex.push_back(entry);
      }
    }
  } catch (...) {
    for (TZTabIndex* e : pending)
      DelLineIndex(e);
    throw;
  }
  InsertKeyed(pending);
  FIndex.shrink_to_fit();
}

// Entries keyed by the control go in key order; into an empty index all at once.
void TZTable::InsertKeyed(std::vector<TZTabIndex*>& pending) {
  if (pending.empty()) return;
  if (FIndex.empty()) {
    FIndex = OrderByInsertion(pending, FLenBaseKey);
  } else {
    FIndex.reserve(FIndex.size() + pending.size());
    for (TZTabIndex* e : pending)
      InsertSorted(e);
  }
  pending.clear();
}

void TZTable::InsertSorted(TZTabIndex* entry) {
  bool found = false;
  int pos = SearchEntries(FIndex, entry->Key, FLenBaseKey, found);
  FIndex.insert(FIndex.begin() + pos, entry);
}

void TZTable::LoadKey(WRec* Rec, TZTabIndex* Index) {
  delete[] Index->Key;
  Index->Key = new char[static_cast<size_t>(FLenBaseKey)]();
  if (TabOnOnLoadKey) TabOnOnLoadKey(this, Index->Key, Rec, Index);
}

void TZTable::LoadDKey(WRec* Rec, TZTabIndex*, TZTabDIndex* DIndex) {
  delete[] DIndex->Key;
  DIndex->Key = new char[static_cast<size_t>(std::max(FLenDopKey, 1))]();
  TabOnOnLoadDKey(this, DIndex->Key, Rec, DIndex);
}

void TZTable::ShowFromStart() {
  FPosition = 0;
  FCurRow = 0;
  FTarget = 0;
  FRowCount = 0;
  if (FIndex.empty() || !FCanVisible) return;
  // The captions are measured as soon as the list is shown, not first when the scroll bar
  // narrows the columns, so the header keeps its height when the bar appears.
  FLayoutReady = true;
  if (!FHeadLevels.empty()) ReCalcHeight();
  FRowCount = SelectRecOut(0, false);
  if (FRowCount > 0) FTarget = ScreenLine(0);
}

void TZTable::CreatDIndex() {
  if (!FIsOpen)
    Refuse(ByIface("Необходимо вначале выполнить TabOpen", "Необхідно спочатку виконати TabOpen"));
  if (FTmpMode)
    Refuse(ByIface("Создание вторичных ключей невозможно для TMP",
                   "Створення вторинних ключів неможливе для TMP"));
  if (!TabOnOnLoadDKey)
    Refuse(ByIface("отсутствует точка пользователя для загрузки ключа TabOnLoadDKey",
                   "відсутня точка користувача для завантаження ключа TabOnLoadDKey"));
  DelDIndex();
  if (FLenDopKey == 0) FLenDopKey = FLenBaseKey;
  std::vector<TZTabDIndex*> read;
  read.reserve(FIndex.size());
  try {
    for (TZTabIndex* e : FIndex) {
      TabRead(this, trDKey, e, FRec.get());
      auto* d = new TZTabDIndex;
      d->Index = e;
      read.push_back(d);
      LoadDKey(FRec.get(), e, d);
    }
  } catch (...) {
    for (TZTabDIndex* d : read)
      FreeDEntry(d);
    throw;
  }
  FDIndex = OrderByInsertion(read, FLenDopKey);
  FDActive = true;
}

void TZTable::ClearDIndex() {
  if (FDActive || !FDIndex.empty()) DelDIndex();
}

// ---- Releasing

void TZTable::DelLineIndex(TZTabIndex* Index) {
  if (!Index) return;
  if (Index == FCurIndex) FCurIndex = nullptr;
  delete[] Index->Key;
  Index->Key = nullptr;
  if (Index->UsePar) {
    if (TabOnDelUsePar) {
      TabOnDelUsePar(this, Index);
    } else {
      std::free(Index->UsePar);
      Index->UsePar = nullptr;
    }
  }
  delete Index;
}

void TZTable::DelIndex() {
  std::vector<TZTabIndex*> lines;
  lines.swap(FIndex);
  for (TZTabIndex* e : lines)
    DelLineIndex(e);
  FCurIndex = nullptr;
}

void TZTable::FreeDEntry(TZTabDIndex* d) {
  delete[] d->Key;
  delete d;
}

void TZTable::DelDIndex() {
  for (TZTabDIndex* d : FDIndex)
    FreeDEntry(d);
  FDIndex.clear();
  FDIndex.shrink_to_fit();
  FDActive = false;
}

// ---- Lookups

TZTabIndex* TZTable::GetIndex(int N, bool Main) {
  if (N < 0) return nullptr;
  size_t n = static_cast<size_t>(N);
  if (FDActive && !Main) return n < FDIndex.size() ? FDIndex[n]->Index : nullptr;
  return n < FIndex.size() ? FIndex[n] : nullptr;
}

TZTabIndex* TZTable::GetNumIndex(int N, int& MainPos) {
  if (!FDActive) {
    MainPos = N;
    return GetIndex(N, true);
  }
  TZTabIndex* entry = GetIndex(N);
  MainPos = entry ? MainPosition(entry) : -1;
  return entry;
}

// Position of entry in the main order: found by its key, then among the equal keys beside it.
int TZTable::MainPosition(const TZTabIndex* entry) const {
  int n = static_cast<int>(FIndex.size());
  if (FLenBaseKey > 0 && entry->Key) {
    bool found = false;
    int pos = SearchEntries(FIndex, entry->Key, FLenBaseKey, found);
    auto equal = [&](int i) {
      const char* k = FIndex[static_cast<size_t>(i)]->Key;
      return k && CompareKeys(k, entry->Key, FLenBaseKey) == 0;
    };
    for (int i = pos; found && i >= 0 && equal(i); --i)
      if (FIndex[static_cast<size_t>(i)] == entry) return i;
    for (int i = pos + 1; found && i < n && equal(i); ++i)
      if (FIndex[static_cast<size_t>(i)] == entry) return i;
  }
  for (int i = 0; i < n; ++i) // owner-ordered lines
    if (FIndex[static_cast<size_t>(i)] == entry) return i;
  return -1;
}

bool TZTable::FindKey(const char* Key, int KeyLen, bool Main, bool Show) {
  bool found = false;
  bool main = !FDActive || Main;
  int len = std::min(KeyLen, main ? FLenBaseKey : FLenDopKey); // never past the stored keys
  if (len <= 0 || !Key) {
    FTarget = 0;
    return false;
  }
  FTarget = main ? SearchEntries(FIndex, Key, len, found) : SearchEntries(FDIndex, Key, len, found);
  if (Show && found) WorkStatus(kRefTarget, FCurRow, true);
  return found;
}

// ---- Reading lines

bool TZTable::ReadLineInto(int, TZTabIndex* Index, WRec* Rec, TypeRead Type) {
  if (InTmp(Index)) {
    if (!TmpFile) Refuse(ByIface("Не задан рабочий файл TMP", "Не задано робочий файл TMP"));
    return TmpFile->WRead(Index->Adr, Rec);
  }
  return TabRead && TabRead(this, Type, Index, Rec);
}

bool TZTable::InTmp(const TZTabIndex* Index) const {
  return FTmpMode && (Index->Flags & kIdxWritten) != 0;
}

TZTabIndex* TZTable::LineOrRefuse(int N) {
  TZTabIndex* entry = GetIndex(N);
  if (!entry)
    Refuse(ByIface("Строка ", "Рядок ") + std::to_string(N) +
           ByIface(" отсутствует в списке", " відсутній у списку"));
  return entry;
}

uint32_t TZTable::ReadRecord(int N, WRec* Rec, TypeRead Type) {
  TZTabIndex* entry = LineOrRefuse(N);
  FCurIndex = entry;
  ReadLineInto(N, entry, Rec, Type);
  return InTmp(entry) ? EmptyAdr : entry->Adr;
}

void TZTable::LoadRecStruct(int N, TRecImage& Buf, WRec* Rec) {
  if (!Rec) {
    if (!FRec) FRec = std::make_unique<WRec>();
    Rec = FRec.get();
    TZTabIndex* entry = LineOrRefuse(N);
    FCurIndex = entry;
    ReadLineInto(N, entry, Rec, trOther);
  }
  RecStruct(&KindFieldsOf(static_cast<unsigned char>(Rec->Prefix)), Rec, Buf);
}

void TZTable::LoadStructRec(const TRecImage& Buf, WRec* Rec, unsigned char Kind) {
  StructRec(&KindFieldsOf(Kind), Buf, Rec, Kind);
}

const TListFields& TZTable::KindFieldsOf(unsigned char kind) const {
  if (kind >= FKindFields.size())
    Refuse(ByIface("Вид записи ", "Вид запису ") + std::to_string(kind) +
           ByIface(" отсутствует в описании экрана", " відсутній в описі екрана"));
  return FKindFields[kind];
}

// ---- Writing a temporary-file list back

void TZTable::CreatNewFile() {
  if (FDActive)
    Refuse(ByIface("В случае наличия вторичных ключей использование CreatNewFile невозможно",
                   "За наявності вторинних ключів використання CreatNewFile неможливе"));
  if (!FModified) return;
  if (!TabWrite) Refuse(ByIface("Не задано имя п/п Запись", "Не задано ім'я п/п Запис"));
  if (!TabStartCreatNewFile)
    Refuse(ByIface("Не задано имя п/п StartCreatNewFile", "Не задано ім'я п/п StartCreatNewFile"));
  if (!TabEndCreatNewFile)
    Refuse(ByIface("Не задано имя п/п EndCreatNewFile", "Не задано ім'я п/п EndCreatNewFile"));
  if (!FRec) FRec = std::make_unique<WRec>();
  for (size_t i = 0; i < FIndex.size(); ++i) {
    TZTabIndex* e = FIndex[i];
    ReadLineInto(static_cast<int>(i), e, FRec.get(), trNewFile);
    TabWrite(this, FRec.get(), e);
  }
  FModified = false;
}

// ---- The standard reader of a plain record file

bool TabRead(WFile* ListFile, TypeRead Type, TZTabIndex* Index, WRec* Rec) {
  if (Type == trIndex) {
    bool got = ListFile->WRead(Rec);
    if (got) Index->Adr = ListFile->LastAdr;
    return got;
  }
  return ListFile->WRead(Index->Adr, Rec);
}
