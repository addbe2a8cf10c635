// The level document without any window: edits and their steps, undo and redo, save under a new name and
// over the file it came from with the question before replacing someone else's work, open and new.

#include "exceptions.h"
#include "leveldocument.h"
#include "folderlock.h"
#include "levelfile.h"
#include "levelfiletools.h"
#include "messagecapture.h"
#include "paintrule.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace LevelFileTools;

namespace {

// The level every test starts from: two cells at the top left, and a trailer.
const std::vector<std::string> StartRows = {"1S2."};
const std::string StartTrailer = "Castle";

// Every signal the document sends, in order, so that a test compares the whole story.
class TDocumentLog {
public:
    TDocumentLog(TLevelDocument& Document, const std::string& GameDir)
    {
        QObject::connect(&Document, &TLevelDocument::CellsChanged, &FContext, [this](const QList<QPoint>& Cells) {
            QString Line = "cells";
            for (const QPoint& Cell : Cells)
                Line += QString(" %1,%2").arg(Cell.x()).arg(Cell.y());
            Lines << Line;
        });
        QObject::connect(&Document, &TLevelDocument::LevelReplaced, &FContext, [this] { Lines << "level replaced"; });
        QObject::connect(
            &Document, &TLevelDocument::FileNameChanged, &FContext, [this, GameDir](const std::string& Name) {
                const bool InGame = !GameDir.empty() && Name.starts_with(GameDir);
                Lines << "file name " + QString::fromStdString(InGame ? Name.substr(GameDir.size()) : Name);
            });
        QObject::connect(&Document, &TLevelDocument::ChangedFlagChanged, &FContext,
                         [this](bool Changed) { Lines << (Changed ? "changed true" : "changed false"); });
        QObject::connect(&Document, &TLevelDocument::StepRecorded, &FContext, [this] { Lines << "step recorded"; });
    }

    QStringList Lines;

private:
    QObject FContext;
};

TCellRule DrawRule(int Brick, int PowerUp)
{
    return [=](const TLevelCell& Cell) {
        return ApplyPaintRule(TPaintTool::Draw, static_cast<std::uint8_t>(Brick), static_cast<std::uint8_t>(PowerUp),
                              Cell);
    };
}

TCellRule EraseRule()
{
    return [](const TLevelCell& Cell) { return ApplyPaintRule(TPaintTool::Erase, 0, 0, Cell); };
}

// Steps separated by ";": begin, end, undo, redo; draw B P C,R...; erase C,R...; fill B P C,R... (one
// finished change, as the fill tool hands it in).
void Run(TLevelDocument& Document, const QString& Script)
{
    for (const QString& Step : Script.split(';', Qt::SkipEmptyParts)) {
        QStringList Words = Step.simplified().split(' ');
        const QString Verb = Words.takeFirst();
        const bool Coded = Verb == "draw" || Verb == "fill";
        const int Brick = Coded ? Words.takeFirst().toInt() : 0;
        const int PowerUp = Coded ? Words.takeFirst().toInt() : 0;
        TCellPositions Cells;
        for (const QString& Cell : Words)
            Cells.push_back({Cell.section(',', 0, 0).toInt(), Cell.section(',', 1, 1).toInt()});
        if (Verb == "begin") {
            Document.BeginStep();
        } else if (Verb == "end") {
            Document.EndStep();
        } else if (Verb == "undo") {
            Document.Undo();
        } else if (Verb == "redo") {
            Document.Redo();
        } else if (Verb == "draw") {
            Document.Paint(Cells, DrawRule(Brick, PowerUp), "Draw");
        } else if (Verb == "erase") {
            Document.Paint(Cells, EraseRule(), "Erase");
        } else if (Verb == "fill") {
            TCellDiff Diff;
            for (const TCellPos& At : Cells)
                Diff.Record(At.Column, At.Row, Document.Cell(At.Column, At.Row),
                            {static_cast<std::uint8_t>(Brick), static_cast<std::uint8_t>(PowerUp)});
            Document.Apply(Diff, "Fill");
        } else {
            QFAIL(qPrintable("unknown step " + Step));
        }
    }
}

QStringList Questions(const TMessageCapture& Capture)
{
    QStringList Texts;
    for (const TMessageRequest& Request : Capture.Shown)
        Texts << (Request.Kind == TMessageKind::YesNoQuestion ? "yes/no: " : "other: ") + Request.Text;
    return Texts;
}

const QString OverwriteQuestion = "yes/no: The level file has changed on disk since it was opened. Overwrite it?";

} // namespace

