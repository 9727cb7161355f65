// Qt's accessibility knows its own widgets (buttons, sliders, lists, text fields); a plain widget
// that the framework draws itself tells screen readers what it is through the role given here.
#pragma once

#include <QAccessible>

class QWidget;

// Takes effect for a widget that no screen reader has asked about yet: call it as the widget is made.
void SetAccessibleRole(QWidget* widget, QAccessible::Role role);
