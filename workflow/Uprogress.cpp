// The progress dialog and the final message of the windows' batches; the texts are decided in
// Uvbl_texts and by the callers.
#include "workflow/Uprogress.h"

#include <QCoreApplication>
#include <QMessageBox>

#include "base/QtText.h"
#include "messages/Msgcat.h"
#include "messages/Utslang.h"
#include "messages/Zmsg.h"
#include "workflow/Uvbl_texts.h"

namespace {
constexpr int kProgressDelayMs = 500, kProgressStepMs = 20;
}

TProgressShown::TProgressShown(QWidget* owner, const char* label, bool canStop)
    : D(ToQString(label), canStop ? ToQString(ByIface("Остановить", "Зупинити")) : QString(), 0,
        100, owner),
      Label(label) {
  D.setWindowModality(Qt::WindowModal);
  D.setMinimumDuration(kProgressDelayMs);
  D.setAutoClose(false);
  D.setAutoReset(false);
  Started.start();
}

bool TProgressShown::Step(size_t done, size_t total, const std::string& object) {
  if (!Clock.isValid() || Clock.elapsed() >= kProgressStepMs)
    D.setLabelText(ToQString(ProgressText(done, total, object, Started.elapsed(), Label)));
  return Step(done, total);
}

bool TProgressShown::Step(size_t done, size_t total) {
  if (Clock.isValid() && Clock.elapsed() < kProgressStepMs) return !D.wasCanceled();
  Clock.start();
  D.setMaximum(static_cast<int>(total));
  D.setValue(static_cast<int>(done));
  // Until the dialog shows and blocks the windows below it, the user's input waits: a click
  // must not close the window or start other work in the middle of this one.
  QCoreApplication::processEvents(D.isVisible() ? QEventLoop::AllEvents
                                                : QEventLoop::ExcludeUserInputEvents);
  return !D.wasCanceled();
}

void ShowFinalMessage(QWidget* owner, const std::string& text, bool trouble,
                      const std::string& protocol, int warNumber) {
  if (trouble && !protocol.empty())
    OutWarLog(text, warNumber, protocol, "");
  else if (trouble)
    OutWar(text, MsgOwnText);
  else
    QMessageBox::information(owner, owner->windowTitle(),
                             ToQString(text).replace("##", "\n").replace("#", "\n"));
}
