// TZTable, the program's own grid control: the lines of a record list read through its owner,
// under a multi-level header laid out from a screen of the screen description file.
#pragma once
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Canvas.h"
#include "storage/Drec.h"
#include "storage/Dwfile.h"
#include "storage/Fun_struct.h"
#include "table/Ztable_codes.h"
#include "table/Ztable_layout.h"
#include "table/Ztable_select.h"

class TZTable;

// What a read of a line is for (passed to TabRead).
enum TypeRead : unsigned char {
  trIndex = 0,   // building the index: the next record of the list
  trDKey = 1,    // computing a line's secondary key
  trOut = 2,     // measuring and drawing a line
  trEdit = 3,    // loading the current line for editing
  trNewFile = 5, // writing the list back
  trOther = 6    // structure unpacking, branches, copy and move
};

// How a cell text is split: 1 character wrap, 2 word wrap, 4 word wrap (first line only),
// 5 character wrap with control character 3 as break; any other value one line.
using TypeOut = unsigned char;

// Copy and move notifications: 0 before the operation, 1 for each line.
enum TypeCM : unsigned char { cmStart = 0, cmLine = 1 };

// Line flags of TZTabIndex (the low byte and the other bits belong to the owner).
enum : uint16_t {
  kIdxChildren = 0x0400,
  kIdxExpanded = 0x0800,
  kIdxWritten = 0x2000,
  kIdxHidden = 0x4000,
  kIdxMarked = 0x8000
};

// One line of the list.
struct TZTabIndex {
  uint16_t Flags = 0;
  void* UsePar = nullptr;  // owner data, released with the line (malloc'ed unless the owner
                           // releases it in TabOnDelUsePar)
  uint16_t Height = 0;     // pixels the line takes when drawn; 0 = not measured
  uint16_t NeedHeight = 0; // pixels it needs at least
  uint8_t Level = 0;       // depth in a hierarchical list, 0..9
  uint32_t Adr = EmptyAdr; // the record's address in the owner's file
  char* Key = nullptr;     // LenBaseKey bytes (new[]), owned
};

// One line of the secondary order.
struct TZTabDIndex {
  char* Key = nullptr; // LenDopKey bytes (new[]), owned
  TZTabIndex* Index = nullptr;
};

// One column of a record kind.
struct TZOutField {
  std::string Name;
  TypeOut Type = 0;
  int32_t Param = 0;
  int32_t FieldIndex = -1; // in the kind's field-description list
};
using TZOutFields = std::vector<TZOutField>;

// Field type used for an unmatched output field named "RNpp": the line number.
constexpr int kTypeLineNumber = 12;
constexpr int kMaxRows = 100;
constexpr int kExpandSlots = 10;
constexpr int kScrollBarWidth = 14;
constexpr int kEmptyBarHeight = 16;

// Colour slots.
enum : int {
  ciBrushB = 0,
  ciPenB,
  ciBrushPB,
  ciPenPB,
  ciBrushV,
  ciPenV,
  ciBrushPV,
  ciPenPV,
  ciBrushNPB,
  ciBrushNPV,
  ciPenVL,
  ciPenHL,
  ciWorkPB, // current-line background in use
  ciWorkPV, // current-marked-line background in use
  kColorSlots
};

// Slots 0 and 2 after loading.
extern const TColor ArrColor[2];
// Pen width of a border's line kind 0..3.
extern const int PenWidthOf[4];

// Scroll codes the host's scroll bar reports to SBScroll.
enum class TScrollCode { LineUp, LineDown, PageUp, PageDown, ThumbPosition, Other };

