// The three text wrappers and the cell drawing with any text and width on the fixed-metrics
// canvas: the line table stays inside the text and within 100 lines, and drawing stays in it.
#include "base/FixedCanvas.h"
#include "format/Format_text.h"
#include "fuzz/support/Fuzz.h"

namespace {
void CheckTable(const std::string& text, const TLineLayout& table, int lines) {
  FUZZ_CHECK(lines >= 1 && lines <= MaxFormatLines);
  size_t prevEnd = 0;
  for (int i = 0; i < lines; ++i) {
    FUZZ_CHECK(table.Start[i] >= 1 && table.Len[i] >= 0);
    size_t from = static_cast<size_t>(table.Start[i] - 1);
    FUZZ_CHECK(from >= prevEnd || text.empty());
    FUZZ_CHECK(from + static_cast<size_t>(table.Len[i]) <= text.size());
    prevEnd = from + static_cast<size_t>(table.Len[i]);
  }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TFuzzInput in(data, size);
  int width = static_cast<int16_t>(in.U16());
  uint8_t mode = in.Byte();
  TFixedCanvas canvas(1 + (in.Byte() & 15), 1 + (in.Byte() & 31));
  if (mode & 0x80) canvas.BaseSize = 8;
  TRect rect{static_cast<int16_t>(in.U16()), static_cast<int16_t>(in.U16()), 0, 0};
  rect.Right = rect.Left + (in.U16() & 0x3FFF);
  rect.Bottom = rect.Top + (in.U16() & 0x3FFF);
  std::string text = in.Rest();
  bool flag = mode & 4, hash = mode & 8;
  TLineLayout table;
  int total = 0, maxHeight = 0, lines;
  switch (mode & 3) {
  case 0:
    lines = SFormatTextWord(text, width, canvas, table, flag, hash, total, maxHeight);
    break;
  case 1:
    lines = SFormatTextLen(text, width, canvas, table, flag, hash, total, maxHeight);
    break;
  default:
    lines =
        SFormatTextLine(text, width, canvas, table, (mode >> 4) & 3, flag, hash, total, maxHeight);
    FUZZ_CHECK(lines == 1 || lines == -1);
    lines = 1;
    break;
  }
  CheckTable(text, table, lines);
  FUZZ_CHECK(maxHeight >= 0 && total >= maxHeight && total <= lines * maxHeight);
  CellOutText(text, rect, canvas, (mode >> 4) % 3, (mode >> 6) % 3, lines, total, table);
  for (const TDrawCall& c : canvas.Texts())
    FUZZ_CHECK(c.Y >= rect.Top || (mode >> 6) % 3 != 0);
  return 0;
}
