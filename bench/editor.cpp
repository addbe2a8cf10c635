// Figures for the editor window, offscreen:
//  - start-up: a process that starts the application, shows the editor and ends once the grid has
//    painted, beside a process that shows a minimal Qt Widgets window of the same size with one label
//    until it has painted; both are this program, alternating in one run, timed from start to exit;
//  - painting: a stroke over all 200 cells by keyboard, each selection followed by its repaint.
// Run from anywhere; it works in the build's game directory. Not a test: it only prints.
#include "benchsupport.h"
#include "palettebar.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>

namespace {

void WaitForPaint(QWidget* Widget, TPaintSpy& Spy)
{
    Widget->installEventFilter(&Spy);
    UntilPainted(Spy);
    Widget->removeEventFilter(&Spy);
}

// The child processes: show a window, end after its first paint.
int ShowEditorOnce()
{
    TMainForm Form;
    TPaintSpy Spy;
    Form.show();
    WaitForPaint(Form.findChild<TDrawGrid*>("dgrdField"), Spy);
    return 0;
}

// The least a real window does: one line of text, so that the font database is loaded as every window
// with a caption must.
int ShowMinimalWindowOnce()
{
    QWidget Window;
    Window.resize(829, 358);
    QLabel Caption(QStringLiteral("Zolvane"), &Window);
    TPaintSpy Spy;
    Window.show();
    WaitForPaint(&Window, Spy);
    return 0;
}

double TimeProcess(const QString& Mode)
{
    QElapsedTimer Clock;
    Clock.start();
    QProcess Child;
    Child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    Child.start(QCoreApplication::applicationFilePath(), {Mode});
    Child.waitForFinished(60000);
    return Clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    StartOffscreenInGameDir();
    QApplication Application(argc, argv);
    const QStringList Arguments = QCoreApplication::arguments();
    if (Arguments.contains("--editor-once"))
        return ShowEditorOnce();
    if (Arguments.contains("--minimal-once"))
        return ShowMinimalWindowOnce();

    TimeProcess("--editor-once"); // warm the file cache
    TimeProcess("--minimal-once");
    std::vector<double> Editor, Minimal;
    for (int Run = 0; Run < 15; ++Run) {
        Editor.push_back(TimeProcess("--editor-once"));
        Minimal.push_back(TimeProcess("--minimal-once"));
    }
    const double EditorMs = Median(Editor), MinimalMs = Median(Minimal);
    std::printf("start-up to first frame, whole process (median of 15): editor %.2f ms, minimal window %.2f ms, ratio "
                "%.2f (goal <= 1.3)\n",
                EditorMs, MinimalMs, EditorMs / MinimalMs);

    TMainForm Form;
    Form.show();
    auto* Grid = Form.findChild<TDrawGrid*>("dgrdField");
    QTest::mouseClick(Form.findChild<TPaletteToolBar*>("tbBricks")->Buttons().first(), Qt::LeftButton);
    QCoreApplication::processEvents();
    Grid->setFocus();
    std::vector<double> PerCell;
    for (int Pass = 0; Pass < 5; ++Pass) {
        QElapsedTimer Clock;
        Clock.start();
        int Selections = 0;
        // A serpentine over the whole field: 19 steps along each row and one down, 200 selections a pass
        // counting the first press.
        QTest::mouseClick(Grid, Qt::LeftButton, {}, Grid->CellRect(0, 0).center());
        QCoreApplication::processEvents();
        ++Selections;
        for (int Row = 0; Row < 10; ++Row) {
            for (int Step = 0; Step < 19; ++Step) {
                QTest::keyClick(Grid, Row % 2 == 0 ? Qt::Key_Right : Qt::Key_Left);
                QCoreApplication::processEvents();
                ++Selections;
            }
            if (Row < 9) {
                QTest::keyClick(Grid, Qt::Key_Down);
                QCoreApplication::processEvents();
                ++Selections;
            }
        }
        PerCell.push_back(Clock.nsecsElapsed() / 1e3 / Selections);
    }
    const double Us = Median(PerCell);
    std::printf("full-grid stroke: 200 selections with repaint, %.1f us per selection, %.2f ms per stroke "
                "(goal < 200 us per selection)\n",
                Us, Us * 200 / 1000);
    return 0;
}
