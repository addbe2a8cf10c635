#include "levelfiletools.h"
#include "shapes.h"

#include <QtTest>

// The cells each shape covers, and painting them. Cell sets are compared as maps of the field: "#" for a
// cell listed once, a digit for one listed more often, "." for one not listed.

using namespace LevelFileTools;

Q_DECLARE_METATYPE(TCellPositions)

namespace {

// A field map from its first rows; missing rows and columns are not listed.
QStringList Map(QStringList Rows)
{
    for (QString& Row : Rows)
        Row = Row.leftJustified(LevelColumns, '.');
    while (Rows.size() < LevelRows)
        Rows << QString(LevelColumns, '.');
    return Rows;
}

QStringList MapOf(const TCellPositions& Cells)
{
    QStringList Rows = Map({});
    for (const TCellPos Cell : Cells) {
        if (!IsOnField(Cell))
            return {QString("off the field: %1, %2").arg(Cell.Column).arg(Cell.Row)};
        QChar& At = Rows[Cell.Row][Cell.Column];
        At = At == '.' ? QChar('#') : At == '#' ? QChar('2') : QChar(At.unicode() + 1);
    }
    return Rows;
}

TCellPositions Cells(std::initializer_list<std::pair<int, int>> List)
{
    TCellPositions Result;
    for (const auto& [Column, Row] : List)
        Result.push_back({Column, Row});
    return Result;
}

QString Changes(const std::vector<TCellChange>& List)
{
    QStringList Lines;
    for (const TCellChange& Change : List)
        Lines << QString("%1,%2: %3%4 > %5%6")
                     .arg(Change.Col)
                     .arg(Change.Row)
                     .arg(BrickChars[Change.Before.Brick])
                     .arg(PowerUpChars[Change.Before.PowerUp])
                     .arg(BrickChars[Change.After.Brick])
                     .arg(PowerUpChars[Change.After.PowerUp]);
    return Lines.join("; ");
}

// The painting rule, and one that is not idempotent, so that a cell painted twice shows it.
TCellRule RuleNamed(const QString& Name)
{
    if (Name == "count up")
        return [](TLevelCell Cell) {
            return TPaintResult{{static_cast<std::uint8_t>(Cell.Brick + 1), Cell.PowerUp}, true};
        };
    const TPaintTool Tool = Name == "erase" ? TPaintTool::Erase : TPaintTool::Draw;
    const std::uint8_t Brick = Name == "brick 3" ? 3 : 0;
    const std::uint8_t PowerUp = Name == "power-up L" ? 3 : 0;
    return [=](TLevelCell Cell) { return ApplyPaintRule(Tool, Brick, PowerUp, Cell); };
}

const QList<QByteArray> Wall(10, "..........#.");

} // namespace

class TestShapes : public QObject {
    Q_OBJECT

private slots:
    void rectangleSpansBothCornersWhicheverWayItIsDragged_data();
    void rectangleSpansBothCornersWhicheverWayItIsDragged();
    void fillSpreadsOverEqualNeighbours_data();
    void fillSpreadsOverEqualNeighbours();
    void mirrorAddsEachImageOnce_data();
    void mirrorAddsEachImageOnce();
    void paintingListsTheCellsItChanged_data();
    void paintingListsTheCellsItChanged();
};

void TestShapes::rectangleSpansBothCornersWhicheverWayItIsDragged_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QStringList>("map");
    const QStringList Block = Map({"", "..####", "..####", "..####"});
    QTest::newRow("down and right") << QPoint(2, 1) << QPoint(5, 3) << Block;
    QTest::newRow("up and left") << QPoint(5, 3) << QPoint(2, 1) << Block;
    QTest::newRow("up and right") << QPoint(2, 3) << QPoint(5, 1) << Block;
    QTest::newRow("down and left") << QPoint(5, 1) << QPoint(2, 3) << Block;
    QTest::newRow("one cell") << QPoint(7, 4) << QPoint(7, 4) << Map({"", "", "", "", ".......#"});
    QTest::newRow("bottom row, right to left")
        << QPoint(19, 9) << QPoint(0, 9) << Map({"", "", "", "", "", "", "", "", "", QString(20, '#')});
    QTest::newRow("whole field") << QPoint(0, 0) << QPoint(19, 9) << QStringList(10, QString(20, '#'));
    QTest::newRow("corners off the field")
        << QPoint(-4, -2) << QPoint(1, 12) << QStringList(10, "##" + QString(18, '.'));
}

void TestShapes::rectangleSpansBothCornersWhicheverWayItIsDragged()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QStringList, map);
    QCOMPARE(MapOf(RectangleCells({from.x(), from.y()}, {to.x(), to.y()})), map);
}

