// TZTable layout and painting: the header, the rows of lines with their cells, the column lines,
// the adaptation of the cells to the control's size, and the control's own vertical scroll bar.
#include <algorithm>
#include <cstring>

#include "format/Format_text.h"
#include "format/Fun_math.h"
#include "messages/Utslang.h"
#include "paths/Rdwr_cfg.h"
#include "table/Ztable.h"

#include "base/Strutil.h"

namespace {

enum : int { kLeft = 0, kTop = 1, kRight = 2, kBottom = 3 };

// Half a border width, rounded up.
int Half(int w) {
  return w / 2 + w % 2;
}

// Inner bottom of a cell whose outer bottom is bottom.
int InnerBottom(const TZCell& c, int bottom) {
  int b = c.Border[kBottom];
  return bottom - b / 2 - b % 2;
}

// The two corners of a border of a cell, as a line from the first to the second.
TRect BorderLine(const TRect& r, int side) {
  switch (side) {
  case kLeft:
    return {r.Left, r.Bottom, r.Left, r.Top};
  case kTop:
    return {r.Left, r.Top, r.Right, r.Top};
  case kRight:
    return {r.Right, r.Top, r.Right, r.Bottom};
  default:
    return {r.Right, r.Bottom, r.Left, r.Bottom};
  }
}

// The overflow kind the single-line splitter gets for a field type; -1: the type draws nothing.
int OverflowKind(int type) {
  switch (type) {
  case tfString:
  case tfDate:
    return 0;
  case tfShort82:
  case tfChar:
  case tfByte:
  case tfWord:
  case tfDword:
  case tfInt:
  case kTypeLineNumber:
    return 1;
  case tfShort81:
  case tfDouble:
    return 2;
  default:
    return -1;
  }
}

template <class T> bool ReadValue(const WRec* rec, const TField& f, T& v) {
  if (f.FOffset < 0 || f.FOffset + static_cast<int>(sizeof v) > rec->Len) return false;
  std::memcpy(&v, rec->Data + f.FOffset, sizeof v);
  return true;
}

// A screen description's width or decimal count beyond what a cell can hold is taken as that
// much: a cell shows at most one record's text, and a damaged file must not make a cell of
// gigabytes.
constexpr int32_t kMaxOutParam = 255;

int OutParam(const TZOutField& out) {
  return std::clamp(out.Param, -kMaxOutParam, kMaxOutParam);
}

std::string Number(int64_t v, const TZOutField& out) {
  return DIntToStr(static_cast<int32_t>(v), std::max(OutParam(out), 0), ' ', 10);
}

std::string TextValue(const WRec* rec, const TField& f, unsigned char docRussian) {
  if (f.FLength <= 0 || f.FOffset < 0 || f.FOffset + f.FLength > rec->Len) return std::string();
  std::string s(rec->Data + f.FOffset, static_cast<size_t>(f.FLength));
  if (s[0] == WDelim4) s = GetTextLang(docRussian, s, static_cast<int>(s.size()));
  std::replace(s.begin(), s.end(), '\\', '/');
  return s;
}

} // namespace

// ---- drawing ---------------------------------------------------------------------------------

void TZTable::Paint() {
  if (!FCanOutRk) return;
  ZDrawCell();
  if (!FHost->DesignMode()) OutScreenRecords();
  ZDrawCellClient();
  FHost->RepaintScrollBar();
}

void TZTable::DrawBorders(const TZCell& cell, bool inner) {
  TCanvas& can = FHost->Canvas();
  for (int side = kLeft; side <= kBottom; ++side) {
    int kind = cell.Border[side];
    if (kind == 0) continue;
    bool black = inner && (side == kLeft || side == kRight);
    can.SetPenColor(black ? clBlack : ColorPenB());
    can.SetPenWidth(PenWidthOf[std::min(kind, 3)]);
    TRect l = BorderLine(cell.CellRect, side);
    can.Line(l.Left, l.Top, l.Right, l.Bottom);
  }
}

