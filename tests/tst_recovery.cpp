// Recovery of unsaved work: the journal each editor keeps of its level's history, the question at start-up
// and its three answers, the file's identity after a recovery, editors running side by side, when a
// journal ends, damaged journals, and an editor killed at random moments giving back every synced step.
#include "editorharness.h"
#include "journal.h"
#include "recoveryedits.h"

#include <QProcess>

#include <csignal>
#include <random>

namespace {

const QDateTime LeftAt(QDate(2031, 2, 3), QTime(4, 5));
const QString AlphaQuestion = "Unsaved changes to alpha.txt from 2031-02-03 04:05 were found. Recover them?";

// The recovery folder's names, the session locks aside.
QStringList JournalNames()
{
    QStringList Names;
    for (const QString& Name : QDir(TDataHome::RecoveryFolder()).entryList(QDir::Files | QDir::Hidden, QDir::Name))
        if (!Name.endsWith(".lock"))
            Names << Name;
    return Names;
}

QString StepText(const QUndoCommand& Step)
{
    QString Text = Step.text() + ":";
    if (const auto* Edit = dynamic_cast<const TCellEditCommand*>(&Step)) {
        for (const TCellChange& C : Edit->Diff().Changes())
            Text += QString(" %1,%2 %3>%4").arg(C.Col).arg(C.Row).arg(CellText(C.Before), CellText(C.After));
    } else if (const auto* Trailer = dynamic_cast<const TTrailerCommand*>(&Step)) {
        Text += QString(" \"%1\">\"%2\"")
                    .arg(QString::fromStdString(Trailer->Before()), QString::fromStdString(Trailer->After()));
    } else {
        Text += " a step of no known kind";
    }
    return Text + "\n";
}

// As Run, and "type TEXT KEY" presses KEY and answers the text question it asks with TEXT.
void RunTyping(TEditor& E, const QString& Script)
{
    for (const QString& Step : Script.split(';', Qt::SkipEmptyParts)) {
        const QStringList W = Step.simplified().split(' ');
        if (W.value(0) != "type") {
            Run(E, Step);
            continue;
        }
        const RecoveryEdits::TTextAnswer Answer(W.value(1));
        E.Key(W.value(2));
    }
}

// The window as the user sees it and the history as Undo goes through it: label, list selection, changed
// flag, the field, then each step with its cells.
QString Describe(TEditor& E)
{
    QString Text = E.Label->text() + " | " + E.Selected() + " | Changed=" + QString::number(E.Form.Level().Changed) +
        "\n" + E.Field();
    const QUndoStack& History = E.Form.History();
    for (int Step = 0; Step < History.count(); ++Step)
        Text += (Step < History.index() ? "done " : "undone ") + StepText(*History.command(Step));
    return Text;
}

void SetModified(const QString& Path, const QDateTime& At)
{
    QFile File(Path);
    QVERIFY(File.open(QIODevice::ReadWrite));
    QVERIFY(File.setFileTime(At, QFileDevice::FileModificationTime));
}

// An editor that opens Open (or makes a new level), makes the steps, then ends without a word as a killed
// one would, its journal last written at LeftAt. Snapshots holds Describe before and after each step.
void LeaveJournal(const TGameDir& Dir, const QString& Open, const QStringList& Steps, QStringList& Snapshots,
                  QString& Path, const QDateTime& At = LeftAt)
{
    {
        TMessageCapture Capture;
        TEditor E(Dir, Open);
        if (Open.isEmpty())
            E.Click(E.Button("btnNewLevel"));
        E.Key("3");
        Snapshots = QStringList{Describe(E)};
        for (const QString& Step : Steps) {
            RunTyping(E, Step);
            Snapshots << Describe(E);
        }
        QVERIFY(E.Form.Recovery().FlushNow());
        Path = E.Form.Recovery().JournalPath();
        QCOMPARE(Capture.Count(TMessageKind::Error), 0);
    }
    SetModified(Path, At);
}

const QStringList FourSteps = {"press 2 2; release 2 2", "press 4 1; move 5 1; move 6 1; release 6 1",
                               "key 7; press 9 9; release 9 9", "key Ctrl+Z"};

// Where each framed record of a journal begins, the header's first, after the magic.
std::vector<std::size_t> RecordStarts(const std::string& Bytes)
{
    std::vector<std::size_t> Starts;
    for (std::size_t At = 8; At + 8 <= Bytes.size();) {
        Starts.push_back(At);
        std::uint32_t Length = 0;
        for (int I = 3; I >= 0; --I)
            Length = (Length << 8) | static_cast<std::uint8_t>(Bytes[At + I]);
        At += 8 + Length;
    }
    return Starts;
}

std::int64_t SteadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

class TestRecovery : public QObject {
    Q_OBJECT
private slots:
    void questionAnswers_data()
    {
        QTest::addColumn<QString>("Open");
        QTest::addColumn<QStringList>("Steps");
        QTest::addColumn<TModalResult>("Answer");
        QTest::addColumn<QString>("Question");
        QTest::addColumn<bool>("Recovered");
        // The work stays for the next start: still offered, or now in the journal of the editor that took it.
        QTest::addColumn<bool>("AskedAgain");
        const QString NewLevel = "Unsaved changes to a new level from 2031-02-03 04:05 were found. Recover them?";
        const QStringList UndoneRedone = FourSteps + QStringList{"key Ctrl+Z; key Ctrl+Shift+Z; key Ctrl+Z"};
        const QStringList SavedBetween = {FourSteps[0], "click btnSaveLevel", FourSteps[1], "key Ctrl+Z; key Ctrl+Z"};
        const QStringList NewStepDrops = FourSteps + QStringList{"key Ctrl+Z; key 9; press 0 9; release 0 9"};
        const QStringList UndoInADrag = {"key 2; press 0 9; move 1 9; key Ctrl+Z; move 2 9; release 2 9"};
        const QStringList Shapes = {"key 9; click btnRectangle; press 1 1; move 4 3; release 4 3; click btnFill;"
                                    "key 6; press 10 5; release 10 5; key Right; key Down; wheel -120"};
        // Cut, paste, flip, shift, move and delete, the last undone.
        const QStringList Blocks = {"key S; press 0 0; release 2 0; key Ctrl+X",
                                    "key Escape; move 4 4; key Ctrl+V; key Return",
                                    "key Escape; key X",
                                    "key Alt+Down",
                                    "press 13 5; release 15 5; press 14 5; release 15 7",
                                    "key Del",
                                    "key Ctrl+Z"};
        const QStringList Text = {"type Hello Ctrl+T", FourSteps[0], "type Again Ctrl+T", "key Ctrl+Z"};
        const QStringList Renamed = {FourSteps[0], "type delta.txt F2", FourSteps[1], "key Ctrl+Z"};
        const QString DeltaQuestion = "Unsaved changes to delta.txt from 2031-02-03 04:05 were found. Recover them?";
        const TModalResult Yes = TModalResult::Yes;
        QTest::newRow("yes to a level") << "alpha.txt" << FourSteps << Yes << AlphaQuestion << true << true;
        QTest::newRow("yes to a new level") << "" << FourSteps << Yes << NewLevel << true << true;
        QTest::newRow("yes to undos and redos") << "alpha.txt" << UndoneRedone << Yes << AlphaQuestion << true << true;
        QTest::newRow("yes to a step dropping the undone")
            << "alpha.txt" << NewStepDrops << Yes << AlphaQuestion << true << true;
        QTest::newRow("yes reaches back past a save")
            << "alpha.txt" << SavedBetween << Yes << AlphaQuestion << true << true;
        QTest::newRow("yes to an undo in a drag") << "alpha.txt" << UndoInADrag << Yes << AlphaQuestion << true << true;
        QTest::newRow("yes to shapes, keys and wheel") << "alpha.txt" << Shapes << Yes << AlphaQuestion << true << true;
        QTest::newRow("yes to block commands") << "alpha.txt" << Blocks << Yes << AlphaQuestion << true << true;
        QTest::newRow("yes to the level's text")
            << "gamma.txt" << Text << Yes << QString(AlphaQuestion).replace("alpha", "gamma") << true << true;
        QTest::newRow("yes to a level renamed with its edits")
            << "alpha.txt" << Renamed << Yes << DeltaQuestion << true << true;
        QTest::newRow("no") << "alpha.txt" << FourSteps << TModalResult::No << AlphaQuestion << false << false;
        QTest::newRow("cancel or escape")
            << "alpha.txt" << FourSteps << TModalResult::Cancel << AlphaQuestion << false << true;
    }

