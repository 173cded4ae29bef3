// The application object and its default exception display.
#include "base/QtApp.h"

#include <QLibraryInfo>
#include <QSettings>
#include <QTranslator>

#include "messages/Msgcat.h"

#include "base/Codec.h"
#include "base/QtAccess.h"
#include "base/QtText.h"
#include "messages/Umessages.h"
#include "messages/Zmsg.h"
#include "paths/Rdwr_cfg.h"
#include "messages/Utslang.h"

ZApplication::ZApplication(int& argc, char** argv) : QApplication(argc, argv) {
  InstallFontSubstitutes();
  InstallDialogPresenter();
  LoadQtTranslations();
  InstallAccessibility();
}

bool LoadQtTranslations() {
  static QTranslator* current = nullptr;
  if (current) {
    QCoreApplication::removeTranslator(current);
    delete current;
    current = nullptr;
  }
  auto* t = new QTranslator;
  const char* name = IfaceRussian() ? "qtbase_ru" : "qtbase_uk";
  if (!t->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete t;
    return false;
  }
  QCoreApplication::installTranslator(t);
  current = t;
  return true;
}

void ShowException(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const ZError& e) {
    OutErr(e);
  } catch (const std::exception& e) {
    OutErr(Cp1251FromUtf8(e.what()), MsgSystemError);
  } catch (...) {
    OutErr(ByIface("Неизвестная ошибка", "Невідома помилка"), MsgSystemError);
  }
}

bool ZApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ShowException(std::current_exception());
    return false;
  }
}

namespace {
QSettings& WindowSettings() {
  static QSettings settings("ravinel", "windows");
  return settings;
}
} // namespace

void RestoreWindowGeometry(QWidget* window, const char* key) {
  QByteArray saved = WindowSettings().value(QString(key) + "/geometry").toByteArray();
  if (!saved.isEmpty()) window->restoreGeometry(saved);
}

void SaveWindowGeometry(const QWidget* window, const char* key) {
  WindowSettings().setValue(QString(key) + "/geometry", window->saveGeometry());
}
