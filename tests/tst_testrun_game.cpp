// "Test Level" against the real stand-in game on a real X server: the editor writes the level under test
// and the game opens its window on it.
#include "datahome.h"
#include "levellistview.h"
#include "main.h"
#include "messagecapture.h"

#include <QToolButton>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

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
        const fs::path OldDir = fs::current_path();
        fs::current_path(Game);

        // The game inherits our standard output; it says there when its window is up.
        const fs::path Said = Game / "game-output.txt";
        qputenv("ZOLVANE_GAME_AUTOQUIT_MS", "2000");
        qputenv("ZOLVANE_GAME_NO_DIALOGS", "1");
        std::fflush(stdout);
        const int SavedOut = dup(STDOUT_FILENO);
        const int Out = open(Said.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(SavedOut >= 0 && Out >= 0);
        dup2(Out, STDOUT_FILENO);
        close(Out);

        TMessageCapture Capture;
        TDataHome Home;
        {
            TMainForm Form(Dir.path());
            Form.show();
            auto* List = Form.findChild<TLevelListView*>("lvLevels");
            List->setCurrentRow(0);
            QCOMPARE(Form.Level().FileName, std::string("data/levels/level1.txt"));
            QTest::mouseClick(Form.findChild<QToolButton*>("btnExec"), Qt::LeftButton);
        }
        dup2(SavedOut, STDOUT_FILENO);
        close(SavedOut);
        QCOMPARE(Capture.Shown.size(), 0);

        std::ifstream Level(Game / "data/levels/level1.txt", std::ios::binary), Test(Game / "data/levels/test.lvl", std::ios::binary);
        std::stringstream LevelBytes, TestBytes;
        LevelBytes << Level.rdbuf();
        TestBytes << Test.rdbuf();
        QCOMPARE(QString::fromStdString(TestBytes.str()), QString::fromStdString(LevelBytes.str()));

        auto Output = [&] {
            std::ifstream In(Said);
            std::stringstream Text;
            Text << In.rdbuf();
            return QString::fromStdString(Text.str());
        };
        QTRY_VERIFY_WITH_TIMEOUT(Output().contains("window shown: Zolvane - test.lvl"), 60000);
        fs::current_path(OldDir);
    }
};

QTEST_MAIN(TestTestRunGame)
#include "tst_testrun_game.moc"
