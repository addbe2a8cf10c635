// The campaign's commands in the window: moving, duplicating, renaming and deleting the open level, its
// text, and the level list following the folder and naming the level in the editor.
#include "editorharness.h"
#include "folderlock.h"
#include "fieldpainter.h"
#include "levelfolder.h"
#include "levelset.h"

#include <QStandardPaths>
#include <QToolTip>

#include <cerrno>
#include <deque>
#include <map>
#include <optional>

namespace {

using TFolder = std::map<std::string, std::string>;

// Level N holds brick N in its first cell, so every numbered file tells where it came from.
std::string NumberedLevel(int N)
{
    return Row(std::string(1, char('0' + N % 10)) + ".") + EmptyRows(9);
}

void AddNumbered(const TGameDir& Dir, const QStringList& Names)
{
    for (const QString& Name : Names)
        WriteBytes(Dir.Levels() / Name.toStdString(), NumberedLevel(LevelNumberOf(Name.toStdString())));
}

// The levels only: the writers' lock file comes with the first write and holds nothing.
TFolder Snapshot(const fs::path& Folder)
{
    TFolder Files;
    for (const auto& Entry : fs::directory_iterator(Folder))
        if (Entry.path().filename() != FolderLockFileName)
            Files[Entry.path().filename().string()] = ReadBytes(Entry.path());
    return Files;
}

// How the folder differs from Before: "new<-old" for a file holding what Before's file old held ("?" for
// bytes Before did not hold), "-old" for a name gone. Files that kept their bytes are left out.
QStringList Changes(const TFolder& Before, const TFolder& After)
{
    QStringList Lines;
    for (const auto& [Name, Bytes] : After) {
        const auto Same = Before.find(Name);
        if (Same != Before.end() && Same->second == Bytes)
            continue;
        std::string From = "?";
        for (const auto& [Old, OldBytes] : Before)
            if (OldBytes == Bytes)
                From = Old;
        Lines << QString::fromStdString(Name + "<-" + From);
    }
    for (const auto& [Name, Bytes] : Before)
        if (!After.count(Name))
            Lines << QString::fromStdString("-" + Name);
    return Lines;
}

// Answers the text boxes from a queue, recording each request; removed however the test ends.
struct TTextCapture {
    QList<TTextRequest> Asked;
    std::deque<std::optional<QString>> Answers;
    TTextCapture()
    {
        SetTextHook([this](const TTextRequest& Request) {
            Asked << Request;
            std::optional<QString> Answer = Answers.empty() ? std::nullopt : Answers.front();
            if (!Answers.empty())
                Answers.pop_front();
            return Answer;
        });
    }
    ~TTextCapture() { SetTextHook({}); }
    TTextCapture(const TTextCapture&) = delete;
    TTextCapture& operator=(const TTextCapture&) = delete;
};

// A home of its own with the test mode's data folder, so that nothing reaches the real trash.
class TTestTrash {
public:
    TTestTrash() : FOldHome(qgetenv("HOME")), FOldData(qgetenv("XDG_DATA_HOME"))
    {
        qputenv("HOME", QFile::encodeName(FHome.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(FHome.path() + "/data"));
        QStandardPaths::setTestModeEnabled(true);
        Reset();
    }
    ~TTestTrash()
    {
        QStandardPaths::setTestModeEnabled(false);
        qputenv("HOME", FOldHome);
        if (FOldData.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", FOldData);
    }
    TTestTrash(const TTestTrash&) = delete;
    TTestTrash& operator=(const TTestTrash&) = delete;

    fs::path Data() const
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString();
    }
    fs::path Files() const { return Data() / "Trash/files"; }
    // An empty trash, or one that cannot take a file: "files is a file" or "no data folder". The rest of
    // the data folder, an editor's recovery journals, stays unless the folder goes.
    void Reset(const QString& Broken = {})
    {
        if (Broken == "no data folder") {
            fs::remove_all(Data());
            return;
        }
        fs::remove_all(Data() / "Trash");
        fs::create_directories(Data());
        if (Broken == "files is a file") {
            fs::create_directories(Data() / "Trash");
            WriteBytes(Files(), "");
        }
    }

private:
    QTemporaryDir FHome;
    QByteArray FOldHome;
    QByteArray FOldData;
};

struct TExchangeHooks {
    ~TExchangeHooks()
    {
        SetExchangeStepHook({});
        SetSystemRenameHook({});
    }
};

struct TCrash {};

// Leaves the exchange of A and B in Folder as a crash after its first move would.
void CrashedExchange(const fs::path& Folder, const std::string& A, const std::string& B)
{
    TExchangeHooks Hooks;
    SetSystemRenameHook([](TSystemRename Call) { return Call == TSystemRename::Exchange ? EINVAL : 0; });
    SetExchangeStepHook([](TExchangeStep Step) {
        if (Step == TExchangeStep::FirstMovedAside)
            throw TCrash{};
    });
    try {
        ExchangeLevelFiles((Folder / A).string(), (Folder / B).string());
    } catch (const TCrash&) {
    }
}

QImage DecodedPicture(const QString& ToolTip)
{
    const qsizetype From = ToolTip.indexOf("base64,") + 7;
    return QImage::fromData(QByteArray::fromBase64(ToolTip.mid(From, ToolTip.indexOf('"', From) - From).toLatin1()));
}

const QStringList Samples{"alpha.txt", "beta.txt", "gamma.txt"};
const QStringList OneToThree{"level1.txt", "level2.txt", "level3.txt"};

} // namespace

class TestLevelSetWindow : public QObject {
    Q_OBJECT
    std::unique_ptr<TTestTrash> FTrash;

private slots:
    void initTestCase() { FTrash = std::make_unique<TTestTrash>(); }
    void cleanupTestCase() { FTrash.reset(); }

