// Qt menus and actions of TMnu, CreatCaption and the menu switches: builds and captions the
// menus from the descriptions that messages/Mnudesc reads and decides about.
#include "messages/Utmenu.h"
#include "messages/Msgcat.h"

#include <algorithm>

#include <QAction>
#include <QIcon>
#include <QLayout>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "base/QtKeys.h"
#include "base/QtText.h"
#include "base/Scale.h"
#include "controls/Ztext.h"
#include "format/Fun_other.h"
#include "messages/View_prt.h"
#include "messages/Zmsg.h"
#include "paths/Dlist.h"
#include "paths/Rdwr_cfg.h"
#include "storage/Dwfile.h"
#include "table/QtZtable.h"
#include "messages/Utslang.h"

QIcon* ZevIco = nullptr;

namespace {

const char* const kNotFound = "Не найден пункт меню ";

// Qt keys that have a virtual-key number, for the way back from a key code.
int QtKeyOfVirtual(int vk) {
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return vk;
  if (vk >= 112 && vk <= 135) return Qt::Key_F1 + (vk - 112);
  static const int kKeys[] = {Qt::Key_Backspace, Qt::Key_Tab,    Qt::Key_Return,   Qt::Key_Escape,
                              Qt::Key_Space,     Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_End,
                              Qt::Key_Home,      Qt::Key_Left,   Qt::Key_Up,       Qt::Key_Right,
                              Qt::Key_Down,      Qt::Key_Insert, Qt::Key_Delete};
  for (int k : kKeys)
    if (VirtualKeyOf(k) == vk) return k;
  return 0;
}

// The actions of a form that are menu items, with their component names (a named QMenu stands
// for its menu action).
std::vector<std::pair<std::string, QAction*>> MenuItemsOf(QWidget* form) {
  std::vector<std::pair<std::string, QAction*>> out;
  std::vector<QMenu*> submenus; // menus that hang under a named item
  for (QAction* a : form->findChildren<QAction*>())
    if (!a->objectName().isEmpty()) {
      out.emplace_back(FromQString(a->objectName()), a);
      if (a->menu()) submenus.push_back(a->menu());
    }
  for (QMenu* m : form->findChildren<QMenu*>())
    if (!m->objectName().isEmpty() && m->menuAction()->objectName().isEmpty() &&
        std::find(submenus.begin(), submenus.end(), m) == submenus.end())
      out.emplace_back(FromQString(m->objectName()), m->menuAction());
  return out;
}

// True when the form has a main or pop-up menu without a name.
bool HasUnnamedMenu(QWidget* form) {
  for (QMenuBar* b : form->findChildren<QMenuBar*>())
    if (b->objectName().isEmpty()) return true;
  for (QMenu* m : form->findChildren<QMenu*>())
    if (m->objectName().isEmpty()) return true;
  return false;
}

void SetMenuBar(QWidget* form, QMenuBar* bar) {
  if (auto* main = qobject_cast<QMainWindow*>(form)) {
    main->setMenuBar(bar);
  } else if (form->layout()) {
    form->layout()->setMenuBar(bar);
  }
}

// Removes the form's main menus (those of a window and those this unit made).
void RemoveMainMenus(QWidget* form) {
  if (auto* main = qobject_cast<QMainWindow*>(form)) {
    if (QWidget* bar = main->menuWidget()) {
      main->setMenuWidget(nullptr);
      bar->deleteLater();
    }
    return;
  }
  for (QMenuBar* b : form->findChildren<QMenuBar*>(Qt::FindDirectChildrenOnly)) {
    if (form->layout() && form->layout()->menuBar() == b) form->layout()->setMenuBar(nullptr);
    delete b;
  }
}

void SetItemKey(TMnuItem& item, const std::string& key) {
  std::memset(item.Key, 0, sizeof item.Key);
  std::memcpy(item.Key, key.data(), std::min(key.size(), sizeof item.Key));
}

// A description with its zero-filled key first, as the sorted list compares it.
struct TSortedDesc {
  char Key[kItemKeyLen];
  const TMnuDescItem* Desc;
};

std::string KeyOf(const std::string& key) {
  std::string k = key.substr(0, kItemKeyLen);
  k.resize(kItemKeyLen, '\0');
  return k;
}

} // namespace

