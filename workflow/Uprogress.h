// The windows' side of a batch: the progress dialog while it runs and the final message after
// it, shared by the list window's change and the history window's undo.
#pragma once
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QWidget>
#include <cstddef>
#include <string>

// Marks a window busy for one piece of work.
class TBusy {
public:
  explicit TBusy(bool& flag) : Flag(flag) { Flag = true; }
  ~TBusy() { Flag = false; }
  TBusy(const TBusy&) = delete;
  TBusy& operator=(const TBusy&) = delete;

private:
  bool& Flag;
};

// A progress dialog that appears when the work takes longer than half a second.
class TProgressShown {
public:
  TProgressShown(QWidget* owner, const char* label, bool canStop);
  // The same, the label naming the object about to be worked on and the time left.
  bool Step(size_t done, size_t total, const std::string& object);
  // The dialog and the events are looked at every 20 ms: each look costs more than checking
  // an object.
  bool Step(size_t done, size_t total);

private:
  QProgressDialog D;
  std::string Label;
  QElapsedTimer Clock, Started;
};

// The final message of a batch ("#" breaks lines): a notice when all went well; otherwise a
// warning, with the protocol protocol (message warNumber) when one was written.
void ShowFinalMessage(QWidget* owner, const std::string& text, bool trouble,
                      const std::string& protocol = "", int warNumber = 0);
