// The field lists of the record structures the workflow packs and unpacks: built from the
// screen description file at the main window's construction (Ucommon) and only read elsewhere.
#pragma once
#include "storage/Fun_struct.h"

extern TListFields* ListFields147; // a project's list record, also its information record
extern TListFields* ListFields150; // a settings block's list record
extern TListFields* ListFields166; // the title record of a calculation
extern TListFields* ListFields169; // a result line of a calculation
