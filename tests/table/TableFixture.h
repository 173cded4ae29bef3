// Test host and owner of the table control: a host over TFixedCanvas that records invalidations
// and its scroll bar, and an owner that serves lines from memory or from a record file.
#pragma once
#include <string>
#include <vector>

#include "base/FixedCanvas.h"
#include "table/Ztable.h"

class TTestHost : public TZTableHost {
public:
  TTestHost(int width = 400, int height = 300) : W(width), H(height) {}
  void Invalidate() override { ++Invalidations; }
  int Width() const override { return W; }
  int Height() const override { return H; }
  bool IsVisible() const override { return Visible; }
  void SetVisible(bool v) override { Visible = v; }
  bool Focused() const override { return Focus; }
  void SetFocus() override { Focus = true; }
  TCanvas& Canvas() override { return Can; }
  int PixelsPerInch() const override { return Ppi; }
  void CreateScrollBar() override { Bar = true; }
  void DestroyScrollBar() override { Bar = false; }
  bool HasScrollBar() const override { return Bar; }
  void SetScrollBarGeometry(const TRect& r) override { BarRect = r; }
  void SetScrollBarMax(int m) override { BarMax = m; }
  void SetScrollBarPos(int p) override { BarPos = p; }
  void ClientToScreen(int& x, int& y) const override {
    x += 1000;
    y += 2000;
  }

  int W, H, Ppi = 96;
  bool Visible = false, Focus = false, Bar = false;
  TRect BarRect;
  int BarMax = 0, BarPos = 0, Invalidations = 0;
  TFixedCanvas Can{10, 16};
};

// One line served by TTestOwner.
struct TTestLine {
  int8_t Prefix = 0;
  std::string Data; // record bytes
  std::string Key;  // the key TabOnOnLoadKey copies (LenBaseKey bytes, zero-padded)
};

// Serves Lines in order through TabRead (address = line number) or, with File set, the records
// of group Group of File through the free TabRead. Keys come from TTestLine::Key, or with File
// from the first LenBaseKey bytes of the record.
class TTestOwner {
public:
  explicit TTestOwner(TZTable& table) : T(table) {
    T.TabInit = [this](TZTable*) {
      ++Inits;
      Next = 0;
      if (File) File->WOpen_file(static_cast<unsigned long>(Group));
    };
    T.TabRead = [this](TZTable*, TypeRead type, TZTabIndex* index, WRec* rec) {
      ++Reads[type];
      if (File) return ::TabRead(File, type, index, rec);
      return ServeMemory(type, index, rec);
    };
    T.TabEnd = [this](TZTable*) { ++Ends; };
    T.TabOnOnLoadKey = [this](TZTable*, char* key, WRec* rec, TZTabIndex*) {
      int n = T.LenBaseKey();
      if (File) {
        for (int i = 0; i < n && i < rec->Len; ++i)
          key[i] = rec->Data[i];
      } else {
        const std::string& k = Lines[static_cast<size_t>(Current)].Key;
        for (int i = 0; i < n && i < static_cast<int>(k.size()); ++i)
          key[i] = k[static_cast<size_t>(i)];
      }
      return true;
    };
  }

  bool ServeMemory(TypeRead type, TZTabIndex* index, WRec* rec) {
    size_t at = type == trIndex ? Next : index->Adr;
    if (at >= Lines.size()) {
      if (type == trIndex) index->Adr = EmptyAdr;
      return false;
    }
    const TTestLine& line = Lines[at];
    rec->Prefix = line.Prefix;
    rec->Len = static_cast<uint16_t>(line.Data.size());
    line.Data.copy(rec->Data, line.Data.size());
    Current = static_cast<int>(at);
    if (type == trIndex) {
      index->Adr = static_cast<uint32_t>(Next++);
      if (OwnKeys && T.LenBaseKey() > 0) {
        index->Key = new char[static_cast<size_t>(T.LenBaseKey())]();
        line.Key.copy(index->Key,
                      std::min<size_t>(line.Key.size(), static_cast<size_t>(T.LenBaseKey())));
      }
    }
    return true;
  }

  TZTable& T;
  std::vector<TTestLine> Lines;
  WFile* File = nullptr;
  int Group = 1;
  bool OwnKeys = false; // the owner sets the keys itself in TabRead
  size_t Next = 0;
  int Current = 0, Inits = 0, Ends = 0;
  int Reads[8] = {};
};
