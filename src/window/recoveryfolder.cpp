#include "recoveryfolder.h"

#include "folderentries.h"
#include "inouterror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUuid>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>
#include <vector>

namespace {

const QLatin1String JournalSuffix(".journal");
const QLatin1String LockSuffix(".lock");
const QLatin1String TemporarySuffix(".tmp");
const QLatin1String AsideSuffix(".unreadable");

std::string Bytes(const QString& Path)
{
    return QFile::encodeName(Path).toStdString();
}

// The session a name of the folder belongs to: what comes before its first dot, a leading dot aside.
QString SessionOf(const QString& Name)
{
    const QString Bare = Name.startsWith(QLatin1Char('.')) ? Name.mid(1) : Name;
    return Bare.section(QLatin1Char('.'), 0, 0);
}

// A session's lock that counts a running editor as long as it runs, however long that is.
std::unique_ptr<QLockFile> SessionLock(const QDir& Folder, const QString& Session)
{
    auto Lock = std::make_unique<QLockFile>(Folder.filePath(Session + LockSuffix));
    Lock->setStaleLockTime(0);
    return Lock;
}

// A lock that names no holder was cut short: by a kill as it was made, or by a power cut before it reached
// the disk. Once it is older than any editor takes to write its lock, it is taken when no one has it open.
bool TakeIfGone(QLockFile& Lock, const QString& Path)
{
    constexpr int WritingSecs = 10;
    if (Lock.tryLock(0))
        return true;
    if (Lock.error() != QLockFile::LockFailedError || Lock.getLockInfo(nullptr, nullptr, nullptr) ||
        std::abs(QFileInfo(Path).lastModified().secsTo(QDateTime::currentDateTime())) < WritingSecs)
        return false;
    return Lock.removeStaleLockFile() && Lock.tryLock(0);
}

// Keeps a journal that cannot be read where the user can find it, and out of the next start's way.
QString SetAside(const QString& Path, const std::string& Reason)
{
    const QString Aside = Path + AsideSuffix;
    QString Told = QStringLiteral("The recovery journal \"%1\" cannot be read (%2); ")
                       .arg(QDir::toNativeSeparators(Path), QString::fromStdString(Reason));
    try {
        if (!RenameExclusively(Bytes(Path), Bytes(Aside)))
            ThrowNameTaken(Bytes(Aside));
        return Told + QStringLiteral("it is kept as \"%1\".").arg(QDir::toNativeSeparators(Aside));
    } catch (const EInOutError& E) {
        return Told + QStringLiteral("it could not be set aside: %1.").arg(QString::fromStdString(E.what()));
    }
}

void RemoveLeftOver(const QString& Path, QStringList& Problems)
{
    try {
        RemoveEntry(Bytes(Path));
    } catch (const EInOutError& E) {
        Problems << QStringLiteral("The recovery file \"%1\" cannot be deleted: %2.")
                        .arg(QDir::toNativeSeparators(Path), QString::fromStdString(E.what()));
    }
}

struct TLeftOver {
    QString Path;
    QDateTime Modified;
    QString Session;
};

} // namespace

TRecoveryFolder::TRecoveryFolder(const QString& Folder)
{
    if (Folder.isEmpty()) {
        const QString Data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
        FFolder = Data.isEmpty() ? QString() : Data + QStringLiteral("/recovery");
    } else {
        FFolder = Folder;
    }
    const QString Problem = QStringLiteral("Unsaved changes cannot be kept for recovery: the folder \"%1\" %2.");
    if (FFolder.isEmpty()) {
        FProblem =
            QStringLiteral("Unsaved changes cannot be kept for recovery: there is no folder for application data.");
        return;
    }
    std::error_code Error;
    std::filesystem::create_directories(std::filesystem::path(Bytes(FFolder)), Error);
    if (Error) {
        FProblem = Problem.arg(QDir::toNativeSeparators(FFolder),
                               QStringLiteral("cannot be made (%1)").arg(QString::fromStdString(Error.message())));
        return;
    }
    FSession = QUuid::createUuid().toString(QUuid::WithoutBraces);
    FOwnLock = SessionLock(QDir(FFolder), FSession);
    if (!FOwnLock->tryLock(0))
        FProblem = Problem.arg(QDir::toNativeSeparators(FFolder),
                               FOwnLock->error() == QLockFile::PermissionError
                                   ? QStringLiteral("cannot be written (File access denied)")
                                   : QStringLiteral("cannot hold this editor's lock"));
}

std::string TRecoveryFolder::NextJournalPath()
{
    return Bytes(QDir(FFolder).filePath(FSession + QLatin1Char('.') + QString::number(++FJournals) + JournalSuffix));
}

std::optional<TRecoveryOffer> TRecoveryFolder::NewestLeftOver(QStringList& Problems)
{
    if (!Usable())
        return std::nullopt;
    const QDir Dir(FFolder);
    std::set<QString> Sessions;
    std::multimap<QString, QString> Journals, Temporaries;
    for (const QString& Name : Dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QString Session = SessionOf(Name);
        if (Session.isEmpty() || Session == FSession)
            continue;
        if (Name.startsWith(QLatin1Char('.')) && Name.endsWith(TemporarySuffix) && Name.contains(JournalSuffix))
            Temporaries.insert({Session, Dir.filePath(Name)});
        else if (Name.endsWith(JournalSuffix))
            Journals.insert({Session, Dir.filePath(Name)});
        else if (Name != Session + LockSuffix)
            continue;
        Sessions.insert(Session);
    }

    // Taking a session's lock proves its editor gone, and keeps any other editor starting now away from
    // its journals until they are dealt with.
    std::map<QString, std::unique_ptr<QLockFile>> Gone;
    std::vector<TLeftOver> LeftOvers;
    for (const QString& Session : Sessions) {
        std::unique_ptr<QLockFile> Lock = SessionLock(Dir, Session);
        if (!TakeIfGone(*Lock, Dir.filePath(Session + LockSuffix)))
            continue;
        for (auto [At, End] = Temporaries.equal_range(Session); At != End; ++At)
            RemoveLeftOver(At->second, Problems);
        for (auto [At, End] = Journals.equal_range(Session); At != End; ++At)
            LeftOvers.push_back({At->second, QFileInfo(At->second).lastModified(), Session});
        Gone[Session] = std::move(Lock);
    }
    std::sort(LeftOvers.begin(), LeftOvers.end(), [](const TLeftOver& A, const TLeftOver& B) {
        return A.Modified != B.Modified ? A.Modified > B.Modified : A.Path < B.Path;
    });

    for (TLeftOver& LeftOver : LeftOvers) {
        TJournalContents Contents;
        try {
            Contents = ReadJournalFile(Bytes(LeftOver.Path));
            ReplayJournal(Contents);
        } catch (const std::exception& E) {
            Problems << SetAside(LeftOver.Path, E.what());
            continue;
        }
        // Damage before the first whole step leaves the level as its file was: nothing to give back.
        if (Contents.Records.empty()) {
            RemoveLeftOver(LeftOver.Path, Problems);
            continue;
        }
        return TRecoveryOffer{LeftOver.Path, LeftOver.Modified, std::move(Contents), std::move(Gone[LeftOver.Session])};
    }
    return std::nullopt;
}

void TRecoveryFolder::Delete(TRecoveryOffer& Offer)
{
    RemoveEntry(Bytes(Offer.Path));
    Offer.Lock.reset();
}