    // Moving: the files swap, bytes unchanged; the editor follows its level with its edits.
    void moveFollowsItsLevel_data()
    {
        QTest::addColumn<QStringList>("Levels");
        QTest::addColumn<QString>("Open");
        QTest::addColumn<bool>("Edit");
        QTest::addColumn<bool>("FromList"); // the key pressed while the list has the focus
        QTest::addColumn<QString>("Key");
        QTest::addColumn<QStringList>("Changed");
        QTest::addColumn<QString>("Editing"); // the level in the editor afterwards
        QTest::addColumn<QString>("Note");
        QTest::newRow("up swaps with the level before")
            << OneToThree << "level3.txt" << false << false << "Ctrl+Shift+Up"
            << QStringList{"level2.txt<-level3.txt", "level3.txt<-level2.txt"} << "level2.txt"
            << "level3.txt is now level2.txt";
        QTest::newRow("down keeps the unsaved edits")
            << OneToThree << "level2.txt" << true << false << "Ctrl+Shift+Down"
            << QStringList{"level2.txt<-level3.txt", "level3.txt<-level2.txt"} << "level3.txt"
            << "level2.txt is now level3.txt";
        QTest::newRow("from the list, over a gap")
            << QStringList{"level1.txt", "level3.txt", "level7.txt"} << "level3.txt" << false << true
            << "Ctrl+Shift+Down" << QStringList{"level3.txt<-level7.txt", "level7.txt<-level3.txt"} << "level7.txt"
            << "level3.txt is now level7.txt";
        QTest::newRow("up from the first")
            << OneToThree << "level1.txt" << true << false << "Ctrl+Shift+Up" << QStringList{} << "level1.txt"
            << "level1.txt is the first level.";
        QTest::newRow("down from the last")
            << OneToThree << "level3.txt" << false << false << "Ctrl+Shift+Down" << QStringList{} << "level3.txt"
            << "level3.txt is the last level.";
        QTest::newRow("without a number")
            << OneToThree << "alpha.txt" << false << false << "Ctrl+Shift+Up" << QStringList{} << "alpha.txt"
            << "alpha.txt has no number: only numbered levels move.";
    }
    void moveFollowsItsLevel()
    {
        QFETCH(QStringList, Levels);
        QFETCH(QString, Open);
        QFETCH(bool, Edit);
        QFETCH(bool, FromList);
        QFETCH(QString, Key);
        QFETCH(QStringList, Changed);
        QFETCH(QString, Editing);
        QFETCH(QString, Note);
        TGameDir Dir;
        AddNumbered(Dir, Levels);
        TMessageCapture Capture;
        TEditor E(Dir, Open);
        if (Edit) {
            E.Click(E.BrickButton(9));
            E.ClickCell(5, 5);
        }
        const QString Field = E.Field();
        const TFolder Before = Snapshot(Dir.Levels());
        if (FromList)
            E.List->setFocus();
        E.Key(Key);
        QCOMPARE(Changes(Before, Snapshot(Dir.Levels())), Changed);
        QCOMPARE(E.Label->text(), "Level: data/levels/" + Editing);
        QCOMPARE(E.Selected(), Editing);
        QCOMPARE(E.Message(), Note);
        QCOMPARE(E.Field(), Field);
        QCOMPARE(E.Form.Level().Changed, Edit ? 1 : 0);
        QCOMPARE(E.Form.History().count(), Edit ? 1 : 0);
        QCOMPARE(ShownTexts(Capture), QStringList{});
        // The next Save goes to the level's new name, and only there.
        E.Key("Ctrl+S");
        QStringList AfterSave = Changed;
        if (Edit) {
            AfterSave.removeIf([&](const QString& Line) { return Line.startsWith(Editing + "<-"); });
            AfterSave << Editing + "<-?";
            AfterSave.sort();
        }
        const TFolder Saved = Snapshot(Dir.Levels());
        QCOMPARE(Changes(Before, Saved), AfterSave);
        QCOMPARE(QString::fromStdString(Saved.at(Editing.toStdString())), Field);
    }

