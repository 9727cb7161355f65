#include "framework/accessibility.h"

#include <QAccessibleWidget>
#include <QVariant>
#include <QWidget>

namespace {

constexpr char kRoleProperty[] = "frameworkAccessibleRole";

QAccessibleInterface* RoleOfFrameworkWidget(const QString&, QObject* object) {
  auto* widget = qobject_cast<QWidget*>(object);
  if (widget == nullptr) return nullptr;
  const QVariant role = widget->property(kRoleProperty);
  if (!role.isValid()) return nullptr;
  return new QAccessibleWidget(widget, static_cast<QAccessible::Role>(role.toInt()));
}

}  // namespace

void SetAccessibleRole(QWidget* widget, QAccessible::Role role) {
  static const bool installed = [] {
    QAccessible::installFactory(RoleOfFrameworkWidget);
    return true;
  }();
  (void)installed;
  widget->setProperty(kRoleProperty, static_cast<int>(role));
}