// What the control needs of the window it lives in. The Qt widget implements it over a
// QWidget; tests implement it over TFixedCanvas.
class TZTableHost {
public:
  virtual ~TZTableHost() = default;
  // The whole control is to be painted again (it calls TZTable::Paint).
  virtual void Invalidate() = 0;
  // What was drawn outside Paint reaches the screen.
  virtual void Present() {}
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual bool IsVisible() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Focused() const = 0;
  virtual void SetFocus() = 0;
  // The canvas to measure and draw on, valid at any time.
  virtual TCanvas& Canvas() = 0;
  virtual int PixelsPerInch() const { return 96; }
  // Design mode of the form (no buffers, no reading).
  virtual bool DesignMode() const { return false; }
  // The control's own vertical scroll bar (a child, kScrollBarWidth wide).
  virtual void CreateScrollBar() = 0;
  virtual void DestroyScrollBar() = 0;
  virtual bool HasScrollBar() const = 0;
  virtual void SetScrollBarGeometry(const TRect& rect) = 0;
  virtual void SetScrollBarMax(int max) = 0;
  virtual void SetScrollBarPos(int pos) = 0;
  virtual void RepaintScrollBar() {}
  virtual void ClientToScreen(int& x, int& y) const = 0;
};

class TZTable {
public:
  explicit TZTable(TZTableHost* host);
  virtual ~TZTable();
  TZTable(const TZTable&) = delete;
  TZTable& operator=(const TZTable&) = delete;

  TZTableHost* Host() const { return FHost; }

  // ---- Published properties
  int NumFileScreen() const { return FNumFileScreen; }
  void SetNumFileScreen(int n);
  TColor GetTabColor(int Index) const;
  void SetTabColor(int Index, TColor color);
  TColor ColorBrushB() const { return GetTabColor(ciBrushB); }
  TColor ColorPenB() const { return GetTabColor(ciPenB); }
  TColor ColorBrushPB() const { return GetTabColor(ciBrushPB); }
  TColor ColorPenPB() const { return GetTabColor(ciPenPB); }
  TColor ColorBrushV() const { return GetTabColor(ciBrushV); }
  TColor ColorPenV() const { return GetTabColor(ciPenV); }
  TColor ColorBrushPV() const { return GetTabColor(ciBrushPV); }
  TColor ColorPenPV() const { return GetTabColor(ciPenPV); }
  TColor ColorBrushNPB() const { return GetTabColor(ciBrushNPB); }
  TColor ColorBrushNPV() const { return GetTabColor(ciBrushNPV); }
  TColor ColorPenVL() const { return GetTabColor(ciPenVL); }
  TColor ColorPenHL() const { return GetTabColor(ciPenHL); }

  bool HorLine() const { return FHorLine; }
  void SetHorLine(bool v) { FHorLine = v; }
  bool CanEmpty() const { return FCanEmpty; }
  void SetCanEmpty(bool v) { FCanEmpty = v; }
  bool CanSelect() const { return FCanSelect; }
  void SetCanSelect(bool v) { FCanSelect = v; }
  bool NotVisSelect() const { return FNotVisSelect; }
  void SetNotVisSelect(bool v) { FNotVisSelect = v; }
  bool VNsi() const { return FVNsi; }
  void SetVNsi(bool v) { FVNsi = v; }
  bool CanPolzun() const { return FCanPolzun; }
  void SetCanPolzun(bool v) { FCanPolzun = v; }
  bool CanOutRk() const { return FCanOutRk; }
  void SetCanOutRk(bool v) { FCanOutRk = v; }
  bool TabType() const { return FTabType; }
  void SetTabType(bool v) { FTabType = v; }
  bool Select() const { return FSel.Selecting(); }
  bool CanMinus() const { return FCanMinus; }
  void SetCanMinus(bool v) { FCanMinus = v; }
  bool CanVisible() const { return FCanVisible; }
  void SetCanVisible(bool v) { FCanVisible = v; }
  int LenBaseKey() const { return FLenBaseKey; }
  void SetLenBaseKey(int v) { FLenBaseKey = v; }
  int LenDopKey() const { return FLenDopKey; }
  void SetLenDopKey(int v) { FLenDopKey = v; }
  int Position() const { return FPosition; }
  void SetPosition(int v) { FPosition = v; }
  int NumFile() const { return FNumFile; }
  int RowCount() const { return FRowCount; }
  int HeightShap() const { return FHeightShap; }
  bool LockKey() const { return FLockKey; }
  void SetLockKey(bool v) { FLockKey = v; }
  bool IsOpen() const { return FIsOpen; }

  // The interface language copied at construction (0 Russian, 1 Ukrainian) and the document
  // language (non-zero Russian) that multi-language field texts resolve to.
  int IFaceLang = 0;
  unsigned char DocRussian = 1;
  // The work file of the temporary-file mode (the workflow hands in TMP).
  WFile* TmpFile = nullptr;