    // Duplicating: the prompt first, then a byte-for-byte copy under the next free number, opened.
    void duplicateCopiesAndOpens_data()
    {
        QTest::addColumn<QString>("Open");
        QTest::addColumn<bool>("Edit");
        QTest::addColumn<int>("Answer"); // -1: no question expected
        QTest::addColumn<QStringList>("Changed");
        QTest::addColumn<QString>("Editing");
        QTest::addColumn<bool>("EditsKept"); // the field shows the edit afterwards
        QTest::newRow("unchanged") << "level2.txt" << false << -1 << QStringList{"level4.txt<-level2.txt"}
                                   << "level4.txt" << false;
        QTest::newRow("edits, Yes saves them first")
            << "level2.txt" << true << int(TModalResult::Yes) << QStringList{"level2.txt<-?", "level4.txt<-?"}
            << "level4.txt" << true;
        QTest::newRow("edits, No copies the file as it is")
            << "level2.txt" << true << int(TModalResult::No) << QStringList{"level4.txt<-level2.txt"} << "level4.txt"
            << false;
        QTest::newRow("edits, Cancel does nothing")
            << "level2.txt" << true << int(TModalResult::Cancel) << QStringList{} << "level2.txt" << true;
        QTest::newRow("without a number")
            << "alpha.txt" << false << -1 << QStringList{"level4.txt<-alpha.txt"} << "level4.txt" << false;
    }
    void duplicateCopiesAndOpens()
    {
        QFETCH(QString, Open);
        QFETCH(bool, Edit);
        QFETCH(int, Answer);
        QFETCH(QStringList, Changed);
        QFETCH(QString, Editing);
        QFETCH(bool, EditsKept);
        TGameDir Dir;
        AddNumbered(Dir, OneToThree);
        TMessageCapture Capture;
        TEditor E(Dir, Open);
        if (Edit) {
            E.Click(E.BrickButton(9));
            E.ClickCell(5, 5);
        }
        const TFolder Before = Snapshot(Dir.Levels());
        if (Answer >= 0)
            Capture.Answers = {TModalResult(Answer)};
        E.Key("Ctrl+D");
        const TFolder After = Snapshot(Dir.Levels());
        QCOMPARE(Changes(Before, After), Changed);
        QCOMPARE(Capture.Count(TMessageKind::Question), Answer >= 0 ? 1 : 0);
        QCOMPARE(Capture.Count(TMessageKind::Error), 0);
        QCOMPARE(E.Label->text(), "Level: data/levels/" + Editing);
        QCOMPARE(E.Selected(), Editing);
        QCOMPARE(E.Entries(),
                 Samples + OneToThree + (Editing == "level4.txt" ? QStringList{"level4.txt"} : QStringList{}));
        QCOMPARE(CellText(E.Cell(5, 5)), CellText({EditsKept ? std::uint8_t(9) : std::uint8_t(0), 0}));
        QCOMPARE(E.Form.Level().Changed, Answer == int(TModalResult::Cancel) ? 1 : 0);
        if (Editing == "level4.txt")
            QCOMPARE(QString::fromStdString(After.at("level4.txt")),
                     QString::fromStdString(After.at(Open.toStdString())));
    }