    void questionAnswers()
    {
        QFETCH(QString, Open);
        QFETCH(QStringList, Steps);
        QFETCH(TModalResult, Answer);
        QFETCH(QString, Question);
        QFETCH(bool, Recovered);
        QFETCH(bool, AskedAgain);
        TGameDir Dir;
        QStringList Snapshots;
        QString Left;
        LeaveJournal(Dir, Open, Steps, Snapshots, Left);
        if (QTest::currentTestFailed())
            return;
        const QString LeftName = QFileInfo(Left).fileName();

        {
            TMessageCapture Capture;
            Capture.Answers = {Answer};
            TEditor E(Dir);
            const QString Fresh = "Level: New one | <none> | Changed=0\n" + QString::fromStdString(EmptyRows(10));
            QCoreApplication::processEvents();
            QCOMPARE(ShownTexts(Capture), QStringList{Question});
            QCOMPARE(Describe(E), Recovered ? Snapshots.last() : Fresh);
            if (Recovered) {
                // The journal's work is this editor's now, and Undo goes back to the file as it was opened.
                QCOMPARE(JournalNames(), QStringList{QFileInfo(E.Form.Recovery().JournalPath()).fileName()});
                for (int Step = E.Form.History().index(); Step > 0; --Step)
                    E.Key("Ctrl+Z");
                QCOMPARE(Describe(E).section('\n', 1, 10), Snapshots.first().section('\n', 1, 10));
                // The file may hold any state of the history by now, or none: the work stays until saved.
                QCOMPARE(E.Form.Level().Changed, 1);
            } else {
                QCOMPARE(JournalNames(), AskedAgain ? QStringList{LeftName} : QStringList{});
            }
        }
        TMessageCapture Capture;
        TEditor Next(Dir);
        QCoreApplication::processEvents();
        QCOMPARE(Capture.Count(TMessageKind::Question), AskedAgain ? 1 : 0);
    }

