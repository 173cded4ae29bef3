// The session of a list command and the header texts of the list commands.
#include "tools/cli/Listsession.h"

#include "base/Codec.h"
#include "messages/Msgcat.h"
#include "messages/Zmsg.h"
#include "paths/Dpath.h"
#include "paths/Rdwr_cfg.h"
#include "storage/Sysio.h"
#include "workflow/Instance.h"
#include "messages/Utslang.h"

#include <cstdio>

TListInfo ParseList(const std::string& name) {
  if (name == "ss") return ListInfoOf(1, 0);
  if (name == "dc") return ListInfoOf(2, 0);
  if (name == "pd") return ListInfoOf(3, 0);
  if (name.size() == 3 && name.compare(0, 2, "bn") == 0 && name[2] >= '0' && name[2] <= '3')
    return ListInfoOf(5, static_cast<uint8_t>(name[2] - '0'));
  throw TUsageError("unknown list '" + name + "' (ss, dc, pd, bn0..bn3)");
}

std::string Shown(const std::string& cp) {
  std::string out;
  for (unsigned char c : Utf8FromCp1251(cp)) {
    if (c < 0x20 || c == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string Padded(const std::string& utf8, size_t width) {
  size_t chars = 0;
  for (unsigned char c : utf8)
    chars += (c & 0xC0) != 0x80;
  return utf8 + std::string(width > chars ? width - chars : 0, ' ');
}

void TCliSession::RequireSingleInstance() {
  if (!AcquireSuiteProcessLock(GetDirCfg())) SetError("", MsgAlreadyRunning);
}

TCliSession::TCliSession(bool writes) {
  if (writes)
    RequireSingleInstance();
  else
    Private = std::make_unique<TPrivateWorkFiles>();
  Session = std::make_unique<TWorkflowSession>();
}

TListSession::TListSession(const TCliContext& o, const TListInfo& info, bool writes)
    : TCliSession(writes), Info(info), Russian(o.Russian) {
  Cfg[CfgDocRussian] = Russian ? 1 : 0;
  ListName = ListAliasName(info, Russian);
  ListPath = GetRealName(ListName);
  FileList = nullptr;
  FileList = new WFile(ListPath);
}

TListSession::~TListSession() {
  try {
    delete FileList;
  } catch (...) {
  }
  FileList = nullptr;
}

TObjectFiles TListSession::Files() {
  return TObjectFiles(*FileList, *FileRef, RecWork);
}

std::vector<TObjLine> TListSession::Check() {
  TObjectFiles files = Files();
  std::vector<TObjLine> lines = LoadObjectLines(files, Info, Russian);
  CheckObjectLines(files, Info, lines, Russian);
  return lines;
}

namespace {
std::string SourcePathShown() {
  std::string path = ReferenceSourcePath();
  return ReferenceFromSuite() ? sysio::OsPath(path) : Utf8FromCp1251(path);
}
} // namespace

std::string ReferenceJson() {
  return std::string("{\"source\":") + JsonString(ReferenceFromSuite() ? "suite" : "program") +
         ",\"path\":" + JsonString(SourcePathShown()) +
         ",\"text\":" + JsonString(Utf8FromCp1251(ReferenceSourceText(IfaceRussian()))) + "}";
}

std::string ReferenceLine() {
  return ReferenceFromSuite() ? "reference data: suite file " + SourcePathShown()
                              : std::string("reference data: built into the program");
}

std::string ListJsonHead(const TListSession& s, const std::string& list) {
  return "\"list\":" + JsonString(list) + ",\"lang\":" + JsonString(s.Russian ? "rus" : "ukr") +
         ",\"listfile\":" + JsonString(sysio::OsPath(s.ListPath)) +
         ",\"reference\":" + ReferenceJson();
}