void TZTable::ZDrawCell() {
  TCanvas& can = FHost->Canvas();
  can.SetBrushColor(clBtnFace);
  can.SetPenColor(ColorPenB());
  can.FillRect({0, 0, FHost->Width(), FHost->Height()});
  bool russian = IFaceLang == 0; // the language the table was made in
  for (int i = 0; i < FFirstDataCell && i < static_cast<int>(FCells.size()); ++i) {
    const TZCell& c = *FCells[static_cast<size_t>(i)];
    DrawBorders(c, false);
    can.SetBrushColor(clBtnFace);
    can.FillRect(c.TextRect);
    can.SetFont({c.FontName, c.FontSize, c.FontStyle, ColorPenB()});
    const std::string& caption = russian ? c.Caption1 : c.Caption2;
    if (!caption.empty()) {
      TLineLayout table;
      int total = 0, tallest = 0;
      int n = FormatTextWord(caption, c.TextRect.Width(), can, table, false, total, tallest);
      CellOutText(caption, c.TextRect, can, c.HorAlign, c.VerAlign, n, total, table);
    }
    if (TabShapDblClick && (c.Flags & 8))
      DrawScrollUpGlyph(c.CellRect.Left + 1, c.CellRect.Top + 1);
  }
}

// The small scroll-up glyph: a raised 9 x 9 square with an upward triangle.
void TZTable::DrawScrollUpGlyph(int x, int y) {
  TCanvas& can = FHost->Canvas();
  can.SetBrushColor(clBtnFace);
  can.FillRect({x, y, x + 9, y + 9});
  can.SetPenWidth(1);
  can.SetPenColor(clWhite);
  can.Line(x, y + 8, x, y);
  can.Line(x, y, x + 8, y);
  can.SetPenColor(0x808080);
  can.Line(x + 8, y, x + 8, y + 8);
  can.Line(x + 8, y + 8, x, y + 8);
  can.SetPenColor(clBlack);
  for (int i = 0; i < 3; ++i)
    can.Line(x + 4 - i, y + 3 + i, x + 5 + i, y + 3 + i);
}

void TZTable::ZDrawCellClient() {
  TCanvas& can = FHost->Canvas();
  can.SetBrushColor(ColorBrushB());
  int last = static_cast<int>(FCells.size()) - 1;
  for (int i = FFirstDataCell; i <= last; ++i) {
    const TZCell& c = *FCells[static_cast<size_t>(i)];
    bool inner = FAreaTop < c.CellRect.Bottom && i != FFirstDataCell && i != last;
    DrawBorders(c, inner);
  }
}

void TZTable::OutScreenRecords() {
  if (!FCanOutRk) return;
  EnsureRows();
  // Rows left behind by a deletion are not drawn.
  for (int r = 0; r < FRowCount; ++r)
    if (FRows[static_cast<size_t>(r)] >= LineCount()) FRowCount = r;
  TCanvas& can = FHost->Canvas();
  int sum = 0;
  for (int r = 0; r < FRowCount; ++r) {
    if (r > 0 && FHorLine) {
      can.SetPenColor(ColorPenHL());
      can.SetPenWidth(1);
      can.Line(FAreaLeft, FAreaTop + sum, FAreaRight + 1, FAreaTop + sum);
      sum += 1;
    }
    FRowTop[static_cast<size_t>(r)] = sum;
    if (!OutScreenRecord(r)) {
      FRowCount = r;
      break;
    }
    sum += GetIndex(FRows[static_cast<size_t>(r)])->Height;
  }
  FRowTop[static_cast<size_t>(FRowCount)] = sum;
  FAllFits = sum <= FLineAreaHeight;
  FillBelowRows(FAreaTop + sum);
}

void TZTable::FillBelowRows(int top) {
  int space = FAreaBottom - top;
  if (space <= 0) return;
  TCanvas& can = FHost->Canvas();
  int right = FAreaRight + 1;
  if (space > kEmptyBarHeight) {
    can.SetBrushColor(ColorBrushB());
    can.FillRect({FAreaLeft, top, right, FAreaBottom});
  }
  can.SetBrushColor(FEmpty ? GetTabColor(ciWorkPB) : ColorBrushB());
  can.FillRect({FAreaLeft, top, right, top + std::min(space, kEmptyBarHeight)});
}

