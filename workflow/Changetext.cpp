// The change's own texts, from the message catalogue in the interface language, with their
// parameters filled as every message's are.
#include "workflow/Changetext.h"

#include "messages/Msgcat.h"
#include "messages/Utslang.h"
#include "messages/Zmsg.h"

std::string ChangeText(TChangeText id, const std::string& params) {
  return FillParams(MsgCatalogueText(static_cast<uint16_t>(id), IfaceRussian()), params);
}

std::string OwnerWarning(const TOwnerChange& change, const std::string& file) {
  if (!change.Changed) return "";
  return ChangeText(TChangeText::OwnerNotKept,
                    file + "|" + UserName(change.From) + "|" + UserName(change.To));
}

std::string JoinWarnings(const std::string& a, const std::string& b) {
  return a.empty() ? b : b.empty() ? a : a + "; " + b;
}
