#include "levelfolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

static QStringList toQt(const std::vector<std::string>& Names) {
    QStringList List;
    for (const std::string& Name : Names)
        List << QString::fromStdString(Name);
    return List;
}

class TestLevelFolder : public QObject {
    Q_OBJECT

private slots:
    void levelNumberOfReadsTheNumberInTheName_data() {
        QTest::addColumn<QString>("FileName");
        QTest::addColumn<int>("Number");
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
        QTest::newRow("only an extension") << ".txt" << 0;
        QTest::newRow("cut at first dot") << "level7.backup.txt" << 7;
        QTest::newRow("08 is decimal, not octal") << "level08.txt" << 8;
        QTest::newRow("plus sign") << "level+4.txt" << 4;
        QTest::newRow("two signs") << "level--4.txt" << 0;
        QTest::newRow("blanks then sign") << "level  -9.txt" << -9;
        QTest::newRow("blank after sign stops") << "level- 9.txt" << 0;
        QTest::newRow("0x hex") << "level0x1A.txt" << 26;
        QTest::newRow("0X hex") << "level0X1a.txt" << 26;
        QTest::newRow("negative hex") << "level-$10.txt" << -16;
        QTest::newRow("hex stops at non-hex") << "level$fg.txt" << 15;
        QTest::newRow("punctuation below 9 stops stripping") << "level#5.txt" << 0;
        QTest::newRow("byte above 127 is stripped") << "\xc3\xa9t\xc3\xa9" "8.txt" << 8;
        // reading stops before the digit that would leave the 32-bit range
        QTest::newRow("largest int") << "level2147483647.txt" << 2147483647;
        QTest::newRow("one above stops early") << "level2147483648.txt" << 214748364;
        QTest::newRow("smallest int") << "level-2147483648.txt" << -2147483647 - 1;
        QTest::newRow("one below stops early") << "level-2147483649.txt" << -214748364;
        QTest::newRow("hex beyond range stops early") << "level$80000000.txt" << 0x8000000;
    }
    void levelNumberOfReadsTheNumberInTheName() {
        QFETCH(QString, FileName);
        QFETCH(int, Number);
        QCOMPARE(LevelNumberOf(FileName.toLatin1().toStdString()), Number);
    }

    void nextLevelFileNameIsOneAboveTheLargest_data() {
        QTest::addColumn<QStringList>("Taken");
        QTest::addColumn<QString>("Expected");
        QTest::newRow("empty list") << QStringList{} << "level1.txt";
        QTest::newRow("largest is not last") << QStringList{"level9.txt", "level2.txt"} << "level10.txt";
        QTest::newRow("mixed names") << QStringList{"Level 5.txt", "lvl10b.txt", "level-3.txt", "readme.txt", "level$1F.txt"}
                                     << "level32.txt";
        QTest::newRow("largest number does not wrap") << QStringList{"level2147483647.txt"} << "level2147483648.txt";
        // LevelNumberOf reads level2147483648.txt as 214748364: the taken names themselves move the count on.
        QTest::newRow("taken names above the 32-bit range are passed")
            << QStringList{"level2147483648.txt", "level2147483647.txt", "level2147483649.txt"} << "level2147483650.txt";
        QTest::newRow("a gap above the 32-bit range is not filled")
            << QStringList{"level2147483647.txt", "level2147483649.txt"} << "level2147483648.txt";
        QTest::newRow("same number in another spelling is not the name") << QStringList{"level02.txt"} << "level3.txt";
    }
    void nextLevelFileNameIsOneAboveTheLargest() {
        QFETCH(QStringList, Taken);
        QFETCH(QString, Expected);
        std::vector<std::string> Names;
        for (const QString& Name : Taken)
            Names.push_back(Name.toStdString());
        QCOMPARE(QString::fromStdString(NextLevelFileName(Names, "/games/zolvane/")), "/games/zolvane/data/levels/" + Expected);
    }

    // Folders, hidden files and dangling links ending in .txt count too.
    void listingKeepsTxtEntriesInCaseFreeOrder() {
        QTemporaryDir Dir;
        for (const char* Name : {"level2.txt", "Level10.TXT", "level1.txt", ".hidden.txt", "b.Txt", "test.lvl", "notes.md",
                                 "level3.txt.bak", "txt", "A.txt", "level1.txt~", "LEVEL1.txt", "Level1.txt"})
            QVERIFY(QFile(Dir.filePath(Name)).open(QIODevice::WriteOnly));
        QVERIFY(QDir(Dir.path()).mkdir("x.txt"));
        QVERIFY(QDir(Dir.path()).mkdir("folder"));
        QVERIFY(QFile::link(Dir.filePath("nowhere"), Dir.filePath("dangling.txt")));
        QCOMPARE(toQt(ListLevelFolder(Dir.path().toStdString() + "/")),
                 (QStringList{".hidden.txt", "A.txt", "b.Txt", "dangling.txt", "LEVEL1.txt", "Level1.txt", "level1.txt",
                              "Level10.TXT", "level2.txt", "x.txt"}));
    }

    void listingMissingEmptyOrFileGivesEmptyList() {
        QTemporaryDir Dir;
        QCOMPARE(toQt(ListLevelFolder(Dir.path().toStdString())), QStringList{});
        QCOMPARE(toQt(ListLevelFolder(Dir.filePath("missing/levels/").toStdString())), QStringList{});
        QVERIFY(QFile(Dir.filePath("plain.txt")).open(QIODevice::WriteOnly));
        QCOMPARE(toQt(ListLevelFolder(Dir.filePath("plain.txt").toStdString())), QStringList{});
    }
};

QTEST_GUILESS_MAIN(TestLevelFolder)
#include "tst_levelfolder.moc"