    void newestFirstThenOnePerStart()
    {
        TGameDir Dir;
        QStringList Snapshots;
        QString Older, Newer;
        LeaveJournal(Dir, "alpha.txt", FourSteps, Snapshots, Older);
        LeaveJournal(Dir, "beta.txt", FourSteps, Snapshots, Newer, LeftAt.addSecs(60));
        TMessageCapture Capture;
        for (const TModalResult Answer : {TModalResult::No, TModalResult::Cancel, TModalResult::Cancel}) {
            Capture.Answers = {Answer};
            TEditor E(Dir);
            QCoreApplication::processEvents();
        }
        QCOMPARE(ShownTexts(Capture),
                 (QStringList{"Unsaved changes to beta.txt from 2031-02-03 04:06 were found. "
                              "Recover them?",
                              AlphaQuestion, AlphaQuestion}));
        QCOMPARE(JournalNames(), QStringList{QFileInfo(Older).fileName()});
    }

    // A first flush cut short, and locks cut short by a power cut, of editors that are gone.
    void leftoversOfGoneEditorsAreCleaned()
    {
        TGameDir Dir;
        QStringList Snapshots;
        QString Left;
        LeaveJournal(Dir, "alpha.txt", FourSteps, Snapshots, Left);
        const QDir Folder(TDataHome::RecoveryFolder());
        const QString Session = QFileInfo(Left).fileName().section('.', 0, 0);
        WriteBytes(Folder.filePath("." + Session + ".2.journal.99-0-1.tmp").toStdString(), "half a header");
        for (const QString& Lock : {Session + ".lock", QString("gone.lock")}) {
            WriteBytes(Folder.filePath(Lock).toStdString(), "");
            SetModified(Folder.filePath(Lock), QDateTime::currentDateTime().addSecs(-60));
        }
        TMessageCapture Capture;
        TEditor E(Dir);
        QCoreApplication::processEvents();
        QCOMPARE(ShownTexts(Capture), QStringList{AlphaQuestion});
        QCOMPARE(JournalNames(), QStringList{QFileInfo(Left).fileName()});
        QCOMPARE(Folder.entryList({"*.lock"}, QDir::Files).size(), 1);
    }

