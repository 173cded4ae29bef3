// ZApplication: the Qt application of the program. It maps the designed fonts, shows messages
// in the dialog, and catches what an event handler throws so that the program goes on.
#pragma once
#include <QApplication>

class ZApplication : public QApplication {
public:
  ZApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// Shows an exception that reached the event loop: a ZError through OutErr, anything else as a
// generic error.
void ShowException(std::exception_ptr error);

// Qt's own texts (standard dialogs and buttons) in the interface language: installs Qt's
// translation for IFaceLang in place of the one installed before. False when it is not
// installed on this machine (Qt's dialogs then speak English).
bool LoadQtTranslations();

// The size and place a window had when it was last closed (QSettings of the program, under key);
// the window keeps its own when none is remembered.
void RestoreWindowGeometry(QWidget* window, const char* key);
void SaveWindowGeometry(const QWidget* window, const char* key);
