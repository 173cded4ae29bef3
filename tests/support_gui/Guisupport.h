// Helpers of the GUI tests: screenshots on request and acting on modal windows.
#pragma once
#include <QWidget>
#include <functional>
#include <string>

// Saves a PNG of the widget as <name>.png in the directory named by RAVINEL_SCREENSHOTS, if set.
void SaveShot(QWidget* widget, const std::string& name);
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