  // ---- Events (each optional)
  std::function<void(TZTable* Sender)> TabInit;
  std::function<bool(TZTable* Sender, TypeRead Type, TZTabIndex* Index, WRec* Rec)> TabRead;
  std::function<void(TZTable* Sender)> TabEnd;
  std::function<void(TZTable* Sender)> TabStartCreatNewFile;
  std::function<void(TZTable* Sender, WRec* Rec, TZTabIndex* Index)> TabWrite;
  std::function<void(TZTable* Sender)> TabEndCreatNewFile;
  std::function<uint32_t(TZTable* Sender)> CreatorIndex;
  std::function<bool(TZTable* Sender, char Reg)> PostIndex;
  std::function<unsigned char(TZTable* Sender, unsigned short Key)> TabOnKey;
  std::function<int(TZTable* Sender, int Col, int Row, std::string& Buffer, TypeField& TypeRk,
                    TypeOut& TypeOutRk, TListFields* FListFields, TZCell* Cl, int h, TRect tr,
                    TCanvas* Can, int& ks, uint8_t& Hor)>
      TabOnOutRk;
  std::function<bool(TZTable* Sender, bool Reg, TZTabIndex* Index, bool& reg, int NumLineIndex)>
      TabOnDelete;
  std::function<unsigned char(TZTable* Sender, unsigned char Type)> TabOnKorCreat;
  std::function<void(TZTable* Sender)> TabOnKorCurrent;
  std::function<std::string(TZTable* Sender, int& Col, int& Left, int& Top)> TabOnHint;
  std::function<void(TZTable* Sender, bool Reg, int NumIndex, int Level, WRec* Rec)>
      TabCollapsExpand;
  std::function<bool(TZTable* Sender)> TabOnEnter;
  std::function<bool(TZTable* Sender)> TabOnExit;
  std::function<bool(TZTable* Sender, TypeCM Reg, TZTabIndex* newIndex, WRec* Rec)> TabOnCopy;
  std::function<bool(TZTable* Sender, TypeCM Reg, int NumIndex)> TabOnMove;
  std::function<bool(TZTable* Sender, char* Key, WRec* Rec, TZTabIndex* Index)> TabOnOnLoadKey;
  std::function<void(TZTable* Sender, char* Key, WRec* Rec, TZTabDIndex* DIndex)> TabOnOnLoadDKey;
  std::function<void(TZTable* Sender, TZTabIndex* Index)> TabOnDelUsePar;
  std::function<bool(TZTable* Sender, etpslSelect Status, int NumIndex)> TabOnStartEndSelect;
  std::function<void(TZTable* Sender)> TabOnCnangeWidth;
  std::function<bool(TZTable* Sender, int NumCell)> TabShapDblClick;
  std::function<void(TZTable* Sender, int NumIndex, int Col)> TabOnDblClick;
  std::function<void(TZTable* Sender)> TabOnSetEnbMnu;

  // ---- Toolkit operations
  // After the form's values are read: slots 0 and 2 from ArrColor.
  void Loaded();
  // The dialog code the control answers: arrows, Tab and characters, a button.
  static constexpr int kDlgCode = 0x2083;

  // ---- Screen description
  // Reads and lays out screen Screen from file (Boib when null).
  void ReadDefScreen(int Screen, WFile* file = nullptr);
  void ReDefFields(const std::string& Name, int Num, TypeField Type, char Kind);
  void ReDefOutFields(int Col, const std::string& Name, char Kind);
  void PostCell(int* Bounds);
  void AnalysRound(int* Bounds);
  void ChangeWidth(int* Bounds, int Cell, int Delta);

