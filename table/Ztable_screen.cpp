// TZTable screen description: reading a screen of the screen description file into cells and
// per-kind field lists, and the initial cell layout (equal widths, shared borders, inner rects).
#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "base/Scale.h"
#include "table/Ztable.h"
#include "messages/Utslang.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

namespace {
constexpr double kInchPerCm = 0.39370078740157477;
constexpr int kMaxKinds = 128;        // record kinds are the non-negative prefix values
constexpr int kMaxScreenCells = 1000; // the border pass compares every pair of cells
constexpr double kMaxCm = 1000.0;
constexpr int kMaxPixel = 99999; // header levels compare as 5-digit numbers
constexpr int kMaxFontSize = 200;
constexpr int kMinKindBytes = 7 + 8;  // record header, structure number, count
constexpr int kMinCellBytes = 7 + 55; // record header and the fixed fields of a cell
constexpr int kMinOutBytes = 7;       // empty name, TypeOut, Param
const uint8_t kStyleOfByte[4] = {fsBold, fsItalic, fsUnderline, fsStrikeOut};

[[noreturn]] void ScreenError(int screen, const std::string& what) {
  SetError(std::to_string(screen) + "|" + what, MsgBadScreen);
}

// Fields of one record of a screen, read in order with bounds checks.
class TFieldReader {
public:
  TFieldReader(const WRec& rec, int screen, const char* what)
      : P(rec.Data), Len(rec.Len), Screen(screen), What(what) {}
  uint8_t Byte() { return static_cast<uint8_t>(Raw(1)); }
  int32_t Int() { return static_cast<int32_t>(Raw(4)); }
  double Double() {
    uint64_t bits = Raw(8);
    double d;
    std::memcpy(&d, &bits, 8);
    return d;
  }
  std::string Text() {
    size_t n = static_cast<size_t>(Raw(2));
    Need(n);
    std::string s(P + Pos, n);
    Pos += n;
    return s;
  }
  size_t Left() const { return Len - Pos; }

private:
  uint64_t Raw(size_t n) {
    Need(n);
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i)
      v |= static_cast<uint64_t>(static_cast<uint8_t>(P[Pos + i])) << (8 * i);
    Pos += n;
    return v;
  }
  void Need(size_t n) const {
    if (Len - Pos < n)
      ScreenError(Screen, std::string(What) +
                              ByIface(": поле за концом записи", ": поле за кінцем запису"));
  }
  const char* P;
  size_t Len, Pos = 0;
  int Screen;
  const char* What;
};

// The structures of a screen lie in the file the screen is read from.
class TBoibScope {
public:
  explicit TBoibScope(WFile* file) : Old(Boib) { Boib = file; }
  ~TBoibScope() { Boib = Old; }
  TBoibScope(const TBoibScope&) = delete;
  TBoibScope& operator=(const TBoibScope&) = delete;

private:
  WFile* Old;
};

int FindField(const TListFields& fields, const std::string& name) {
  for (size_t i = 0; i < fields.size(); ++i)
    if (fields[i].FName == name) return static_cast<int>(i);
  return -1;
}

int Half(int w) {
  return w / 2 + w % 2;
}
} // namespace

void TZTable::SetNumFileScreen(int n) {
  if (n == FNumFileScreen) return;
  FNumFileScreen = n;
  if (n == 0) return;
  try {
    FreeScreen();
    ReadDefScreen(n);
  } catch (const ZError& e) {
    OutErr(e);
  } catch (...) {
    OutUnDefError(ByIface("Неопределенная ошибка при загрузке описания экрана",
                          "Невизначена помилка під час завантаження опису екрана"));
  }
  if (FHost) FHost->Invalidate();
}

void TZTable::FreeScreen() {
  FLayout.Clear();
  if (!FHost || !FHost->DesignMode()) {
    FKindOutFields.clear();
    FKindFields.clear();
  }
}

void TZTable::ReadScreenRecord(WFile* file, const char* what) {
  if (!file->WRead(FScreenRec.get(), FScreenAdr))
    ScreenError(FScreenNum,
                std::string(what) + ByIface(": запись отсутствует", ": запис відсутній"));
}

