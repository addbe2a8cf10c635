#include "recoveryjournal.h"

#include "application.h"
#include "dialogs.h"
#include "journalsteps.h"
#include "leveldocument.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QUndoStack>

#include <algorithm>
#include <utility>

namespace {

// Room for a second's worth of steps, so that encoding one rarely has to grow it.
constexpr std::size_t UnsentRoom = 64 * 1024;

} // namespace

TRecoveryJournal::TRecoveryJournal(TLevelDocument& Document, const QString& Folder) :
    FDocument(Document),
    FFolder(Folder)
{
    FUnsent.reserve(UnsentRoom);
    FFlushTimer.setSingleShot(true);
    FFlushTimer.setTimerType(Qt::PreciseTimer);
    connect(&FFlushTimer, &QTimer::timeout, this, &TRecoveryJournal::FlushDue);
    connect(&FDocument.History(), &QUndoStack::indexChanged, this, &TRecoveryJournal::HistoryChanged);
    connect(&FDocument, &TLevelDocument::ChangedFlagChanged, this, [this](bool Changed) {
        if (!Changed)
            End();
    });
    connect(&FDocument, &TLevelDocument::FileNameChanged, this, &TRecoveryJournal::FileRenamed);
}

// A last flush that fails has no one left to tell: the window is gone. The steps synced before stay.
TRecoveryJournal::~TRecoveryJournal()
{
    if (FFlusher)
        FFlusher->FlushSoon(FUnsent);
}

QString TRecoveryJournal::JournalPath() const
{
    return FFlusher ? QFile::decodeName(QByteArray::fromStdString(FFlusher->Path())) : QString();
}

// Every change of the history comes here, one at a time: a push, an undo, a redo, a jump, a clear.
void TRecoveryJournal::HistoryChanged()
{
    try {
        Follow();
    } catch (const std::exception&) {
        Report(std::current_exception());
        End();
    }
}

void TRecoveryJournal::Follow()
{
    const QUndoStack& History = FDocument.History();
    if (!FFlusher) {
        if (History.count() > 0 && FDocument.IsChanged())
            Start();
        return;
    }
    // A history dropped with its level leaves the journal nothing it could give back.
    if (History.count() == 0) {
        End();
        return;
    }
    const auto Count = static_cast<std::size_t>(History.count());
    const auto Index = static_cast<std::size_t>(History.index());
    // Below where the history stood before and stands now nothing can have changed; from there on the
    // two are compared, step by step, to where they part.
    std::size_t Same = std::min(FDone, Index);
    while (Same < FSteps.size() && Same < Count && FSteps[Same] == History.command(static_cast<int>(Same)))
        ++Same;
    // Back to there, forward to there if need be, then each new step as it was recorded...
    for (; FDone > Same; --FDone)
        SendUndone();
    if (Same < Count) {
        for (; FDone < Same; ++FDone)
            SendRedone();
        FSteps.resize(Same);
        for (; FDone < Count; ++FDone) {
            FSteps.push_back(History.command(static_cast<int>(FDone)));
            SendRecorded(FSteps.back());
        }
    }
    FSteps.resize(Count);
    // ...and to where the history stands now.
    for (; FDone > Index; --FDone)
        SendUndone();
    for (; FDone < Index; ++FDone)
        SendRedone();
}

// The journal begins with the level at the bottom of the history and the whole history, so that Undo
// after a recovery goes back as far as it could before.
void TRecoveryJournal::Start()
{
    if (!FFolder.Usable())
        return;
    const QUndoStack& History = FDocument.History();
    const TLevelData& Level = FDocument.Level();
    FSteps.clear();
    for (int Step = 0; Step < History.count(); ++Step)
        FSteps.push_back(History.command(Step));
    FDone = static_cast<std::size_t>(History.index());
    FLevelPath = Level.FileName;
    TJournalHeader Header{Level.FileName, FDocument.FileIdentity(), Level.Cells, Level.TrailerText,
                          QDateTime::currentMSecsSinceEpoch()};
    for (std::size_t Step = FDone; Step-- > 0;)
        TakeBackStep(*FSteps[Step], Header.Cells, Header.TrailerText);
    FFlusher = std::make_unique<TJournalFlusher>(FFolder.NextJournalPath(), Header, [this] {
        QMetaObject::invokeMethod(this, &TRecoveryJournal::TakeFailure, Qt::QueuedConnection);
    });
    FFailureShown = false;
    for (const QUndoCommand* Step : FSteps)
        SendRecorded(Step);
    for (std::size_t Undone = FDone; Undone < FSteps.size(); ++Undone)
        SendUndone();
}

