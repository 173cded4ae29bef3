// Alias table, configuration directory search and alias resolution.
// Linux: the configuration directory is searched along "/" components and may be named "CFG" in
// any letter case; alias paths keep their letter case (only alias names are upper-cased).
#include "paths/Dpath.h"

#include <algorithm>
#include <climits>
#include <unistd.h>

#include "base/Codec.h"
#include "base/Strutil.h"
#include "messages/Utslang.h"
#include "messages/Zmsg.h"
#include "paths/Rdwr_cfg.h"
#include "paths/Zcomp_var.h"
#include "storage/Dwfile.h"
#include "storage/Sysio.h"

std::string GetCurrentDir() {
  char buf[PATH_MAX];
  if (!::getcwd(buf, sizeof buf)) return "";
  return Cp1251FromUtf8(buf);
}

namespace {
// The sub-directory named CFG in any letter case ("" when none); an exact "CFG" wins.
std::string FindCfgIn(const std::string& dir) {
  std::vector<std::string> names;
  if (sysio::ListDir(dir, names) != 0) return "";
  std::string found;
  for (const std::string& n : names)
    if (AnsiUpperCase(n) == "CFG" && sysio::DirExists(dir + n)) {
      if (n == "CFG") return n;
      if (found.empty()) found = n;
    }
  return found;
}
} // namespace

std::string GetDirCfg() {
  std::string dir = GetCurrentDir();
  if (dir.empty() || dir.back() != '/') dir += '/';
  for (;;) {
    std::string cfg = FindCfgIn(dir);
    if (!cfg.empty()) return dir + cfg + "/";
    if (dir == "/") break;
    dir.pop_back();
    dir.erase(dir.rfind('/') + 1);
    if (dir.empty()) break;
  }
  SetError(ByIface("Отсутствует директория CFG", "Відсутній каталог CFG"), 0);
}

void AddAliasRecord(const std::string& record) {
  size_t hash = record.find('#');
  std::string alias = AnsiUpperCase(Trim(record.substr(0, hash)));
  std::string path;
  if (hash != std::string::npos) {
    std::string rest = record.substr(hash + 1);
    size_t second = rest.find('#');
    path = Trim(rest.substr(0, second));
    if (second != std::string::npos)
      path = WADelimRus + path + WADelimUkr + Trim(rest.substr(second + 1));
  }
  tAlias->push_back({alias, static_cast<int>(tPath->size())});
  tPath->push_back(path);
}

void SortAliases() {
  std::stable_sort(tAlias->begin(), tAlias->end(),
                   [](const TAliasEntry& a, const TAliasEntry& b) { return a.Name < b.Name; });
}

void InitPath(bool full) {
  if (!tAlias) tAlias = new std::vector<TAliasEntry>;
  if (!tPath) tPath = new std::vector<std::string>;
  DirCfg = GetDirCfg();
  std::string fileName = full ? "alias.zev" : "File.Cfg";
  if (full)
    ReadCfg(DirCfg);
  else
    cLoadMsg = nullptr;
  WFile file(DirCfg + fileName, fmRead);
  WRec rec;
  while (file.WRead(&rec))
    AddAliasRecord(std::string(rec.Data, rec.Len));
  SortAliases();
}

void DeInitPath() {
  delete tAlias;
  tAlias = nullptr;
  delete tPath;
  tPath = nullptr;
}

std::string GetRealName(const std::string& name) {
  size_t hash = name.find('#');
  if (hash == std::string::npos) return name;
  std::string alias = AnsiUpperCase(Trim(name.substr(0, hash)));
  std::string rest = Trim(name.substr(hash + 1));
  if (alias.empty() && rest.empty()) SetError(name, 6);
  if (rest.empty()) return alias;
  return GetAliasPath(alias) + rest;
}

std::string GetAliasPath(const std::string& alias) {
  std::string key = AnsiUpperCase(alias);
  if (!tAlias || !tPath) SetError(key, 7); // the table is not built yet
  auto it = std::lower_bound(tAlias->begin(), tAlias->end(), key,
                             [](const TAliasEntry& e, const std::string& k) { return e.Name < k; });
  if (it == tAlias->end() || it->Name != key) SetError(key, 7);
  const std::string& path = (*tPath)[static_cast<size_t>(it->Index)];
  if (!path.empty() && path[0] == WADelimRus) return GetTextLang(DocLang(), path);
  return path;
}
