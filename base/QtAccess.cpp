// The accessible interfaces of the widgets that paint their own texts.
// Screen readers read through them what a custom-drawn widget shows.
#include "base/QtAccess.h"

#include "base/QtText.h"
#include "messages/Umessages.h"
#include "table/QtZtable.h"

namespace {

// One painted text of a widget, read-only.
class TPaintedTextItem : public QAccessibleInterface {
public:
  TPaintedTextItem(TPaintedTextsAccessible* parent, int index) : Parent(parent), Index(index) {}
  bool isValid() const override { return Parent->isValid(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return Parent->window(); }
  QAccessibleInterface* parent() const override { return Parent; }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QString text(QAccessible::Text t) const override {
    return t == QAccessible::Name || t == QAccessible::Value ? Parent->ChildText(Index) : QString();
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override { return Parent->rect(); }
  QAccessible::Role role() const override { return QAccessible::StaticText; }
  QAccessible::State state() const override {
    QAccessible::State s;
    s.readOnly = true;
    return s;
  }

private:
  TPaintedTextsAccessible* Parent;
  int Index;
};

} // namespace

TPaintedTextsAccessible::TPaintedTextsAccessible(QWidget* widget, QAccessible::Role role,
                                                 TTexts texts, TTexts name)
    : QAccessibleWidget(widget, role), Texts(std::move(texts)), Name(std::move(name)) {}

TPaintedTextsAccessible::~TPaintedTextsAccessible() {
  for (QAccessible::Id id : Children)
    QAccessible::deleteAccessibleInterface(id);
}

// The painted texts come first, then the widget's own child widgets (a dialog's buttons).
int TPaintedTextsAccessible::childCount() const {
  return static_cast<int>(Texts().size()) + QAccessibleWidget::childCount();
}

QAccessibleInterface* TPaintedTextsAccessible::child(int index) const {
  const int painted = static_cast<int>(Texts().size());
  if (index >= painted) return QAccessibleWidget::child(index - painted);
  if (index < 0) return nullptr;
  while (static_cast<int>(Children.size()) <= index)
    Children.push_back(QAccessible::registerAccessibleInterface(new TPaintedTextItem(
        const_cast<TPaintedTextsAccessible*>(this), static_cast<int>(Children.size()))));
  return QAccessible::accessibleInterface(Children[static_cast<size_t>(index)]);
}

int TPaintedTextsAccessible::indexOfChild(const QAccessibleInterface* child) const {
  for (size_t i = 0; i < Children.size(); ++i)
    if (QAccessible::accessibleInterface(Children[i]) == child) return static_cast<int>(i);
  int widget = QAccessibleWidget::indexOfChild(child);
  return widget < 0 ? -1 : widget + static_cast<int>(Texts().size());
}

QString TPaintedTextsAccessible::ChildText(int index) const {
  QStringList all = Texts();
  return index >= 0 && index < all.size() ? all[index] : QString();
}

QString TPaintedTextsAccessible::text(QAccessible::Text t) const {
  if (t == QAccessible::Name) return Name ? Name().join("\n") : Texts().join("\n");
  return QAccessibleWidget::text(t);
}

namespace {

QAccessibleInterface* Factory(const QString&, QObject* object) {
  if (auto* d = dynamic_cast<TDMessages*>(object)) {
    auto text = [d] { return QStringList{ToQString(d->Text).replace('#', '\n')}; };
    auto title = [d] { return QStringList{d->windowTitle().trimmed()}; };
    return new TPaintedTextsAccessible(d, QAccessible::Dialog, text, title);
  }
  if (auto* t = dynamic_cast<TQtZTable*>(object)) {
    // The cells of the current line, as the table draws them.
    auto cells = [t] {
      QStringList out;
      TZTable& table = t->Table();
      if (table.LineCount() == 0) return out;
      for (const std::string& c : table.LineTexts(table.CurrentLine()))
        out.push_back(ToQString(c));
      return out;
    };
    return new TPaintedTextsAccessible(t, QAccessible::Table, cells);
  }
  return nullptr;
}

} // namespace

void InstallAccessibility() {
  static bool installed = false;
  if (!installed) QAccessible::installFactory(Factory);
  installed = true;
}
