// The application object and its default exception display.
#include "base/QtApp.h"
#include "messages/Msgcat.h"

#include "base/Codec.h"
#include "base/QtText.h"
#include "messages/Umessages.h"
#include "messages/Zmsg.h"
#include "paths/Rdwr_cfg.h"

ZApplication::ZApplication(int& argc, char** argv) : QApplication(argc, argv) {
  InstallFontSubstitutes();
  InstallDialogPresenter();
}

void ShowException(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const ZError& e) {
    OutErr(e);
  } catch (const std::exception& e) {
    OutErr(Cp1251FromUtf8(e.what()), MsgSystemError);
  } catch (...) {
    OutErr(Cfg[CfgIfaceRussian] ? "Неизвестная ошибка" : "Невідома помилка", MsgSystemError);
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
