// Object file names, separated lists, CP1251 upper/lower case, keystroke filters, shortcut texts,
// file-name checks and the disposal of lists of heap items.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// prefix + "#" + number [+ "_" + suffix] + the extension of the language (russian non-zero).
void CreatNameFile(const std::string& prefix, uint32_t number, const std::string& suffix,
                   const std::string& extUkr, const std::string& extRus, std::string& name,
                   unsigned char russian);

// Splits text at every separator into list (replacing its content); returns the count.
// An empty text leaves the list untouched and returns 0.
int CrtStringList(std::vector<std::string>& list, const std::string& text,
                  const std::string& separator);
// Joins the lines, each followed by the separator.
std::string CrtAnsistring(const std::vector<std::string>& list, const std::string& separator);

// Upper case in place (CP1251; "і" and "ё" stay); with latin, Latin capitals that look Cyrillic
// become Cyrillic. Returns 0 for an empty text, else its length + 1.
int SmallBig(std::string& text, bool latin);
// Lower case in place; the string form turns "І" and "і" into the Latin "i".
void BigSmall(std::string& text);
// The zero-terminated form; "І" and "і" stay.
void BigSmall(char* text);

// Keystroke filter of numeric edits: the character, or 0 to discard it.
// Mode 0 passes all, 1 only digits, 2 also one decimal comma, 3+ refuses characters of text.
char CheckKey(char key, int mode, const std::string& text);
// Key code of a shortcut text such as "Ctrl+Shift+F5": virtual key + 256 Alt + 512 Ctrl
// + 1024 Shift.
uint32_t GetKodKey(const std::string& text);
// True (after showing error 714) when the file name holds a forbidden character; allowed is the
// number of leading characters of the forbidden list that are permitted.
bool CheckNameFile(const std::string& name, const std::string& dir, int allowed);

// Releases the items of a list of heap items (only those the predicate accepts, their slots then
// set to null); with freeList the list itself is destroyed and list set to null, else emptied.
template <class T>
void DeleteList(std::vector<T*>*& list, bool freeList,
                const std::function<bool(T*)>& accept = nullptr) {
  if (!list) return;
  for (T*& item : *list)
    if (item && (!accept || accept(item))) {
      delete item;
      item = nullptr;
    }
  if (freeList) {
    delete list;
    list = nullptr;
  } else {
    list->clear();
  }
}
// The same for lists of base-library objects (every item released).
template <class T> void bDeleteList(std::vector<T*>*& list, bool freeList) {
  DeleteList<T>(list, freeList);
}
