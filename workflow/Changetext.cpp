// The change's own texts, from the message catalogue in the language the caller asks for.
#include "workflow/Changetext.h"

#include "messages/Msgcat.h"

std::string ChangeText(TChangeText id, bool russian, const std::string& params) {
  std::string text = MsgCatalogueText(static_cast<uint16_t>(id), russian);
  size_t from = 0, at = 0;
  while ((at = text.find('$', at)) != std::string::npos) {
    size_t bar = params.find('|', from);
    std::string p = params.substr(from, bar == std::string::npos ? std::string::npos : bar - from);
    text.replace(at, 1, p);
    at += p.size();
    from = bar == std::string::npos ? params.size() : bar + 1;
  }
  return text;
}

std::string OwnerWarning(const TOwnerChange& change, const std::string& file, bool russian) {
  if (!change.Changed) return "";
  return ChangeText(TChangeText::OwnerNotKept, russian,
                    file + "|" + UserName(change.From) + "|" + UserName(change.To));
}

std::string JoinWarnings(const std::string& a, const std::string& b) {
  return a.empty() ? b : b.empty() ? a : a + "; " + b;
}
