// The notes on what a level file did not say: a table of damaged files with their whole note lists, the
// status line's summary, and a randomised check that the notes read bytes exactly as the level reader does.

#include "elementkinds.h"
#include "filenotes.h"
#include "levelfile.h"
#include "levelfiletools.h"

#include <QTest>

#include <random>

using namespace LevelFileTools;

namespace {

// In the order of TFileNoteKind.
const char* const KindNames[] = {"UnknownCharacter", "PowerUpOnEmptyCell", "ShortRow", "LongRow", "MissingRows",
                                 "LfLineEnd", "LoneCr", "MissingLineEnd", "CtrlZCutsLine", "CtrlZEndsFile",
                                 "IgnoredLine", "EmptyTrailer", "IgnoredAfterTrailer"};
static_assert(std::size(KindNames) == static_cast<std::size_t>(TFileNoteKind::IgnoredAfterTrailer) + 1);

// "line:column Kind" for each note, or with its text too.
QStringList Listed(const std::vector<TFileNote>& Notes, bool WithText = false)
{
    QStringList Lines;
    for (const TFileNote& Note : Notes)
        Lines << QString("%1:%2 %3").arg(Note.Line).arg(Note.Column).arg(KindNames[static_cast<int>(Note.Kind)])
                + (WithText ? " " + QString::fromStdString(Note.Text) : QString());
    return Lines;
}

QList<QByteArray> With(QList<QByteArray> Rows, int Row, const QByteArray& Text)
{
    Rows[Row] = Text;
    return Rows;
}

QByteArray Printed(const TLevelData& Level)
{
    char* Text = toString(Level);
    const QByteArray Copy(Text);
    delete[] Text;
    return Copy;
}

QByteArray Patched(QByteArray Row, int At, char Ch)
{
    Row[At] = Ch;
    return Row;
}

} // namespace

