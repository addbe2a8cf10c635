#pragma once

// What the window benchmarks share: counting a widget's paints, waiting for the next one, and medians.

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <vector>

class TPaintSpy : public QObject {
public:
    int Paints = 0;
    bool eventFilter(QObject* Watched, QEvent* Event) override
    {
        if (Event->type() == QEvent::Paint)
            ++Paints;
        return QObject::eventFilter(Watched, Event);
    }
};

// Runs the events until the watched widget has painted once more.
inline void UntilPainted(TPaintSpy& Spy)
{
    const int Before = Spy.Paints;
    while (Spy.Paints == Before)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// Quiets the offscreen platform's notice about size hints, once per shown window.
inline void QuietMessages(QtMsgType Type, const QMessageLogContext&, const QString& Message)
{
    if (Type != QtDebugMsg && !Message.contains(QLatin1String("propagateSizeHints")))
        std::fprintf(stderr, "%s\n", qPrintable(Message));
}

inline double Median(std::vector<double> Values)
{
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}