class TestLevelDocument : public QObject {
    Q_OBJECT

    // A game directory with its level folder, the start level in it as start.txt, opened in Document.
    QTemporaryDir FDir;
    std::string FGameDir;
    std::unique_ptr<TLevelDocument> FDocument;
    std::unique_ptr<TDocumentLog> FLog;

    std::string LevelPath(const std::string& Name) const { return FGameDir + "data/levels/" + Name; }
    TLevelData Record(const std::vector<std::string>& Rows, const std::string& Name, bool Changed) const
    {
        TLevelData Level = RecordFromRows(Rows, StartTrailer, Name.empty() ? "" : LevelPath(Name));
        Level.Changed = Changed ? 1 : 0;
        return Level;
    }

private slots:
    void init()
    {
        QVERIFY(FDir.isValid());
        FGameDir = Path(FDir.path()) + "/";
        std::filesystem::remove_all(FGameDir + "data");
        std::filesystem::create_directories(FGameDir + "data/levels");
        QVERIFY(LevelTestTools::WriteBytes(LevelPath("start.txt"), FormatLevel(Record(StartRows, "", false))));
        FDocument = std::make_unique<TLevelDocument>();
        FDocument->Open(LevelPath("start.txt"));
        FLog = std::make_unique<TDocumentLog>(*FDocument, FGameDir);
    }

    void cleanup()
    {
        FLog.reset();
        FDocument.reset();
    }

    // Each edit leaves its steps on the history; undoing them all gives back the level as it was opened, no
    // longer changed, and redoing them all the cells as the edit left them.
    void editsRecordStepsThatUndoAndRedo_data()
    {
        QTest::addColumn<QString>("Script");
        QTest::addColumn<QList<QByteArray>>("Rows");
        QTest::addColumn<bool>("Changed");
        QTest::addColumn<int>("Steps");
        QTest::addColumn<QString>("UndoText");
        QTest::addColumn<QStringList>("Signals");
        QTest::newRow("a paint outside a stroke is a step of its own")
            << "draw 3 0 2,0 3,0" << QList<QByteArray>{"1S2.3.3."} << true << 1 << "Draw"
            << QStringList{"changed true", "step recorded", "cells 2,0 3,0"};
        QTest::newRow("a stroke is one step however many paints")
            << "begin; draw 3 0 2,0; draw 3 0 3,0; draw 4 0 2,0; end" << QList<QByteArray>{"1S2.4.3."} << true << 1
            << "Draw" << QStringList{"changed true", "cells 2,0", "cells 3,0", "cells 2,0", "step recorded"};
        QTest::newRow("two strokes are two steps")
            << "begin; draw 3 0 2,0; end; begin; erase 0,0; end" << QList<QByteArray>{"..2.3."} << true << 2 << "Erase"
            << QStringList{"changed true", "cells 2,0", "step recorded", "cells 0,0", "step recorded"};
        QTest::newRow("a stroke ending as it began records nothing, yet the level is changed")
            << "begin; draw 3 0 2,0; erase 2,0; end" << QList<QByteArray>{"1S2."} << true << 0 << ""
            << QStringList{"changed true", "cells 2,0", "cells 2,0"};
        QTest::newRow("painting what is there records nothing, yet the level is changed")
            << "draw 1 1 0,0" << QList<QByteArray>{"1S2."} << true << 0 << "" << QStringList{"changed true"};
        QTest::newRow("an empty stroke changes nothing")
            << "begin; end" << QList<QByteArray>{"1S2."} << false << 0 << "" << QStringList{};
        QTest::newRow("a finished change is one whole step")
            << "fill 5 0 4,4 5,4" << QList<QByteArray>{"1S2.", "", "", "", "........5.5."} << true << 1 << "Fill"
            << QStringList{"changed true", "step recorded", "cells 4,4 5,4"};
        QTest::newRow("a finished change within a stroke closes the stroke's step first")
            << "begin; draw 3 0 2,0; fill 5 0 4,4; draw 6 0 3,0; end"
            << QList<QByteArray>{"1S2.3.6.", "", "", "", "........5."} << true << 3 << "Draw"
            << QStringList{"changed true", "cells 2,0", "step recorded", "step recorded",
                           "cells 4,4",    "cells 3,0", "step recorded"};
        QTest::newRow("undo within a stroke takes back its paints so far and the stroke goes on")
            << "begin; draw 3 0 2,0; undo; draw 4 0 3,0; end" << QList<QByteArray>{"1S2...4."} << true << 1 << "Draw"
            << QStringList{"changed true",  "cells 2,0",    "step recorded", "cells 2,0",
                           "changed false", "changed true", "cells 3,0",     "step recorded"};
    }
    void editsRecordStepsThatUndoAndRedo()
    {
        QFETCH(QString, Script);
        QFETCH(QList<QByteArray>, Rows);
        QFETCH(bool, Changed);
        QFETCH(int, Steps);
        QFETCH(QString, UndoText);
        QFETCH(QStringList, Signals);
        TLevelData Edited = RecordFromRows(Rows, StartTrailer, LevelPath("start.txt"));
        Edited.Changed = Changed ? 1 : 0;

        Run(*FDocument, Script);
        QCOMPARE(FDocument->Level(), Edited);
        QCOMPARE(FDocument->IsChanged(), Changed);
        QCOMPARE(FDocument->History().count(), Steps);
        QCOMPARE(FDocument->History().undoText(), UndoText);
        QVERIFY(!FDocument->History().canRedo());
        QCOMPARE(FLog->Lines, Signals);

        for (int Step = 0; Step < Steps; ++Step)
            FDocument->Undo();
        // Only a step undone reaches the opened state again; an edit that recorded none stays changed.
        QCOMPARE(FDocument->Level(), Record(StartRows, "start.txt", Steps == 0 && Changed));
        QVERIFY(!FDocument->History().canUndo());
        for (int Step = 0; Step < Steps; ++Step)
            FDocument->Redo();
        QCOMPARE(FDocument->Level(), Edited);
        QVERIFY(!FDocument->History().canRedo());
    }

