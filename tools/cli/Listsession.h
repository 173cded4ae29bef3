// The session of a command that works on one list (check, change, survey): the single-instance
// lock, the start-up, the list file; and the header texts they share.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "tools/cli/Cli.h"
#include "workflow/Objects.h"
#include "workflow/Ucommon.h"

// A list named on the command line: ss, dc, pd, bn0..bn3.
TListInfo ParseList(const std::string& name);
// A CP1251 text for the terminal: UTF-8 with control characters made visible.
std::string Shown(const std::string& cp);
// A UTF-8 text padded with spaces to width characters (not bytes), for columns of text output.
std::string Padded(const std::string& utf8, size_t width);

// The workflow's start-up, as the windowed program has it. A session that writes the suite takes
// the lock of its working files; one that only reads works on private working files and runs
// beside the windows and other readers.
class TCliSession {
public:
  explicit TCliSession(bool writes = false);
  // Another instance of the program works on this suite's files: message 141.
  static void RequireSingleInstance();

private:
  std::unique_ptr<TPrivateWorkFiles> Private;
  std::unique_ptr<TWorkflowSession> Session;
};

class TListSession : public TCliSession {
public:
  TListSession(const TCliContext& o, const TListInfo& info, bool writes = false);
  ~TListSession();
  std::vector<TObjLine> Check();
  // The files of the list's check and change: the list file, the reference file, the shared
  // record buffer; they live as long as this session.
  TObjectFiles Files();

  TListInfo Info;
  bool Russian;
  std::string ListName, ListPath;
};

// The reference data in use: a JSON object {"source":"program"|"suite","path":..,"text":..},
// and a header line for the text output.
std::string ReferenceJson();
std::string ReferenceLine();
// "list", "lang", "listfile" and "reference" of a list command's JSON.
std::string ListJsonHead(const TListSession& s, const std::string& list);
