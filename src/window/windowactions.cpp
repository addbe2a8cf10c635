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
    for (const TActionSpec& Spec : Table) {
        QAction* Action = Spec.Menu;
        if (!Action) {
            Action = new QAction(Spec.Text, Window);
            Action->setObjectName(QLatin1String(Spec.Name));
        }
        Action->setShortcuts(Spec.Keys);
        Action->setShortcutContext(Qt::WindowShortcut);
        QObject::connect(Action, &QAction::triggered, Window, [Handler = Spec.Handler] { RunHandler(Handler); });
        Window->addAction(Action);
        if (Spec.Button && !Spec.Keys.isEmpty())
            Spec.Button->setToolTip(Action->text() + QStringLiteral(" (") +
                                    Spec.Keys.first().toString(QKeySequence::NativeText) + QLatin1Char(')'));
        Actions.append(Action);
    }
    return Actions;
}