    // Undo after a save makes the level changed again, and says so; redo back to the saved level makes it
    // unchanged, so the prompt has nothing to ask about.
    void undoAfterSaveMarksTheLevelChanged()
    {
        Run(*FDocument, "draw 3 0 2,0");
        FDocument->Save({FGameDir, {}});
        QCOMPARE(FDocument->Level(), Record({"1S2.3."}, "start.txt", false));
        FLog->Lines.clear();

        FDocument->Undo();
        QCOMPARE(FDocument->Level(), Record(StartRows, "start.txt", true));
        QCOMPARE(FLog->Lines, (QStringList{"changed true", "cells 2,0"}));
        FDocument->Redo();
        QCOMPARE(FDocument->Level(), Record({"1S2.3."}, "start.txt", false));
        QCOMPARE(FLog->Lines, (QStringList{"changed true", "cells 2,0", "cells 2,0", "changed false"}));
    }

    // A new level's name is one above every number taken in the list or in the level folder, and skips
    // the names either holds; the file is written, the level named and unchanged, its history kept.
    void saveNewLevelTakesTheNextFreeName_data()
    {
        QTest::addColumn<QStringList>("Listed");
        QTest::addColumn<QStringList>("InFolder");
        QTest::addColumn<QString>("Expected");
        QTest::newRow("nothing numbered") << QStringList{} << QStringList{} << "level1.txt";
        QTest::newRow("above the list's highest")
            << QStringList{"level3.txt", "other.txt"} << QStringList{} << "level4.txt";
        QTest::newRow("above the folder's highest, which the list lacks")
            << QStringList{"level2.txt"} << QStringList{"level5.txt"} << "level6.txt";
        QTest::newRow("the list's highest though the folder lacks it")
            << QStringList{"level4.txt"} << QStringList{"level2.txt"} << "level5.txt";
    }
    void saveNewLevelTakesTheNextFreeName()
    {
        QFETCH(QStringList, Listed);
        QFETCH(QStringList, InFolder);
        QFETCH(QString, Expected);
        std::vector<std::string> Taken;
        for (const QString& Name : Listed)
            Taken.push_back(Path(Name));
        for (const QString& Name : InFolder)
            QVERIFY(WriteBytes(QString::fromStdString(LevelPath(Path(Name))), "someone's level\r\n"));
        FDocument->New();
        Run(*FDocument, "draw 3 0 2,0");
        FLog->Lines.clear();

        const std::string Saved = FDocument->Save({FGameDir, Taken});
        TLevelData Written = RecordFromRows({"....3."}, "", LevelPath(Path(Expected)));
        QCOMPARE(QString::fromStdString(Saved), QString::fromStdString(LevelPath(Path(Expected))));
        QCOMPARE(FDocument->Level(), Written);
        QCOMPARE(ReadBytes(QString::fromStdString(Saved)), QByteArray::fromStdString(FormatLevel(Written)));
        QStringList Files = InFolder + QStringList{FolderLockFileName, "start.txt", Expected};
        Files.sort();
        QCOMPARE(Listing(QString::fromStdString(LevelPath(""))), Files);
        QCOMPARE(FLog->Lines, (QStringList{"changed false", "file name data/levels/" + Expected}));
        QCOMPARE(FDocument->History().count(), 1);
    }

