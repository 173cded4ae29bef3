// Qt key events to virtual-key codes with modifier bits.
#include "base/QtKeys.h"

#include <unordered_map>

namespace {
const std::unordered_map<int, int>& KeyTable() {
  static const std::unordered_map<int, int> table = {
      {Qt::Key_Backspace, 8},     {Qt::Key_Tab, 9},
      {Qt::Key_Backtab, 9},       {Qt::Key_Clear, 12},
      {Qt::Key_Return, 13},       {Qt::Key_Enter, 13},
      {Qt::Key_Pause, 19},        {Qt::Key_CapsLock, 20},
      {Qt::Key_Escape, 27},       {Qt::Key_Space, 32},
      {Qt::Key_PageUp, 33},       {Qt::Key_PageDown, 34},
      {Qt::Key_End, 35},          {Qt::Key_Home, 36},
      {Qt::Key_Left, 37},         {Qt::Key_Up, 38},
      {Qt::Key_Right, 39},        {Qt::Key_Down, 40},
      {Qt::Key_Select, 41},       {Qt::Key_Execute, 43},
      {Qt::Key_Print, 44},        {Qt::Key_Insert, 45},
      {Qt::Key_Delete, 46},       {Qt::Key_Help, 47},
      {Qt::Key_Menu, 93},         {Qt::Key_NumLock, 144},
      {Qt::Key_ScrollLock, 145},  {Qt::Key_Semicolon, 186},
      {Qt::Key_Colon, 186},       {Qt::Key_Equal, 187},
      {Qt::Key_Plus, 187},        {Qt::Key_Comma, 188},
      {Qt::Key_Less, 188},        {Qt::Key_Minus, 189},
      {Qt::Key_Underscore, 189},  {Qt::Key_Period, 190},
      {Qt::Key_Greater, 190},     {Qt::Key_Slash, 191},
      {Qt::Key_Question, 191},    {Qt::Key_QuoteLeft, 192},
      {Qt::Key_AsciiTilde, 192},  {Qt::Key_BracketLeft, 219},
      {Qt::Key_BraceLeft, 219},   {Qt::Key_Backslash, 220},
      {Qt::Key_Bar, 220},         {Qt::Key_BracketRight, 221},
      {Qt::Key_BraceRight, 221},  {Qt::Key_Apostrophe, 222},
      {Qt::Key_QuoteDbl, 222},    {Qt::Key_Exclam, '1'},
      {Qt::Key_At, '2'},          {Qt::Key_NumberSign, '3'},
      {Qt::Key_Dollar, '4'},      {Qt::Key_Percent, '5'},
      {Qt::Key_AsciiCircum, '6'}, {Qt::Key_Ampersand, '7'},
      {Qt::Key_Asterisk, '8'},    {Qt::Key_ParenLeft, '9'},
      {Qt::Key_ParenRight, '0'},
  };
  return table;
}

// Cyrillic capitals (from U+0410) by the key they share with the Latin layout.
const char kCyrillicKeys[] = "F<DULT;PBQRKVYJGHCNEA[WXIO]SM'>Z";

int KeypadKey(int qtKey) {
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return 96 + (qtKey - Qt::Key_0);
  switch (qtKey) {
  case Qt::Key_Asterisk:
    return 106;
  case Qt::Key_Plus:
    return 107;
  case Qt::Key_Minus:
    return 109;
  case Qt::Key_Period:
  case Qt::Key_Comma:
    return 110;
  case Qt::Key_Slash:
    return 111;
  default:
    return 0;
  }
}

int LatinKey(char c) {
  switch (c) {
  case ';':
    return 186;
  case '<':
    return 188;
  case '>':
    return 190;
  case '[':
    return 219;
  case ']':
    return 221;
  case '\'':
    return 222;
  default:
    return c;
  }
}

int CyrillicKey(int qtKey) {
  if (qtKey >= 0x410 && qtKey < 0x430) return LatinKey(kCyrillicKeys[qtKey - 0x410]);
  switch (qtKey) {
  case 0x401:
    return 192; // Ё
  case 0x404:
    return 222; // Є
  case 0x406:
    return 'S'; // І
  case 0x407:
    return 221; // Ї
  case 0x490:
    return 220; // Ґ
  default:
    return 0;
  }
}
} // namespace

int VirtualKeyOf(int qtKey, bool keypad) {
  if (keypad)
    if (int k = KeypadKey(qtKey)) return k;
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
    return qtKey;
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 112 + (qtKey - Qt::Key_F1);
  auto it = KeyTable().find(qtKey);
  if (it != KeyTable().end()) return it->second;
  return CyrillicKey(qtKey);
}

int TransKey(int qtKey, Qt::KeyboardModifiers modifiers) {
  int key = VirtualKeyOf(qtKey, modifiers & Qt::KeypadModifier);
  if (key == 0) return 0; // Shift, Ctrl and Alt alone, and keys without a number
  if (modifiers & Qt::AltModifier) key += kAlt;
  if (modifiers & Qt::ControlModifier) key += kCtrl;
  if (modifiers & Qt::ShiftModifier) key += kShift;
  return key;
}

int TransKey(const QKeyEvent* event) {
  return TransKey(event->key(), event->modifiers());
}
