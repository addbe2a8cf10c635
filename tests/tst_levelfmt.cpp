// zolvane-level fmt refuses what is no level: a table of prose, UTF-16, binary and damaged levels around
// the threshold (first ten lines: 40 characters or more, under 60 % of them level characters), each with
// what fmt says and what the file holds afterwards; --force; and check's word for such a file.

#include "levelcli.h"
#include "levelfile.h"
#include "levelfiletools.h"

#include <QTemporaryDir>
#include <QTest>

#include <sstream>

using namespace LevelFileTools;

namespace {

const QString Refused = "f.txt: error: does not look like a level file; left as it is (--force rewrites it)";

QByteArray Utf16(const QByteArray& Ascii)
{
    QByteArray Wide = "\xFF\xFE";
    for (char Ch : Ascii)
        Wide += QByteArray(1, Ch) + '\0';
    return Wide;
}

QByteArray Canonical(const QByteArray& Bytes)
{
    TLevelData Level;
    ParseLevelText(View(Bytes), Level);
    return QByteArray::fromStdString(FormatLevel(Level));
}

QList<QByteArray> Replaced(QList<QByteArray> Rows, int Every, char Ch)
{
    for (QByteArray& Row : Rows)
        for (int At = 0; At < Row.size(); At += Every)
            Row[At] = Ch;
    return Rows;
}

} // namespace

class TestLevelFmt : public QObject {
    Q_OBJECT

private slots:
    void fmtRefusesWhatIsNoLevel_data()
    {
        QTest::addColumn<QByteArray>("Bytes");
        QTest::addColumn<QStringList>("Options");
        QTest::addColumn<QString>("Said"); // status, then out and err lines
        QTest::addColumn<bool>("Rewritten"); // else untouched
        const QByteArray Prose = "# Zolvane\n\nA level editor for a brick game. Build it with cmake and run it.\n";
        const QList<QByteArray> Rows = BrickRows();
        QByteArray Binary;
        for (int Byte = 0; Byte < 420; ++Byte)
            Binary += static_cast<char>((Byte * 37) % 256);
        const QString Said0 = "0 | f.txt: reformatted | ";
        const QString Said2 = "2 |  | " + Refused;

        QTest::newRow("prose") << Prose << QStringList{} << Said2 << false;
        QTest::newRow("UTF-16 level") << Utf16(Joined(Rows)) << QStringList{} << Said2 << false;
        QTest::newRow("binary") << Binary << QStringList{} << Said2 << false;
        QTest::newRow("binary with a Ctrl-Z early") << "\x01\x1A" + Binary << QStringList{} << Said2 << false;
        QTest::newRow("prose with --check") << Prose << QStringList{"--check"} << Said2 << false;
        QTest::newRow("prose with --force") << Prose << QStringList{"--force"} << Said0 << true;
        QTest::newRow("39 characters of prose") << QByteArray(39, 'a') << QStringList{} << Said0 << true;
        QTest::newRow("60 % level characters")
            << QByteArray(60, '.') + QByteArray(40, 'a') << QStringList{} << Said0 << true;
        QTest::newRow("59 % level characters")
            << QByteArray(59, '.') + QByteArray(41, 'a') << QStringList{} << Said2 << false;
        QTest::newRow("prose after the tenth line")
            << Joined(Rows) + Prose + Prose + Prose << QStringList{} << Said0 << true;
        QTest::newRow("LF line ends") << Joined(Rows, "\n") << QStringList{} << Said0 << true;
        QTest::newRow("short rows and a Ctrl-Z")
            << Joined(Replaced(Rows, 40, '.')).replace("5", "") + "\x1A" << QStringList{} << Said0 << true;
        QTest::newRow("every third character unknown")
            << Joined(Replaced(Rows, 3, 'x')) << QStringList{} << Said0 << true;
        QTest::newRow("five rows and a prose trailer")
            << Joined(Rows.mid(0, 5)) + ":\r\nThe castle on the hill, built by a patient designer.\r\n"
            << QStringList{} << Said0 << true;
    }

    void fmtRefusesWhatIsNoLevel()
    {
        QFETCH(QByteArray, Bytes);
        QFETCH(QStringList, Options);
        QFETCH(QString, Said);
        QFETCH(bool, Rewritten);
        QTemporaryDir Dir;
        const QString File = Dir.filePath("f.txt");
        QVERIFY(WriteBytes(File, Bytes));
        std::vector<std::string> Args{"fmt"};
        for (const QString& Option : Options)
            Args.push_back(Option.toStdString());
        Args.push_back(Path(File));
        std::ostringstream Out, Err;
        const int Status = RunLevelTool(Args, "", Out, Err);
        const QString Shown =
            QString("%1 | %2 | %3")
                .arg(Status)
                .arg(QString::fromStdString(Out.str()).trimmed(), QString::fromStdString(Err.str()).trimmed())
                .replace(Dir.path() + "/", "");
        QCOMPARE(Shown, Said);
        QCOMPARE(ReadBytes(File), Rewritten ? Canonical(Bytes) : Bytes);
    }

    void checkSaysWhatIsNoLevel()
    {
        QTemporaryDir Dir;
        QVERIFY(WriteBytes(Dir.filePath("f.txt"), "A README that someone named f.txt, of ordinary prose.\n"));
        QVERIFY(WriteBytes(Dir.filePath("g.txt"), Joined(BrickRows())));
        std::ostringstream Out, Err;
        const int Status = CheckLevels({Path(Dir.filePath("f.txt")), Path(Dir.filePath("g.txt"))}, Out, Err);
        QCOMPARE(QString::fromStdString(std::to_string(Status) + " | " + Out.str() + " | " + Err.str())
                     .replace(Dir.path() + "/", ""),
                 QString("1 | f.txt: warning: does not look like a level file\n | "));
    }
};

QTEST_GUILESS_MAIN(TestLevelFmt)
#include "tst_levelfmt.moc"
