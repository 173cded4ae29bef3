// The in-cell editor's decisions: editor kinds of field types, keystroke filters, save keys.
#include <gtest/gtest.h>

#include "table/Edrk_rules.h"

TEST(EdRkRules, KindFollowsTheFieldType) {
  EXPECT_TRUE(EdRkKindOfCell(tfString, false).Memo);
  EXPECT_EQ(EdRkKindOfCell(tfDouble, false).Filter, kFilterNumber);
  EXPECT_EQ(EdRkKindOfCell(tfShort81, true).Filter, kFilterSigned);
  EXPECT_EQ(EdRkKindOfCell(tfDword, true).Filter, kFilterDigits);
  EXPECT_EQ(EdRkKindOfCell(TypeField(0), false).Filter, kFilterDigits);
  EXPECT_EQ(EdRkKindOfValue(TypeField(0), false).Filter, kFilterAny);
}

TEST(EdRkRules, FiltersPassOnlyWhatTheFieldTakes) {
  EXPECT_EQ(EdRkFilterKey('a', kFilterAny, "", 0), 'a');
  EXPECT_EQ(EdRkFilterKey('a', kFilterDigits, "", 0), 0);
  EXPECT_EQ(EdRkFilterKey(8, kFilterDigits, "1", 1), 8);
  EXPECT_EQ(EdRkFilterKey(',', kFilterNumber, "12", 2), ',');
  EXPECT_EQ(EdRkFilterKey(',', kFilterNumber, "1,2", 3), 0);
  EXPECT_EQ(EdRkFilterKey('-', kFilterNumber, "1", 0), 0);
  EXPECT_EQ(EdRkFilterKey('-', kFilterSigned, "1", 0), '-');
  EXPECT_EQ(EdRkFilterKey('-', kFilterSigned, "1", 1), 0);
  EXPECT_EQ(EdRkFilterKey('-', kFilterSigned, "-1", 0), 0);
  EXPECT_EQ(EdRkFilterKey(',', kFilterSigned + 2, "-1", 2), ',');
}

TEST(EdRkRules, SaveKeysDependOnMemoAndWrap) {
  EXPECT_EQ(EdRkKeyAction(13, false, false), TEdRkAction::Save);
  EXPECT_EQ(EdRkKeyAction(27, false, false), TEdRkAction::Cancel);
  EXPECT_EQ(EdRkKeyAction(13, true, false), TEdRkAction::None);
  EXPECT_EQ(EdRkKeyAction(13 + 512, true, false), TEdRkAction::Save);
  EXPECT_EQ(EdRkKeyAction(13, true, true), TEdRkAction::Save);
  EXPECT_EQ(EdRkKeyAction(27, true, true), TEdRkAction::Cancel);
  EXPECT_TRUE(EdRkRefused("12,"));
  EXPECT_FALSE(EdRkRefused("12,5"));
  EXPECT_FALSE(EdRkRefused(""));
  EXPECT_EQ(EdRkResult("a", "a"), kEdRkSame);
  EXPECT_EQ(EdRkResult("a", "b"), kEdRkChanged);
}
