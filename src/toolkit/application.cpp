#include "application.h"

#include "dialogs.h"
#include "exceptions.h"

#include <QFileInfo>

#include <csignal>

QString TitleOfExecutable(const QString& FilePath)
{
    const QString Name = QFileInfo(FilePath).completeBaseName();
    return Name.left(1) + Name.mid(1).toLower();
}

QString ApplicationTitle()
{
    return TitleOfExecutable(QCoreApplication::applicationFilePath());
}

QString ErrorBoxText(const std::string& Message)
{
    QString Text = QString::fromLocal8Bit(Message.data(), static_cast<qsizetype>(Message.size()));
    if (!Message.empty() && static_cast<unsigned char>(Message.back()) > '.')
        Text += QLatin1Char('.');
    return Text;
}

void HandleException(std::exception_ptr Error) noexcept
{
    try {
        try {
            std::rethrow_exception(Error);
        } catch (const EAbort&) {
        } catch (const std::exception& E) {
            ShowErrorBox(ApplicationTitle(), ErrorBoxText(E.what()));
        } catch (...) {
            ShowErrorBox(ApplicationTitle(), ErrorBoxText("Unknown error"));
        }
    } catch (...) {
        // Showing the box failed as well (out of memory, say); there is nobody left to tell.
    }
}

void IgnoreWriteSignals()
{
#ifndef _WIN32
    // A write past the file-size limit (ulimit -f) raises SIGXFSZ, and one into a closed pipe SIGPIPE;
    // either would kill the editor with its unsaved edits. Ignored, the write fails with EFBIG or EPIPE
    // instead, which the file layer reports as an I/O error like any other.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

TApplication::TApplication(int& Argc, char** Argv) : QApplication(Argc, Argv)
{
    IgnoreWriteSignals();
}

bool TApplication::notify(QObject* Receiver, QEvent* Event)
{
    bool Result = false;
    RunHandler([&] { Result = QApplication::notify(Receiver, Event); });
    return Result;
}