void TZTable::SetLineColors(int Row, bool cellOnly, TColor& pen, TColor& brush) {
  const TZTabIndex* e = GetIndex(FRows[static_cast<size_t>(Row)]);
  bool marked = (e->Flags & kIdxMarked) != 0;
  if (Row == FCurRow && !FEmpty) {
    bool strong = marked || FSel.Selecting();
    if (FTabType || cellOnly) {
      pen = strong ? ColorPenPV() : ColorPenPB();
      brush = GetTabColor(strong ? ciWorkPV : ciWorkPB);
    } else {
      pen = strong ? ColorPenPB() : ColorPenB();
      brush = strong ? GetTabColor(ciWorkPB) : ColorBrushB();
    }
    return;
  }
  int line = FRows[static_cast<size_t>(Row)];
  bool inRange = FSel.InRange(line, FPosition);
  pen = marked || inRange ? ColorPenV() : ColorPenB();
  brush = marked || inRange ? ColorBrushV() : ColorBrushB();
}

bool TZTable::OutScreenRecord(int Row) {
  EnsureRows();
  int line = FRows[static_cast<size_t>(Row)];
  TZTabIndex* e = GetIndex(line);
  WRec* rec = PaintRec();
  ReadRecord(line, rec, trOut);
  UnpackKind(rec);
  if (e->Height == 0) MeasureRecord(line, e, rec);
  int top = FRowTop[static_cast<size_t>(Row)];
  int space = FLineAreaHeight - top;
  if (space < e->NeedHeight) {
    FLastShown = false;
    return false;
  }
  int h = std::min<int>(e->Height, space);
  int y = FAreaTop + top;
  TCanvas& can = FHost->Canvas();
  TColor pen, brush;
  SetLineColors(Row, false, pen, brush);
  can.SetBrushColor(brush);
  can.FillRect({FAreaLeft, y, FAreaRight + 1, y + h});
  bool cellMode = !FTabType && Row == FCurRow && !FEmpty;
  for (int col = 0; col < FDataColumns; ++col) {
    TZCell* cl = FCells[static_cast<size_t>(FFirstDataCell + col)].get();
    TColor cellPen = pen;
    if (cellMode && col == FCurCol) {
      TColor cellBrush;
      SetLineColors(Row, true, cellPen, cellBrush);
      can.SetBrushColor(cellBrush);
      can.FillRect({cl->TextRect.Left, y, cl->TextRect.Right + 1, y + h});
    }
    can.SetFontColor(cellPen);
    int tallest = 0;
    if (HasOutField(rec, col)) OutScreenRk(col, line, rec, cl, y, h, tallest);
  }
  return true;
}

bool TZTable::HasOutField(const WRec* rec, int col) const {
  auto kind = static_cast<size_t>(static_cast<uint8_t>(rec->Prefix));
  return kind < FKindOutFields.size() && col < static_cast<int>(FKindOutFields[kind].size());
}

int TZTable::OutScreenRk(int Col, int Line, WRec* Rec, TZCell* Cl, int Top, int h,
                         int& LineHeight) {
  LineHeight = 0;
  if (!HasOutField(Rec, Col)) return 0;
  auto kind = static_cast<size_t>(static_cast<uint8_t>(Rec->Prefix));
  TListFields* fields = kind < FKindFields.size() ? &FKindFields[kind] : nullptr;
  static const TListFields kNoFields;
  const TZOutField& out = FKindOutFields[kind][static_cast<size_t>(Col)];
  TCanvas& can = FHost->Canvas();
  TFontSpec font{Cl->FontName, Cl->FontSize, Cl->FontStyle, can.Font().Color};
  can.SetFont(font);
  TRect tr{Cl->TextRect.Left, Top, Cl->TextRect.Right, Top + h};
  TypeField type = TypeField(0);
  std::string text = FieldText(out, fields ? *fields : kNoFields, Rec, Line, type);
  TypeOut typeOut = out.Type;
  uint8_t hor = Cl->HorAlign;
  int ks = 1;
  if (TabOnOutRk) {
    int r = TabOnOutRk(this, Col, Line, text, type, typeOut, fields, Cl, h, tr, &can, ks, hor);
    if (r >= 0) {
      LineHeight = r;
      return r;
    }
  }
  if (type == 0) {
    LineHeight = kEmptyBarHeight;
    return kEmptyBarHeight;
  }
  int overflow = OverflowKind(type);
  if (overflow < 0) return 0;
  int total = 0;
  FormatTextCell(text, typeOut, h, tr, static_cast<unsigned char>(overflow), hor, total,
                 LineHeight);
  return total;
}