QKeySequence ShortcutOfCode(uint32_t code) {
  int key = QtKeyOfVirtual(static_cast<int>(code & 0xFF));
  if (key == 0) return {};
  Qt::KeyboardModifiers mods;
  if (code & kAlt) mods |= Qt::AltModifier;
  if (code & kCtrl) mods |= Qt::ControlModifier;
  if (code & kShift) mods |= Qt::ShiftModifier;
  return QKeySequence(QKeyCombination(mods, static_cast<Qt::Key>(key)));
}

int KeyCodeOfAction(const QAction* action) {
  const QKeySequence s = action->shortcut();
  if (s.isEmpty()) return 0;
  return TransKey(s[0].key(), s[0].keyboardModifiers());
}

// ---- TMnu ----------------------------------------------------------------------------------

TMnu::TMnu() : Items(new std::vector<TMnuItem*>), Lang(IfaceRussian() ? 1 : 0), Rec(new WRec) {}

TMnu::~TMnu() {
  for (TMnuItem* it : *Items)
    for (QAction* a : {it->Item1.data(), it->Item2.data()})
      if (a) QObject::disconnect(a, &QAction::triggered, nullptr, nullptr);
  bDeleteList(Items, true);
  CloseTexts();
  delete Rec;
}

void TMnu::OpenTexts(WFile& file) {
  CloseTexts();
  Struct52 = new TListFields;
  Struct51 = new TListFields;
  CreatDefRecord(kTextStruct, Struct52, Rec);
  CreatDefRecord(kItemStruct, Struct51, Rec);
  Index = new TTextIndex;
  Index->Build(file, *Struct52, Rec);
}

void TMnu::CloseTexts() {
  delete Index;
  Index = nullptr;
  DeleteListFields(Struct52, true);
  DeleteListFields(Struct51, true);
}

std::string TMnu::GetText(const std::string& key, unsigned char russian, bool warn) {
  if (key.empty()) return "";
  std::string text;
  if (Index && Index->Find(key, russian != 0, text)) return text;
  if (warn) OutWar("Нет текста для идентификатора " + key, MsgSystemError);
  return "";
}

bool TMnu::SetTextLang(const std::string& formKey, QWidget* form, unsigned char russian) {
  if (HasUnnamedMenu(form)) return false;
  TDopFile dop;
  OpenTexts(dop.File());
  std::vector<TMnuDescItem> descs = ReadMenuItems(dop.File(), *Struct51, Rec, formKey);
  // The descriptions sorted by their zero-filled item keys.
  std::vector<TSortedDesc*> sorted;
  std::vector<TSortedDesc> keys(descs.size());
  for (size_t i = 0; i < descs.size(); ++i) {
    bool found = false;
    std::memcpy(keys[i].Key, KeyOf(descs[i].ItemKey).data(), kItemKeyLen);
    keys[i].Desc = &descs[i];
    InsertList(sorted, keys[i].Key, &keys[i], -static_cast<int>(kItemKeyLen), 0, found);
  }
  bool missing = false;
  for (auto& [name, action] : MenuItemsOf(form)) {
    bool found = false;
    std::string key = KeyOf(name);
    int pos = FindList(sorted, key.data(), -static_cast<int>(kItemKeyLen), 0, 0, found);
    if (!found || name.size() > kItemKeyLen) {
      missing = true;
      continue;
    }
    const TMnuDescItem& d = *sorted[static_cast<size_t>(pos)]->Desc;
    std::string caption = GetText(d.TextId[0], russian, false);
    if (caption.empty()) caption = GetText(FallbackTextKey(pos), russian, true);
    action->setText(ToQString(caption));
    action->setShortcut(ShortcutOfCode(ShortcutOrWarn(d.Shortcut)));
  }
  CloseTexts();
  return missing;
}

void TMnu::CreateMenu(unsigned char kind, QWidget* form, QWidget* table, TKeySink workKey) {
  Kind = kind;
  Table = table;
  WorkKey = std::move(workKey);
  FormKey = FromQString(form->windowTitle());
  if (kind == kMainMenu) {
    auto* bar = new QMenuBar(form);
    bar->setObjectName("MainMenu");
    SetMenuBar(form, bar);
    Menu1 = bar;
  } else {
    auto* popup = new QMenu(form);
    popup->setObjectName("PopupMenu");
    Menu1 = popup;
    if (kind == kBothMenus) {
      auto* bar = new QMenuBar(form);
      bar->setObjectName("MainMenu");
      SetMenuBar(form, bar);
      Menu2 = bar;
    } else if (table) {
      RemoveMainMenus(form);
    }
    if (table) {
      table->setContextMenuPolicy(Qt::CustomContextMenu);
      QObject::connect(table, &QWidget::customContextMenuRequested, popup,
                       [popup, table](const QPoint& p) { popup->popup(table->mapToGlobal(p)); });
    }
  }
  LoadMnu();
  if (kind == kPopupMenu) {
    // Shortcuts of a pop-up menu act while the form has the focus, not only while it is open.
    for (TMnuItem* it : *Items)
      if (it->Item1) form->addAction(it->Item1);
  }
}

