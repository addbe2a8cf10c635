// The painting rule: what one selection of a cell does under each tool and palette choice.

#include "paintrule.h"

#include <QTest>

Q_DECLARE_METATYPE(TPaintTool)
Q_DECLARE_METATYPE(TLevelCell)

namespace {

QByteArray Shown(TPaintResult Result)
{
    return "(" + QByteArray::number(Result.Cell.Brick) + ", " + QByteArray::number(Result.Cell.PowerUp) + ")"
        + (Result.Changed ? " changed" : " unchanged");
}

} // namespace

class TestPaintRule : public QObject {
    Q_OBJECT

private slots:
    void appliesTheToolToOneCell_data()
    {
        QTest::addColumn<TPaintTool>("Tool");
        QTest::addColumn<int>("Brick");
        QTest::addColumn<int>("PowerUp");
        QTest::addColumn<TLevelCell>("Before");
        QTest::addColumn<TLevelCell>("After");
        QTest::addColumn<bool>("Changed");
        using T = TPaintTool;
        QTest::newRow("brick and power-up onto an empty cell")
            << T::Draw << 2 << 6 << TLevelCell{0, 0} << TLevelCell{2, 6} << true;
        QTest::newRow("power-up alone skips an empty cell")
            << T::Draw << 0 << 1 << TLevelCell{0, 0} << TLevelCell{0, 0} << false;
        QTest::newRow("power-up alone onto a brick")
            << T::Draw << 0 << 1 << TLevelCell{4, 0} << TLevelCell{4, 1} << true;
        QTest::newRow("power-up alone replaces a power-up")
            << T::Draw << 0 << 5 << TLevelCell{4, 2} << TLevelCell{4, 5} << true;
        QTest::newRow("power-up alone leaves a power-up on no brick")
            << T::Draw << 0 << 3 << TLevelCell{0, 2} << TLevelCell{0, 2} << false;
        QTest::newRow("brick keeps the cell's power-up")
            << T::Draw << 7 << 0 << TLevelCell{1, 3} << TLevelCell{7, 3} << true;
        QTest::newRow("brick under a power-up on no brick")
            << T::Draw << 9 << 0 << TLevelCell{0, 4} << TLevelCell{9, 4} << true;
        QTest::newRow("fixed brick and power-up")
            << T::Draw << 10 << 6 << TLevelCell{3, 1} << TLevelCell{10, 6} << true;
        QTest::newRow("same values still count as changed")
            << T::Draw << 5 << 2 << TLevelCell{5, 2} << TLevelCell{5, 2} << true;
        QTest::newRow("nothing chosen changes nothing")
            << T::Draw << 0 << 0 << TLevelCell{3, 3} << TLevelCell{3, 3} << false;
        QTest::newRow("erase with a brick chosen clears")
            << T::Erase << 4 << 2 << TLevelCell{6, 5} << TLevelCell{0, 0} << true;
        QTest::newRow("erase on an empty cell counts as changed")
            << T::Erase << 0 << 0 << TLevelCell{0, 0} << TLevelCell{0, 0} << true;
        QTest::newRow("erase clears a power-up on no brick")
            << T::Erase << 0 << 0 << TLevelCell{0, 6} << TLevelCell{0, 0} << true;
        QTest::newRow("no tool leaves the cell") << T::None << 4 << 2 << TLevelCell{1, 1} << TLevelCell{1, 1} << false;
    }

    void appliesTheToolToOneCell()
    {
        QFETCH(TPaintTool, Tool);
        QFETCH(int, Brick);
        QFETCH(int, PowerUp);
        QFETCH(TLevelCell, Before);
        QFETCH(TLevelCell, After);
        QFETCH(bool, Changed);
        const TPaintResult Result =
            ApplyPaintRule(Tool, static_cast<std::uint8_t>(Brick), static_cast<std::uint8_t>(PowerUp), Before);
        QCOMPARE(Shown(Result), Shown(TPaintResult{After, Changed}));
    }
};

QTEST_APPLESS_MAIN(TestPaintRule)
#include "tst_paintrule.moc"