std::vector<std::string> TZTable::LineTexts(int Line) {
  std::vector<std::string> texts;
  if (Line < 0 || Line >= LineCount()) return texts;
  WRec rec;
  ReadRecord(Line, &rec, trOther);
  auto kind = static_cast<size_t>(static_cast<uint8_t>(rec.Prefix));
  TListFields* fields = kind < FKindFields.size() ? &FKindFields[kind] : nullptr;
  static const TListFields kNoFields;
  for (int col = 0; col < FDataColumns; ++col) {
    if (!HasOutField(&rec, col)) {
      texts.emplace_back();
      continue;
    }
    const TZOutField& out = FKindOutFields[kind][static_cast<size_t>(col)];
    TypeField type = TypeField(0);
    std::string text = FieldText(out, fields ? *fields : kNoFields, &rec, Line, type);
    if (TabOnOutRk) {
      TZCell* cl = FCells[static_cast<size_t>(FFirstDataCell + col)].get();
      TypeOut typeOut = out.Type;
      uint8_t hor = cl->HorAlign;
      int ks = 1;
      TabOnOutRk(this, col, Line, text, type, typeOut, fields, cl, 0, cl->TextRect,
                 &FHost->Canvas(), ks, hor);
    }
    texts.push_back(Trim(text.substr(0, text.find('\0')))); // drawn up to its end mark
  }
  return texts;
}

void TZTable::FormatTextCell(const std::string& Text, TypeOut Type, int Height, TRect Rect,
                             unsigned char Numeric, unsigned char Hor, int& TotalHeight,
                             int& LineHeight) {
  TCanvas& can = FHost->Canvas();
  TLineLayout table;
  int w = Rect.Width();
  int n;
  switch (Type) {
  case 1:
    n = FormatTextLen(Text, w, can, table, false, TotalHeight, LineHeight);
    break;
  case 2:
    n = FormatTextWord(Text, w, can, table, false, TotalHeight, LineHeight);
    break;
  case 4:
    // Only the first line is drawn, so the cell needs only its height.
    n = std::min(FormatTextWord(Text, w, can, table, false, TotalHeight, LineHeight), 1);
    TotalHeight = LineHeight;
    break;
  case 5:
    n = SFormatTextLen(Text, w, can, table, false, false, TotalHeight, LineHeight);
    break;
  default:
    n = FormatTextLine(Text, w, can, table, Numeric, false, TotalHeight, LineHeight);
  }
  if (Height == 0) return;
  if (Numeric != 0 && n < 0) {
    static const std::string kStars = "***";
    int total = 0, tallest = 0;
    n = FormatTextLine(kStars, w, can, table, 0, false, total, tallest);
    CellOutText(kStars, Rect, can, Hor, 0, n, total, table);
    return;
  }
  CellOutText(Text, Rect, can, Hor, 0, n, TotalHeight, table);
}

std::string TZTable::FieldText(const TZOutField& Out, const TListFields& Fields, const WRec* Rec,
                               int Line, TypeField& Type) {
  if (Out.FieldIndex < 0 || Out.FieldIndex >= static_cast<int>(Fields.size())) {
    Type = TypeField(Out.Name == "RNpp" ? kTypeLineNumber : 0);
    return Type == kTypeLineNumber ? Number(Line + 1, Out) : std::string();
  }
  const TField& f = Fields[static_cast<size_t>(Out.FieldIndex)];
  Type = f.FType;
  uint8_t u8 = 0;
  uint16_t u16 = 0;
  int32_t i32 = 0;
  double d = 0;
  switch (f.FType) {
  case tfString:
  case tfShort82:
  case tfShort81:
    return TextValue(Rec, f, DocRussian);
  case tfChar:
    return ReadValue(Rec, f, u8) ? std::string(1, static_cast<char>(u8)) : std::string();
  case tfByte:
    return ReadValue(Rec, f, u8) ? Number(u8, Out) : std::string();
  case tfWord:
    return ReadValue(Rec, f, u16) ? Number(u16, Out) : std::string();
  case tfDword:
  case tfInt:
    return ReadValue(Rec, f, i32) ? Number(i32, Out) : std::string();
  case tfDouble:
    return ReadValue(Rec, f, d) ? DFloatToStr(d, OutParam(Out)) : std::string();
  case tfDate:
    return ReadValue(Rec, f, u16) ? UnPackDt1(u16) : std::string();
  default:
    return std::string();
  }
}

// ---- filling the screen ----------------------------------------------------------------------

