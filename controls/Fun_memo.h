// Moving a long text into a memo box wrapped to its width and back, and the keystroke filter
// of numeric edit boxes that accept a sign.
#pragma once
#include <QLineEdit>
#include <QPlainTextEdit>
#include <string>

#include "base/Canvas.h"

// The decimal separator of number formatting and parsing, set to "," for the whole run.
constexpr char DecimalSeparator = ',';

// Fills the memo with the text wrapped to its width and returns the text's pixel height.
// wrapMode: 0 by characters, "#" ordinary; 1 by words, "#" breaks and stays at the line end;
// 2 by characters, "#" breaks; other values by words, "#" breaks and is dropped.
int TextToMemo(const std::string& text, TCanvas& canvas, QPlainTextEdit* memo, int wrapMode);
// The memo's lines joined without separators, line breaks inside a line turned into blanks.
void TextFromMemo(const QPlainTextEdit* memo, std::string& text);
// Backspace and digits pass; "-" only at the caret's start position; the decimal separator
// only once. Returns the character, or 0 to discard the keystroke.
char MinusCheckKey(char key, const QLineEdit* edit);
