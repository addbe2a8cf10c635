#pragma once

// The per-user data folders of Qt's test mode, moved into a temporary folder for as long as this lives, so
// that no test, and no editor a test starts, reads or writes the user's own recovery journals. Test mode
// takes them under $HOME; XDG_DATA_HOME is moved as well for the child processes that do not turn it on.

#include <QByteArray>
#include <QFile>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

class TDataHome {
public:
    TDataHome() : FWasTestMode(QStandardPaths::isTestModeEnabled())
    {
        QStandardPaths::setTestModeEnabled(true);
        for (TSaved& Variable : FSaved) {
            Variable.Had = qEnvironmentVariableIsSet(Variable.Name);
            Variable.Value = qgetenv(Variable.Name);
            qputenv(Variable.Name, QFile::encodeName(FDir.path()));
        }
    }
    ~TDataHome()
    {
        for (const TSaved& Variable : FSaved) {
            if (Variable.Had)
                qputenv(Variable.Name, Variable.Value);
            else
                qunsetenv(Variable.Name);
        }
        QStandardPaths::setTestModeEnabled(FWasTestMode);
    }
    TDataHome(const TDataHome&) = delete;
    TDataHome& operator=(const TDataHome&) = delete;

    QString Path() const { return FDir.path(); }
    // Where the editors of this process keep their recovery journals.
    static QString RecoveryFolder()
    {
        return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + QStringLiteral("/recovery");
    }

private:
    struct TSaved {
        const char* Name;
        bool Had = false;
        QByteArray Value;
    };
    QTemporaryDir FDir;
    bool FWasTestMode;
    TSaved FSaved[2] = {{"HOME", false, {}}, {"XDG_DATA_HOME", false, {}}};
};
