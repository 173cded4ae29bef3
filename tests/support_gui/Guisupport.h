// Helpers of the GUI tests: screenshots on request and acting on modal windows.
#pragma once
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

// Saves a PNG of the widget as <name>.png in the directory named by RAVINEL_SCREENSHOTS, if set.
void SaveShot(QWidget* widget, const std::string& name);
// Every text the widget and its children show (CP1251): window title, labels, buttons, group
// titles, memos, multi-line labels; visibleOnly leaves out hidden widgets.
std::vector<std::string> WidgetTexts(QWidget* widget, bool visibleOnly = true);
// The texts among all that hold a letter of the other interface language (Russian ы э ъ ё,
// Ukrainian і ї є ґ) than russian names.
std::vector<std::string> OtherLanguage(const std::vector<std::string>& texts, bool russian);

// Runs act on the next modal window as soon as it is shown (the caller then enters exec()).
void WhenModal(std::function<void(QWidget*)> act);

#include "messages/Zmsg.h"
#include <vector>

// Collects what the message operations would show, while it lives.
struct Shown {
  std::vector<TMsgRequest> All;
  TMsgPresenter Saved;
  Shown() {
    Saved = SetMsgPresenter([this](const TMsgRequest& r) {
      All.push_back(r);
      return false;
    });
  }
  ~Shown() { SetMsgPresenter(Saved); }
};