void TZTable::ReadDefScreen(int Screen, WFile* file) {
  if (!file) file = Boib;
  if (!file)
    SetError(ByIface("Файл описаний экранов CFG#Boib.sfr не открыт",
                     "Файл описів екранів CFG#Boib.sfr не відкрито"),
             MsgOwnText);
  FreeScreen();
  FScreenNum = Screen;
  std::string n = std::to_string(Screen);
  unsigned long size = file->WOpen_file(static_cast<unsigned long>(Screen));
  if (size <= static_cast<unsigned long>(LenEof))
    SetError(ByIface("Нет информации для файла ", "Немає інформації для файлу ") + n, MsgOwnText);
  double ppcm = FHost->PixelsPerInch() * kInchPerCm;
  if (IsScale && OldScr > 0) ppcm = ppcm * NewScr / OldScr;
  FFirstDataCell = FDataColumns = 0;
  FAreaLeft = FAreaTop = FAreaRight = FAreaBottom = FLineAreaHeight = 0;
  FLenBaseKey = FLenDopKey = 0;
  FLayoutReady = false;
  if (!FScreenRec) FScreenRec = std::make_unique<WRec>();
  if (!file->WRead(FScreenRec.get()) || FScreenRec->Len < 8)
    SetError(ByIface("Нет информации в описании экрана ", "Немає інформації в описі екрана ") + n,
             MsgOwnText);
  FScreenAdr = static_cast<int>(file->CurAdr);
  TFieldReader head(*FScreenRec, Screen, "заголовок");
  int64_t kinds = head.Int(), cells = head.Int();
  if (kinds == 0)
    SetError(ByIface("Не задано описание реквизитов для визуализации - экран ",
                     "Не задано опис реквізитів для візуалізації - екран ") +
                 n,
             MsgOwnText);
  if (cells == 0)
    SetError(ByIface("Нет данных для рисования экрана ", "Немає даних для малювання екрана ") + n,
             MsgOwnText);
  if (kinds < 0 || kinds > kMaxKinds)
    ScreenError(Screen, ByIface("число видов записей ", "кількість видів записів ") +
                            std::to_string(kinds));
  if (cells < 0 || cells > kMaxScreenCells)
    ScreenError(Screen, ByIface("число ячеек ", "кількість комірок ") + std::to_string(cells));
  if (kinds * kMinKindBytes + cells * kMinCellBytes > static_cast<int64_t>(size))
    ScreenError(Screen,
                ByIface("число видов записей и ячеек больше, чем помещается в группе",
                        "кількість видів записів і комірок більша, ніж уміщується в групі"));
  for (int k = 0; k < kinds; ++k)
    ReadKind(file, k);
  int box[4] = {99999, 99999, 0, 0};
  for (int c = 0; c < cells; ++c)
    ReadCell(file, ppcm, box);
  PostCell(box);
}

void TZTable::ReadKind(WFile* file, int) {
  ReadScreenRecord(file, ByIface("вид записи", "вид запису"));
  TFieldReader in(*FScreenRec, FScreenNum, ByIface("вид записи", "вид запису"));
  int32_t structure = in.Int();
  int32_t count = in.Int();
  if (count < 0 || static_cast<size_t>(count) > in.Left() / kMinOutBytes)
    ScreenError(FScreenNum,
                ByIface("число выводимых реквизитов ", "кількість виведених реквізитів ") +
                    std::to_string(count));
  TZOutFields outs;
  for (int i = 0; i < count; ++i) {
    TZOutField o;
    o.Name = in.Text();
    o.Type = in.Byte();
    o.Param = in.Int();
    outs.push_back(o);
  }
  TListFields fields;
  if (!FHost->DesignMode()) {
    TBoibScope scope(file);
    CreatDefRecord(structure, &fields, FScreenRec.get());
  }
  for (TZOutField& o : outs)
    o.FieldIndex = FindField(fields, o.Name);
  FKindFields.push_back(std::move(fields));
  FKindOutFields.push_back(std::move(outs));
}

