// Starts the built editor in its game directory on a real X server, waits until its window shows the
// field grid and both palettes, saves a screenshot and closes the editor. Usage:
//   smoke_editor GAME_DIR EDITOR SCREENSHOT.png [WORKING_DIR]
// EDITOR is started in WORKING_DIR, by default GAME_DIR; a launcher started elsewhere must find the game
// directory itself. Exits 0 when everything was drawn.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QThread>

#include <cstdio>

namespace {

const QRgb Silver = qRgb(192, 192, 192);

// Columns holding a vertical silver run of at least MinRun pixels.
QList<int> VerticalLines(const QImage& Shot, int MinRun)
{
    QList<int> Columns;
    for (int X = 0; X < Shot.width(); ++X) {
        int Run = 0;
        for (int Y = 0; Y < Shot.height() && Run < MinRun; ++Y)
            Run = Shot.pixel(X, Y) == Silver ? Run + 1 : 0;
        if (Run >= MinRun)
            Columns << X;
    }
    return Columns;
}

bool EvenlySpaced(const QList<int>& Positions, int Count, int Pitch)
{
    if (Positions.size() != Count)
        return false;
    for (int I = 1; I < Positions.size(); ++I)
        if (Positions[I] - Positions[I - 1] != Pitch)
            return false;
    return true;
}

bool Contains(const QImage& Shot, const QImage& Picture)
{
    const QImage Needle = Picture.convertToFormat(QImage::Format_RGB32);
    for (int Y = 0; Y + Needle.height() <= Shot.height(); ++Y)
        for (int X = 0; X + Needle.width() <= Shot.width(); ++X) {
            bool Same = true;
            for (int PY = 0; PY < Needle.height() && Same; ++PY)
                for (int PX = 0; PX < Needle.width() && Same; ++PX)
                    Same = Shot.pixel(X + PX, Y + PY) == Needle.pixel(PX, PY);
            if (Same)
                return true;
        }
    return false;
}

struct TCheck {
    bool GridDrawn = false;
    int PicturesFound = 0;
};

TCheck Inspect(const QImage& Shot, const QStringList& Pictures)
{
    TCheck Result;
    // 19 inner vertical lines of the 20 columns, 31 pixels apart and at least a grid's height long.
    Result.GridDrawn = EvenlySpaced(VerticalLines(Shot, 180), 19, 31);
    if (Result.GridDrawn)
        for (const QString& File : Pictures)
            Result.PicturesFound += Contains(Shot, QImage(File)) ? 1 : 0;
    return Result;
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication Application(argc, argv);
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: smoke_editor GAME_DIR EDITOR SCREENSHOT.png [WORKING_DIR]\n");
        return 2;
    }
    const QString GameDir = QString::fromLocal8Bit(argv[1]);
    QStringList Pictures;
    for (const QString& Name : QDir(GameDir + "/editor/images").entryList({"brick*.bmp", "pu_*.bmp"}, QDir::Files))
        Pictures << GameDir + "/editor/images/" + Name;
    if (Pictures.size() != 16) {
        std::fprintf(stderr, "expected 16 element pictures in %s/editor/images, found %lld\n", argv[1],
                     static_cast<long long>(Pictures.size()));
        return 1;
    }

    QProcess Editor;
    Editor.setWorkingDirectory(argc == 5 ? QString::fromLocal8Bit(argv[4]) : GameDir);
    Editor.setProcessChannelMode(QProcess::ForwardedChannels);
    Editor.start(QString::fromLocal8Bit(argv[2]), {});
    if (!Editor.waitForStarted(10000)) {
        std::fprintf(stderr, "the editor did not start: %s\n", qPrintable(Editor.errorString()));
        return 1;
    }

    QElapsedTimer Clock;
    Clock.start();
    TCheck Seen;
    QImage Shot;
    while (Clock.elapsed() < 60000 && Editor.state() == QProcess::Running) {
        QThread::msleep(250);
        Shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
        Seen = Inspect(Shot, Pictures);
        if (Seen.GridDrawn && Seen.PicturesFound == Pictures.size())
            break;
    }
    Shot.save(QString::fromLocal8Bit(argv[3]));
    const bool Running = Editor.state() == QProcess::Running;
    Editor.terminate();
    if (!Editor.waitForFinished(10000))
        Editor.kill();

    std::printf("editor running: %s, grid drawn: %s, palette pictures found: %d of %lld, screenshot: %s\n",
                Running ? "yes" : "no", Seen.GridDrawn ? "yes" : "no", Seen.PicturesFound,
                static_cast<long long>(Pictures.size()), argv[3]);
    return Running && Seen.GridDrawn && Seen.PicturesFound == Pictures.size() ? 0 : 1;
}
