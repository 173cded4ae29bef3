// Shell invocation of the project's programs for tests.
#include "tests/support/Clirun.h"

#include <cstdlib>
#include <sys/wait.h>

#include "tests/support/Tempdir.h"

std::string Quote(const std::string& s) {
  std::string out = "'";
  for (char c : s)
    out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

TRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                const std::string& scratchDir) {
  std::string out = scratchDir + "/out", err = scratchDir + "/err";
  std::string cmd = Quote(program);
  for (const std::string& a : args)
    cmd += " " + Quote(a);
  cmd += " >" + Quote(out) + " 2>" + Quote(err) + " </dev/null";
  int status = std::system(cmd.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(out), ReadAll(err)};
}