void TZTable::EnsureRows() {
  if (FRows.size() < static_cast<size_t>(kMaxRows)) FRows.resize(kMaxRows, 0);
  if (FRowTop.size() < static_cast<size_t>(kMaxRows + 1)) FRowTop.resize(kMaxRows + 1, 0);
}

WRec* TZTable::PaintRec() {
  if (!FPaintRec) FPaintRec = std::make_unique<WRec>();
  return FPaintRec.get();
}

void TZTable::MeasureLine(int Line, TZTabIndex* Index) {
  if (Index->Height != 0) return;
  WRec* rec = PaintRec();
  ReadRecord(Line, rec, trOut);
  UnpackKind(rec);
  MeasureRecord(Line, Index, rec);
}

// The field offsets of the record's kind, for this record.
void TZTable::UnpackKind(WRec* Rec) {
  auto kind = static_cast<size_t>(static_cast<uint8_t>(Rec->Prefix));
  if (kind < FKindFields.size()) CreatStructRecord(&FKindFields[kind], Rec);
}

void TZTable::MeasureRecord(int Line, TZTabIndex* Index, WRec* Rec) {
  int height = 0, need = 0;
  TCanvas& can = FHost->Canvas();
  TFontSpec saved = can.Font();
  for (int col = 0; col < FDataColumns; ++col) {
    if (!HasOutField(Rec, col)) continue;
    TZCell* cl = FCells[static_cast<size_t>(FFirstDataCell + col)].get();
    int tallest = 0;
    height = std::max(height, OutScreenRk(col, Line, Rec, cl, 0, 0, tallest));
    need = std::max(need, tallest);
  }
  can.SetFont(saved);
  if (height == 0 && need == 0) height = need = kEmptyBarHeight;
  Index->Height = static_cast<uint16_t>(std::clamp(height, 1, 0xFFFF));
  Index->NeedHeight = static_cast<uint16_t>(std::clamp(need, 0, 0xFFFF));
}

void TZTable::ResetHeights() {
  for (TZTabIndex* e : FIndex)
    e->Height = e->NeedHeight = 0;
}

int TZTable::SelectRecOut(int Line, bool Backward) {
  FLastShown = FFirstShown = false;
  FAllFits = true;
  int count = LineCount();
  if (Line < 0 || Line >= count) return 0;
  EnsureRows();
  int step = Backward ? -1 : 1;
  int rows = 0, used = 0;
  for (int l = Line; l >= 0 && l < count && rows < kMaxRows; l += step) {
    TZTabIndex* e = GetIndex(l);
    if (e->Flags & kIdxHidden) continue;
    MeasureLine(l, e);
    if (FLineAreaHeight - used < e->NeedHeight) break;
    int after = used + e->Height + (FHorLine ? 1 : 0);
    if (after > FLineAreaHeight && Backward) break;
    FRows[static_cast<size_t>(rows++)] = l;
    used = after;
    if (used > FLineAreaHeight) {
      FAllFits = false;
      break;
    }
  }
  if (Backward) std::reverse(FRows.begin(), FRows.begin() + rows);
  FRowCount = rows;
  RowTopsFromHeights();
  FEmpty = rows == 0;
  if (rows == 0) return 0;
  FFirstShown = FRows[0] == 0;
  FLastShown = FRows[static_cast<size_t>(rows - 1)] == count - 1;
  return rows;
}

// Row tops as the drawing places them: a horizontal line before every row but the first.
void TZTable::RowTopsFromHeights() {
  int sum = 0;
  for (int r = 0; r < FRowCount; ++r) {
    if (r > 0 && FHorLine) sum += 1;
    FRowTop[static_cast<size_t>(r)] = sum;
    sum += GetIndex(FRows[static_cast<size_t>(r)])->Height;
  }
  FRowTop[static_cast<size_t>(FRowCount)] = sum;
}

void TZTable::DefClientWindow(TPoint& TopLeft, TPoint& BottomRight, TPoint& Cursor) {
  EnsureRows();
  TopLeft = {FAreaLeft, FAreaTop};
  BottomRight = {FAreaRight, FAreaBottom};
  int row = FEmpty ? std::min(FCurRow + 1, FRowCount) : std::min(FCurRow, FRowCount);
  Cursor = {FAreaLeft, FAreaTop + FRowTop[static_cast<size_t>(row)]};
  FHost->ClientToScreen(TopLeft.X, TopLeft.Y);
  FHost->ClientToScreen(BottomRight.X, BottomRight.Y);
  FHost->ClientToScreen(Cursor.X, Cursor.Y);
}

