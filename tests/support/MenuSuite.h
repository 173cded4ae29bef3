// A small suite installation with the menu descriptions of the demo suite ("Cfg#Dop.zev" and the
// structures 898 and 899), the paths initialised on it, and the warnings shown collected.
#pragma once
#include <string>
#include <unistd.h>
#include <vector>

#include "messages/Utslang.h"
#include "messages/Zmsg.h"
#include "paths/Dpath.h"
#include "paths/Rdwr_cfg.h"
#include "storage/Drec.h"
#include "tests/support/SuiteBuilder.h"
#include "tests/support/Tempdir.h"
#include "tools/demosuite/Demosuite.h"

class TMenuSuite {
public:
  // ifaceRussian: the interface language while the suite lives (non-zero Russian).
  explicit TMenuSuite(unsigned char ifaceRussian = 1) {
    IFaceLang = ifaceRussian ? elg_Rus : elg_Ukr;
    ::getcwd(OldCwd, sizeof OldCwd);
    TSuiteBuilder b(Dir.Path());
    b.Languages(0, ifaceRussian).Group(899, {}).Write();
    InitBuf();
    WriteMenuDescriptions(Dir.Path());
    (void)::chdir(Dir.Path().c_str());
    InitPath(true);
    Old = SetMsgPresenter([this](const TMsgRequest& r) {
      Shown.push_back(r.Text);
      return false;
    });
  }
  ~TMenuSuite() {
    SetMsgPresenter(Old);
    DeInitPath();
    DeInitBuf();
    (void)::chdir(OldCwd);
    IFaceLang = OldLang;
  }
  TTempDir Dir;
  std::vector<std::string> Shown; // texts of the warnings shown

private:
  TMsgPresenter Old;
  ELang OldLang = IFaceLang;
  char OldCwd[4096];
};
