#include <QtTest>

#include "levelargument.h"

namespace {

const QString Usage = " Usage: zolvane.exe --level=NAME, where NAME is a file in data/levels/.";

} // namespace

class TestGameArguments : public QObject {
    Q_OBJECT

private slots:
    void onlyAPlainLevelNameIsAccepted_data();
    void onlyAPlainLevelNameIsAccepted();
    void levelLiesInTheLevelFolder();
};

void TestGameArguments::onlyAPlainLevelNameIsAccepted_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("levelName");
    QTest::addColumn<QString>("error");
    QTest::newRow("the editor's test run") << QStringList{"--level=test.lvl"} << "test.lvl" << "";
    QTest::newRow("a sample level") << QStringList{"--level=level12.txt"} << "level12.txt" << "";
    QTest::newRow("dots inside a name") << QStringList{"--level=my.level.txt"} << "my.level.txt" << "";
    QTest::newRow("spaces") << QStringList{"--level=my level.txt"} << "my level.txt" << "";
    QTest::newRow("nothing") << QStringList{} << "" << "No level given." + Usage;
    QTest::newRow("two arguments") << QStringList{"--level=a.txt", "--level=b.txt"} << ""
                                   << "Expected one argument, got 2." + Usage;
    QTest::newRow("no option") << QStringList{"test.lvl"} << "" << "Unknown argument \"test.lvl\"." + Usage;
    QTest::newRow("misspelt") << QStringList{"--levle=test.lvl"} << ""
                              << "Unknown argument \"--levle=test.lvl\"." + Usage;
    QTest::newRow("upper case") << QStringList{"--LEVEL=test.lvl"} << ""
                                << "Unknown argument \"--LEVEL=test.lvl\"." + Usage;
    QTest::newRow("no equals sign") << QStringList{"--level"} << "" << "Unknown argument \"--level\"." + Usage;
    QTest::newRow("empty name") << QStringList{"--level="} << "" << "The level name is empty." + Usage;
    const QString Plain = "\" must be a plain file name, without a folder.";
    QTest::newRow("parent folder") << QStringList{"--level=../secret.txt"} << ""
                                   << "The level name \"../secret.txt" + Plain + Usage;
    QTest::newRow("just the parent") << QStringList{"--level=.."} << "" << "The level name \".." + Plain + Usage;
    QTest::newRow("just this folder") << QStringList{"--level=."} << "" << "The level name \"." + Plain + Usage;
    QTest::newRow("subfolder") << QStringList{"--level=sub/a.txt"} << ""
                               << "The level name \"sub/a.txt" + Plain + Usage;
    QTest::newRow("absolute") << QStringList{"--level=/etc/passwd"} << ""
                              << "The level name \"/etc/passwd" + Plain + Usage;
    QTest::newRow("backslash") << QStringList{"--level=..\\a.txt"} << ""
                               << "The level name \"..\\a.txt" + Plain + Usage;
    QTest::newRow("drive") << QStringList{"--level=C:a.txt"} << "" << "The level name \"C:a.txt" + Plain + Usage;
}

void TestGameArguments::onlyAPlainLevelNameIsAccepted()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, levelName);
    QFETCH(QString, error);
    std::vector<std::string> Arguments;
    for (const QString& Argument : arguments)
        Arguments.push_back(Argument.toStdString());
    const TLevelArgument Parsed = ParseLevelArgument(Arguments);
    QCOMPARE(QString::fromStdString(Parsed.Error), error);
    QCOMPARE(QString::fromStdString(Parsed.LevelName), levelName);
    QCOMPARE(Parsed.Ok(), error.isEmpty());
}

void TestGameArguments::levelLiesInTheLevelFolder()
{
    QCOMPARE(LevelPath("test.lvl"), std::string("data/levels/test.lvl"));
}

QTEST_APPLESS_MAIN(TestGameArguments)
#include "tst_game_arguments.moc"