    // The file as the lost editor knew it decides, as it would have in that editor.
    void saveAfterRecoveryAsksBeforeReplacingTheirChanges_data()
    {
        QTest::addColumn<bool>("SomeoneWrote");
        QTest::addColumn<QStringList>("Asked");
        QTest::newRow("file as it was") << false << QStringList{AlphaQuestion};
        QTest::newRow("file changed since")
            << true
            << QStringList{AlphaQuestion, "The level file has changed on disk since it was opened. Overwrite it?"};
    }

    void saveAfterRecoveryAsksBeforeReplacingTheirChanges()
    {
        QFETCH(bool, SomeoneWrote);
        QFETCH(QStringList, Asked);
        TGameDir Dir;
        QStringList Snapshots;
        QString Left;
        LeaveJournal(Dir, "alpha.txt", FourSteps, Snapshots, Left);
        const std::string Theirs = EmptyRows(9) + Row("1");
        if (SomeoneWrote)
            WriteBytes(Dir.Levels() / "alpha.txt", Theirs);
        TMessageCapture Capture;
        Capture.Answers = {TModalResult::Yes, TModalResult::No};
        TEditor E(Dir);
        QCoreApplication::processEvents();
        const QString Recovered = E.Field();
        E.Click(E.Button("btnSaveLevel"));
        QCOMPARE(ShownTexts(Capture), Asked);
        QCOMPARE(QString::fromStdString(ReadBytes(Dir.Levels() / "alpha.txt")),
                 SomeoneWrote ? QString::fromStdString(Theirs) : Recovered);
    }

    void runningEditorsWorkIsNeverOffered()
    {
        TGameDir Dir;
        TMessageCapture Capture;
        TEditor Running(Dir, "alpha.txt");
        Run(Running, "key 4; press 1 1; release 1 1");
        QVERIFY(Running.Form.Recovery().FlushNow());
        const QString Path = Running.Form.Recovery().JournalPath();
        const std::string Written = ReadBytes(Path.toStdString());
        {
            TEditor Second(Dir);
            QCoreApplication::processEvents();
            QCOMPARE(ShownTexts(Capture), QStringList{});
            Run(Second, "key 5; press 3 3; release 3 3");
            QVERIFY(Second.Form.Recovery().FlushNow());
            QCOMPARE(JournalNames().size(), 2);
        }
        QCOMPARE(ReadBytes(Path.toStdString()), Written);
        // The first goes on with its own journal; the second's, left without a word, is offered to the next.
        Run(Running, "press 2 1; release 2 1");
        QVERIFY(Running.Form.Recovery().FlushNow());
        QCOMPARE(ReplayJournal(ReadJournalFile(Path.toStdString())).Steps.size(), 2u);
        TEditor Third(Dir);
        QCoreApplication::processEvents();
        QCOMPARE(Capture.Count(TMessageKind::Question), 1);
    }

