// Format blocks, the three wrappers and the drawing of wrapped cell texts.
#include "format/Format_text.h"

#include <algorithm>

namespace {
enum class TWrap { Word, Char, Line };

struct TWrapMode {
  TWrap Kind;
  bool KeepBreak; // a "#" that ends a line stays in it
  bool HashBreak; // "#" is a break character
};

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

int32_t FlagOf(char c) {
  switch (c) {
  case 'Л':
    return ffLeft;
  case 'Ц':
    return ffCenter;
  case 'П':
    return ffRight;
  case 'К':
    return ffItalic;
  case 'Ж':
    return ffBold;
  case 'Ч':
    return ffUnderline;
  case 'Z':
    return ffStrikeOut;
  case 'F':
    return ffFollow;
  default:
    return 0;
  }
}

// Reads a format block at p, if there is one; returns the position behind it.
size_t ReadBlock(const std::string& s, size_t p, int32_t& format, int32_t& color, bool& found) {
  format = 0;
  color = 0;
  found = p < s.size() && s[p] == WDelimInt;
  if (!found) return p;
  int32_t flags = 0, size = 0;
  uint32_t col = 0;
  for (++p; p < s.size(); ++p) {
    char c = s[p];
    if (c == WDelimInt) {
      ++p;
      break;
    }
    if (c == 'S') {
      for (size = 0; p + 1 < s.size() && IsDigit(s[p + 1]); ++p)
        size = std::min(size * 10 + (s[p + 1] - '0'), 255); // keeps the size in its byte
    } else if (c == 'Д') {
      for (col = 0; p + 1 < s.size() && HexValue(s[p + 1]) >= 0; ++p)
        col = col * 16 + static_cast<uint32_t>(HexValue(s[p + 1]));
    } else if (int32_t f = FlagOf(c)) {
      flags |= f;
    } else { // an unknown code voids the block and stays in the text
      flags = size = 0;
      col = 0;
      break;
    }
  }
  format = (flags << 8) + size;
  color = static_cast<int32_t>(col);
  return p;
}

struct TLineFormat {
  bool Follow = false; // the last block carried "F"
  int32_t Format = 0, Color = 0;
};

// Reads the line's block (or inherits the followed one) into the table entry at line.
size_t LineFormat(const std::string& s, size_t p, TLineFormat& state, TLineLayout& table,
                  int line) {
  int32_t format, color;
  bool found;
  p = ReadBlock(s, p, format, color, found);
  if (found) {
    state.Follow = (format >> 8) & ffFollow;
    state.Format = format;
    state.Color = color;
  } else if (!state.Follow) {
    format = color = 0;
  } else {
    format = state.Format;
    color = state.Color;
  }
  table.Format[line] = format;
  table.Color[line] = color;
  return p;
}

struct TScan {
  size_t End;       // the line ends before this position
  bool Forced;      // a break character ended it
  bool Kept;        // that break character stays in the line
  bool Overflow;    // a character did not fit
  bool CommaBefore; // a comma lies within the part that fit
};

// Grows the line from p one character at a time until the text ends, a break character comes
// or a character no longer fits.
TScan ScanLine(const std::string& s, size_t p, int width, TCanvas& canvas, const TWrapMode& m) {
  size_t blank = std::string::npos, comma = std::string::npos;
  bool anyComma = false;
  size_t q = p;
  for (; q < s.size(); ++q) {
    char c = s[q];
    if (c == CharBreak3 || (m.HashBreak && c == '#')) {
      size_t end = (c == '#' && m.KeepBreak) ? q + 1 : q;
      return {end, true, end > q, false, anyComma};
    }
    if (canvas.TextWidth(s.substr(p, q - p + 1)) >= width) break;
    if (c == ',') anyComma = true;
    if (c == ' ') blank = q;
    if (c == ',' && !(q > 0 && IsDigit(s[q - 1]) && q + 1 < s.size() && IsDigit(s[q + 1])))
      comma = q;
  }
  if (q >= s.size()) return {q, false, false, false, anyComma};
  size_t end = q;
  if (m.Kind == TWrap::Word) {
    size_t breakAt = std::max(blank == std::string::npos ? 0 : blank + 1,
                              comma == std::string::npos ? 0 : comma + 1);
    if (breakAt > p) end = breakAt;
  }
  return {end, false, false, true, anyComma};
}

bool IsBreakChar(char c, const TWrapMode& m) {
  return c == CharBreak3 || (m.HashBreak && c == '#');
}

int EmptyText(TLineLayout& table, int& total, int& maxHeight) {
  table.Start[0] = 1;
  table.Len[0] = table.Format[0] = table.Color[0] = 0;
  total = maxHeight = 0;
  return 1;
}

// The wrappers' common loop; for one-line layout returns the scan of its line in last.
int Wrap(const std::string& s, int width, TCanvas& canvas, TLineLayout& table, const TWrapMode& m,
         int& total, int& maxHeight, TScan* last = nullptr) {
  if (s.empty()) return EmptyText(table, total, maxHeight);
  const TFontSpec start = canvas.Font();
  total = maxHeight = 0;
  TLineFormat state;
  int lines = 0;
  size_t p = 0;
  bool skipBreak = true; // the line starts at the break that ended the line before
  const int maxLines = m.Kind == TWrap::Line ? 1 : MaxFormatLines;
  while (lines < maxLines) {
    if (skipBreak && p < s.size() && IsBreakChar(s[p], m)) ++p;
    if (p >= s.size() && lines > 0) break;
    p = LineFormat(s, p, state, table, lines);
    ApplyLineFormat(canvas, start, table.Format[lines], table.Color[lines], 0);
    int h = canvas.TextHeight("W");
    total += h;
    maxHeight = std::max(maxHeight, h);
    TScan scan = ScanLine(s, p, width, canvas, m);
    if (scan.End == p && scan.Overflow && m.Kind != TWrap::Line) ++scan.End; // always progress
    table.Start[lines] = static_cast<int32_t>(p + 1);
    table.Len[lines] = static_cast<int32_t>(scan.End - p);
    ++lines;
    if (last) *last = scan;
    skipBreak = scan.Forced && !scan.Kept;
    p = scan.End;
    if (p >= s.size()) break;
  }
  canvas.SetFont(start);
  return lines;
}
} // namespace

