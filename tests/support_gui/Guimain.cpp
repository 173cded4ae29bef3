// The main of the GUI test programs: the tests run inside the program's application object.
#include <gtest/gtest.h>

#include <QStandardPaths>

#include "base/QtApp.h"
#include "messages/Utslang.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Also when the test list is read at build time, without a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The window tests read the Russian texts unless they choose a language themselves.
  IFaceLang = elg_Rus;
  // Remembered window places go to Qt's test folder, not the user's settings.
  QStandardPaths::setTestModeEnabled(true);
  ZApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
