// Helpers shared by the fuzz targets: a private scratch directory, raw file access that
// bypasses the I/O seam, and a hard stop when a property of the code under test is broken.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Once per process: installs the message catalogue and a presenter that shows nothing.
void FuzzInit();
// A directory of this process (in memory when /dev/shm exists), removed at exit.
const std::string& FuzzDir();
void FuzzWrite(const std::string& path, const uint8_t* data, size_t size);
std::string FuzzRead(const std::string& path);
void FuzzRemove(const std::string& path);
bool FuzzExists(const std::string& path);

// Reports a broken property and aborts, so that libFuzzer saves the input.
[[noreturn]] void FuzzFail(const std::string& what);
#define FUZZ_CHECK(cond)                                                                           \
  do {                                                                                             \
    if (!(cond)) FuzzFail(#cond);                                                                  \
  } while (0)

// Takes bytes off the front of the input.
class TFuzzInput {
public:
  TFuzzInput(const uint8_t* data, size_t size) : P(data), Left(size) {}
  uint8_t Byte() { return Left ? (--Left, *P++) : 0; }
  uint16_t U16() { return static_cast<uint16_t>(Byte() | (Byte() << 8)); }
  uint32_t U32() { return static_cast<uint32_t>(U16()) | (static_cast<uint32_t>(U16()) << 16); }
  // A text of at most max bytes: a length byte, then the bytes.
  std::string Text(size_t max = 255);
  // Everything left.
  std::string Rest();
  size_t Size() const { return Left; }

private:
  const uint8_t* P;
  size_t Left;
};
