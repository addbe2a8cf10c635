// The kinds table's lookups: by code, by file character and back, for every byte.

#include "elementkinds.h"

#include <QTest>

class TestElementKinds : public QObject {
    Q_OBJECT

    // For each byte value, what the lookups make of it: "c=code" for a file character, nothing otherwise.
    static QStringList CharsRead(std::uint8_t (*CodeOf)(char), bool (*IsFileChar)(char))
    {
        QStringList Read;
        for (int Byte = 0; Byte < 256; ++Byte) {
            const char Ch = static_cast<char>(Byte);
            if (IsFileChar(Ch) || CodeOf(Ch) != 0)
                Read << QString("%1=%2%3").arg(QChar(Byte)).arg(CodeOf(Ch)).arg(IsFileChar(Ch) ? "" : " (not a kind)");
        }
        return Read;
    }

    // For each code 0 to 12: its file character and kind name, "-" for none.
    static QStringList CodesWritten(char (*CharOf)(std::uint8_t), const TCatalogueEntry* (*KindOf)(std::uint8_t))
    {
        QStringList Written;
        for (int Code = 0; Code <= 12; ++Code) {
            const auto Id = static_cast<std::uint8_t>(Code);
            const char Ch = CharOf(Id);
            const TCatalogueEntry* Kind = KindOf(Id);
            Written << QString("%1:%2:%3")
                           .arg(Code)
                           .arg(Ch ? QString(QChar(Ch)) : QString("-"))
                           .arg(Kind ? QString(Kind->Name) + (Kind->Id == Id ? "" : " (wrong id)") : QString("-"));
        }
        return Written;
    }

private slots:
    void bricksByCharacterAndCode()
    {
        QCOMPARE(CharsRead(BrickCodeOfChar, IsBrickFileChar),
                 (QStringList{"#=10", ".=0", "1=1", "2=2", "3=3", "4=4", "5=5", "6=6", "7=7", "8=8", "9=9"}));
        QCOMPARE(
            CodesWritten(BrickCharOf, BrickKindOf),
            (QStringList{"0:.:-", "1:1:Brick 1, 1 Hit", "2:2:Brick 2, 1 Hit", "3:3:Brick 3, 1 Hit",
                         "4:4:Brick 1, 2 Hits", "5:5:Brick 2, 2 Hits", "6:6:Brick 3, 2 Hits", "7:7:Brick 1, 3 Hits",
                         "8:8:Brick 2, 3 Hits", "9:9:Brick 3, 3 Hits", "10:#:Brick Fixed", "11:-:-", "12:-:-"}));
    }

    void powerUpsByCharacterAndCode()
    {
        QCOMPARE(CharsRead(PowerUpCodeOfChar, IsPowerUpFileChar),
                 (QStringList{".=0", "E=2", "F=4", "I=5", "L=3", "S=1", "W=6"}));
        QCOMPARE(CodesWritten(PowerUpCharOf, PowerUpKindOf),
                 (QStringList{"0:.:-", "1:S:PowerUp - Single Shot", "2:E:PowerUp - Extra Ball",
                              "3:L:PowerUp - Lower Speed", "4:F:PowerUp - Faster Speed", "5:I:PowerUp - Iron Ball",
                              "6:W:PowerUp - Wall", "7:-:-", "8:-:-", "9:-:-", "10:-:-", "11:-:-", "12:-:-"}));
    }

    void onlyTheOrdinaryBricksBreak()
    {
        QString Breakable;
        QString Hits;
        for (int Code = 0; Code <= 12; ++Code) {
            Breakable += IsBreakableBrick(static_cast<std::uint8_t>(Code)) ? 'y' : 'n';
            Hits += QString::number(BrickHits(static_cast<std::uint8_t>(Code)));
        }
        QCOMPARE(Breakable, QString("nyyyyyyyyynnn"));
        QCOMPARE(Hits, QString("0111222333000"));
    }
};

QTEST_APPLESS_MAIN(TestElementKinds)
#include "tst_elementkinds.moc"
