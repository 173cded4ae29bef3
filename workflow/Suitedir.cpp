// The suite's folder: the search upward from the start directory and the remembered choice.
#include "workflow/Suitedir.h"

#include "base/Codec.h"
#include "messages/Utslang.h"
#include "messages/Zmsg.h"
#include "paths/Dpath.h"
#include "storage/Filekeep.h"
#include "storage/Sysio.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <system_error>

namespace {

std::string ConfigHome() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.config";
  return "";
}

// Enters dir; the failure's code when it is no directory that can be entered.
std::error_code EnterDir(const std::string& dir) {
  std::error_code ec;
  std::filesystem::current_path(dir, ec);
  return ec;
}

bool Enter(const std::string& dir) {
  return !EnterDir(dir);
}

void WriteAllOrRaise(const std::string& path, const std::string& bytes) {
  int fd = IoSys().Open(path, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, 0600);
  if (fd < 0) OutSystemErrorCode(Cp1251FromUtf8(path), errno);
  bool ok = sysio::WriteFull(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  int code = errno;
  IoSys().Close(fd);
  if (!ok) OutSystemErrorCode(Cp1251FromUtf8(path), code);
}

} // namespace

std::string RememberedSuiteFile() {
  std::string home = ConfigHome();
  return home.empty() ? "" : home + "/ravinel/suite-dir";
}

std::string ReadRememberedSuite() {
  std::string file = RememberedSuiteFile();
  if (file.empty()) return "";
  int fd = IoSys().Open(file, O_RDONLY, 0);
  if (fd < 0) return "";
  char buf[4096];
  ssize_t n = sysio::ReadFull(fd, buf, sizeof buf);
  IoSys().Close(fd);
  std::string dir = n > 0 ? std::string(buf, static_cast<size_t>(n)) : "";
  while (!dir.empty() && (dir.back() == '\n' || dir.back() == '\r'))
    dir.pop_back();
  return dir;
}

void RememberSuite(const std::string& dir) {
  std::string file = RememberedSuiteFile();
  if (file.empty()) return;
  std::string folder = file.substr(0, file.rfind('/'));
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  // Written beside and renamed over, so that a crash leaves the old choice or the new one.
  WriteAllOrRaise(file + ".new", dir + "\n");
  KeepFileOf(file, file + ".new");
  if (IoSys().Rename(file + ".new", file) != 0) OutSystemErrorCode(Cp1251FromUtf8(file), errno);
}

bool SuiteFoundHere() {
  try {
    GetDirCfg();
    return true;
  } catch (const ZError&) {
    return false;
  }
}

bool EnterSuite(const std::string& startDir, const TAskSuiteDir& ask) {
  if (!startDir.empty())
    if (std::error_code ec = EnterDir(startDir))
      OutSystemErrorCode(ByIface("Каталог запуска ", "Каталог запуску ") + Cp1251FromUtf8(startDir),
                         ec.value());
  if (SuiteFoundHere()) return true;
  std::string lookedIn = std::filesystem::current_path().string();
  // A folder named by the user is never swapped for the remembered one without asking.
  std::string remembered = startDir.empty() ? ReadRememberedSuite() : "";
  if (!remembered.empty() && Enter(remembered) && SuiteFoundHere()) return true;
  for (;;) {
    std::string chosen = ask ? ask(lookedIn, remembered) : "";
    if (chosen.empty()) return false;
    if (Enter(chosen) && SuiteFoundHere()) {
      RememberSuite(std::filesystem::current_path().string());
      return true;
    }
    lookedIn = chosen;
    remembered.clear();
  }
}
