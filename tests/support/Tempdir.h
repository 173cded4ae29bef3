// A temporary directory for one test, removed with everything in it when the test ends.
#pragma once
#include <string>

class TTempDir {
public:
  TTempDir();
  ~TTempDir();
  const std::string& Path() const { return Dir; }
  // Path of a name inside the directory.
  std::string operator/(const std::string& name) const { return Dir + "/" + name; }

private:
  std::string Dir;
};

// Whole-file helpers for tests (bypass the I/O seam).
std::string ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::string& bytes);
