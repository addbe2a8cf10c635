#pragma once

// The folder of the recovery journals, shared by every editor this user runs. Each running editor holds
// the lock of its own session there for as long as it runs, so a journal whose session lock can be taken
// belongs to an editor that is gone: one that crashed, was killed, or lost its machine.
//
//   <session>.lock               held by the running editor
//   <session>.<n>.journal        its journals, one at a time
//   .<session>.<n>.journal.*.tmp a first flush that was cut short
//   <session>.<n>.journal.unreadable   set aside, for the user to look at

#include "journal.h"

#include <QDateTime>
#include <QLockFile>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <string>

// The work of an editor that is gone, held (by its session lock) until the user has answered.
struct TRecoveryOffer {
    QString Path;
    QDateTime Modified; // when its last step was written
    TJournalContents Contents;
    std::unique_ptr<QLockFile> Lock;
};

class TRecoveryFolder {
public:
    // Folder empty: the folder under the user's application data. A folder that cannot be made or locked
    // leaves the editor without journals, as Problem says.
    explicit TRecoveryFolder(const QString& Folder = QString());

    bool Usable() const { return FProblem.isEmpty(); }
    const QString& Problem() const { return FProblem; }
    const QString& Folder() const { return FFolder; }
    // A name for this editor's next journal, free until its first flush.
    std::string NextJournalPath();

    // The newest journal with a step in it of the editors no longer running. On the way, journals that
    // cannot be read are set aside and described in Problems, journals without a step are deleted, and
    // the leftovers of those editors are cleaned. Throws nothing: the editor starts whatever is found.
    std::optional<TRecoveryOffer> NewestLeftOver(QStringList& Problems);

    // Deletes the offered journal for good, and lets its session go. Throws EInOutError.
    static void Delete(TRecoveryOffer& Offer);

private:
    QString FFolder;
    QString FProblem;
    QString FSession;
    std::unique_ptr<QLockFile> FOwnLock;
    int FJournals = 0;
};
