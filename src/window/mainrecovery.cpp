#include "main.h"

#include "ui_main.h"

#include "application.h"
#include "dialogs.h"

#include <filesystem>

// Recovery at start-up: the work of an editor that ended without a word is offered back, one journal at
// a time, the newest first.

namespace {

QString RecoveryQuestion(const TRecoveryOffer& Offer)
{
    const std::string& Path = Offer.Contents.Header.LevelPath;
    const std::string Name = std::filesystem::path(Path).filename().string();
    return QStringLiteral("Unsaved changes to %1 from %2 were found. Recover them?")
        .arg(Path.empty() ? QStringLiteral("a new level") : QString::fromUtf8(Name.data(), qsizetype(Name.size())),
             Offer.Modified.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
}

} // namespace

// Cancel keeps the journal for the next start.
void TMainForm::OfferRecovery()
{
    QStringList Problems;
    std::optional<TRecoveryOffer> Offer = FRecovery->TakeOffer(Problems);
    if (!Problems.isEmpty())
        ShowErrorBox(ApplicationTitle(), Problems.join(QLatin1Char('\n')));
    if (!Offer)
        return;
    switch (AskYesNoCancel(RecoveryQuestion(*Offer))) {
    case TModalResult::Yes:
        RecoverLevel(*Offer);
        break;
    case TModalResult::No:
        FRecovery->Discard(*Offer);
        break;
    default:
        break;
    }
}

// As an open shows a level, with the history the editor had.
void TMainForm::RecoverLevel(TRecoveryOffer& Offer)
{
    const TJournalHeader& Header = Offer.Contents.Header;
    const TJournalReplay Replay = ReplayJournal(Offer.Contents);
    TLevelData Level;
    ClearLevel(Level);
    Level.Changed = 1;
    Level.FileName = Header.LevelPath;
    Level.Cells = Replay.Cells;
    Level.TrailerText = Replay.TrailerText;
    FDocument.Recover(Level, Header.Identity, Replay.Steps, Replay.Current);
    FStatusLine->Clear();
    FLevelList->ShowEdited(Level.FileName);
    if (Level.FileName.empty())
        ui->labLevel->setText(QStringLiteral("Level: New one"));
    else
        ShowLevelName();
    FRecovery->Adopt(Offer);
}