  const std::vector<std::unique_ptr<TZCell>>& Cells() const { return FCells; }
  const TZLayout& Layout() const { return FLayout; }
  // A layout built by hand (a host without a screen description, a test), with the field lists
  // and the output fields of its record kinds.
  void SetLayout(TZLayout Given, std::vector<TListFields> KindFields,
                 std::vector<TZOutFields> KindOutFields);
  int FirstDataCell() const { return FFirstDataCell; }
  int DataColumns() const { return FDataColumns; }
  int AreaLeft() const { return FAreaLeft; }
  int AreaTop() const { return FAreaTop; }
  int AreaRight() const { return FAreaRight; }
  int AreaBottom() const { return FAreaBottom; }
  int LineAreaHeight() const { return FLineAreaHeight; }
  int DesignWidth() const { return FDesignWidth; }
  bool LayoutReady() const { return FLayoutReady; }
  int HeadLevelCount() const { return static_cast<int>(FHeadLevels.size()); }
  const std::vector<TListFields>& KindFields() const { return FKindFields; }
  const std::vector<TZOutFields>& KindOutFields() const { return FKindOutFields; }

  // ---- Reading and indexes
  void TabOpen(WFile* ListFile, int Num);
  void TabOpen(WFile* ListFile, int Num, bool);
  void TabClose();
  void CreatIndex(bool Show);
  void CreatDIndex();
  void ClearDIndex();
  void DelIndex();
  void DelDIndex();
  void DelLineIndex(TZTabIndex* Index);
  void LoadKey(WRec* Rec, TZTabIndex* Index);
  void LoadDKey(WRec* Rec, TZTabIndex* Index, TZTabDIndex* DIndex);
  TZTabIndex* GetIndex(int N, bool Main = false);
  TZTabIndex* GetNumIndex(int N, int& MainPos);
  uint32_t ReadRecord(int N, WRec* Rec, TypeRead Type);
  void LoadRecStruct(int N, TRecImage& Buf, WRec* Rec);
  void LoadStructRec(const TRecImage& Buf, WRec* Rec, unsigned char Kind);
  bool FindKey(const char* Key, int KeyLen, bool Main, bool Show);
  void CreatNewFile();
  int LineCount() const { return static_cast<int>(FIndex.size()); }
  bool DIndexActive() const { return FDActive; }
  bool TmpMode() const { return FTmpMode; }
  bool Modified() const { return FModified; }
  uint32_t EndAdr() const { return FEndAdr; }
  int FoundPos() const { return FTarget; }
  WFile* ListFile() const { return FFile; }

  // ---- Layout and painting
  void Paint();
  void ZDrawCell();
  void ZDrawCellClient();
  void OutScreenRecords();
  bool OutScreenRecord(int Row);
  // Measures (h 0) or draws one cell; returns its total height, with the tallest line.
  int OutScreenRk(int Col, int Line, WRec* Rec, TZCell* Cl, int Top, int h, int& LineHeight);
  void FormatTextCell(const std::string& Text, TypeOut Type, int Height, TRect Rect,
                      unsigned char Numeric, unsigned char Hor, int& TotalHeight, int& LineHeight);
  int SelectRecOut(int Line, bool Backward);
  void ChangeHeight();
  void ChangeWidth(int Delta);
  void ReCalcHeight();
  void WMSize();
  void DefClientWindow(TPoint& TopLeft, TPoint& BottomRight, TPoint& Cursor);
  void OnOffFSB(int Delta);
  int SetFsbMax();
  int SetFsbPos();
  int SetTabPos(int p);
  void SetMaxFsb(int Max);
  void SBScroll(TScrollCode Code, int Pos);
  void WMMouseWheel(int WheelDelta);
  // The texts of a line's data cells as drawn (the owner's cell event applied), for screen
  // readers; empty for a line outside the list.
  std::vector<std::string> LineTexts(int Line);
  // The text a field shows (field type table); Type receives the type used.
  std::string FieldText(const TZOutField& Out, const TListFields& Fields, const WRec* Rec, int Line,
                        TypeField& Type);
  // Measures a line when its heights are 0 (reads it with type 2).
  void MeasureLine(int Line, TZTabIndex* Index);
  void ResetHeights();

  int ScreenLine(int Row) const { return FRows[static_cast<size_t>(Row)]; }
  int RowTop(int Row) const { return FRowTop[static_cast<size_t>(Row)]; }
  int CurrentRow() const { return FCurRow; }
  int CurrentCol() const { return FCurCol; }
  // The list line under the cursor.
  int CurrentLine() const { return CurLine(); }
  bool AllFits() const { return FAllFits; }
  bool LastShown() const { return FLastShown; }
  bool FirstShown() const { return FFirstShown; }
  bool EmptyState() const { return FEmpty; }