    // Renaming: the name is checked and never takes another file's; the editor keeps its edits.
    void renameChecksTheName_data()
    {
        QTest::addColumn<QString>("Open");
        QTest::addColumn<QString>("Typed"); // "<cancel>" for Cancel
        QTest::addColumn<QStringList>("Changed");
        QTest::addColumn<QString>("Editing");
        QTest::addColumn<QStringList>("Entries");
        QTest::addColumn<QString>("Error");
        const QStringList All = Samples + OneToThree;
        QTest::newRow("a new name") << "level2.txt"
                                    << "first" << QStringList{"first.txt<-level2.txt", "-level2.txt"} << "first.txt"
                                    << QStringList{"alpha.txt", "beta.txt",   "first.txt",
                                                   "gamma.txt", "level1.txt", "level3.txt"}
                                    << "";
        QTest::newRow("a number moves it in the list")
            << "alpha.txt"
            << " level9.txt " << QStringList{"level9.txt<-alpha.txt", "-alpha.txt"} << "level9.txt"
            << QStringList{"beta.txt", "gamma.txt", "level1.txt", "level2.txt", "level3.txt", "level9.txt"} << "";
        QTest::newRow("a taken name") << "level2.txt"
                                      << "level3" << QStringList{} << "level2.txt" << All
                                      << "There is a file named level3.txt already; level2.txt keeps its name.";
        QTest::newRow("a path") << "level2.txt"
                                << "../up" << QStringList{} << "level2.txt" << All
                                << "A level's name cannot hold \"/\" or \"\\\".";
        QTest::newRow("the game's test level") << "level2.txt"
                                               << "test.lvl" << QStringList{} << "level2.txt" << All
                                               << "test.lvl is the level the game tries out; choose another name.";
        QTest::newRow("the same name") << "level2.txt"
                                       << "level2.txt" << QStringList{} << "level2.txt" << All << "";
        QTest::newRow("cancelled") << "level2.txt"
                                   << "<cancel>" << QStringList{} << "level2.txt" << All << "";
    }
    void renameChecksTheName()
    {
        QFETCH(QString, Open);
        QFETCH(QString, Typed);
        QFETCH(QStringList, Changed);
        QFETCH(QString, Editing);
        QFETCH(QStringList, Entries);
        QFETCH(QString, Error);
        TGameDir Dir;
        AddNumbered(Dir, OneToThree);
        TMessageCapture Capture;
        TTextCapture Text;
        TEditor E(Dir, Open);
        E.Click(E.BrickButton(9));
        E.ClickCell(5, 5);
        const QString Field = E.Field();
        const TFolder Before = Snapshot(Dir.Levels());
        if (Typed != "<cancel>")
            Text.Answers = {Typed};
        E.Key("F2");
        QCOMPARE(Text.Asked.size(), 1);
        QCOMPARE((QStringList{Text.Asked[0].Title, Text.Asked[0].Text,
                              Text.Asked[0].Text.mid(0, Text.Asked[0].SelectLength)}),
                 (QStringList{"Rename Level", Open, Open.chopped(4)}));
        QCOMPARE(Changes(Before, Snapshot(Dir.Levels())), Changed);
        QCOMPARE(ShownTexts(Capture), Error.isEmpty() ? QStringList{} : QStringList{Error});
        QCOMPARE(E.Label->text(), "Level: data/levels/" + Editing);
        QCOMPARE(E.Selected(), Editing);
        QCOMPARE(E.Entries(), Entries);
        QCOMPARE(E.Field(), Field);
        QCOMPARE(E.Form.Level().Changed, 1);
    }

