// The object list window's work without its widgets: the table's events, the check pass and the
// batch change. The per-object check and change are those of the command line (workflow/Objects).
#include "workflow/Uvbl_list.h"

#include "messages/Utslang.h"

#include <algorithm>
#include <numeric>

#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "paths/Dpath.h"
#include "paths/Rdwr_cfg.h"
#include "workflow/Batch.h"
#include "workflow/Ucommon.h"

namespace {
constexpr unsigned short kKeyCompare = 114; // F3
constexpr int kColKind = 1, kColSign = 5;
constexpr int kListGroupNumber = 1;
constexpr int kLineKeyLength = 4;

unsigned char DocRussianByte() {
  return Cfg[CfgDocRussian];
}
} // namespace

bool StateColor(uint8_t state, TColor& color) {
  if (state & stMissing)
    color = kColorMissing;
  else if (state & stReplaced)
    color = kColorReplaced;
  else if (state & stUnreadable)
    color = kColorUnreadable;
  else if (state & stUserChanged)
    color = kColorUserChanged;
  else
    return false;
  return true;
}

std::string KindLetter(int8_t kind) {
  switch (kind) {
  case 1:
    return "П";
  case 2:
    return "Р";
  case 3:
    return "Ж";
  default:
    return "";
  }
}

TVblList::TVblList(TZTable& table, uint8_t typeSub, uint8_t typeBn, bool isRus)
    : tb(table), FInfo(ListInfoOf(typeSub, typeBn)), FIsRus(isRus) {
  FFields = ListLineFields(FInfo);
  tb.SetCanSelect(true);
  tb.SetTabType(true);
  tb.SetCanVisible(true);
  tb.TabInit = [this](TZTable*) { FileList->WOpen_file(static_cast<unsigned long>(FInfo.Group)); };
  tb.TabRead = [this](TZTable*, TypeRead type, TZTabIndex* index, WRec* rec) {
    return tbTabRead(type, index, rec);
  };
  tb.TabOnKey = [this](TZTable*, unsigned short key) -> unsigned char {
    if (key == kKeyEscape && OnClose) OnClose();
    if (key == kKeyCompare && OnCompare) OnCompare();
    return kRefNone;
  };
  tb.TabOnOutRk = [this](TZTable*, int col, int row, std::string& buffer, TypeField&, TypeOut&,
                         TListFields*, TZCell*, int, TRect, TCanvas* can, int&,
                         uint8_t&) { return tbTabOnOutRk(col, row, buffer, can); };
  tb.TabOnOnLoadKey = [this](TZTable*, char* key, WRec* rec, TZTabIndex*) {
    TRecImage image;
    RecStruct(&FFields, rec, image);
    LineKey(image.Get<uint32_t>(kImgNumber), key);
    return true;
  };
  tb.TabOnStartEndSelect = [this](TZTable*, etpslSelect status, int) {
    return tbTabOnStartEndSelect(status);
  };
}

TVblList::~TVblList() {
  FormClose();
}

std::string TVblList::Caption() const {
  std::string list = FInfo.Projects()
                         ? ByIface("Список строек", "Список будов")
                         : ByIface("Список блоков настроек", "Список блоків налаштування");
  return list + " \x97 " + ListName(FInfo); // an em dash before the list's own name
}

std::string TVblList::Heading() const {
  return FInfo.Projects()
             ? ByIface("Выделите нужные стройки и нажмите кнопку \"Изменить\"",
                       "Виділіть потрібні будови та натисніть кнопку \"Змінити\"")
             : ByIface("Выделите нужные блоки настройки и нажмите кнопку \"Изменить\"",
                       "Виділіть потрібні блоки налаштування та натисніть кнопку \"Змінити\"");
}

bool TVblList::LoadScreen() {
  // The table reports a screen it cannot read itself and is left without columns.
  tb.SetNumFileScreen(FInfo.Screen);
  return tb.DataColumns() > 0;
}

void TVblList::FormShow(const TProgress& progress) {
  LastNum = -1;
  FLast.clear();
  tb.SetNumFileScreen(FInfo.Screen);
  // Loading a screen clears the key length: the lines are ordered by object number on either
  // screen, so it is set after the screen.
  tb.SetLenBaseKey(kLineKeyLength);
  FormClose();
  FileList = nullptr;
  FileList = FOwnList = new WFile(ListAliasName(FInfo, FIsRus));
  tb.TabOpen(FileList, kListGroupNumber);
  CheckObjects(progress);
}

