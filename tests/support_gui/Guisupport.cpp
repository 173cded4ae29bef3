// Screenshots and modal-window automation for the GUI tests.
#include "Guisupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QDir>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "base/QtText.h"
#include "controls/Ztext.h"

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

namespace {
void AddTexts(QWidget* w, std::vector<std::string>& out) {
  auto add = [&out](const QString& t) {
    if (!t.isEmpty()) out.push_back(FromQString(t));
  };
  if (w->isWindow()) add(w->windowTitle());
  if (auto* l = qobject_cast<QLabel*>(w)) add(l->text());
  if (auto* b = qobject_cast<QAbstractButton*>(w)) add(b->text());
  if (auto* g = qobject_cast<QGroupBox*>(w)) add(g->title());
  if (auto* e = qobject_cast<QPlainTextEdit*>(w)) add(e->toPlainText());
  if (auto* z = dynamic_cast<TZText*>(w))
    for (int i = 1; i <= 5; ++i)
      add(ToQString(z->Text(i)));
}
} // namespace

std::vector<std::string> WidgetTexts(QWidget* widget, bool visibleOnly) {
  std::vector<std::string> out;
  AddTexts(widget, out);
  for (QWidget* w : widget->findChildren<QWidget*>())
    if (!visibleOnly || w->isVisible()) AddTexts(w, out);
  return out;
}

std::vector<std::string> OtherLanguage(const std::vector<std::string>& texts, bool russian) {
  // CP1251: ы Ы э Э ъ Ъ ё Ё; і І ї Ї є Є ґ Ґ.
  const std::string ukrainianOnly = "\xB3\xB2\xBF\xAF\xBA\xAA\xB4\xA5";
  const std::string russianOnly = "\xFB\xDB\xFD\xDD\xFA\xDA\xB8\xA8";
  const std::string& foreign = russian ? ukrainianOnly : russianOnly;
  std::vector<std::string> out;
  for (const std::string& t : texts)
    if (t.find_first_of(foreign) != std::string::npos) out.push_back(t);
  return out;
}