void TZTable::ReadCell(WFile* file, double ppcm, int* box) {
  ReadScreenRecord(file, ByIface("ячейка", "комірка"));
  TFieldReader in(*FScreenRec, FScreenNum, ByIface("ячейка", "комірка"));
  auto cell = std::make_unique<TZCell>();
  in.Text(); // the cell's name
  double cm[4];
  int px[4];
  for (int i = 0; i < 4; ++i) {
    cm[i] = in.Double();
    if (!std::isfinite(cm[i]) || cm[i] < 0 || cm[i] > kMaxCm || cm[i] * ppcm > kMaxPixel)
      ScreenError(FScreenNum, ByIface("координата ячейки ", "координата комірки ") +
                                  std::to_string(FCells.size() + 1));
    px[i] = static_cast<int>(cm[i] * ppcm);
  }
  if (cm[2] < cm[0] || cm[3] < cm[1])
    ScreenError(FScreenNum, ByIface("ячейка ", "комірка ") + std::to_string(FCells.size() + 1) +
                                ByIface(" вывернута", " вивернута"));
  cell->CellRect = {px[0], px[1], px[2], px[3]};
  cell->WidthCm = cm[2] - cm[0];
  for (uint8_t& b : cell->Border)
    if ((b = in.Byte()) > 3)
      ScreenError(FScreenNum, ByIface("вид линии ", "вид лінії ") + std::to_string(b));
  cell->HorAlign = in.Byte();
  cell->VerAlign = in.Byte();
  if (cell->HorAlign > 2 || cell->VerAlign > 2)
    ScreenError(FScreenNum, ByIface("выравнивание", "вирівнювання"));
  cell->FontName = in.Text();
  cell->FontSize = in.Int();
  if (cell->FontName.empty())
    ScreenError(FScreenNum, ByIface("пустое имя шрифта", "порожнє ім'я шрифту"));
  if (cell->FontSize < 1 || cell->FontSize > kMaxFontSize)
    ScreenError(FScreenNum,
                ByIface("размер шрифта ", "розмір шрифту ") + std::to_string(cell->FontSize));
  if (IsScale && OldScr > 0) {
    cell->FontName = "Arial";
    int64_t s = (int64_t(cell->FontSize) * NewScr * 2 + OldScr) / (2 * int64_t(OldScr));
    cell->FontSize = static_cast<int32_t>(std::clamp<int64_t>(s, 1, kMaxFontSize));
  }
  cell->CellByte = in.Byte();
  for (uint8_t style : kStyleOfByte)
    if (in.Byte() == 1) cell->FontStyle |= style;
  cell->Caption1 = in.Text();
  cell->Caption2 = in.Text();
  box[0] = std::min(box[0], px[0]);
  box[1] = std::min(box[1], px[1]);
  box[2] = std::max(box[2], px[2]);
  box[3] = std::max(box[3], px[3]);
  TCanvas& can = FHost->Canvas();
  can.SetFontName(cell->FontName);
  can.SetFontSize(cell->FontSize);
  can.SetFontStyle(cell->FontStyle);
  FCells.push_back(std::move(cell));
}

void TZTable::ChangeWidth(int* Bounds, int Cell, int Delta) {
  int left = FCells[static_cast<size_t>(Cell)]->CellRect.Left;
  for (auto& c : FCells) {
    if (c->CellRect.Left > left) c->CellRect.Left += Delta;
    if (c->CellRect.Right > left) c->CellRect.Right += Delta;
  }
  if (Bounds[2] > left) Bounds[2] += Delta;
}

