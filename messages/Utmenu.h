// Window menus and captions from "Cfg#Dop.zev" over Qt menus and actions: TMnu builds or captions
// the menus of a form, CreatCaption titles a window. The decisions live in messages/Mnudesc.
#pragma once
#include <QKeySequence>
#include <QPointer>
#include <string>
#include <vector>

#include "messages/Mnudesc.h"

class QAction;
class QIcon;
class QMenu;
class QWidget;
class TQtZTable;

// The window icon that CreatCaption gives every form when set.
extern QIcon* ZevIco;

// One described menu item: its key, flags, the item in the first menu, its copy in the second
// (kind 2 only) and the captions of the text identifiers 1, 2 and 3.
struct TMnuItem {
  char Key[kItemKeyLen] = {}; // zero-filled; first, as the sorted list's key
  uint32_t Flags = 0;
  QPointer<QAction> Item1;
  QPointer<QAction> Item2;
  std::string Text[3];
};

// Menu kinds of CreateMenu.
enum : unsigned char { kMainMenu = 0, kPopupMenu = 1, kBothMenus = 2 };

// Menu items keep their shortcut (QKeyCombination::toCombined) in the action's data, the tag;
// forms and items keep their help context in the property "HelpContext", forms their help file
// in "HelpFile". The menus belong to the form; a TMnu must not outlive the form's use of them
// only for its clicks: its destructor disconnects them.
class TMnu {
public:
  TMnu();
  ~TMnu();
  TMnu(const TMnu&) = delete;
  TMnu& operator=(const TMnu&) = delete;

  std::string GetText(const std::string& key, unsigned char russian, bool warn);
  // True when some menu item of the form has no description.
  bool SetTextLang(const std::string& formKey, QWidget* form, unsigned char russian);
  // Kind 0 main menu, 1 pop-up menu, 2 pop-up menu first and main menu second. The table widget
  // gets the pop-up menu; clicked items send their key codes to workKey.
  void CreateMenu(unsigned char kind, QWidget* form, QWidget* table, TKeySink workKey);
  // The same for the table control: clicked items work their key codes in the control.
  void CreateMenu(unsigned char kind, QWidget* form, TQtZTable* table);
  void LoadMnu();
  void MnuClick(QAction* sender);
  void SetTextMenu(const std::string& list);
  void SetVisEnb(int property, const std::string& list, bool fix, bool value);
  void SetVisEnbAll(int property, bool value);
  bool IsVisEnb(int property, const std::string& key);
  void SetEnabled_Flag(uint32_t mask);
  void StandartSetEnabled(const TTableState& state);
  void StandartSetEnabled(const TZTable& table) { StandartSetEnabled(TableState(table)); }

  QWidget* Menu1 = nullptr; // QMenuBar (main menu) or QMenu (pop-up menu)
  QWidget* Menu2 = nullptr;
  QWidget* Table = nullptr;
  TKeySink WorkKey;
  std::string FormKey;
  TListFields* Struct52 = nullptr;
  TListFields* Struct51 = nullptr;
  TTextIndex* Index = nullptr;
  std::vector<TMnuItem*>* Items;
  unsigned char Kind = 0;
  unsigned char Lang;
  WRec* Rec;

private:
  void OpenTexts(WFile& file);
  void CloseTexts();
  TMnuItem* FindItem(const std::string& key, bool warn);
  QAction* AddItem(QWidget* menu, QAction* top, const TMnuDescItem& d, const TMnuItem& item,
                   const QKeySequence& shortcut);
};

// The shortcut of a key code (virtual key + 256 Alt + 512 Ctrl + 1024 Shift); empty for 0.
QKeySequence ShortcutOfCode(uint32_t code);
// The key code of an action's shortcut (0 without one).
int KeyCodeOfAction(const QAction* action);

// Title, help file, icon, help context and menu captions of a form whose caption is a form key.
void CreatCaption(QWidget* form, const std::string& text);
// Scales the form like SetScaleMsg and gives it and its multi-line labels the face "Arial".
void SetScale(QWidget* form);

// Menu item components of the form named in names ("#"-separated, each used once).
void SetEnabledMenu(QWidget* form, const std::string& names, bool enable);
void SetVisibleMenu(QWidget* form, const std::string& names, bool visible);
// Every item of a menu tree (QMenuBar or QMenu), depth first.
void SetEnabledAllMnu(QWidget* menu, bool enable);
