// "Test Level" against the real stand-in game on a real X server: the editor writes the level under test
// and the game opens its window on it.
#include "editorharness.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace {

// Sends this process's standard output, and so that of the processes it starts, to File while it lives.
class TStandardOutputTo {
public:
    explicit TStandardOutputTo(const fs::path& File)
    {
        std::fflush(stdout);
        FSaved = dup(STDOUT_FILENO);
        const int Out = open(File.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        FRedirected = FSaved >= 0 && Out >= 0 && dup2(Out, STDOUT_FILENO) >= 0;
        if (Out >= 0)
            close(Out);
    }
    ~TStandardOutputTo()
    {
        std::fflush(stdout);
        if (FSaved >= 0) {
            dup2(FSaved, STDOUT_FILENO);
            close(FSaved);
        }
    }
    TStandardOutputTo(const TStandardOutputTo&) = delete;
    TStandardOutputTo& operator=(const TStandardOutputTo&) = delete;

    bool Redirected() const { return FRedirected; }

private:
    int FSaved = -1;
    bool FRedirected = false;
};

} // namespace

class TestTestRunGame : public QObject {
    Q_OBJECT
private slots:
    void testLevelOpensTheGameWindow()
    {
        // A game directory of links to the built game, pictures and one sample level.
        const fs::path Built = qEnvironmentVariable("ZOLVANE_GAME_DIR").toStdString();
        QTemporaryDir Dir;
        const fs::path Game = Dir.path().toStdString();
        fs::create_symlink(Built / "zolvane.exe", Game / "zolvane.exe");
        fs::create_directory_symlink(Built / "editor", Game / "editor");
        fs::create_directories(Game / "data/levels");
        fs::copy_file(Built / "data/levels/level1.txt", Game / "data/levels/level1.txt");
        const TCurrentDir InGame(Game);

        // The game inherits our standard output; it says there when its window is up.
        const fs::path Said = Game / "game-output.txt";
        qputenv("ZOLVANE_GAME_AUTOQUIT_MS", "2000");
        qputenv("ZOLVANE_GAME_NO_DIALOGS", "1");
        TMessageCapture Capture;
        TDataHome Home;
        {
            const TStandardOutputTo Output(Said);
            QVERIFY(Output.Redirected());
            TMainForm Form(Dir.path());
            Form.show();
            auto* List = Form.findChild<TLevelListView*>("lvLevels");
            List->setCurrentRow(0);
            QCOMPARE(Form.Level().FileName, std::string("data/levels/level1.txt"));
            QTest::mouseClick(Form.findChild<QToolButton*>("btnExec"), Qt::LeftButton);
        }
        QCOMPARE(Capture.Shown.size(), 0);
        QCOMPARE(QString::fromStdString(ReadBytes(Game / "data/levels/test.lvl")),
                 QString::fromStdString(ReadBytes(Game / "data/levels/level1.txt")));
        QTRY_VERIFY_WITH_TIMEOUT(QString::fromStdString(ReadBytes(Said)).contains("window shown: Zolvane - test.lvl"),
                                 60000);
    }
};

QTEST_MAIN(TestTestRunGame)
#include "tst_testrun_game.moc"