std::string TLineLayout::Line(const std::string& text, int i) const {
  size_t from = static_cast<size_t>(std::max(Start[i] - 1, 0));
  if (from >= text.size() || Len[i] <= 0) return "";
  return text.substr(from, static_cast<size_t>(Len[i]));
}

int ApplyLineFormat(TCanvas& canvas, const TFontSpec& start, int32_t format, int32_t color,
                    int baseHor) {
  TFontSpec f = start;
  if (format & 0xFF) f.Size = format & 0xFF;
  if (color) f.Color = static_cast<TColor>(color);
  int32_t flags = format >> 8;
  if (flags & (ffStrikeOut | ffUnderline | ffBold | ffItalic)) {
    f.Style = 0;
    if (flags & ffBold) f.Style |= fsBold;
    if (flags & ffItalic) f.Style |= fsItalic;
    if (flags & ffUnderline) f.Style |= fsUnderline;
    if (flags & ffStrikeOut) f.Style |= fsStrikeOut;
  }
  canvas.SetFont(f);
  if (flags & ffLeft) return 0;
  if (flags & ffCenter) return 1;
  if (flags & ffRight) return 2;
  return baseHor;
}

int SFormatTextWord(const std::string& text, int width, TCanvas& canvas, TLineLayout& table,
                    bool keepBreak, bool hashBreak, int& totalHeight, int& maxLineHeight) {
  return Wrap(text, width, canvas, table, {TWrap::Word, keepBreak, hashBreak}, totalHeight,
              maxLineHeight);
}

int SFormatTextLen(const std::string& text, int width, TCanvas& canvas, TLineLayout& table,
                   bool ignoreBreak, bool hashBreak, int& totalHeight, int& maxLineHeight) {
  return Wrap(text, width, canvas, table, {TWrap::Char, false, hashBreak && !ignoreBreak},
              totalHeight, maxLineHeight);
}

int SFormatTextLine(const std::string& text, int width, TCanvas& canvas, TLineLayout& table,
                    int fitMode, bool, bool hashBreak, int& totalHeight, int& maxLineHeight) {
  TScan scan{0, false, false, false, false};
  Wrap(text, width, canvas, table, {TWrap::Line, false, hashBreak}, totalHeight, maxLineHeight,
       &scan);
  if (!scan.Overflow) return 1;
  if (fitMode == 1) return -1;
  if (fitMode == 2 && !scan.CommaBefore && text[scan.End] != ',') return -1;
  return 1;
}

int FormatTextWord(const std::string& text, int width, TCanvas& canvas, TLineLayout& table,
                   bool keepBreak, int& totalHeight, int& maxLineHeight) {
  return SFormatTextWord(text, width, canvas, table, keepBreak, true, totalHeight, maxLineHeight);
}

int FormatTextLen(const std::string& text, int width, TCanvas& canvas, TLineLayout& table,
                  bool ignoreBreak, int& totalHeight, int& maxLineHeight) {
  return SFormatTextLen(text, width, canvas, table, ignoreBreak, true, totalHeight, maxLineHeight);
}

int FormatTextLine(const std::string& text, int width, TCanvas& canvas, TLineLayout& table,
                   int fitMode, bool unused, int& totalHeight, int& maxLineHeight) {
  return SFormatTextLine(text, width, canvas, table, fitMode, unused, true, totalHeight,
                         maxLineHeight);
}

void CellOutText(const std::string& text, const TRect& rect, TCanvas& canvas, int hor, int ver,
                 int lineCount, int textHeight, const TLineLayout& table) {
  if (text.empty() || lineCount == 0) return;
  const TFontSpec start = canvas.Font();
  int top = rect.Top;
  if (ver == 1)
    top += (rect.Height() - textHeight) / 2;
  else if (ver == 2)
    top += rect.Height() - textHeight;
  int count = std::min(lineCount < 0 ? -lineCount : lineCount, MaxFormatLines);
  for (int i = 0; i < count; ++i) {
    int align = ApplyLineFormat(canvas, start, table.Format[i], table.Color[i], hor);
    int h = canvas.TextHeight("W");
    if (top + h > rect.Bottom) break;
    std::string line = table.Line(text, i);
    int free = rect.Width() - canvas.TextWidth(line);
    int left = rect.Left + (align == 1 ? free / 2 : align == 2 ? free : 0);
    canvas.TextOut(left, top, line);
    top += h;
  }
  canvas.SetFont(start);
}