class TestFileNotes : public QObject {
    Q_OBJECT

private slots:
    // Damage that notesSayWhatHappened already places (long rows, Ctrl-Z cuts, ignored lines, ...) is not
    // repeated here.
    void notesOfDamagedFiles_data()
    {
        QTest::addColumn<QByteArray>("Bytes");
        QTest::addColumn<QStringList>("Notes");
        QTest::addColumn<bool>("Canonical");
        const QList<QByteArray> Rows = BrickRows();
        const QByteArray File = Joined(Rows);
        QStringList AllLf;
        for (int Line = 1; Line <= LevelRows; ++Line)
            AllLf << QString("%1:41 LfLineEnd").arg(Line);

        QTest::newRow("canonical rows") << File << QStringList{} << true;
        QTest::newRow("canonical rows and trailer") << File + ":\r\nCastle\r\n" << QStringList{} << true;
        QTest::newRow("trailer that is a colon") << File + ":\r\n:\r\n" << QStringList{} << true;
        QTest::newRow("power-up on an empty cell is kept")
            << Joined(With(Rows, 0, Patched(Rows[0], 2, '.'))) << QStringList{"1:4 PowerUpOnEmptyCell"} << true;
        QTest::newRow("empty file") << QByteArray() << QStringList{"1:1 MissingRows"} << false;
        QTest::newRow("unknown brick under a power-up")
            << Joined(With(Rows, 0, Patched(Rows[0], 2, '0')))
            << QStringList{"1:3 UnknownCharacter", "1:4 PowerUpOnEmptyCell"} << false;
        QTest::newRow("colon among the rows is an empty row")
            << Joined(With(Rows, 3, ":")) << QStringList{"4:1 UnknownCharacter", "4:2 ShortRow"} << false;
        QTest::newRow("short row")
            << Joined(With(Rows, 1, Rows[1].left(12))) << QStringList{"2:13 ShortRow"} << false;
        QTest::newRow("odd row length")
            << Joined(With(Rows, 1, Rows[1].left(39))) << QStringList{"2:40 ShortRow"} << false;
        QTest::newRow("tenth row's 41st character starts the trailer")
            << Joined(With(Rows, 9, Rows[9] + ":")) + "Castle\r\n" << QStringList{"10:41 LongRow"} << false;
        QTest::newRow("LF line ends") << Joined(Rows, "\n") << AllLf << false;
        QTest::newRow("lone CR inside a row") << Joined(With(Rows, 2, Rows[2].left(9) + "\r" + Rows[2].mid(9)))
                                              << QStringList{"3:10 LoneCr"} << false;
        QTest::newRow("lone CR at the end") << File + "\r" << QStringList{"11:1 LoneCr"} << false;
        QTest::newRow("no line end after the last row")
            << File.chopped(2) << QStringList{"10:41 MissingLineEnd"} << false;
        QTest::newRow("Ctrl-Z where the fourth line begins")
            << Joined(Rows.mid(0, 3)) + "\x1A" + Joined(Rows.mid(3)) + ":\r\nCastle\r\n"
            << QStringList{"4:1 MissingRows", "4:1 CtrlZEndsFile"} << false;
        QTest::newRow("lines after the rows and no marker")
            << File + "\r\nhello\r\n" << QStringList{"11:1 IgnoredLine", "12:1 IgnoredLine"} << false;
        QTest::newRow("marker with text after it on its line")
            << File + ":x\r\nCastle\r\n" << QStringList{"11:1 IgnoredLine", "12:1 IgnoredLine"} << false;
        QTest::newRow("marker without a line end")
            << File + ":" << QStringList{"11:1 EmptyTrailer", "11:2 MissingLineEnd"} << false;
        QTest::newRow("marker with an LF") << File + ":\nCastle\r\n" << QStringList{"11:2 LfLineEnd"} << false;
        QTest::newRow("marker cut by Ctrl-Z") << File + ":\x1Ajunk\r\nCastle\r\n"
                                              << QStringList{"11:2 CtrlZCutsLine"} << false;
        QTest::newRow("Ctrl-Z after a lone CR where the trailer begins")
            << File + ":\r\n\r\x1A" + "Castle\r\n" << QStringList{"11:1 EmptyTrailer", "12:2 CtrlZEndsFile"} << false;
        QTest::newRow("trailer with a lone CR") << File + ":\r\nCas\rtle\r\n" << QStringList{"12:4 LoneCr"} << false;
        QTest::newRow("lines after the trailer")
            << File + ":\r\nCastle\r\nmore\r\n\r\n"
            << QStringList{"13:1 IgnoredAfterTrailer", "14:1 IgnoredAfterTrailer"} << false;
    }

    void notesOfDamagedFiles()
    {
        QFETCH(QByteArray, Bytes);
        QFETCH(QStringList, Notes);
        QFETCH(bool, Canonical);
        QCOMPARE(Listed(LevelFileNotes(View(Bytes))), Notes);
        QCOMPARE(IsCanonicalLevelText(View(Bytes)), Canonical);
    }

