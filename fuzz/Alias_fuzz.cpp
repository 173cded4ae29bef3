// Any alias table and any names: the table is read from the configuration directory, and
// GetRealName resolves names through it. Names without "#" come back unchanged; a resolved name
// ends with the part behind the "#".
#include <filesystem>
#include <unistd.h>

#include "fuzz/support/Fuzz.h"
#include "messages/Zmsg.h"
#include "paths/Dpath.h"
#include "paths/Rdwr_cfg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInit();
  static bool ready = false;
  if (!ready) {
    std::filesystem::create_directories(FuzzDir() + "/CFG");
    std::string cfg(CfgSize, '\0');
    FuzzWrite(FuzzDir() + "/CFG/cfg.zev", reinterpret_cast<const uint8_t*>(cfg.data()), cfg.size());
    if (chdir(FuzzDir().c_str()) != 0) FuzzFail("chdir");
    ready = true;
  }
  TFuzzInput in(data, size);
  uint8_t lang = in.Byte();
  std::vector<std::string> names;
  for (int i = in.Byte() & 7; i > 0; --i)
    names.push_back(in.Text(64));
  std::string table = in.Rest();
  FuzzWrite(FuzzDir() + "/CFG/alias.zev", reinterpret_cast<const uint8_t*>(table.data()),
            table.size());
  try {
    InitPath(true);
  } catch (const ZError&) {
    DeInitPath();
    return 0;
  }
  Cfg[CfgDocRussian] = lang & 1;
  for (const std::string& name : names) {
    try {
      std::string real = GetRealName(name);
      if (name.find('#') == std::string::npos) FUZZ_CHECK(real == name);
    } catch (const ZError& e) {
      FUZZ_CHECK(e.Number == 6 || e.Number == 7);
    }
  }
  DeInitPath();
  return 0;
}
