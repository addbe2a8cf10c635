#include "levelfolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>

namespace {

QStringList toQt(const std::vector<std::string>& Names) {
    QStringList List;
    for (const std::string& Name : Names)
        List << QString::fromStdString(Name);
    return List;
}

std::vector<std::string> toStd(const QStringList& Names) {
    std::vector<std::string> List;
    for (const QString& Name : Names)
        List.push_back(Name.toStdString());
    return List;
}

} // namespace

class TestLevelFolder : public QObject {
    Q_OBJECT

private slots:
    void levelNumberOfReadsTheNumberInTheName_data() {
        QTest::addColumn<QString>("FileName");
        QTest::addColumn<int>("Number");
        // the editor's own cases
        QTest::newRow("level12.txt") << "level12.txt" << 12;
        QTest::newRow("level3") << "level3" << 3;
        QTest::newRow("level.txt") << "level.txt" << 0;
        QTest::newRow("12.txt") << "12.txt" << 12;
        QTest::newRow("blank before number") << "Level 5.txt" << 5;
        QTest::newRow("blank stops stripping") << "my level 2.txt" << 0;
        QTest::newRow("letters after digits") << "lvl10b.txt" << 10;
        QTest::newRow("minus sign") << "level-3.txt" << -3;
        QTest::newRow("underscore is stripped") << "level_1.txt" << 1;
        QTest::newRow("dollar hex") << "level$1F.txt" << 31;
        // the conversion's corners
        QTest::newRow("empty name") << "" << 0;
        QTest::newRow("only an extension") << ".txt" << 0;
        QTest::newRow("cut at first dot") << "level7.backup.txt" << 7;
        QTest::newRow("leading zeros are decimal") << "level007.txt" << 7;
        QTest::newRow("08 is decimal, not octal") << "level08.txt" << 8;
        QTest::newRow("plus sign") << "level+4.txt" << 4;
        QTest::newRow("sign alone") << "level-.txt" << 0;
        QTest::newRow("two signs") << "level--4.txt" << 0;
        QTest::newRow("blanks then sign") << "level  -9.txt" << -9;
        QTest::newRow("blank after sign stops") << "level- 9.txt" << 0;
        QTest::newRow("0x hex") << "level0x1a.txt" << 26;
        QTest::newRow("0X hex") << "level0X1A.txt" << 26;
        QTest::newRow("0x without digits") << "level0x.txt" << 0;
        QTest::newRow("0 then letter") << "level0z.txt" << 0;
        QTest::newRow("negative hex") << "level-$10.txt" << -16;
        QTest::newRow("hex stops at non-hex") << "level$fg.txt" << 15;
        QTest::newRow("dollar alone") << "level$.txt" << 0;
        QTest::newRow("leading x never survives stripping") << "x10.txt" << 10;
        QTest::newRow("stripping stops at blank, Val skips it") << "a 5" << 5;
        QTest::newRow("punctuation below 9 stops") << "level#5.txt" << 0;
        QTest::newRow("byte above 127 is stripped") << "\xc3\xa9t\xc3\xa9" "8.txt" << 8;
        // overflow: reading stops before the digit that would leave the 32-bit range
        QTest::newRow("largest int") << "level2147483647.txt" << 2147483647;
        QTest::newRow("one above stops early") << "level2147483648.txt" << 214748364;
        QTest::newRow("smallest int") << "level-2147483648.txt" << -2147483647 - 1;
        QTest::newRow("one below stops early") << "level-2147483649.txt" << -214748364;
        QTest::newRow("huge decimal") << "level99999999999999999999.txt" << 999999999;
        QTest::newRow("largest hex") << "level$7FFFFFFF.txt" << 2147483647;
        QTest::newRow("hex beyond range stops early") << "level$80000000.txt" << 0x8000000;
        QTest::newRow("negative hex at the limit") << "level-$80000000.txt" << -2147483647 - 1;
    }
    void levelNumberOfReadsTheNumberInTheName() {
        QFETCH(QString, FileName);
        QFETCH(int, Number);
        QCOMPARE(LevelNumberOf(FileName.toLatin1().toStdString()), Number);
    }

