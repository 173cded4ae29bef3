// Temporary directories and raw file helpers for tests.
#include "tests/support/Tempdir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

TTempDir::TTempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "ravinel-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  Dir = pattern;
}

TTempDir::~TTempDir() {
  std::error_code ec;
  std::filesystem::remove_all(Dir, ec);
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