    void journalEndsOnlyWithTheChanges_data()
    {
        QTest::addColumn<QString>("Action");
        QTest::addColumn<QList<TModalResult>>("Answers");
        QTest::addColumn<bool>("Kept");
        QTest::addColumn<bool>("Another"); // a journal of its own for the work after
        const QList<TModalResult> None;
        QTest::newRow("save") << "save" << None << false << false;
        QTest::newRow("prompt's yes on open") << "open" << QList{TModalResult::Yes} << false << false;
        QTest::newRow("prompt's no on open") << "open" << QList{TModalResult::No} << false << false;
        QTest::newRow("prompt's no on new") << "new" << QList{TModalResult::No} << false << false;
        QTest::newRow("clean close") << "close" << QList{TModalResult::No} << false << false;
        QTest::newRow("prompt cancelled") << "open" << QList{TModalResult::Cancel} << true << false;
        QTest::newRow("close cancelled") << "close" << QList{TModalResult::Cancel} << true << false;
        QTest::newRow("failed save") << "failed save" << None << true << false;
        QTest::newRow("undone to the file as opened") << "undo" << None << false << false;
        QTest::newRow("then redone") << "undo; redo" << None << false << true;
    }

    void journalEndsOnlyWithTheChanges()
    {
        QFETCH(QString, Action);
        QFETCH(QList<TModalResult>, Answers);
        QFETCH(bool, Kept);
        QFETCH(bool, Another);
        TGameDir Dir;
        TMessageCapture Capture;
        TEditor E(Dir, "alpha.txt");
        Run(E, "key 5; press 1 1; release 1 1");
        const QString Field = E.Field();
        QVERIFY(E.Form.Recovery().FlushNow());
        const QString Path = E.Form.Recovery().JournalPath();
        Capture.Answers = {Answers.begin(), Answers.end()};
        if (Action == "save") {
            E.Click(E.Button("btnSaveLevel"));
        } else if (Action == "failed save") {
            fs::rename(Dir.Levels(), Dir.Path() / "moved");
            WriteBytes(Dir.Levels(), "not a folder");
            E.Click(E.Button("btnSaveLevel"));
            QCOMPARE(ShownTexts(Capture), QStringList{"Invalid filename."});
        } else if (Action == "open") {
            E.ClickEntry("beta.txt");
        } else if (Action == "new") {
            E.Click(E.Button("btnNewLevel"));
        } else if (Action == "close") {
            E.Form.close();
        } else {
            E.Key("Ctrl+Z");
            if (Action.endsWith("redo"))
                E.Key("Ctrl+Shift+Z");
        }
        E.Form.Recovery().FlushNow();
        const QString Now = E.Form.Recovery().JournalPath();
        QCOMPARE(QFileInfo::exists(Path), Kept);
        QCOMPARE(JournalNames(), Kept || Another ? QStringList{QFileInfo(Now).fileName()} : QStringList{});
        QCOMPARE(Now.isEmpty() || Now == Path, !Another);
        if (Another) {
            // The whole history again, the step redone.
            const TJournalReplay Replay = ReplayJournal(ReadJournalFile(Now.toStdString()));
            TLevelData Journalled = E.Form.Level();
            Journalled.Cells = Replay.Cells;
            QCOMPARE(QString::fromStdString(FormatLevel(Journalled)), Field);
            QCOMPARE(Replay.Current, 1u);
            QCOMPARE(Replay.Steps.size(), 1u);
        }
    }

    // A burst's later steps wait for the second to be over, unless the game is about to start.
    void testLevelPutsEveryStepOnDiskFirst()
    {
        TGameDir Dir;
        TMessageCapture Capture;
        TEditor E(Dir, "alpha.txt");
        Run(E, "key 4; press 0 0; release 0 0");
        QCoreApplication::processEvents();
        Run(E, "press 1 0; release 1 0; press 2 0; release 2 0");
        E.Click(E.Button("btnExec"));
        const TJournalReplay Replay = ReplayJournal(ReadJournalFile(E.Form.Recovery().JournalPath().toStdString()));
        QCOMPARE(Replay.Steps.size(), 3u);
    }

