// Helpers of the GUI tests: screenshots on request and acting on modal windows.
#pragma once
#include <QWidget>
#include <functional>
#include <string>

// Saves a PNG of the widget as <name>.png in the directory named by RAVINEL_SCREENSHOTS, if set.
void SaveShot(QWidget* widget, const std::string& name);
// Runs act on the next modal window as soon as it is shown (the caller then enters exec()).
void WhenModal(std::function<void(QWidget*)> act);