  // ---- Keys, mouse and selection
  void KeyDown(int Key, int Shift);
  int WorkKey(unsigned short Code);
  void WorkStatus(unsigned char Operation, int Row, bool Draw);
  unsigned char ExecTabOnKey(unsigned short Key);
  void Click();
  void DblClick();
  void SelectSell();
  void MouseMove(int Shift, int X, int Y);
  void DoEnter();
  void DoExit();
  void SetSelectIndex(bool Mark);
  bool ExpandCollaps(int Line);
  int SelectAnchor() const { return FSel.Anchor(); }
  int MarkedCount() const { return FSel.MarkedCount(); }
  const TZSelection& Selection() const { return FSel; }
  // An owner's filter of a finished selection (status Marked): only the marked lines keep
  // accepts stay marked, the count follows, and the rows are drawn again.
  void KeepMarked(const std::function<bool(const TZTabIndex&)>& keep);
  int MarkedHeadCell() const { return FMarkedCell; }
  int ExpandSlot(int Level) const { return FExpand[Level]; }

  // ---- Record editing
  bool InitCurrentEdit();
  bool InitNewEdit(unsigned char Kind);
  bool FinishEdit();
  void KorCreat(unsigned char Kind);
  bool DefDataForRk();
  bool DefDataForuEdRk(int Col);
  std::string GetValue(const std::string& Name, int& Index, bool& Found, bool Flag);
  void EndEditRk(const std::string& Text);
  uint32_t AddRecord(WRec* Rec, TZTabIndex* Index, bool Show, int& Pos);
  uint32_t ReplaceIndexRecord(bool New, bool KeyChanged, int& Line, WRec* Rec, bool Show);
  uint32_t TabEdit(WEdit Op, int& Line, WRec* Rec, bool KeyChanged, bool Show);
  uint32_t KorWrite(WEdit Op, unsigned long Prev, unsigned long Next, WRec* Rec);
  void DeleteRecord(const std::string& Question);
  void DeleteRecord() { DeleteRecord(std::string()); }
  void FinishDeleteRecord(int Line);
  bool CheckVisible(int& Line, int Count);
  bool CopyRecord();
  bool MoveRecord();
  WRec* EditRec() const { return FEditRec.get(); }
  TZTabIndex* EditIndex() const { return FEditIndex; }
  bool EditChanged() const { return FChanged; }
  void SetEditChanged(bool v) { FChanged = v; }
  bool EditKeyChanged() const { return FKeyChanged; }
  void SetEditKeyChanged(bool v) { FKeyChanged = v; }

protected:
  TZTableHost* FHost;
  TColor FColors[kColorSlots];

  // properties
  int FNumFileScreen = 0;
  bool FHorLine = false, FCanEmpty = false, FCanSelect = false, FNotVisSelect = false;
  bool FVNsi = false, FCanPolzun = true, FCanOutRk = true, FTabType = false;
  bool FCanMinus = false, FCanVisible = false, FLockKey = false, FIsOpen = false;
  int FLenBaseKey = 0, FLenDopKey = 0, FPosition = 0, FNumFile = 0, FRowCount = 0;

  // screen description: the layout, its fields under the names the table's code reads them by
  TZLayout FLayout;
  using THeadLevel = TZHeadLevel;
  std::vector<std::unique_ptr<TZCell>>& FCells = FLayout.Cells;
  std::vector<THeadLevel>& FHeadLevels = FLayout.HeadLevels;
  int& FFirstDataCell = FLayout.FirstDataCell;
  int& FDataColumns = FLayout.DataColumns;
  int& FAreaLeft = FLayout.AreaLeft;
  int& FAreaTop = FLayout.AreaTop;
  int& FAreaRight = FLayout.AreaRight;
  int& FAreaBottom = FLayout.AreaBottom;
  int& FLineAreaHeight = FLayout.LineAreaHeight;
  int& FHeightShap = FLayout.HeightShap;
  int& FDesignWidth = FLayout.DesignWidth;
  int& FSavedHeight = FLayout.SavedHeight;
  bool& FLayoutReady = FLayout.Ready;
  std::vector<TListFields> FKindFields;
  std::vector<TZOutFields> FKindOutFields;