    void notesSayWhatHappened()
    {
        const QList<QByteArray> Rows = BrickRows();
        const QByteArray Damaged = Patched(Patched(Patched(Rows[0], 0, '\x1B'), 2, '.'), 5, 's');
        const QByteArray FewRows = Joined({Damaged, Rows[1]}) + "\n";
        const QByteArray Trailing = Joined(With(With(Rows, 1, Rows[1] + "x\r"), 2, Rows[2].left(5) + "\x1Azz"))
            + "junk\r\n:\r\n\r\nmore\r\n\x1A";
        const QByteArray Unended = Joined(Rows) + ":\r\nCastle";
        QCOMPARE(Listed(LevelFileNotes(View(FewRows)), true) + Listed(LevelFileNotes(View(Trailing)), true)
                     + Listed(LevelFileNotes(View(Unended)), true),
                 (QStringList{
                     "1:1 UnknownCharacter unknown brick character byte 0x1B read as no brick",
                     "1:4 PowerUpOnEmptyCell power-up 'E' on a cell without a brick",
                     "1:6 UnknownCharacter unknown power-up character 's' read as no power-up",
                     "3:1 ShortRow short row: 0 of 40 characters, the rest read as empty",
                     "3:1 LfLineEnd line ends with LF alone, not CR LF",
                     "4:1 MissingRows only 3 of 10 rows, the rest read as empty",
                     "2:41 LongRow text after column 40 is not part of the row",
                     "2:42 LoneCr CR without LF dropped",
                     "3:6 ShortRow short row: 5 of 40 characters, the rest read as empty",
                     "3:6 CtrlZCutsLine Ctrl-Z ends the line's text; the rest of the line is skipped",
                     "11:1 IgnoredLine line after the rows ignored: not the trailer marker \":\"",
                     "12:1 EmptyTrailer trailer marker \":\" with no text after it; saving drops it",
                     "14:1 IgnoredAfterTrailer line after the trailer ignored",
                     "15:1 CtrlZEndsFile Ctrl-Z ends the file; nothing after it is read",
                     "12:7 MissingLineEnd last line has no line end",
                 }));
    }

    void summaryGroupsNotesByKind_data()
    {
        QTest::addColumn<QByteArray>("Bytes");
        QTest::addColumn<QString>("Summary");
        const QList<QByteArray> Rows = BrickRows();
        QByteArray Damaged = Rows[1];
        for (int At : {1, 3, 5, 7})
            Damaged[At] = 'x';
        QTest::newRow("no notes") << Joined(Rows) << "";
        QTest::newRow("unknown characters and a short row")
            << Joined(With(With(Rows, 1, Damaged), 2, Rows[2].left(20)))
            << "level3.txt: 4 unknown characters read as empty, line 3 is short";
        QTest::newRow("one of each")
            << Joined(With(With(Rows, 0, Patched(Rows[0], 2, '.')), 4, Rows[4] + "x")) + "\x1A"
            << "level3.txt: 1 power-up on an empty cell, line 5 is too long, Ctrl-Z ends the file";
        QTest::newRow("many line ends and rows")
            << Joined({Rows[0].left(10), Rows[1].left(10), Rows[2].left(10), Rows[3].left(10)}, "\n")
            << "level3.txt: 4 lines are short, fewer than 10 rows, 4 line ends without CR";
        QTest::newRow("trailer troubles") << Joined(Rows) + "a\r\nb\r\n:\r\n\r\nc\rd"
                                          << "level3.txt: 2 lines after the rows ignored, "
                                             "empty trailer dropped, 1 line after the trailer ignored";
    }

    void summaryGroupsNotesByKind()
    {
        QFETCH(QByteArray, Bytes);
        QFETCH(QString, Summary);
        const std::vector<TFileNote> Notes = LevelFileNotes(View(Bytes));
        QVERIFY2(QString::fromStdString(SummariseFileNotes("level3.txt", Notes)) == Summary,
                 qPrintable(QString::fromStdString(SummariseFileNotes("level3.txt", Notes)) + "\n notes: "
                            + Listed(Notes).join(", ")));
    }

