// Screenshots and modal-window automation for the GUI tests.
#include "Guisupport.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

void SaveShot(QWidget* widget, const std::string& name) {
  const char* dir = std::getenv("RAVINEL_SCREENSHOTS");
  if (!dir || !*dir) return;
  QDir().mkpath(dir);
  widget->grab().save(QString::fromUtf8(dir) + "/" + QString::fromStdString(name) + ".png");
}

void WhenModal(std::function<void(QWidget*)> act) {
  QWidget* before = QApplication::activeModalWidget();
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [act, before, poll] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != before && modal->isVisible()) {
      act(modal);
      *poll = nullptr; // breaks the cycle
      return;
    }
    QTimer::singleShot(10, [poll] {
      if (*poll) (*poll)();
    });
  };
  QTimer::singleShot(0, [poll] { (*poll)(); });
}
