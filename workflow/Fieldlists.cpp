// The field lists of the record structures 147, 150, 166 and 169; null while the main window's
// start-up has not built them.
#include "workflow/Fieldlists.h"

TListFields* ListFields147 = nullptr;
TListFields* ListFields150 = nullptr;
TListFields* ListFields166 = nullptr;
TListFields* ListFields169 = nullptr;