  // index
  std::vector<TZTabIndex*> FIndex;
  std::vector<TZTabDIndex*> FDIndex;
  bool FDActive = false;
  WFile* FFile = nullptr;
  bool FTmpMode = false, FModified = false;
  uint32_t FEndAdr = EmptyAdr;
  std::unique_ptr<WRec> FRec; // scratch record
  TZTabIndex* FCurIndex = nullptr;
  int FExpand[kExpandSlots];

  // screen
  std::vector<int> FRows;   // line of each row
  std::vector<int> FRowTop; // top offset of each row from AreaTop, one more at RowCount
  int FCurRow = 0, FCurCol = 0, FTarget = 0;
  bool FAllFits = true, FLastShown = false, FFirstShown = false, FEmpty = false;

  // keys, mouse and selection
  TZSelection FSel{[this] { return LineCount(); }, [this](int i) { return GetIndex(i); }};
  int FMarkedCell = -1;
  bool FFocused = false;
  int FMouseX = 0, FMouseY = 0;

  // record editing
  std::unique_ptr<WRec> FEditRec;
  TZTabIndex* FEditIndex = nullptr;
  TZTabDIndex* FEditDIndex = nullptr;
  bool FChanged = false, FKeyChanged = false, FNewRecord = false;
  unsigned char FEditKind = 0;
  std::string FCellText;
  TRect FEditRect;                       // left, top, right, bottom in control coordinates
  TPoint FEditTopLeft, FEditBottomRight; // the same on the screen
  struct TBoundControl {
    uint8_t Kind = 0; // 0 memo, 1 single-line edit, 2 combo box
    void* Control = nullptr;
    int32_t Field = 0;
  };
  std::vector<TBoundControl> FBound;

private:
  void FreeScreen();
  void ReadKind(WFile* file, int n);
  void ReadCell(WFile* file, double ppcm, int* box);
  void InsertKeyed(std::vector<TZTabIndex*>& pending);
  void InsertSorted(TZTabIndex* entry);
  void LineAreaFromTemplate();
  void PlaceScrollBar();
  void StretchTemplate(int cell);
  void SetLineColors(int Row, bool cellOnly, TColor& pen, TColor& brush);
  void FillBelowRows(int bottom);
  int ScrollTop() const;
  bool ReadLineInto(int Line, TZTabIndex* Index, WRec* Rec, TypeRead Type);

  // ---- edit internals
public:
  // The field list of the record kind being edited (null when the screen does not describe it),
  // the font and text of the cell being edited, and the current column.
  TListFields* EditFields();
  const TFontSpec& EditFont() const { return FEditFont; }
  const std::string& CellText() const { return FCellText; }
  TPoint EditTopLeft() const { return FEditTopLeft; }
  TPoint EditBottomRight() const { return FEditBottomRight; }
  void SetEditColumn(int Col) { FCurCol = Col; }
  // The field index of the current column's output field, or -1.
  int EditColumnField();
  // The bound controls of form editing.
  void UnpackEdit();
  void AddBound(uint8_t Kind, void* Control, int Field);
  int BoundCount() const { return static_cast<int>(FBound.size()); }
  uint8_t BoundKind(int i) const { return FBound[static_cast<size_t>(i)].Kind; }
  void* BoundControl(int i) const { return FBound[static_cast<size_t>(i)].Control; }
  int BoundField(int i) const { return FBound[static_cast<size_t>(i)].Field; }
  void ClearBound() { FBound.clear(); }
  // Before the bound values are stored: the line is measured again, the record unpacked again.
  void BeginStoreBound();
  // Packs Text by the field's type and stores it when it differs; true when it did.
  bool StoreField(int Field, const std::string& Text);

private:
  WRec* EditBuf();
  TZOutField* EditOutField(int Col);
  int EditLine() const;
  void ReleaseNewEdit();
  void SetFirstRowLine(int Line);
  void UpdateBar();
  int MainPos(const TZTabIndex* e) const;
  int InsertMain(TZTabIndex* e);
  int InsertSecondary(TZTabDIndex* d);
  void Unlist(TZTabIndex* e);
  uint32_t ChainNext(uint32_t adr);
  uint32_t WriteAt(int MainPosition, WRec* Rec, const TZTabIndex* Skip);
  uint32_t Rewrite(TZTabIndex* e, WRec* Rec);
  uint32_t PlaceAnew(TZTabIndex* e, bool New, int& Line, WRec* Rec);
  bool DeleteLines(int& Cur);
  void FinishDelete(int Line, bool Draw);
  bool MarkedBlockAt(int Line);
  bool MoveOne(int j, int& dest);
  bool LiveAt(uint32_t adr);
  void MoveInFile(int j, int dest, std::exception_ptr& error);
  TFontSpec FEditFont;
  // ---- paint internals
  std::unique_ptr<WRec> FPaintRec; // the line being measured or drawn
  WRec* PaintRec();
  void EnsureRows();
  void RowTopsFromHeights();
  void MeasureRecord(int Line, TZTabIndex* Index, WRec* Rec);
  bool HasOutField(const WRec* rec, int col) const;
  void DrawBorders(const TZCell& cell, bool inner);
  void DrawScrollUpGlyph(int x, int y);
  int CaptionHeight(TZCell& c);
  int VisibleCount(int end) const;
  void KeepCurrentVisible();
  void UnpackKind(WRec* Rec);

