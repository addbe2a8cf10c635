#pragma once

#include <QApplication>
#include <QString>

#include <exception>
#include <string>
#include <utility>

// Shows an error that escaped an event handler the way the application reports every error: an error box
// titled with the application title. The silent abort (EAbort) is swallowed without a message.
void HandleException(std::exception_ptr Error) noexcept;

// Runs an event handler's body. No exception may cross Qt's event dispatch, so every handler body goes
// through here; whatever it throws is reported and the program carries on. Returns false when it threw.
template <class F> bool RunHandler(F&& Body) noexcept
{
    try {
        std::forward<F>(Body)();
        return true;
    } catch (...) {
        HandleException(std::current_exception());
        return false;
    }
}

// The title the application shows on its message boxes: the executable's file name without extension,
// every letter after the first in lower case.
QString ApplicationTitle();
QString TitleOfExecutable(const QString& FilePath);

// The error's text as the error box shows it: a full stop is appended when the last character sorts
// above it.
QString ErrorBoxText(const std::string& Message);

// Makes the signals that a failing write raises on POSIX (SIGXFSZ, SIGPIPE) ignored, so that the write
// fails with an error instead of ending the process. Part of the application object's start-up.
void IgnoreWriteSignals();

// The application object. Its notify() is the last net for an exception that slipped past RunHandler.
class TApplication : public QApplication {
public:
    TApplication(int& Argc, char** Argv);
    bool notify(QObject* Receiver, QEvent* Event) override;
};
