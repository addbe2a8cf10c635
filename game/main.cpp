#include <QApplication>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QTimer>

#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "gamewindow.h"
#include "inouterror.h"
#include "levelargument.h"

namespace {

// No message box where nobody could answer it: on the offscreen platform, or when
// ZOLVANE_GAME_NO_DIALOGS is set (automated runs). Standard error always gets the message.
bool CanShowDialogs()
{
    return QGuiApplication::platformName() != QLatin1String("offscreen") &&
        !qEnvironmentVariableIsSet("ZOLVANE_GAME_NO_DIALOGS");
}

void Report(const std::string& Message)
{
    std::cerr << "zolvane.exe: " << Message << std::endl;
}

int Fail(const std::string& Message)
{
    if (CanShowDialogs())
        QMessageBox::critical(nullptr, QStringLiteral("Zolvane"), QString::fromStdString(Message));
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    // Our own command line is read before Qt may take options out of argv: exactly --level=NAME.
    const TLevelArgument Argument = ParseLevelArgument(std::vector<std::string>(argv + 1, argv + argc));
    // Said before Qt starts, which aborts when there is no display to connect to.
    if (!Argument.Ok())
        Report(Argument.Error);
    QApplication Application(argc, argv);
    Application.setApplicationName(QStringLiteral("Zolvane"));
    if (!Argument.Ok())
        return Fail(Argument.Error);

    const std::string Path = LevelPath(Argument.LevelName);
    TLevelData Level;
    try {
        LoadLevel(Path, Level);
    } catch (const std::exception& Error) {
        const std::string Message = "Cannot read the level \"" + Path + "\": " + Error.what();
        Report(Message);
        return Fail(Message);
    }

    TGameWindow Window(Level, QString::fromStdString(Argument.LevelName), QRandomGenerator::global()->generate64());
    // ZOLVANE_GAME_AUTOPLAY, for unattended runs and screenshots: the game plays itself.
    Window.setAutoPlay(qEnvironmentVariableIsSet("ZOLVANE_GAME_AUTOPLAY"));
    Window.show();

    // ZOLVANE_GAME_AUTOQUIT_MS=N, for automated runs: once the window is up, say so on standard output
    // and quit N milliseconds later with exit code 0.
    bool AutoQuitSet = false;
    const int AutoQuitMs = qEnvironmentVariableIntValue("ZOLVANE_GAME_AUTOQUIT_MS", &AutoQuitSet);
    if (AutoQuitSet) {
        QTimer::singleShot(0, &Window, [&Window, AutoQuitMs] {
            if (Window.isVisible())
                std::cout << "zolvane.exe: window shown: " << Window.windowTitle().toStdString() << std::endl;
            QTimer::singleShot(AutoQuitMs, qApp, &QApplication::quit);
        });
    }
    return Application.exec();
}