QAction* TMnu::AddItem(QWidget* menu, QAction* top, const TMnuDescItem& d, const TMnuItem& item,
                       const QKeySequence& shortcut) {
  auto* a = new QAction(ToQString(item.Text[0]), menu);
  a->setObjectName(ToQString(d.ItemKey));
  a->setShortcut(shortcut);
  a->setData(shortcut.isEmpty() ? 0 : shortcut[0].toCombined());
  a->setProperty("HelpContext", d.HelpContext);
  QObject::connect(a, &QAction::triggered, [this, a] { MnuClick(a); });
  if (d.Level == 0) {
    menu->addAction(a);
  } else {
    QMenu* sub = top->menu();
    if (!sub) {
      sub = new QMenu(menu);
      sub->setObjectName(top->objectName() + "Menu");
      top->setMenu(sub);
    }
    sub->addAction(a);
  }
  return a;
}

void TMnu::LoadMnu() {
  TDopFile dop;
  OpenTexts(dop.File());
  QAction* top1 = nullptr;
  QAction* top2 = nullptr;
  for (const TMnuDescItem& d : ReadMenuItems(dop.File(), *Struct51, Rec, FormKey)) {
    auto* item = new TMnuItem;
    SetItemKey(*item, d.ItemKey);
    item->Flags = d.Flags;
    for (int i = 0; i < 3; ++i)
      item->Text[i] = GetText(d.TextId[i], Lang, true);
    const QKeySequence shortcut = ShortcutOfCode(ShortcutOrWarn(d.Shortcut));
    item->Item1 = AddItem(Menu1, top1, d, *item, shortcut);
    if (d.Level == 0) top1 = item->Item1;
    if (Menu2) {
      item->Item2 = AddItem(Menu2, top2, d, *item, shortcut);
      if (d.Level == 0) top2 = item->Item2;
    }
    bool found = false;
    InsertList(*Items, item->Key, item, -static_cast<int>(kItemKeyLen), 0, found);
    if (found) {
      OutWar("Повторный пункт меню " + d.ItemKey, MsgSystemError);
      delete item;
    }
  }
  CloseTexts();
}

void TMnu::CreateMenu(unsigned char kind, QWidget* form, TQtZTable* table) {
  TZTable& t = table->Table();
  CreateMenu(kind, form, table, [&t](unsigned short code) { return t.WorkKey(code); });
}

void TMnu::MnuClick(QAction* sender) {
  int code = KeyCodeOfAction(sender);
  if (code != 0 && WorkKey) WorkKey(static_cast<unsigned short>(code));
}

TMnuItem* TMnu::FindItem(const std::string& key, bool warn) {
  bool found = false;
  std::string k = KeyOf(key);
  int pos = FindList(*Items, k.data(), -static_cast<int>(kItemKeyLen), 0, 0, found);
  if (found && key.size() <= kItemKeyLen) return (*Items)[static_cast<size_t>(pos)];
  if (warn) OutWar(kNotFound + key, MsgSystemError);
  return nullptr;
}

void TMnu::SetTextMenu(const std::string& list) {
  auto caption = [](TMnuItem* it, int n) {
    for (QAction* a : {it->Item1.data(), it->Item2.data()})
      if (a) a->setText(ToQString(it->Text[n]));
  };
  if (list == "ALL") {
    for (TMnuItem* it : *Items)
      caption(it, 0);
    return;
  }
  for (const auto& [key, n] : ParseTextMenu(list))
    if (TMnuItem* it = FindItem(key, true))
      if (n >= 1 && n <= 3) caption(it, n - 1);
}

void TMnu::SetVisEnb(int property, const std::string& list, bool fix, bool value) {
  if (list == "ALL") {
    SetVisEnbAll(property, value);
    return;
  }
  std::vector<std::string> keys;
  CrtStringList(keys, list, "#");
  for (const std::string& key : keys) {
    TMnuItem* it = FindItem(key, true);
    if (!it) continue;
    if (fix) it->Flags |= kFixFlag;
    for (QAction* a : {it->Item1.data(), it->Item2.data()}) {
      if (!a) continue;
      if (property != 0) a->setVisible(value);
      a->setEnabled(value);
    }
  }
}

