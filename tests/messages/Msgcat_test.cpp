// The message catalogue against the named message numbers: every number the code raises, warns
// or asks with has its text in Russian and in Ukrainian.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "messages/Msgcat.h"

namespace {

struct TNamed {
  std::string Name;
  int Number; // as looked up: warnings + 1000, questions + 2000
};

// The constants of Msgcat.h: Msg* errors, War* warnings, Sel* questions.
std::vector<TNamed> NamedNumbers() {
  std::ifstream in(RAVINEL_SOURCE_DIR "/messages/Msgcat.h");
  std::stringstream text;
  text << in.rdbuf();
  std::string s = text.str();
  const std::regex constant(R"(constexpr int ((Msg|War|Sel)\w+) = (\d+);)");
  std::vector<TNamed> out;
  for (std::sregex_iterator it(s.begin(), s.end(), constant), end; it != end; ++it) {
    int n = std::stoi((*it)[3]);
    const std::string kind = (*it)[2];
    out.push_back({(*it)[1], n + (kind == "War" ? 1000 : kind == "Sel" ? 2000 : 0)});
  }
  return out;
}

TEST(Msgcat, EveryNamedNumberHasItsTextInBothLanguages) {
  std::vector<TNamed> named = NamedNumbers();
  ASSERT_GT(named.size(), 30u) << "the constants were read";
  // A caller's own text (0) may also be warned or asked with.
  named.push_back({"warning with an own text", 1000});
  named.push_back({"question with an own text", 2000});
  for (const TNamed& n : named) {
    // 0 and 99 show the caller's text, 999 nothing: no catalogue text is looked up.
    if (n.Number == 0 || n.Number == MsgSystemError || n.Number == MsgSilent) continue;
    const auto number = static_cast<uint16_t>(n.Number);
    std::string rus = MsgCatalogueText(number, 1), ukr = MsgCatalogueText(number, 0);
    EXPECT_FALSE(rus.empty()) << n.Name << " (" << n.Number << ") has no Russian text";
    EXPECT_FALSE(ukr.empty()) << n.Name << " (" << n.Number << ") has no Ukrainian text";
    EXPECT_TRUE(rus != ukr || rus == "$") << n.Name << ": the Ukrainian text is the Russian one";
  }
}

} // namespace