    // Deleting: asked first, No the default; the file goes to the trash or stays where it is.
    void deleteMovesToTheTrash_data()
    {
        QTest::addColumn<bool>("Edit");
        QTest::addColumn<int>("Answer");
        QTest::addColumn<QString>("Trash"); // how the trash is broken, if it is
        QTest::addColumn<QStringList>("Changed");
        QTest::addColumn<QString>("Error");
        const QString Stays = QStringLiteral("level2.txt cannot be moved to the trash: %1. It stays where it is.");
        QTest::newRow("yes") << false << int(TModalResult::Yes) << "" << QStringList{"-level2.txt"} << "";
        QTest::newRow("yes, with unsaved edits")
            << true << int(TModalResult::Yes) << "" << QStringList{"-level2.txt"} << "";
        QTest::newRow("no") << true << int(TModalResult::No) << "" << QStringList{} << "";
        QTest::newRow("the trash's files folder is a file")
            << false << int(TModalResult::Yes) << "files is a file" << QStringList{} << Stays.arg("Not a directory");
        QTest::newRow("no trash folder can be made") << false << int(TModalResult::Yes) << "no data folder"
                                                     << QStringList{} << Stays.arg("No trash folder can be made");
    }
    void deleteMovesToTheTrash()
    {
        QFETCH(bool, Edit);
        QFETCH(int, Answer);
        QFETCH(QString, Trash);
        QFETCH(QStringList, Changed);
        QFETCH(QString, Error);
        TGameDir Dir;
        AddNumbered(Dir, OneToThree);
        TMessageCapture Capture;
        TEditor E(Dir, "level2.txt");
        // The editor makes its recovery folder in the data folder as it starts: the data folder can only
        // be missing when it went while the editor ran.
        FTrash->Reset(Trash);
        if (Edit) {
            E.Click(E.BrickButton(9));
            E.ClickCell(5, 5);
        }
        const TFolder Before = Snapshot(Dir.Levels());
        Capture.Answers = {TModalResult(Answer)};
        E.Key("Ctrl+Del");
        const bool Gone = !Changed.isEmpty();
        QCOMPARE(Capture.Shown.value(0).Text, QStringLiteral("Delete level2.txt? It will be moved to the trash."));
        QCOMPARE(int(Capture.Shown.value(0).Kind), int(TMessageKind::YesNoQuestion));
        QCOMPARE(ShownTexts(Capture).mid(1), Error.isEmpty() ? QStringList{} : QStringList{Error});
        QCOMPARE(Changes(Before, Snapshot(Dir.Levels())), Changed);
        QCOMPARE(Listing(Dir.Path()), (QStringList{"data", "editor"}));
        if (Gone)
            QCOMPARE(QString::fromStdString(ReadBytes(FTrash->Files() / "level2.txt")),
                     QString::fromStdString(Before.at("level2.txt")));
        QCOMPARE(E.Label->text(),
                 Gone ? QStringLiteral("Level: New one") : QStringLiteral("Level: data/levels/level2.txt"));
        QCOMPARE(E.Selected(), Gone ? QStringLiteral("<none>") : QStringLiteral("level2.txt"));
        QCOMPARE(E.Entries().contains("level2.txt"), !Gone);
        QCOMPARE(E.Form.Level().Changed, !Gone && Edit ? 1 : 0);
    }

    // Del deletes from the list only; the grid's Del is the grid's.
    void delKeyAsksOnlyFromTheList()
    {
        TGameDir Dir;
        TMessageCapture Capture;
        TEditor E(Dir, "beta.txt");
        E.Key("Del");
        QCOMPARE(ShownTexts(Capture), QStringList{});
        E.List->setFocus();
        E.Key("Del");
        QCOMPARE(ShownTexts(Capture), QStringList{"Delete beta.txt? It will be moved to the trash."});
        QVERIFY(fs::exists(Dir.Levels() / "beta.txt"));
    }