  // ---- keys internals
  int FToggled = -1;                // line just opened or closed, brought on screen by refresh 6
  std::unique_ptr<WRec> FBranchRec; // a branch line's record for TabCollapsExpand
  unsigned char KeyAction(unsigned short Code);
  unsigned char OwnerKey(unsigned short Code);
  unsigned char KeyShowAgain();
  unsigned char KeyUp();
  unsigned char KeyDownLine();
  unsigned char KeyAtEnd(int cur);
  unsigned char KeyPageUp();
  unsigned char KeyPageDown();
  unsigned char KeyCtrlPageUp();
  unsigned char KeyCtrlPageDown();
  unsigned char KeyInsert();
  void MoveColumn(unsigned short Code);
  void LeaveEmpty(int fallback);
  void ScrollDownTo(int target);
  bool Refresh(unsigned char Operation, int Row, bool Draw);
  bool RefreshEmpty();
  void RefreshBranch();
  void RefreshTarget(bool Draw);
  void RefreshAfterDelete();
  void AfterRefresh();
  void ToggleScrollBar();
  void KeepLineOnScreen(int line);
  void DrawRows();
  void RedrawRow(int Row);
  void FillBackward(int line);
  bool AskSelect(etpslSelect Status, int Line);
  void NotifyCurrent();
  void CloseBranch(int Line, int Level, int Found);
  void OpenBranch(int Line, int Level);
  WRec* BranchRecord(int Line);
  int CurLine() const;
  int RawFirstLine() const;
  int FirstRowLine() const;
  int RowOf(int Line) const;
  int RowsEnd() const;
  int LastFullRow() const;
  int NextVisible(int from, int step);
  int ColumnAt(int x) const;

private:
  // ---- data internals
  void OpenCommon(WFile* ListFile, int Num);
  void ReadAllLines();
  void ShowFromStart();
  static void FreeDEntry(TZTabDIndex* d);
  int MainPosition(const TZTabIndex* entry) const;
  bool InTmp(const TZTabIndex* Index) const;
  TZTabIndex* LineOrRefuse(int N);
  const TListFields& KindFieldsOf(unsigned char kind) const;

  // ---- screen internals
  std::unique_ptr<WRec> FScreenRec; // the record of the screen description being read
  int FScreenAdr = 0;               // where the next record of that screen starts
  int FScreenNum = 0;               // the screen being read, for the messages
  void ReadScreenRecord(WFile* file, const char* what);
  void SharedBorders(const int* Bounds);
  void InnerRects(const int* Bounds, int& lastLeft, int& lastBottom);
  void FindFirstDataCell(const int* Bounds, int lastLeft, int lastBottom);
  void BuildHeadLevels();
  void StretchToControl();
};

// The standard TabRead of an owner serving a plain record file: type 0 reads the next record
// and stores its address in the entry, any other type reads the record at the entry's address.
bool TabRead(WFile* ListFile, TypeRead Type, TZTabIndex* Index, WRec* Rec);