void TRecoveryJournal::SendRecorded(const QUndoCommand* Command)
{
    EncodeRecordedStep(FUnsent, *Command);
    FlushWithin();
}

void TRecoveryJournal::SendUndone()
{
    EncodeJournalUndone(FUnsent);
    FlushWithin();
}

void TRecoveryJournal::SendRedone()
{
    EncodeJournalRedone(FUnsent);
    FlushWithin();
}

// The first step after a quiet second goes to disk at once; the rest of a burst waits for the second to
// be over, so that a burst costs one write and one sync a second.
void TRecoveryJournal::FlushWithin()
{
    if (FFlushTimer.isActive())
        return;
    const qint64 Since = FSinceFlush.isValid() ? FSinceFlush.elapsed() : SyncIntervalMs;
    FFlushTimer.start(static_cast<int>(std::clamp<qint64>(SyncIntervalMs - Since, 0, SyncIntervalMs)));
}

void TRecoveryJournal::FlushDue()
{
    if (!FFlusher)
        return;
    FSinceFlush.start();
    FFlusher->FlushSoon(FUnsent);
}

bool TRecoveryJournal::FlushNow()
{
    if (!FFlusher)
        return false;
    FFlushTimer.stop();
    FSinceFlush.start();
    const std::exception_ptr Failure = FFlusher->FlushNow(FUnsent);
    Report(Failure);
    return !Failure;
}

void TRecoveryJournal::TakeFailure()
{
    if (FFlusher)
        Report(FFlusher->TakeFailure());
}

// A journal that cannot be written is told once: the flushes go on trying, and the editor goes on.
void TRecoveryJournal::Report(const std::exception_ptr& Failure)
{
    if (!Failure || FFailureShown)
        return;
    FFailureShown = true;
    try {
        std::rethrow_exception(Failure);
    } catch (const std::exception& E) {
        ShowErrorBox(ApplicationTitle(),
                     ErrorBoxText(std::string("The recovery journal cannot be written, so unsaved changes are not "
                                              "safe from a crash: ") +
                                  E.what()));
    }
}

void TRecoveryJournal::End()
{
    FFlushTimer.stop();
    FSteps.clear();
    FDone = 0;
    // Back to its usual room, whatever a long burst grew it to.
    FUnsent = std::string();
    FUnsent.reserve(UnsentRoom);
    const std::unique_ptr<TJournalFlusher> Flusher = std::move(FFlusher);
    if (Flusher)
        Remove(*Flusher);
}

// The open level's file was renamed or moved with its unsaved edits: a journal naming the old file would
// bring the work back onto a name that is no longer the level's, or another level's. The work goes to a
// journal of its own naming the new file, and the old one goes once the new one is on disk.
void TRecoveryJournal::FileRenamed(const std::string& Path)
{
    if (!FFlusher || Path == FLevelPath)
        return;
    // Until then the old journal has every step, and keeps them if the new one fails.
    const std::unique_ptr<TJournalFlusher> Old = std::move(FFlusher);
    FFlushTimer.stop();
    Old->FlushSoon(FUnsent);
    try {
        Start();
    } catch (const std::exception&) {
        Report(std::current_exception());
        End();
        return;
    }
    if (FlushNow())
        Remove(*Old);
}

// Left behind, a journal would only offer again what the user has dealt with: worth telling.
void TRecoveryJournal::Remove(TJournalFlusher& Flusher)
{
    try {
        Flusher.Remove();
    } catch (const std::exception& E) {
        ShowErrorBox(ApplicationTitle(),
                     ErrorBoxText(QStringLiteral("The recovery journal \"%1\" cannot be deleted: %2")
                                      .arg(QDir::toNativeSeparators(
                                               QFile::decodeName(QByteArray::fromStdString(Flusher.Path()))),
                                           QString::fromStdString(E.what()))
                                      .toStdString()));
    }
}

std::optional<TRecoveryOffer> TRecoveryJournal::TakeOffer(QStringList& Problems)
{
    if (!FFolder.Usable())
        Problems << FFolder.Problem();
    return FFolder.NewestLeftOver(Problems);
}

void TRecoveryJournal::Adopt(TRecoveryOffer& Offer)
{
    if (FlushNow())
        TRecoveryFolder::Delete(Offer);
}

void TRecoveryJournal::Discard(TRecoveryOffer& Offer)
{
    TRecoveryFolder::Delete(Offer);
}