    void damagedJournals_data()
    {
        QTest::addColumn<QString>("Damage");
        QTest::addColumn<int>("Recovered"); // the whole steps given back; -1: nothing offered
        QTest::addColumn<QString>("Reason"); // why it cannot be read, when it cannot
        QTest::newRow("cut inside the last record") << "cut 4 5" << 3 << "";
        QTest::newRow("bit flipped in the second step") << "flip 2 12" << 1 << "";
        QTest::newRow("cut inside the first step") << "cut 1 5" << -1 << "";
        QTest::newRow("bit flipped in the header")
            << "flip 0 20" << -1 << "the journal's header is damaged or cut short";
    }

    void damagedJournals()
    {
        QFETCH(QString, Damage);
        QFETCH(int, Recovered);
        QFETCH(QString, Reason);
        TGameDir Dir;
        QStringList Snapshots;
        QString Left;
        LeaveJournal(Dir, "alpha.txt", FourSteps, Snapshots, Left);
        std::string Bytes = ReadBytes(Left.toStdString());
        const std::vector<std::size_t> Starts = RecordStarts(Bytes);
        QCOMPARE(Starts.size(), 5u);
        const QStringList Words = Damage.split(' ');
        const std::size_t At = Starts.at(Words[1].toUInt()) + Words[2].toUInt();
        if (Words[0] == "cut")
            Bytes.resize(At);
        else
            Bytes[At] = static_cast<char>(Bytes[At] ^ 0x10);
        WriteBytes(Left.toStdString(), Bytes);
        SetModified(Left, LeftAt);

        TMessageCapture Capture;
        Capture.Answers = {TModalResult::Yes};
        TEditor E(Dir);
        QCoreApplication::processEvents();
        const QString Aside = QDir::toNativeSeparators(Left + ".unreadable");
        const QStringList Told = Recovered >= 0 ? QStringList{AlphaQuestion}
            : Reason.isEmpty()
            ? QStringList{}
            : QStringList{QString("The recovery journal \"%1\" cannot be read (%2); it is kept as \"%3\".")
                              .arg(QDir::toNativeSeparators(Left), Reason, Aside)};
        QCOMPARE(ShownTexts(Capture), Told);
        if (Recovered >= 0)
            QCOMPARE(Describe(E), Snapshots.at(Recovered));
        else
            QCOMPARE(E.Form.History().count(), 0);
        const QString Own = QFileInfo(E.Form.Recovery().JournalPath()).fileName();
        QCOMPARE(JournalNames(),
                 Recovered >= 0         ? QStringList{Own}
                     : Reason.isEmpty() ? QStringList{}
                                        : QStringList{QFileInfo(Aside).fileName()});
    }

    void unusableFolderIsToldAndEditingGoesOn()
    {
        TGameDir Dir;
        fs::create_directories(fs::path(TDataHome::RecoveryFolder().toStdString()).parent_path());
        WriteBytes(TDataHome::RecoveryFolder().toStdString(), "a file where the folder goes");
        TMessageCapture Capture;
        TEditor E(Dir, "alpha.txt");
        QCoreApplication::processEvents();
        Run(E, "key 4; press 0 0; release 0 0");
        QCOMPARE(ShownTexts(Capture),
                 QStringList{QString("Unsaved changes cannot be kept for recovery: the folder \"%1\" cannot be made "
                                     "(Not a directory).")
                                 .arg(QDir::toNativeSeparators(TDataHome::RecoveryFolder()))});
        QCOMPARE(E.Form.Recovery().FlushNow(), false);
        QCOMPARE(E.Cell(0, 0).Brick, 4);
    }