    // A new level has no file: the commands on files are off, its text can be set.
    void newLevelOffersOnlyItsText()
    {
        TGameDir Dir;
        TMessageCapture Capture;
        TTextCapture Text;
        TEditor E(Dir);
        const TFolder Before = Snapshot(Dir.Levels());
        QStringList Enabled;
        for (const char* Name : {"menMoveLevelUp", "menMoveLevelDown", "menDuplicateLevel", "menRenameLevel",
                                 "menDeleteLevel", "menLevelText"})
            if (E.Action(Name)->isEnabled())
                Enabled << Name;
        QCOMPARE(Enabled, QStringList{"menLevelText"});
        for (const char* Key : {"Ctrl+Shift+Up", "Ctrl+Shift+Down", "Ctrl+D", "F2", "Ctrl+Del"})
            E.Key(Key);
        QCOMPARE(ShownTexts(Capture), QStringList{});
        QCOMPARE(Text.Asked.size(), 0);
        QCOMPARE(Changes(Before, Snapshot(Dir.Levels())), QStringList{});
        E.ClickEntry("alpha.txt");
        QVERIFY(E.Action("menDeleteLevel")->isEnabled());
    }

    // The level's text: one undo step that marks the level changed, written by Save.
    void levelTextIsOneStep_data()
    {
        QTest::addColumn<QString>("Open");
        QTest::addColumn<QString>("Typed"); // "<cancel>" for Cancel
        QTest::addColumn<QString>("Trailer");
        QTest::addColumn<int>("Steps");
        QTest::addColumn<QString>("Saved"); // the file after its ten rows, once saved
        QTest::newRow("edited") << "gamma.txt"
                                << "Welcome, player"
                                << "Welcome, player" << 1 << ":\r\nWelcome, player\r\n";
        QTest::newRow("removed") << "gamma.txt"
                                 << ""
                                 << "" << 1 << "";
        QTest::newRow("added") << "alpha.txt"
                               << "<hi> & bye"
                               << "<hi> & bye" << 1 << ":\r\n<hi> & bye\r\n";
        QTest::newRow("line breaks become blanks") << "alpha.txt"
                                                   << "one\ntwo"
                                                   << "one two" << 1 << ":\r\none two\r\n";
        QTest::newRow("unchanged") << "gamma.txt"
                                   << "keep me"
                                   << "keep me" << 0 << "";
        QTest::newRow("cancelled") << "gamma.txt"
                                   << "<cancel>"
                                   << "keep me" << 0 << "";
    }
    void levelTextIsOneStep()
    {
        QFETCH(QString, Open);
        QFETCH(QString, Typed);
        QFETCH(QString, Trailer);
        QFETCH(int, Steps);
        QFETCH(QString, Saved);
        TGameDir Dir;
        TMessageCapture Capture;
        TTextCapture Text;
        TEditor E(Dir, Open);
        const std::string Before = E.Form.Level().TrailerText;
        if (Typed != "<cancel>")
            Text.Answers = {Typed};
        E.Key("Ctrl+T");
        QCOMPARE(Text.Asked.value(0).Text, QString::fromStdString(Before));
        QCOMPARE(QString::fromStdString(E.Form.Level().TrailerText), Trailer);
        QCOMPARE(E.Form.History().count(), Steps);
        QCOMPARE(E.Form.Level().Changed, Steps > 0 ? 1 : 0);
        if (Steps == 0)
            return;
        QCOMPARE(E.Action("menUndo")->text(), QStringLiteral("Undo Level Text"));
        E.Key("Ctrl+Z");
        QCOMPARE(E.Form.Level().TrailerText, Before);
        // Back to the level as opened: nothing left to save.
        QCOMPARE(E.Form.Level().Changed, 0);
        E.Key("Ctrl+Shift+Z");
        E.Key("Ctrl+S");
        const std::string File = ReadBytes(Dir.Levels() / Open.toStdString());
        QCOMPARE(QString::fromStdString(File.substr(10 * 42)), Saved);
        QCOMPARE(ShownTexts(Capture), QStringList{});
    }

