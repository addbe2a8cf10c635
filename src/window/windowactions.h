#pragma once

// Every command of the window with its keys, built from one table: the form's menu items and the actions
// that exist only as keys (the tools, the palettes' digits).

#include <QKeySequence>
#include <QList>
#include <QString>

#include <functional>
#include <vector>

class QAction;
class QToolButton;
class QWidget;

struct TActionSpec {
    // A menu item of the form, or nullptr for an action made here, named Name and called Text.
    QAction* Menu = nullptr;
    const char* Name = nullptr;
    QString Text;
    QList<QKeySequence> Keys;
    // Run through the one error boundary.
    std::function<void()> Handler;
    // A toolbar button whose tool tip names the command and its first key: "Rectangle (R)".
    QToolButton* Button = nullptr;
};

// Adds each action to Window, where its keys work whatever has the focus. Returns the actions in the
// table's order.
QList<QAction*> AddWindowActions(QWidget* Window, const std::vector<TActionSpec>& Table);
