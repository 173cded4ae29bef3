// Screen readers and painted texts: the message dialog and the table control paint their texts
// themselves; their accessible interfaces offer those texts as static-text children.
#pragma once
#include <QAccessibleWidget>
#include <QStringList>
#include <functional>
#include <vector>

class TPaintedTextsAccessible : public QAccessibleWidget {
public:
  // texts: the readable texts, one child each; name: the widget's name (empty: the texts joined).
  using TTexts = std::function<QStringList()>;
  TPaintedTextsAccessible(QWidget* widget, QAccessible::Role role, TTexts texts, TTexts name = {});
  ~TPaintedTextsAccessible() override;
  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QString text(QAccessible::Text t) const override;
  // The text of child index ("" past the end).
  QString ChildText(int index) const;

private:
  TTexts Texts, Name;
  mutable std::vector<QAccessible::Id> Children;
};

// Installs the factory that gives the message dialog, the table control and the multi-line label
// their interfaces.
void InstallAccessibility();