    // The list follows the folder, keeping the open level and its selection.
    void listFollowsTheFolder_data()
    {
        QTest::addColumn<bool>("Edit");
        QTest::addColumn<QString>("Change");
        QTest::addColumn<QStringList>("Entries");
        QTest::addColumn<bool>("ReadAgain"); // the editor shows what the open file holds now
        QTest::newRow("levels appear") << false << "add"
                                       << (Samples + OneToThree + QStringList{"level9.txt", "level10.txt"}) << false;
        QTest::newRow("a level vanishes")
            << false << "remove level1" << (Samples + QStringList{"level2.txt", "level3.txt"}) << false;
        QTest::newRow("the open level vanishes") << false << "remove level2" << (Samples + OneToThree) << false;
        QTest::newRow("the open level is written over") << false << "write" << (Samples + OneToThree) << true;
        QTest::newRow("the open level is replaced") << false << "replace" << (Samples + OneToThree) << true;
        QTest::newRow("unsaved edits are left alone") << true << "write" << (Samples + OneToThree) << false;
    }
    void listFollowsTheFolder()
    {
        QFETCH(bool, Edit);
        QFETCH(QString, Change);
        QFETCH(QStringList, Entries);
        QFETCH(bool, ReadAgain);
        TGameDir Dir;
        AddNumbered(Dir, OneToThree);
        TMessageCapture Capture;
        TEditor E(Dir, "level2.txt");
        if (Edit) {
            E.Click(E.BrickButton(9));
            E.ClickCell(5, 5);
        }
        const QString Field = E.Field();
        const std::string Theirs = NumberedLevel(7);
        if (Change == "add") {
            AddNumbered(Dir, {"level10.txt", "level9.txt"});
        } else if (Change.startsWith("remove")) {
            fs::remove(Dir.Levels() / (Change.mid(7) + ".txt").toStdString());
        } else if (Change == "write") {
            std::ofstream(Dir.Levels() / "level2.txt", std::ios::binary | std::ios::in) << Theirs;
        } else {
            WriteBytes(Dir.Levels() / "other.tmp", Theirs);
            fs::rename(Dir.Levels() / "other.tmp", Dir.Levels() / "level2.txt");
        }
        if (ReadAgain)
            QTRY_COMPARE(E.Field(), QString::fromStdString(Theirs));
        // A level added last settles the list after the change before it has been seen.
        AddNumbered(Dir, {"level11.txt"});
        QTRY_COMPARE(E.Entries(), Entries + QStringList{"level11.txt"});
        QCOMPARE(E.Selected(), QStringLiteral("level2.txt"));
        QCOMPARE(E.Label->text(), QStringLiteral("Level: data/levels/level2.txt"));
        QCOMPARE(E.Field(), ReadAgain ? QString::fromStdString(Theirs) : Field);
        QCOMPARE(E.Form.Level().Changed, Edit ? 1 : 0);
        QCOMPARE(ShownTexts(Capture), QStringList{});
    }

    // The tool tip: the field drawn by the field painter, the level's text under it.
    void toolTipShowsTheFieldAndTheText_data()
    {
        QTest::addColumn<QString>("Entry");
        QTest::addColumn<QString>("Text");
        QTest::newRow("a level without text") << "alpha.txt"
                                              << "";
        QTest::newRow("a level with text") << "gamma.txt"
                                           << "<p style=\"white-space:pre\">keep me</p>";
        QTest::newRow("text that looks like markup") << "delta.txt"
                                                     << "<p style=\"white-space:pre\">&lt;b&gt; &amp;</p>";
    }
    void toolTipShowsTheFieldAndTheText()
    {
        QFETCH(QString, Entry);
        QFETCH(QString, Text);
        TGameDir Dir;
        WriteBytes(Dir.Levels() / "delta.txt", Row("9W1") + EmptyRows(9) + ":\r\n<b> &\r\n");
        TEditor E(Dir);
        QListWidgetItem* Item = E.List->FindCaption(Entry);
        const QPoint At = E.List->visualItemRect(Item).center();
        QHelpEvent Hover(QEvent::ToolTip, At, E.List->viewport()->mapToGlobal(At));
        QApplication::sendEvent(E.List->viewport(), &Hover);
        QTRY_VERIFY(QToolTip::isVisible());
        const QString Shown = QToolTip::text();
        TLevelData Level;
        LoadLevel((Dir.Levels() / Entry.toStdString()).string(), Level);
        const QImage Expected = RenderLevel(Level, LoadFieldPictures("editor/images"));
        QCOMPARE(DecodedPicture(Shown).convertToFormat(Expected.format()), Expected);
        QCOMPARE(Shown.mid(Shown.indexOf("\"/>") + 3), Text + "</qt>");
        QToolTip::hideText();
    }