// ---- layout adaptation -----------------------------------------------------------------------

void TZTable::LineAreaFromTemplate() {
  FLayout.AreaFromTemplate();
}

void TZTable::StretchTemplate(int cell) {
  TZCell& c = *FCells[static_cast<size_t>(cell)];
  c.VerAlign = 0;
  c.CellRect.Bottom = FHost->Height() - Half(c.Border[kBottom]);
  c.TextRect.Bottom = InnerBottom(c, c.CellRect.Bottom) - 1;
}

void TZTable::PlaceScrollBar() {
  if (!FHost->HasScrollBar()) return;
  int w = FHost->Width();
  FHost->SetScrollBarGeometry({w - kScrollBarWidth, FHeightShap, w, FHost->Height()});
}

void TZTable::ChangeHeight() {
  for (int i = FFirstDataCell; i < static_cast<int>(FCells.size()); ++i)
    StretchTemplate(i);
  LineAreaFromTemplate();
  FSavedHeight = FHost->Height();
  PlaceScrollBar();
}

void TZTable::ChangeWidth(int Delta) {
  if (FDataColumns <= 0 || FFirstDataCell >= static_cast<int>(FCells.size())) return;
  for (auto& c : FCells)
    c->Flags |= 6;
  int n = FDataColumns;
  std::vector<int> bound(static_cast<size_t>(n + 1)), shift(static_cast<size_t>(n + 1), 0);
  bound[0] = FCells[static_cast<size_t>(FFirstDataCell)]->CellRect.Left;
  for (int k = 1; k <= n; ++k) {
    const TRect& r = FCells[static_cast<size_t>(FFirstDataCell + k - 1)]->CellRect;
    bound[static_cast<size_t>(k)] = r.Right;
    int part = FDesignWidth > 0 ? r.Width() * Delta / FDesignWidth : 0;
    shift[static_cast<size_t>(k)] = k < n ? shift[static_cast<size_t>(k - 1)] + part : Delta;
  }
  for (int k = 0; k <= n; ++k)
    for (auto& c : FCells) {
      int s = shift[static_cast<size_t>(k)];
      if ((c->Flags & 2) && c->CellRect.Left == bound[static_cast<size_t>(k)]) {
        c->CellRect.Left += s;
        c->TextRect.Left += s;
        c->Flags &= ~2;
      }
      if ((c->Flags & 4) && c->CellRect.Right == bound[static_cast<size_t>(k)]) {
        c->CellRect.Right += s;
        c->TextRect.Right += s;
        c->Flags &= ~4;
      }
    }
  FAreaRight += Delta;
  if (!FHeadLevels.empty()) ReCalcHeight();
  PlaceScrollBar();
  if (TabOnCnangeWidth) TabOnCnangeWidth(this);
}

int TZTable::CaptionHeight(TZCell& c) {
  TCanvas& can = FHost->Canvas();
  can.SetFont({c.FontName, c.FontSize, c.FontStyle, can.Font().Color});
  const std::string& caption = IFaceLang == 0 ? c.Caption1 : c.Caption2;
  if (caption.empty()) return can.TextHeight("W") + 3;
  TLineLayout table;
  int total = 0, tallest = 0;
  FormatTextWord(caption, c.TextRect.Width(), can, table, false, total, tallest);
  return total + 3;
}

void TZTable::ReCalcHeight() {
  if (!FLayoutReady || !FIsOpen || FFirstDataCell <= 0) return;
  TFontSpec saved = FHost->Canvas().Font();
  for (THeadLevel& level : FHeadLevels) {
    int pos = 0;
    for (int i : level.Ends) {
      TZCell& c = *FCells[static_cast<size_t>(i)];
      pos = std::max(pos, c.CellRect.Top + CaptionHeight(c));
    }
    for (int i : level.Ends)
      FCells[static_cast<size_t>(i)]->CellRect.Bottom = pos;
    for (int i : level.Starts)
      FCells[static_cast<size_t>(i)]->CellRect.Top = pos;
  }
  FHost->Canvas().SetFont(saved);
  int headBottom = FCells[static_cast<size_t>(FFirstDataCell - 1)]->CellRect.Bottom;
  for (int i = 0; i < static_cast<int>(FCells.size()); ++i) {
    TZCell& c = *FCells[static_cast<size_t>(i)];
    if (i >= FFirstDataCell) c.CellRect.Top = headBottom;
    c.TextRect.Top = c.CellRect.Top + Half(c.TopJoin) + 1;
    if (i < FFirstDataCell) {
      c.TextRect.Bottom = InnerBottom(c, c.CellRect.Bottom);
      continue;
    }
    StretchTemplate(i);
    c.TextRect.Left = c.CellRect.Left + Half(c.Border[kLeft]) + 1;
    c.TextRect.Right = c.CellRect.Right - Half(c.Border[kRight]) - 1;
  }
  LineAreaFromTemplate();
  PlaceScrollBar();
}

