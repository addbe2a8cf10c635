#pragma once

// The journal of the unsaved session. From the first edit after an open, a New or a Save, the level as the
// history starts from it and then every step the history records, undoes or redoes go to a file in the
// recovery folder, written and synced within a second of the step, so that a crash, a kill or a power cut
// costs at most the last second's work. The journal lives exactly as long as the level has changes that
// are nowhere else: a Save, the prompt's No or a clean close ends it.

#include "journalflusher.h"
#include "recoveryfolder.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QUndoCommand;
class TLevelDocument;

class TRecoveryJournal : public QObject {
    Q_OBJECT
public:
    // A step is on disk at most this long after it was made, and a burst of steps costs one write and one
    // sync for each such interval.
    static constexpr int SyncIntervalMs = 1000;

    // Folder: where the journals go; empty for the user's application data folder.
    explicit TRecoveryJournal(TLevelDocument& Document, const QString& Folder = QString());
    // Keeps the journal, every step in it synced: only End deletes it.
    ~TRecoveryJournal() override;

    // Writes and syncs every step so far before returning; false (the failure shown) when it could not.
    bool FlushNow();
    // The level's changes were dropped, or are safe elsewhere: the journal is deleted.
    void End();
    // The journal being kept, or empty when the level has no changes to keep.
    QString JournalPath() const;
    const TRecoveryFolder& Folder() const { return FFolder; }

    // At start-up: the newest work of an editor no longer running; what got in the way goes to Problems.
    std::optional<TRecoveryOffer> TakeOffer(QStringList& Problems);
    // The document holds the offer's level and history now: this editor's journal takes the work over,
    // and once that is on disk the offer's journal goes. Throws EInOutError.
    void Adopt(TRecoveryOffer& Offer);
    // The user does not want the offer's work. Throws EInOutError.
    void Discard(TRecoveryOffer& Offer);

private:
    void HistoryChanged();
    void Follow();
    void Start();
    void FileRenamed(const std::string& Path);
    void Remove(TJournalFlusher& Flusher);
    void SendRecorded(const QUndoCommand* Command);
    void SendUndone();
    void SendRedone();
    void FlushWithin();
    void FlushDue();
    void TakeFailure();
    void Report(const std::exception_ptr& Failure);

    TLevelDocument& FDocument;
    TRecoveryFolder FFolder;
    std::unique_ptr<TJournalFlusher> FFlusher;
    // The level file the journal names, the one a recovery opens.
    std::string FLevelPath;
    // The history as the journal holds it: its steps (the commands themselves, compared by address) and
    // how many of them are done.
    std::vector<const QUndoCommand*> FSteps;
    std::size_t FDone = 0;
    // Encoded here as the steps happen, without a lock, and handed to the flusher when due.
    std::string FUnsent;
    QTimer FFlushTimer;
    QElapsedTimer FSinceFlush;
    bool FFailureShown = false;
};