    // The list names the level in the editor, none for a new one, and stands in the campaign's order.
    void listNamesTheEditedLevel()
    {
        TGameDir Dir;
        AddNumbered(Dir, {"level10.txt", "Level2.txt", "level1.txt"});
        TMessageCapture Capture;
        TEditor E(Dir, "Level2.txt");
        QCOMPARE(E.Entries(), (Samples + QStringList{"level1.txt", "Level2.txt", "level10.txt"}));
        E.Click(E.Button("btnNewLevel"));
        QCOMPARE(E.Selected(), QStringLiteral("<none>"));
        E.ClickEntry("Level2.txt");
        QCOMPARE(E.Label->text(), QStringLiteral("Level: data/levels/Level2.txt"));
        QCOMPARE(E.Selected(), QStringLiteral("Level2.txt"));
        E.Click(E.Button("btnNewLevel"));
        E.Click(E.BrickButton(1));
        E.ClickCell(0, 0);
        E.Click(E.Button("btnSaveLevel"));
        QCOMPARE(E.Entries(), (Samples + QStringList{"level1.txt", "Level2.txt", "level10.txt", "level11.txt"}));
        QCOMPARE(E.Selected(), QStringLiteral("level11.txt"));
        QCOMPARE(ShownTexts(Capture), QStringList{});
    }

    // An exchange cut short is settled when the editor starts, and before a move.
    void interruptedExchangeIsSettled()
    {
        TGameDir Dir;
        AddNumbered(Dir, OneToThree);
        const TFolder Before = Snapshot(Dir.Levels());
        CrashedExchange(Dir.Levels(), "level1.txt", "level2.txt");
        QVERIFY(!fs::exists(Dir.Levels() / "level1.txt"));
        TMessageCapture Capture;
        TEditor E(Dir, "level3.txt");
        QCOMPARE(Changes(Before, Snapshot(Dir.Levels())), QStringList{});
        QCOMPARE(E.Entries(), Samples + OneToThree);
        CrashedExchange(Dir.Levels(), "level1.txt", "level2.txt");
        E.Key("Ctrl+Shift+Up");
        QCOMPARE(Changes(Before, Snapshot(Dir.Levels())),
                 (QStringList{"level2.txt<-level3.txt", "level3.txt<-level2.txt"}));
        QCOMPARE(E.Selected(), QStringLiteral("level2.txt"));
        QCOMPARE(ShownTexts(Capture), QStringList{});
    }

    // Another writer holds the folder's lock: each command waits for it, then says so and changes nothing.
    void commandsWaitForAnotherWriter_data()
    {
        QTest::addColumn<QString>("Key");
        QTest::newRow("move") << "Ctrl+Shift+Down";
        QTest::newRow("duplicate") << "Ctrl+D";
        QTest::newRow("rename") << "F2";
        QTest::newRow("delete") << "Ctrl+Del";
    }
    void commandsWaitForAnotherWriter()
    {
        QFETCH(QString, Key);
        TGameDir Dir;
        AddNumbered(Dir, OneToThree);
        TMessageCapture Capture;
        Capture.Answers = {TModalResult::Yes};
        TTextCapture Text;
        Text.Answers = {QStringLiteral("renamed.txt")};
        TEditor E(Dir, "level2.txt");
        const TFolder Before = Snapshot(Dir.Levels());
        const TFolderLockTimeout Briefly(50);
        const TFolderLock Other(Dir.Levels().string());
        E.Key(Key);
        QCOMPARE(Changes(Before, Snapshot(Dir.Levels())), QStringList{});
        QCOMPARE(E.Selected(), QStringLiteral("level2.txt"));
        QCOMPARE(Capture.Count(TMessageKind::Error), 1);
        QVERIFY2(Capture.Shown.last().Text.contains("Another program is writing in the level folder"),
                 qPrintable(Capture.Shown.last().Text));
    }

private:
    static QStringList Listing(const fs::path& Folder)
    {
        QStringList Names;
        for (const auto& Entry : fs::directory_iterator(Folder))
            Names << QString::fromStdString(Entry.path().filename().string());
        Names.sort();
        return Names;
    }
};

QTEST_MAIN(TestLevelSetWindow)
#include "tst_levelset_window.moc"
