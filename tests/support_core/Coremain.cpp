// The main of the test programs without windows: the interface language is Russian, in which the
// stored texts are given, unless a test chooses a language itself.
#include <gtest/gtest.h>

#include "messages/Utslang.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  IFaceLang = elg_Rus;
  return RUN_ALL_TESTS();
}
