// The change's own texts, from the message catalogue in the language the caller asks for, with
// their parameters filled as every message's are.
#include "workflow/Changetext.h"

#include "messages/Msgcat.h"
#include "messages/Zmsg.h"

std::string ChangeText(TChangeText id, bool russian, const std::string& params) {
  return FillParams(MsgCatalogueText(static_cast<uint16_t>(id), russian), params);
}

std::string OwnerWarning(const TOwnerChange& change, const std::string& file, bool russian) {
  if (!change.Changed) return "";
  return ChangeText(TChangeText::OwnerNotKept, russian,
                    file + "|" + UserName(change.From) + "|" + UserName(change.To));
}

std::string JoinWarnings(const std::string& a, const std::string& b) {
  return a.empty() ? b : b.empty() ? a : a + "; " + b;
}