void TVblList::FormClose() noexcept {
  if (tb.IsOpen()) {
    try {
      tb.TabClose();
    } catch (...) {
    }
  }
  if (!FOwnList) return;
  if (FileList == FOwnList) FileList = nullptr;
  delete FOwnList;
  FOwnList = nullptr;
}

bool TVblList::tbTabRead(TypeRead type, TZTabIndex* index, WRec* rec) {
  if (type != trIndex) return FileList->WRead(index->Adr, rec);
  bool got = FileList->WRead(rec);
  index->Adr = FileList->LastAdr;
  if (got && FInfo.Contractor()) {
    TRecImage image;
    RecStruct(&FFields, rec, image);
    int32_t number = static_cast<int32_t>(image.Get<uint32_t>(kImgNumber));
    if (number == LastNum)
      index->Flags |= kIdxHidden;
    else
      LastNum = number;
  }
  return got;
}

int TVblList::tbTabOnOutRk(int col, int row, std::string& buffer, TCanvas* can) {
  if (tb.LineCount() == 0 || row < 0 || row >= tb.LineCount()) return -1;
  TColor color;
  if (StateColor(StateOf(row), color)) can->SetFontColor(color);
  if (!FInfo.Projects()) return -1;
  if (col == kColKind) {
    if (static_cast<size_t>(row) < FKind.size())
      buffer = KindLetter(FKind[static_cast<size_t>(row)]);
    else
      buffer = KindLetter(LineAt(row).Kind);
  } else if (col == kColSign) {
    buffer.clear();
  }
  return -1;
}

bool TVblList::tbTabOnStartEndSelect(etpslSelect status) {
  CountsChanged();
  if (status == etpslSelect::Cleared) {
    EnableChange(false);
    return false;
  }
  if (status != etpslSelect::Marked) return true;
  tb.KeepMarked([](const TZTabIndex& e) { return (e.Flags & stReplaceable) != 0; });
  if (tb.MarkedCount() != 0) EnableChange(true);
  return true;
}

TObjectFiles TVblList::Files() {
  if (!FOwnList || !FileRef) SetError(ByIface("Список не открыт", "Список не відкрито"), 0);
  return TObjectFiles(*FOwnList, *FileRef, RecWork);
}

void TVblList::EnableChange(bool on) {
  if (OnEnableChange) OnEnableChange(on);
}

void TVblList::CountsChanged() {
  if (OnCountsChanged) OnCountsChanged();
}

TListCounts TVblList::Counts() const {
  TListCounts c;
  c.Lines = tb.LineCount();
  c.Marked = tb.MarkedCount();
  const uint8_t other = stMissing | stReplaced | stUnreadable | stUserChanged;
  for (int i = 0; i < c.Lines; ++i) {
    uint8_t s = StateOf(i);
    c.Replaceable += (s & stReplaceable) && !(s & other);
  }
  return c;
}

std::vector<std::string> TVblList::MarkedObjects() {
  std::vector<std::string> out;
  for (int i = 0; i < tb.LineCount(); ++i)
    if (tb.GetIndex(i, false)->Flags & kIdxMarked) {
      bool damaged = false;
      out.push_back(ReadLine(i, damaged).File);
    }
  return out;
}

bool TVblList::CompareCurrent(TCalcComparison& out) {
  if (tb.LineCount() == 0) return false;
  TObjectFiles files = Files();
  out = CompareWithNewReference(files, FInfo, LineAt(tb.CurrentLine()), DocRussianByte());
  return true;
}

uint8_t TVblList::StateOf(int line) const {
  return static_cast<uint8_t>(tb.GetIndex(line, false)->Flags & 0xFF);
}

TObjLine TVblList::ReadLine(int i, bool& damaged) {
  damaged = false;
  try {
    return LineAt(i);
  } catch (const std::exception&) {
    damaged = true;
  }
  TObjLine l;
  if (static_cast<size_t>(i) < FLast.size()) l = FLast[static_cast<size_t>(i)];
  l.Adr = tb.GetIndex(i, false)->Adr;
  return l;
}

TObjLine TVblList::LineAt(int i) {
  tb.ReadRecord(i, &FRec, trOther);
  TZTabIndex* e = tb.GetIndex(i, false);
  TObjLine l = ObjectLineOf(FInfo, FFields, &FRec, DocRussianByte());
  l.Adr = e->Adr;
  l.Hidden = (e->Flags & kIdxHidden) != 0;
  return l;
}

