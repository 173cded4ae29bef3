// ravinel-refbuild: compiles the readable reference P145 source into the reference file, and
// appends a reference file with its 16-byte trailer to a program file after linking.
#include "base/Codec.h"
#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "storage/Dsfile.h"
#include "storage/Dutilfile.h"
#include "storage/Dwfile.h"
#include "storage/Recformat.h"
#include "storage/Sysio.h"
#include "workflow/Refdata.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string ReadWhole(const std::string& name) {
  SFile f(name, fmRead);
  std::string data(f.Size(), '\0');
  long got = 0;
  while (got < static_cast<long>(data.size())) {
    int n = f.SRead(data.data() + got, static_cast<int>(data.size() - got));
    if (n <= 0) SetError("Файл " + name + " прочитан не полностью", 0);
    got += n;
  }
  return data;
}

void Append(const std::string& program, const std::string& ref) {
  std::string data = ReadWhole(ref);
  std::string prog = ReadWhole(program);
  // A program that already carries exactly this data is left alone.
  if (prog.size() >= data.size() + kTrailerSize &&
      prog.compare(prog.size() - kTrailerSize - data.size(), data.size(), data) == 0)
    return;
  char trailer[kTrailerSize] = {};
  PutLe32(trailer + kTrailerOffsetAt, static_cast<uint32_t>(prog.size()));
  PutLe32(trailer + kTrailerLengthAt, static_cast<uint32_t>(data.size()));
  SFile f(program, fmUpdate);
  f.Seek(0, 2);
  f.SWrite(data.data(), static_cast<int>(data.size()));
  f.SWrite(trailer, kTrailerSize);
  f.Sync();
}

} // namespace

int main(int argc, char** argv) {
  InstallMsgCatalogue();
  try {
    if (argc == 4 && std::strcmp(argv[1], "build") == 0) {
      BuildReferenceFile(ParseRefSource(ReadWhole(Cp1251FromUtf8(argv[2]))),
                         Cp1251FromUtf8(argv[3]));
      return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "append") == 0) {
      Append(Cp1251FromUtf8(argv[2]), Cp1251FromUtf8(argv[3]));
      return 0;
    }
    std::fputs("usage: ravinel-refbuild build SOURCE OUTFILE | append PROGRAM REFFILE\n", stderr);
    return 2;
  } catch (const ZError& e) {
    std::fprintf(stderr, "ravinel-refbuild: %s\n",
                 Utf8FromCp1251(creat_msg(e.Text, e.Number)).c_str());
    return 1;
  }
}