void TMnu::SetVisEnbAll(int property, bool value) {
  for (TMnuItem* it : *Items)
    for (QAction* a : {it->Item1.data(), it->Item2.data()})
      if (a) property != 0 ? a->setVisible(value) : a->setEnabled(value);
}

bool TMnu::IsVisEnb(int property, const std::string& key) {
  TMnuItem* it = FindItem(key, true);
  if (!it) return false;
  QAction* a = it->Item2 ? it->Item2.data() : it->Item1.data();
  if (!a) return false;
  return property == 0 ? a->isEnabled() : a->isVisible();
}

void TMnu::SetEnabled_Flag(uint32_t mask) {
  for (TMnuItem* it : *Items) {
    if (it->Flags & kFixFlag) continue;
    const bool enable = EnabledByFlags(it->Flags, mask);
    for (QAction* a : {it->Item1.data(), it->Item2.data()})
      if (a && a->isVisible()) a->setEnabled(enable);
  }
}

void TMnu::StandartSetEnabled(const TTableState& state) {
  SetEnabled_Flag(StandartMask(state));
}

// ---- captions ------------------------------------------------------------------------------

void SetScale(QWidget* form) {
  SetScaleMsg(form);
  QFont f = form->font();
  f.setFamily("Arial");
  form->setFont(f);
  // TZText has no meta-object of its own: findChildren<TZText*> would match every widget.
  for (QWidget* w : form->findChildren<QWidget*>()) {
    auto* label = dynamic_cast<TZText*>(w);
    if (!label) continue;
    for (int i = 1; i <= TZText::TextCount; ++i) {
      TFontSpec font = label->Font(i);
      font.Name = "Arial";
      font.Size = std::max(1, font.Size * NewScr / OldScr);
      label->SetFont(i, font);
    }
  }
}

void CreatCaption(QWidget* form, const std::string& text) {
  const std::string key = FormKeyOf(FromQString(form->windowTitle()));
  if (key.empty()) return;
  if (IsScale && OldScr != NewScr) SetScale(form);
  const unsigned char russian = IfaceRussian() ? 1 : 0;
  {
    TMnu mnu;
    mnu.SetTextLang(key, form, russian);
  }
  form->setProperty("HelpFile", ToQString(ZevHelp));
  if (ZevIco) form->setWindowIcon(*ZevIco);
  form->setWindowTitle(ToQString(CaptionTitle(key, text, TypeSub, russian != 0)));
  TDopFile dop;
  WRec rec;
  int context = 0;
  if (FindHelpContext(ReadHelpTable(dop.File(), &rec), key + text, TypeSub, context))
    form->setProperty("HelpContext", context);
}

// ---- menu switches -------------------------------------------------------------------------

namespace {
template <class Fn> void ForNamedItems(QWidget* form, const std::string& names, Fn fn) {
  std::vector<std::string> list;
  CrtStringList(list, names, "#");
  for (auto& [name, action] : MenuItemsOf(form)) {
    auto it = std::find(list.begin(), list.end(), name);
    if (it == list.end()) continue;
    list.erase(it);
    fn(action);
  }
}
} // namespace

void SetEnabledMenu(QWidget* form, const std::string& names, bool enable) {
  ForNamedItems(form, names, [enable](QAction* a) {
    const QKeySequence s = a->shortcut();
    TItemSwitch sw{a->isEnabled(), s.isEmpty() ? 0 : s[0].toCombined(), a->data().toInt()};
    SwitchItem(sw, enable);
    a->setData(sw.Tag);
    a->setShortcut(sw.Shortcut ? QKeySequence(QKeyCombination::fromCombined(sw.Shortcut))
                               : QKeySequence());
    a->setEnabled(sw.Enabled);
  });
}

void SetVisibleMenu(QWidget* form, const std::string& names, bool visible) {
  ForNamedItems(form, names, [visible](QAction* a) { a->setVisible(visible); });
}

void SetEnabledAllMnu(QWidget* menu, bool enable) {
  for (QAction* a : menu->actions()) {
    a->setEnabled(enable);
    if (a->menu()) SetEnabledAllMnu(a->menu(), enable);
  }
}