    // An editor killed at random moments: the next start gives back at least every step made more than a
    // sync interval (and some slack for a loaded machine) before the kill, and exactly the level and history
    // the editor had after some edit: never a level torn between two.
    void killedEditorGivesBackEverySyncedStep()
    {
        constexpr int BudgetMs = 25000;
        constexpr int SlackMs = 500;
        const std::uint32_t Seed = std::random_device{}();
        std::mt19937 Random(Seed);
        TGameDir Dir;
        // The same edits in a window of this process: what the level and history were after each count.
        TEditor Twin(Dir, "alpha.txt");
        std::vector<std::uint64_t> After{RecoveryEdits::Digest(Twin.Form)};
        const auto Know = [&](std::size_t Edits) {
            while (After.size() <= Edits) {
                RecoveryEdits::Make(Twin.Form, static_cast<int>(After.size() - 1));
                After.push_back(RecoveryEdits::Digest(Twin.Form));
            }
        };
        QElapsedTimer Budget;
        Budget.start();
        int Kills = 0, WithWork = 0;
        while (Budget.elapsed() < BudgetMs) {
            TDataHome Home;
            QProcess Child;
            Child.setProgram(QCoreApplication::applicationDirPath() + "/editor_until_killed");
            Child.setArguments({Dir.Native(), QCoreApplication::applicationName()});
            Child.setWorkingDirectory(Dir.Native());
            Child.start();
            QVERIFY(Child.waitForStarted());
            const int Delay = std::uniform_int_distribution(0, 2800)(Random);
            QVERIFY2(!Child.waitForFinished(Delay), qPrintable(Child.readAllStandardError()));
            const std::int64_t KilledAt = SteadyMs();
            ::kill(static_cast<pid_t>(Child.processId()), SIGKILL);
            QVERIFY(Child.waitForFinished());
            std::size_t Made = 0, Due = 0;
            for (const QByteArray& Line : Child.readAllStandardOutput().split('\n')) {
                QVERIFY2(!Line.startsWith('!'), Line.constData());
                if (Line.isEmpty())
                    continue;
                ++Made;
                if (Line.split(' ').value(1).toLongLong() < KilledAt - TRecoveryJournal::SyncIntervalMs - SlackMs)
                    Due = Made;
            }
            Know(Made + 1);

            TMessageCapture Capture;
            Capture.Answers = {TModalResult::Yes};
            TEditor E(Dir);
            QCoreApplication::processEvents();
            const QString Trace = QString("seed %1, kill %2 after %3 ms, %4 edits made, %5 due")
                                      .arg(Seed)
                                      .arg(Kills)
                                      .arg(Delay)
                                      .arg(Made)
                                      .arg(Due);
            std::size_t Found = After.size();
            if (Capture.Count(TMessageKind::Question) == 1) {
                QVERIFY2(ShownTexts(Capture).first().startsWith("Unsaved changes to alpha.txt from "),
                         qPrintable(Trace));
                for (std::size_t Edits = Due; Edits <= Made + 1 && Found == After.size(); ++Edits)
                    if (After[Edits] == RecoveryEdits::Digest(E.Form))
                        Found = Edits;
                ++WithWork;
            } else if (Due == 0) {
                Found = 0;
            }
            QVERIFY2(Found < After.size(),
                     qPrintable(Trace + "\n" + ShownTexts(Capture).join('\n') + "\n" + E.Field()));
            // Nothing of the killed editor is left: its lock, its journal, a first flush it was making.
            const QString Own = E.Form.Recovery().JournalPath();
            QCOMPARE(JournalNames(), Own.isEmpty() ? QStringList{} : QStringList{QFileInfo(Own).fileName()});
            QCOMPARE(QDir(TDataHome::RecoveryFolder()).entryList({"*.lock"}, QDir::Files).size(), 1);
            ++Kills;
        }
        qInfo("%d kills in %lld ms, %d with work to give back", Kills, Budget.elapsed(), WithWork);
        QVERIFY(WithWork > 0);
    }
};

QTEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