    // Random damage to real files: the notes read the same level as the reader, "no note that changes
    // the file" is exactly "saving gives back these bytes", and each note points at the byte it names.
    void notesAgreeWithTheReader()
    {
        std::mt19937 Random(20240610);
        const QByteArray Alphabet("..1#SsWx:: \r\r\n\n\x1A\x1A");
        const QList<QByteArray> Bases = {Joined(BrickRows()), Joined(BrickRows()) + ":\r\nCastle\r\n",
                                         Joined(CanonicalRows()), Joined(CanonicalRows()) + ":\r\n:\r\n", QByteArray()};
        for (int Round = 0; Round < 6000; ++Round) {
            QByteArray Bytes = Bases[Round % Bases.size()];
            const int Edits = Round % 7 == 0 ? 0 : 1 + static_cast<int>(Random() % 4);
            for (int Edit = 0; Edit < Edits; ++Edit) {
                const char Ch = Alphabet[static_cast<int>(Random() % Alphabet.size())];
                const int At = Bytes.isEmpty() ? 0 : static_cast<int>(Random() % (Bytes.size() + 1));
                switch (Random() % 3) {
                case 0:
                    Bytes.insert(At, Ch);
                    break;
                case 1:
                    Bytes.remove(At, 1 + static_cast<int>(Random() % 3));
                    break;
                default:
                    if (At < Bytes.size())
                        Bytes[At] = Ch;
                }
            }
            if (Round % 5 == 4) {
                Bytes.clear();
                for (int I = static_cast<int>(Random() % 60); I > 0; --I)
                    Bytes += Alphabet[static_cast<int>(Random() % Alphabet.size())];
            }
            CheckAgainstReader(Bytes);
            if (QTest::currentTestFailed())
                return;
        }
    }

private:
    static void CheckAgainstReader(const QByteArray& Bytes)
    {
        TLevelData Read;
        const std::vector<TFileNote> Notes = LevelFileNotes(View(Bytes), &Read);
        TLevelData Parsed;
        ParseLevelText(View(Bytes), Parsed);
        const auto Shown = [&] {
            return "bytes \"" + Bytes.toPercentEncoding(" .#:") + "\"\n notes: " + Listed(Notes).join(", ").toUtf8();
        };
        if (!(Read == Parsed))
            QFAIL((Shown() + "\n notes read:" + Printed(Read) + "\n reader read:" + Printed(Parsed)).constData());
        const bool Changes = std::any_of(Notes.begin(), Notes.end(),
                                         [](const TFileNote& Note) { return NoteChangesFile(Note.Kind); });
        const bool Canonical = FormatLevel(Parsed) == View(Bytes);
        if (Changes == Canonical)
            QFAIL((Shown() + (Canonical ? "\n canonical" : "\n not canonical")).constData());
        const QList<QByteArray> Lines = Bytes.split('\n');
        for (const TFileNote& Note : Notes) {
            if (Note.Line < 1 || Note.Line > Lines.size() || Note.Column < 1
                || Note.Column > Lines[Note.Line - 1].size() + 1)
                QFAIL(("outside the file: " + Listed({Note}).join("").toUtf8() + "\n " + Shown()).constData());
            const QByteArray& Line = Lines[Note.Line - 1];
            const char At = Note.Column <= Line.size() ? Line[Note.Column - 1] : '\n';
            const bool LastLine = Note.Line == Lines.size();
            const char Next = Note.Column < Line.size() ? Line[Note.Column] : LastLine ? '\0' : '\n';
            bool Points = true;
            switch (Note.Kind) {
            case TFileNoteKind::UnknownCharacter:
                Points = !IsBrickFileChar(At) || !IsPowerUpFileChar(At);
                break;
            case TFileNoteKind::PowerUpOnEmptyCell:
                Points = PowerUpCodeOfChar(At) != 0;
                break;
            case TFileNoteKind::LoneCr:
                Points = At == '\r' && Next != '\n';
                break;
            case TFileNoteKind::LfLineEnd:
                Points = At == '\n' && (Note.Column == 1 || Line[Note.Column - 2] != '\r');
                break;
            case TFileNoteKind::CtrlZCutsLine:
            case TFileNoteKind::CtrlZEndsFile:
                Points = At == '\x1A';
                break;
            default:
                break;
            }
            if (!Points)
                QFAIL(("misplaced: " + Listed({Note}).join("").toUtf8() + "\n " + Shown()).constData());
        }
    }
};

QTEST_APPLESS_MAIN(TestFileNotes)
#include "tst_filenotes.moc"
