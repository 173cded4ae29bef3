// Shared helpers of the fuzz targets.
#include "fuzz/support/Fuzz.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <system_error>
#include <unistd.h>

#include "messages/Msgcat.h"
#include "messages/Zmsg.h"

namespace {
struct TDir {
  std::string Path;
  TDir() {
    std::string base =
        std::filesystem::exists("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
    std::string pattern = base + "/ravinel-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) FuzzFail("mkdtemp");
    Path = pattern;
  }
  ~TDir() {
    std::error_code ec;
    std::filesystem::remove_all(Path, ec);
  }
};
} // namespace

void FuzzInit() {
  static bool done = false;
  if (done) return;
  done = true;
  InstallMsgCatalogue();
  SetMsgPresenter([](const TMsgRequest&) { return false; });
}

const std::string& FuzzDir() {
  static TDir dir;
  return dir.Path;
}

void FuzzWrite(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  if (!out) FuzzFail("cannot write " + path);
}

std::string FuzzRead(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void FuzzRemove(const std::string& path) {
  std::remove(path.c_str());
}

bool FuzzExists(const std::string& path) {
  return access(path.c_str(), F_OK) == 0;
}

void FuzzFail(const std::string& what) {
  std::cerr << "property broken: " << what << std::endl;
  std::abort();
}

std::string TFuzzInput::Text(size_t max) {
  size_t n = std::min<size_t>({Byte(), max, Left});
  std::string s(reinterpret_cast<const char*>(P), n);
  P += n;
  Left -= n;
  return s;
}

std::string TFuzzInput::Rest() {
  std::string s(reinterpret_cast<const char*>(P), Left);
  P += Left;
  Left = 0;
  return s;
}