    // Saving over the file the level came from asks first when someone else has changed the file since:
    // Yes replaces it, No is the silent abort that writes nothing and leaves the level changed. A file that
    // is as it was, or gone, is written without a word, and once written the next save does not ask.
    void saveAsksBeforeReplacingAFileChangedOnDisk_data()
    {
        QTest::addColumn<QString>("OnDisk");
        QTest::addColumn<int>("Answer");
        QTest::addColumn<bool>("Written");
        QTest::addColumn<QStringList>("Asked");
        QTest::newRow("as opened: written") << "as opened" << -1 << true << QStringList{};
        QTest::newRow("changed, Yes: written")
            << "changed" << int(TModalResult::Yes) << true << QStringList{OverwriteQuestion};
        QTest::newRow("changed, No: kept")
            << "changed" << int(TModalResult::No) << false << QStringList{OverwriteQuestion};
        QTest::newRow("removed: written again") << "removed" << -1 << true << QStringList{};
    }
    void saveAsksBeforeReplacingAFileChangedOnDisk()
    {
        QFETCH(QString, OnDisk);
        QFETCH(int, Answer);
        QFETCH(bool, Written);
        QFETCH(QStringList, Asked);
        const QString File = QString::fromStdString(LevelPath("start.txt"));
        const QByteArray Theirs = "their level, longer than nothing\r\n";
        Run(*FDocument, "draw 3 0 2,0");
        FLog->Lines.clear();
        if (OnDisk == "changed")
            QVERIFY(WriteBytes(File, Theirs));
        else if (OnDisk == "removed")
            QVERIFY(QFile::remove(File));
        TMessageCapture Capture;
        if (Answer >= 0)
            Capture.Answers = {TModalResult(Answer)};

        const TLevelData Ours = Record({"1S2.3."}, "start.txt", !Written);
        if (Written) {
            QCOMPARE(QString::fromStdString(FDocument->Save({FGameDir, {}})), File);
            QCOMPARE(ReadBytes(File), QByteArray::fromStdString(FormatLevel(Ours)));
            QCOMPARE(FLog->Lines, (QStringList{"changed false", "file name data/levels/start.txt"}));
            Run(*FDocument, "draw 4 0 3,0");
            FDocument->Save({FGameDir, {}});
            QCOMPARE(ReadBytes(File), QByteArray::fromStdString(FormatLevel(Record({"1S2.3.4."}, "start.txt", false))));
        } else {
            QVERIFY_THROWS_EXCEPTION(EAbort, FDocument->Save({FGameDir, {}}));
            QCOMPARE(ReadBytes(File), Theirs);
            QCOMPARE(FLog->Lines, QStringList{});
        }
        QCOMPARE(Questions(Capture), Asked);
        if (!Written)
            QCOMPARE(FDocument->Level(), Ours);
    }