// Template columns of equal described width get the widest pixel width of their group; the
// widest column of a width of its own gives the difference back, so the total stays.
void TZTable::AnalysRound(int* Bounds) {
  std::map<long, std::vector<int>> groups;
  for (size_t i = 0; i < FCells.size(); ++i)
    if (FCells[i]->CellRect.Bottom == Bounds[3])
      groups[std::lround(FCells[i]->WidthCm * 100)].push_back(static_cast<int>(i));
  int single = -1;
  for (auto& [w, members] : groups)
    if (members.size() == 1) single = members[0];
  if (single < 0) return;
  int sum = 0;
  for (auto& [w, members] : groups) {
    if (members.size() < 2) continue;
    int widest = 0;
    for (int m : members)
      widest = std::max(widest, FCells[static_cast<size_t>(m)]->CellRect.Width());
    for (int m : members) {
      int d = widest - FCells[static_cast<size_t>(m)]->CellRect.Width();
      if (d > 0) ChangeWidth(Bounds, m, d);
      sum += d;
    }
  }
  if (sum > 0 && FCells[static_cast<size_t>(single)]->CellRect.Width() > sum)
    ChangeWidth(Bounds, single, -sum);
}

void TZTable::SharedBorders(const int* Bounds) {
  std::vector<int> round;
  std::vector<bool> queued(FCells.size(), false);
  for (size_t i = 0; i < FCells.size(); ++i) {
    TZCell& c = *FCells[i];
    c.Flags &= static_cast<uint8_t>(~1);
    c.LeftJoin = c.TopJoin = 0;
    if (round.empty() && c.CellRect.Left == Bounds[0] && c.CellRect.Top == Bounds[1]) {
      round.push_back(static_cast<int>(i));
      queued[i] = true;
    }
  }
  while (!round.empty()) {
    std::vector<int> next;
    for (int ci : round) {
      TZCell& c = *FCells[static_cast<size_t>(ci)];
      c.Flags |= 1;
      const TRect& r = c.CellRect;
      for (size_t j = 0; j < FCells.size(); ++j) {
        TZCell& o = *FCells[j];
        if (o.Flags & 1) continue;
        const TRect& q = o.CellRect;
        bool found = true;
        if (q.Right == r.Left && q.Top == r.Top)
          c.LeftJoin = std::max<int32_t>(c.LeftJoin, o.Border[2]);
        else if (q.Bottom == r.Top && q.Left == r.Left)
          c.TopJoin = std::max<int32_t>(c.TopJoin, o.Border[3]);
        else if (q.Left == r.Right && q.Top == r.Top)
          o.LeftJoin = std::max<int32_t>(o.LeftJoin, c.Border[2]);
        else if (q.Top == r.Bottom && q.Left == r.Left)
          o.TopJoin = std::max<int32_t>(o.TopJoin, c.Border[3]);
        else
          found = false;
        if (found && !queued[j]) {
          queued[j] = true;
          next.push_back(static_cast<int>(j));
        }
      }
    }
    round.swap(next);
  }
}

void TZTable::InnerRects(const int* Bounds, int& lastLeft, int& lastBottom) {
  for (auto& cp : FCells) {
    TZCell& c = *cp;
    TRect& r = c.CellRect;
    const uint8_t* b = c.Border;
    bool onLeft = r.Left == Bounds[0], onTop = r.Top == Bounds[1];
    bool onRight = r.Right == Bounds[2], onBottom = r.Bottom == Bounds[3];
    if (onLeft) {
      r.Left += b[0] / 2;
      c.TextRect.Left = r.Left + b[0] / 2 + b[0] % 2 + 1;
      lastLeft = r.Left;
    } else {
      c.TextRect.Left = r.Left + Half(c.LeftJoin) + 1;
    }
    if (onTop) {
      r.Top += b[1] / 2;
      c.TextRect.Top = r.Top + b[1] / 2 + b[1] % 2 + 1;
    } else {
      c.TextRect.Top = r.Top + Half(c.TopJoin) + 1;
    }
    if (onRight) r.Right -= Half(b[2]);
    c.TextRect.Right = r.Right - b[2] / 2 - b[2] % 2 - 1;
    if (onBottom) {
      r.Bottom -= Half(b[3]);
      lastBottom = r.Bottom;
    }
    c.TextRect.Bottom = r.Bottom - b[3] / 2 - b[3] % 2 - 1;
  }
}

