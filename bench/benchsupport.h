#pragma once

// What the benchmarks share: timing a call, medians, and for the window benchmarks counting a widget's
// paints, waiting for the next one and driving the editor by keys. The plain part builds without Qt, for
// the benchmarks of the core.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

inline double Median(std::vector<double> Values)
{
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}

inline double Milliseconds(const std::function<void()>& Call)
{
    const auto Start = std::chrono::steady_clock::now();
    Call();
    const std::chrono::duration<double, std::milli> Spent = std::chrono::steady_clock::now() - Start;
    return Spent.count();
}

// The best of some rounds, since other processes only ever make a round slower.
inline double BestMilliseconds(int Rounds, const std::function<void()>& Call)
{
    double Best = 1e300;
    for (int Round = 0; Round < Rounds; ++Round)
        Best = std::min(Best, Milliseconds(Call));
    return Best;
}

// A benchmark that cannot set itself up says why and ends.
[[noreturn]] inline void Fail(const char* What)
{
    std::perror(What);
    std::exit(1);
}

#ifndef _WIN32
// The folder named on the command line, or a new one under TMPDIR.
inline std::string BenchFolder(int argc, char** argv)
{
    if (argc > 1)
        return argv[1];
    const char* Tmp = std::getenv("TMPDIR");
    std::string Template = std::string(Tmp && *Tmp ? Tmp : "/tmp") + "/zolvane-bench-XXXXXX";
    if (!mkdtemp(Template.data()))
        Fail("mkdtemp");
    return Template;
}
#endif

#ifdef QT_WIDGETS_LIB

#include "drawgrid.h"
#include "main.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

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

// Before the application is made: the offscreen platform, quietly, in the build's game directory, and the
// per-user data (the editor's recovery journals) in a folder that goes when the program ends.
inline void StartOffscreenInGameDir()
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietMessages);
    QDir::setCurrent(QStringLiteral(ZOLVANE_GAME_DIR));
    static const QTemporaryDir DataHome;
    qputenv("XDG_DATA_HOME", QFile::encodeName(DataHome.path()));
}

// Shows the form and waits for its grid's first paint; the grid keeps the focus and the spy.
inline TDrawGrid* ShowAndWatchGrid(TMainForm& Form, TPaintSpy& Spy)
{
    Form.show();
    auto* Grid = Form.findChild<TDrawGrid*>("dgrdField");
    Grid->installEventFilter(&Spy);
    Grid->setFocus();
    UntilPainted(Spy);
    return Grid;
}

inline void Key(QWidget* Target, Qt::Key K, Qt::KeyboardModifiers Modifiers = Qt::NoModifier)
{
    QTest::keyClick(Target, K, Modifiers);
}

#endif