    // The question is asked while the folder is locked, so no other writer can land between the answer and
    // the write; a writer that keeps the lock makes Save give up with nothing written and the level kept.
    void saveAsksAndWritesUnderTheFolderLock()
    {
        const std::string Folder = FGameDir + "data/levels";
        const QString File = QString::fromStdString(LevelPath("start.txt"));
        const QByteArray Theirs = "their level, longer than nothing\r\n";
        Run(*FDocument, "draw 3 0 2,0");
        QVERIFY(WriteBytes(File, Theirs));
        QStringList Seen;
        TMessageCapture Capture; // its end removes the hook set here
        SetMessageHook([&](const TMessageRequest&) {
            try {
                const TFolderLock Other(Folder, 0);
                Seen << "free";
            } catch (const EInOutError&) {
                Seen << "locked";
            }
            return TModalResult::No;
        });
        QVERIFY_THROWS_EXCEPTION(EAbort, FDocument->Save({FGameDir, {}}));
        QCOMPARE(Seen, QStringList{"locked"});

        const TFolderLockTimeout Briefly(50);
        const TFolderLock Other(Folder);
        QVERIFY_THROWS_EXCEPTION(EInOutError, FDocument->Save({FGameDir, {}}));
        QCOMPARE(Seen, QStringList{"locked"});
        QCOMPARE(ReadBytes(File), Theirs);
        QCOMPARE(FDocument->Level(), Record({"1S2.3."}, "start.txt", true));
        FDocument->New();
        Run(*FDocument, "draw 3 0 2,0");
        QVERIFY_THROWS_EXCEPTION(EInOutError, FDocument->Save({FGameDir, {}}));
        QCOMPARE(Listing(QString::fromStdString(Folder)), (QStringList{FolderLockFileName, "start.txt"}));
        TLevelData Unsaved = RecordFromRows({"....3."}, "", "");
        Unsaved.Changed = 1;
        QCOMPARE(FDocument->Level(), Unsaved);
    }

    // A level opened or made new starts a history of its own; a stroke under way goes with the old level.
    void replacingTheLevelClearsTheHistory_data()
    {
        QTest::addColumn<QString>("How");
        QTest::newRow("open") << "open";
        QTest::newRow("new") << "new";
    }
    void replacingTheLevelClearsTheHistory()
    {
        QFETCH(QString, How);
        const TLevelData Other = Record({"", "9W"}, "other.txt", false);
        QVERIFY(LevelTestTools::WriteBytes(LevelPath("other.txt"), FormatLevel(Other)));
        Run(*FDocument, "draw 3 0 2,0; undo; draw 4 0 3,0; begin; draw 5 0 4,0");
        QCOMPARE(FDocument->History().count(), 1);
        FLog->Lines.clear();

        TLevelData Expected = RecordFromRows({}, "", "");
        if (How == "open") {
            FDocument->Open(LevelPath("other.txt"));
            Expected = Other;
        } else {
            FDocument->New();
        }
        const QString Name = How == "open" ? "data/levels/other.txt" : "";
        QCOMPARE(FDocument->Level(), Expected);
        QCOMPARE(FLog->Lines, (QStringList{"level replaced", "file name " + Name, "changed false"}));
        QCOMPARE(FDocument->History().count(), 0);
        QVERIFY(!FDocument->StepOpen());
        Run(*FDocument, "end; undo; redo");
        QCOMPARE(FDocument->Level(), Expected);
        QCOMPARE(FDocument->History().count(), 0);
    }

    // A file that cannot be read leaves the level, its name, its history and its flag as they were.
    void failedOpenKeepsTheLevel_data()
    {
        QTest::addColumn<QString>("Name");
        QTest::newRow("missing file") << "missing.txt";
        QTest::newRow("a folder") << "folder.txt";
    }
    void failedOpenKeepsTheLevel()
    {
        QFETCH(QString, Name);
        std::filesystem::create_directory(LevelPath("folder.txt"));
        Run(*FDocument, "draw 3 0 2,0");
        FLog->Lines.clear();
        const TLevelData Before = FDocument->Level();

        QVERIFY_THROWS_EXCEPTION(EInOutError, FDocument->Open(LevelPath(Path(Name))));
        QCOMPARE(FDocument->Level(), Before);
        QCOMPARE(FLog->Lines, QStringList{});
        QCOMPARE(FDocument->History().count(), 1);
        // The history and its mark of the opened state are the ones from before the failed open.
        FDocument->Undo();
        QCOMPARE(FDocument->Level(), Record(StartRows, "start.txt", false));
    }
};

QTEST_MAIN(TestLevelDocument)
#include "tst_leveldocument.moc"