void TestShapes::fillSpreadsOverEqualNeighbours_data()
{
    QTest::addColumn<QList<QByteArray>>("level");
    QTest::addColumn<QPoint>("start");
    QTest::addColumn<QStringList>("map");
    QTest::newRow("whole empty field") << QList<QByteArray>{} << QPoint(7, 4) << QStringList(10, QString(20, '#'));
    QTest::newRow("bounded by a wall") << Wall << QPoint(2, 2) << QStringList(10, "#####" + QString(15, '.'));
    QTest::newRow("on the wall itself") << Wall << QPoint(5, 9) << QStringList(10, ".....#" + QString(14, '.'));
    QList<QByteArray> Gap = Wall;
    Gap[9] = "";
    QTest::newRow("through a gap in the wall")
        << Gap << QPoint(19, 0) << QStringList(9, "#####.##############") + QStringList{QString(20, '#')};
    QTest::newRow("another power-up on the same brick stops it")
        << QList<QByteArray>{"1.1.1S1.1.", "1."} << QPoint(0, 0) << Map({"##", "#"});
    QTest::newRow("diagonal neighbours do not join") << QList<QByteArray>{"1.2.", "2.1."} << QPoint(0, 0) << Map({"#"});
    QTest::newRow("a winding run of one brick")
        << QList<QByteArray>{"7W7W7W", "....7W", "7W7W7W", "7W", "7W7W7W7W"} << QPoint(0, 0)
        << Map({"###", "..#", "###", "#", "####"});
    QTest::newRow("off the field") << QList<QByteArray>{} << QPoint(20, 0) << Map({});
}

void TestShapes::fillSpreadsOverEqualNeighbours()
{
    QFETCH(QList<QByteArray>, level);
    QFETCH(QPoint, start);
    QFETCH(QStringList, map);
    const TLevelData Level = RecordFromRows(level, "", "");
    QCOMPARE(MapOf(FloodCells(Level.Cells, {start.x(), start.y()})), map);
}

void TestShapes::mirrorAddsEachImageOnce_data()
{
    QTest::addColumn<TCellPositions>("cells");
    QTest::addColumn<QStringList>("map");
    QTest::newRow("left half") << Cells({{0, 0}, {3, 2}}) << Map({"#..................#", "", "...#............#"});
    QTest::newRow("column 9") << Cells({{9, 4}}) << Map({"", "", "", "", ".........##"});
    QTest::newRow("column 10") << Cells({{10, 9}}) << Map({"", "", "", "", "", "", "", "", "", ".........##"});
    QTest::newRow("columns 9 and 10 together") << Cells({{9, 4}, {10, 4}}) << Map({"", "", "", "", ".........##"});
    QTest::newRow("a cell and its image") << Cells({{17, 1}, {2, 1}}) << Map({"", "..#..............#"});
    QTest::newRow("a cell listed twice") << Cells({{2, 1}, {2, 1}}) << Map({"", "..#..............#"});
    QTest::newRow("nothing") << TCellPositions{} << Map({});
}

void TestShapes::mirrorAddsEachImageOnce()
{
    QFETCH(TCellPositions, cells);
    QFETCH(QStringList, map);
    QCOMPARE(MapOf(WithMirror(cells)), map);
}

void TestShapes::paintingListsTheCellsItChanged_data()
{
    QTest::addColumn<QList<QByteArray>>("level");
    QTest::addColumn<TCellPositions>("cells");
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QString>("changes");
    QTest::addColumn<bool>("touched");
    QTest::addColumn<QList<QByteArray>>("after");
    QTest::newRow("brick over a rectangle, equal cells left out")
        << QList<QByteArray>{"", "..3.3S"} << RectangleCells({2, 2}, {0, 1}) << "brick 3"
        << "0,1: .. > 3.; 0,2: .. > 3.; 1,2: .. > 3.; 2,2: .. > 3." << true
        << QList<QByteArray>{"", "3.3.3S", "3.3.3."};
    QTest::newRow("eraser over a rectangle")
        << QList<QByteArray>{"", "1S2.3E", "..#."} << RectangleCells({3, 2}, {0, 1}) << "erase"
        << "0,1: 1S > ..; 1,1: 2. > ..; 2,1: 3E > ..; 1,2: #. > .." << true << QList<QByteArray>{};
    QTest::newRow("a cell listed twice is painted once") << QList<QByteArray>{} << Cells({{4, 0}, {4, 0}}) << "count up"
                                                         << "4,0: .. > 1." << true << QList<QByteArray>{"........1."};
    QTest::newRow("cells off the field are skipped") << QList<QByteArray>{} << Cells({{20, 0}, {-1, 3}, {0, 10}})
                                                     << "count up" << "" << false << QList<QByteArray>{};
    QTest::newRow("erasing an empty field still touches it")
        << QList<QByteArray>{} << FloodCells({}, {5, 5}) << "erase" << "" << true << QList<QByteArray>{};
    QTest::newRow("a power-up only lands on bricks")
        << QList<QByteArray>{"", "..4."} << RectangleCells({0, 1}, {2, 1}) << "power-up L" << "1,1: 4. > 4L" << true
        << QList<QByteArray>{"", "..4L"};
    QTest::newRow("nothing chosen touches nothing")
        << QList<QByteArray>{"1."} << RectangleCells({0, 0}, {3, 3}) << "draw" << "" << false
        << QList<QByteArray>{"1."};
}

void TestShapes::paintingListsTheCellsItChanged()
{
    QFETCH(QList<QByteArray>, level);
    QFETCH(TCellPositions, cells);
    QFETCH(QString, rule);
    QFETCH(QString, changes);
    QFETCH(bool, touched);
    QFETCH(QList<QByteArray>, after);
    TLevelData Level = RecordFromRows(level, "", "");
    const TShapePaint Paint = PaintCells(Level.Cells, cells, RuleNamed(rule));
    QCOMPARE(Changes(Paint.Changes), changes);
    QCOMPARE(Paint.Touched, touched);
    QCOMPARE(Level, RecordFromRows(after, "", ""));
}

QTEST_GUILESS_MAIN(TestShapes)
#include "tst_shapes.moc"