std::vector<int> TVblList::LinesInFileOrder() {
  // The table orders its lines by object number; read in that order, every list record would
  // cost the list file a jump.
  std::vector<int> order(static_cast<size_t>(tb.LineCount()));
  std::iota(order.begin(), order.end(), 0);
  std::vector<uint32_t> adr(order.size());
  for (int i : order)
    adr[static_cast<size_t>(i)] = tb.GetIndex(i, false)->Adr;
  std::sort(order.begin(), order.end(), [&](int a, int b) {
    return adr[static_cast<size_t>(a)] < adr[static_cast<size_t>(b)];
  });
  return order;
}

void TVblList::CheckObjects(const TProgress& progress) {
  for (bool& shown : FLegend)
    shown = false;
  std::vector<TObjLine> lines(static_cast<size_t>(tb.LineCount()));
  for (int i : LinesInFileOrder()) {
    bool damaged = false;
    TObjLine& l = lines[static_cast<size_t>(i)];
    l = ReadLine(i, damaged);
    if (damaged) l.File.clear(); // checked as unreadable
  }
  FKind.clear();
  for (const TObjLine& l : lines)
    FKind.push_back(l.Kind);
  TObjectFiles files = Files();
  CheckObjectLines(files, FInfo, lines, DocRussianByte(), progress);
  // Lb1..Lb5 by state bit: replaceable, replaced, user-changed, unreadable, missing.
  const uint8_t legendBit[kLegendCount] = {stReplaceable, stReplaced, stUserChanged, stUnreadable,
                                           stMissing};
  for (size_t i = 0; i < lines.size(); ++i) {
    TZTabIndex* e = tb.GetIndex(static_cast<int>(i), false);
    e->Flags |= lines[i].State;
    e->Height = 0;
    for (int b = 0; b < kLegendCount; ++b)
      if (lines[i].State & legendBit[b]) FLegend[b] = true;
  }
  if (FLast.empty()) FLast = std::move(lines);
  tb.WorkKey(kKeyRedraw);
  CountsChanged();
}

TBatchReport TVblList::ChangeMarked(const TObjectProgress& progress) {
  std::vector<TObjLine> lines;
  std::vector<int> lineOf;
  for (int i = 0; i < tb.LineCount(); ++i) {
    if (!(tb.GetIndex(i, false)->Flags & kIdxMarked)) continue;
    bool damaged = false; // ChangeObjects reads the record again and reports it failed
    lines.push_back(ReadLine(i, damaged));
    lineOf.push_back(i);
  }
  std::vector<const TObjLine*> chosen;
  for (const TObjLine& l : lines)
    chosen.push_back(&l);
  TChangeHooks hooks;
  if (progress)
    hooks.Progress = [&](size_t done, size_t total) {
      return progress(done, total, done < lines.size() ? lines[done].File : std::string());
    };
  hooks.WriteList = [&](size_t k, WRec* rec) {
    int line = lineOf[k];
    if (tb.TabEdit(weUpdate, line, rec, false, false) == EmptyAdr)
      SetError(ByIface("Строка ", "Рядок ") + std::to_string(line + 1) +
                   ByIface(" отсутствует в списке", " відсутній у списку"),
               MsgTabText);
  };
  TBatchReport report;
  TObjectFiles files = Files();
  std::vector<TChangeItem> items =
      ChangeObjects(files, FInfo, chosen, DocRussianByte(), report.Failures, hooks);
  report.Stopped = items.size() < chosen.size();
  for (const TChangeItem& it : items) {
    switch (it.Outcome.Result) {
    case TChangeResult::Changed:
      ++report.Changed;
      report.Warned += !it.Outcome.Warning.empty();
      break;
    case TChangeResult::Unchanged:
      ++report.Unchanged;
      break;
    case TChangeResult::Missing:
      ++report.Missing;
      break;
    default:
      ++report.Failed;
    }
  }
  report.Protocol =
      WriteChangeProtocol(ListAliasName(FInfo, FIsRus), report.Failures, report.ProtocolError);
  return report;
}

void TVblList::FinishChange() {
  CheckObjects();
  tb.WorkKey(kKeyDelete);
  CountsChanged();
}