void TZTable::FindFirstDataCell(const int*, int lastLeft, int lastBottom) {
  FFirstDataCell = 0;
  for (size_t i = 0; i < FCells.size(); ++i)
    if (FCells[i]->CellRect.Left == lastLeft && FCells[i]->CellRect.Bottom == lastBottom) {
      FFirstDataCell = static_cast<int>(i);
      break;
    }
  FDataColumns = static_cast<int>(FCells.size()) - FFirstDataCell;
  LineAreaFromTemplate();
}

void TZTable::BuildHeadLevels() {
  std::string problem = FLayout.BuildHeadLevels();
  if (!problem.empty()) ScreenError(FScreenNum, problem);
}

void TZTable::SetLayout(TZLayout Given, std::vector<TListFields> KindFields,
                        std::vector<TZOutFields> KindOutFields) {
  FLayout = std::move(Given);
  FKindFields = std::move(KindFields);
  FKindOutFields = std::move(KindOutFields);
}

// The template reaches down to the control's bottom and its columns share the control's width.
// A control that has no size yet keeps the described layout; its first resize adapts it.
void TZTable::StretchToControl() {
  if (FHost->DesignMode() || FFirstDataCell >= static_cast<int>(FCells.size())) return;
  if (FHost->Height() > 0) ChangeHeight();
  int width = FHost->Width();
  if (width <= 0) return;
  ChangeWidth(width - FDesignWidth);
  FDesignWidth = width;
}

void TZTable::PostCell(int* Bounds) {
  if (FCells.empty()) return;
  AnalysRound(Bounds);
  SharedBorders(Bounds);
  int lastLeft = Bounds[0], lastBottom = Bounds[3];
  InnerRects(Bounds, lastLeft, lastBottom);
  FindFirstDataCell(Bounds, lastLeft, lastBottom);
  FDesignWidth = Bounds[2];
  StretchToControl();
  for (auto& c : FCells)
    c->BaseRect = c->CellRect;
  if (FFirstDataCell == 0) return;
  BuildHeadLevels();
  ReCalcHeight();
}

void TZTable::ReDefFields(const std::string& Name, int Num, TypeField Type, char Kind) {
  size_t k = static_cast<unsigned char>(Kind);
  if (k >= FKindFields.size())
    SetError(ByIface("Вид записи ", "Вид запису ") + std::to_string(k) +
                 ByIface(" отсутствует в описании экрана", " відсутній в описі екрана"),
             MsgOwnText);
  TListFields& fields = FKindFields[k];
  int at = Num;
  if (!Name.empty()) {
    at = FindField(fields, Name);
    if (at < 0)
      SetError(ByIface("Реквизит ", "Реквізит ") + Name +
                   ByIface(" отсутствует в списке описаний", " відсутній у списку описів"),
               MsgOwnText);
  } else if (Num < 1 || Num >= static_cast<int>(fields.size())) {
    SetError(ByIface("Номер реквизита ", "Номер реквізиту ") + std::to_string(Num) +
                 ByIface(" отсутствует в списке описаний", " відсутній у списку описів"),
             MsgOwnText);
  }
  TField& f = fields[static_cast<size_t>(at)];
  if (f.FType < tfString || f.FType > tfShort81)
    SetError(
        ByIface("Тип реквизита не подлежит корректировке", "Тип реквізиту не підлягає коригуванню"),
        MsgOwnText);
  if (Type < tfString || Type > tfShort81)
    SetError(ByIface("Некорректно задан тип реквизита для замены ",
                     "Некоректно задано тип реквізиту для заміни "),
             MsgOwnText);
  f.FType = Type;
}

void TZTable::ReDefOutFields(int Col, const std::string& Name, char Kind) {
  size_t k = static_cast<unsigned char>(Kind);
  if (k >= FKindOutFields.size() || k >= FKindFields.size() || Col < 0 ||
      Col >= static_cast<int>(FKindOutFields[k].size()))
    return;
  TZOutField& o = FKindOutFields[k][static_cast<size_t>(Col)];
  o.Name = Name;
  o.FieldIndex = FindField(FKindFields[k], Name);
}