// Before a list is open the template follows the size too: a widget gets its final size from
// its layout only after its screen was read.
void TZTable::WMSize() {
  if (FCells.empty() || FDataColumns <= 0 || (FIsOpen && !FLayoutReady)) return;
  int w = FHost->Width(), h = FHost->Height();
  bool changed = false;
  if (h > 0 && h != FSavedHeight) {
    ChangeHeight();
    changed = true;
  }
  if (w > 0 && w != FDesignWidth) {
    ChangeWidth(w - FDesignWidth);
    FDesignWidth = w;
    changed = true;
  }
  if (!changed || !FIsOpen) return;
  ResetHeights();
  KeepCurrentVisible();
}

// ---- scroll bar and wheel --------------------------------------------------------------------

void TZTable::OnOffFSB(int Delta) {
  bool had = FHost->HasScrollBar();
  int max = SetFsbMax();
  if (Delta < 0 && FCanPolzun && max > 0) {
    if (!had) FHost->CreateScrollBar();
    PlaceScrollBar();
    if (LineCount() > 0) FHost->SetScrollBarMax(max);
    FHost->SetScrollBarPos(SetFsbPos());
  } else if (had) {
    FHost->DestroyScrollBar();
  }
  if (had == FHost->HasScrollBar()) return;
  ChangeWidth(Delta);
  ResetHeights();
}

int TZTable::VisibleCount(int end) const {
  int n = 0;
  for (int i = 0; i < end && i < LineCount(); ++i)
    if (!(FIndex[static_cast<size_t>(i)]->Flags & kIdxHidden)) ++n;
  return n;
}

int TZTable::SetFsbMax() {
  if (!FVNsi) return LineCount() - 1;
  int n = VisibleCount(LineCount());
  return n > 0 ? n - 1 : 0;
}

int TZTable::SetFsbPos() {
  return FVNsi ? VisibleCount(FPosition) : FPosition;
}

int TZTable::SetTabPos(int p) {
  if (!FVNsi) return p;
  int last = -1;
  for (int i = 0, seen = 0; i < LineCount(); ++i) {
    if (FIndex[static_cast<size_t>(i)]->Flags & kIdxHidden) continue;
    if (seen++ == p) return i;
    last = i;
  }
  return std::max(last, 0);
}

void TZTable::SetMaxFsb(int Max) {
  if (FHost->HasScrollBar()) FHost->SetScrollBarMax(Max);
}

// After a size change: the current line stays on the screen (refresh 11 without drawing).
void TZTable::KeepCurrentVisible() {
  if (FRowCount > 0) {
    FTarget = FPosition;
    WorkStatus(kRefTarget, FCurRow, false);
    return;
  }
  SelectRecOut(0, false);
  FCurRow = 0;
}

void TZTable::SBScroll(TScrollCode Code, int Pos) {
  if (!FIsOpen) return;
  if (!FHost->Focused()) FHost->SetFocus();
  unsigned short key = 0;
  switch (Code) {
  case TScrollCode::LineUp:
    key = kKeyUp;
    break;
  case TScrollCode::LineDown:
    key = kKeyDown;
    break;
  case TScrollCode::PageUp:
    key = kKeyPageUp;
    break;
  case TScrollCode::PageDown:
    key = kKeyPageDown;
    break;
  case TScrollCode::ThumbPosition:
    FPosition = SetTabPos(Pos);
    WorkKey(kKeyShowAgain);
    return;
  default:
    return;
  }
  WorkKey(key);
  FHost->SetScrollBarPos(SetFsbPos());
}

void TZTable::WMMouseWheel(int WheelDelta) {
  if (!FIsOpen || FCells.empty() || !FHost->Focused()) return;
  WorkKey(WheelDelta <= 0 ? kKeyDown : kKeyUp);
}
