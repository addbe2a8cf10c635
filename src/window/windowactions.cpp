#include "windowactions.h"

#include "application.h"

#include <QAction>
#include <QToolButton>
#include <QWidget>

// None of the keys is one the grid or the level list moves with, and a widget that takes text would get
// its keys first through Qt's shortcut override.
QList<QAction*> AddWindowActions(QWidget* Window, const std::vector<TActionSpec>& Table)
{
    QList<QAction*> Actions;
    for (const TActionSpec& Command : Table) {
        QAction* Action = Command.Menu;
        if (!Action) {
            Action = new QAction(Command.Text, Window);
            Action->setObjectName(QLatin1String(Command.Name));
        }
        Action->setShortcuts(Command.Keys);
        Action->setShortcutContext(Qt::WindowShortcut);
        QObject::connect(Action, &QAction::triggered, Window, [Handler = Command.Handler] { RunHandler(Handler); });
        Window->addAction(Action);
        if (Command.Button && !Command.Keys.isEmpty())
            Command.Button->setToolTip(Action->text() + QStringLiteral(" (") +
                                    Command.Keys.first().toString(QKeySequence::NativeText) + QLatin1Char(')'));
        Actions.append(Action);
    }
    return Actions;
}