    void nextLevelFileNameIsOneAboveTheLargest_data() {
        QTest::addColumn<QStringList>("Captions");
        QTest::addColumn<QString>("Expected");
        QTest::newRow("empty list") << QStringList{} << "level1.txt";
        QTest::newRow("2 and 9") << QStringList{"level2.txt", "level9.txt"} << "level10.txt";
        QTest::newRow("order does not matter") << QStringList{"level9.txt", "level2.txt"} << "level10.txt";
        QTest::newRow("no digits") << QStringList{"intro.txt"} << "level1.txt";
        QTest::newRow("two fours") << QStringList{"level4.txt", "level4.txt"} << "level5.txt";
        QTest::newRow("mixed names") << QStringList{"Level 5.txt", "lvl10b.txt", "level-3.txt", "readme.txt", "level$1F.txt"}
                                     << "level32.txt";
        QTest::newRow("negative only") << QStringList{"level-7.txt"} << "level1.txt";
        QTest::newRow("zero only") << QStringList{"level0.txt"} << "level1.txt";
        QTest::newRow("largest number does not wrap") << QStringList{"level1.txt", "level2147483647.txt"}
                                                      << "level2147483648.txt";
        QTest::newRow("large hex") << QStringList{"level$7FFFFFFF.txt"} << "level2147483648.txt";
    }
    void nextLevelFileNameIsOneAboveTheLargest() {
        QFETCH(QStringList, Captions);
        QFETCH(QString, Expected);
        const std::string Path = NextLevelFileName(toStd(Captions), "/games/zolvane/");
        QCOMPARE(QString::fromStdString(Path), "/games/zolvane/data/levels/" + Expected);
    }

    void nextLevelFileNameIsNeverListed() {
        std::vector<std::string> Captions = {"level1.txt"};
        for (int I = 0; I < 5; ++I) {
            const std::filesystem::path Next(NextLevelFileName(Captions, "/x/"));
            const std::string Name = Next.filename().string();
            QVERIFY2(std::find(Captions.begin(), Captions.end(), Name) == Captions.end(), Name.c_str());
            Captions.push_back(Name);
        }
        QCOMPARE(toQt(Captions), (QStringList{"level1.txt", "level2.txt", "level3.txt", "level4.txt", "level5.txt",
                                              "level6.txt"}));
    }

    void listingKeepsTxtEntriesOfEveryKindInCaseFreeOrder() {
        QTemporaryDir Dir;
        QVERIFY(Dir.isValid());
        for (const char* Name : {"level2.txt", "Level10.TXT", "level1.txt", ".hidden.txt", "b.Txt", "test.lvl",
                                 "notes.md", "level3.txt.bak", "txt", "A.txt", "level1.txt~"}) {
            QFile File(Dir.filePath(Name));
            QVERIFY(File.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir(Dir.path()).mkdir("x.txt"));
        QVERIFY(QDir(Dir.path()).mkdir("folder"));
        QVERIFY(QFile::link(Dir.filePath("nowhere"), Dir.filePath("dangling.txt")));
        const QStringList Listed = toQt(ListLevelFolder(Dir.path().toStdString() + "/"));
        QCOMPARE(Listed, (QStringList{".hidden.txt", "A.txt", "b.Txt", "dangling.txt", "level1.txt", "Level10.TXT",
                                      "level2.txt", "x.txt"}));
    }

    void listingOrdersNamesDifferingOnlyInCaseByByte() {
        QTemporaryDir Dir;
        QVERIFY(Dir.isValid());
        for (const char* Name : {"level1.txt", "LEVEL1.txt", "Level1.txt"}) {
            QFile File(Dir.filePath(Name));
            QVERIFY(File.open(QIODevice::WriteOnly));
        }
        QCOMPARE(toQt(ListLevelFolder(Dir.path().toStdString())), (QStringList{"LEVEL1.txt", "Level1.txt", "level1.txt"}));
    }

    void listingMissingOrEmptyFolderGivesEmptyList() {
        QTemporaryDir Dir;
        QVERIFY(Dir.isValid());
        QCOMPARE(toQt(ListLevelFolder(Dir.path().toStdString())), QStringList{});
        QCOMPARE(toQt(ListLevelFolder(Dir.filePath("missing/levels/").toStdString())), QStringList{});
        QFile File(Dir.filePath("plain.txt"));
        QVERIFY(File.open(QIODevice::WriteOnly));
        File.close();
        QCOMPARE(toQt(ListLevelFolder(Dir.filePath("plain.txt").toStdString())), QStringList{});
    }

    void listingRelativeFolderUsesCurrentDirectory() {
        QTemporaryDir Dir;
        QVERIFY(Dir.isValid());
        QVERIFY(QDir(Dir.path()).mkpath("data/levels"));
        QFile File(Dir.filePath("data/levels/level1.txt"));
        QVERIFY(File.open(QIODevice::WriteOnly));
        File.close();
        const QString Old = QDir::currentPath();
        QVERIFY(QDir::setCurrent(Dir.path()));
        const QStringList Listed = toQt(ListLevelFolder("data/levels/"));
        QDir::setCurrent(Old);
        QCOMPARE(Listed, QStringList{"level1.txt"});
    }
};

QTEST_GUILESS_MAIN(TestLevelFolder)
#include "tst_levelfolder.moc"
