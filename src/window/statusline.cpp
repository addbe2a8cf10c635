#include "statusline.h"

#include "elementkinds.h"
#include "levelproblems.h"
#include "elidedlabel.h"

#include <QFrame>
#include <QLabel>
#include <QStatusBar>
#include <QStringList>

#include <utility>

#include <algorithm>
#include <vector>

namespace {

// Room between the line's parts and the window's edges.
constexpr int EdgeMargin = 4;

const char* const ModifiedText = "Modified";

// File names are kept as bytes and decoded only to be shown.
QString ForDisplay(const std::string& Text)
{
    return QString::fromUtf8(Text.data(), static_cast<qsizetype>(Text.size()));
}

QString Counted(int Count, const char* One, const char* Many)
{
    return QStringLiteral("%1 %2").arg(Count).arg(QLatin1String(Count == 1 ? One : Many));
}

// A thin line between two parts, so that their texts never read as one.
QFrame* Separator(QWidget* Parent)
{
    auto* Line = new QFrame(Parent);
    Line->setFrameShape(QFrame::VLine);
    Line->setFrameShadow(QFrame::Sunken);
    return Line;
}

// The cell part is as wide as its longest text, so that moving over the field never shifts the notes.
int WidestCellText(const QFontMetrics& Metrics)
{
    std::vector<std::uint8_t> Bricks{0}, PowerUps{0};
    for (const TCatalogueEntry& Kind : BrickKinds())
        Bricks.push_back(Kind.Id);
    for (const TCatalogueEntry& Kind : PowerUpKinds())
        PowerUps.push_back(Kind.Id);
    int Widest = 0;
    for (const std::uint8_t Brick : Bricks)
        for (const std::uint8_t PowerUp : PowerUps)
            Widest = std::max(
                Widest,
                Metrics.horizontalAdvance(CellStatusText(LevelColumns - 1, LevelRows - 1, TLevelCell{Brick, PowerUp})));
    return Widest;
}

} // namespace

QString BrickName(std::uint8_t Code)
{
    const TCatalogueEntry* Kind = BrickKindOf(Code);
    return Kind ? QString::fromLatin1(Kind->Name) : QStringLiteral("Brick code %1").arg(Code);
}

QString PowerUpName(std::uint8_t Code)
{
    const TCatalogueEntry* Kind = PowerUpKindOf(Code);
    QString Text = Kind ? QString::fromLatin1(Kind->Name) : QStringLiteral("PowerUp code %1").arg(Code);
    if (Text.startsWith(QLatin1String("PowerUp - ")))
        Text.remove(0, 10);
    return Text;
}

QString CellStatusText(int ACol, int ARow, const TLevelCell& Cell)
{
    QStringList Parts;
    if (Cell.Brick != 0)
        Parts << BrickName(Cell.Brick);
    if (Cell.PowerUp != 0)
        Parts << PowerUpName(Cell.PowerUp);
    const QString What = Parts.isEmpty() ? QStringLiteral("empty") : Parts.join(QStringLiteral(" + "));
    return QStringLiteral("Column %1, Row %2: %3").arg(ACol).arg(ARow).arg(What);
}

// Breakable are the ordinary bricks, not the fixed one.
QString CountsText(const TLevelData& Level)
{
    int Bricks = 0, Breakable = 0, PowerUps = 0;
    for (const TLevelColumn& Column : Level.Cells)
        for (const TLevelCell& Cell : Column) {
            Bricks += Cell.Brick != 0;
            Breakable += IsBreakableBrick(Cell.Brick);
            PowerUps += Cell.PowerUp != 0;
        }
    QString Text = Counted(Bricks, "brick", "bricks") + QStringLiteral(", ") +
        Counted(Breakable, "breakable", "breakable") + QStringLiteral(", ") + Counted(PowerUps, "power-up", "power-ups");
    return Text;
}

TStatusLine::TStatusLine(QStatusBar* Bar, int SavedMessageMs) :
    QObject(Bar),
    FBar(Bar),
    labCell(new QLabel(Bar)),
    labNotes(new TElidedLabel(Bar)),
    labModified(new QLabel(Bar)),
    labCounts(new QLabel(Bar)),
    FSavedMessageMs(SavedMessageMs)
{
    labCell->setObjectName(QStringLiteral("labCell"));
    labNotes->setObjectName(QStringLiteral("labNotes"));
    labModified->setObjectName(QStringLiteral("labModified"));
    labCounts->setObjectName(QStringLiteral("labCounts"));
    labCell->setMinimumWidth(WidestCellText(labCell->fontMetrics()));
    labModified->setMinimumWidth(labModified->fontMetrics().horizontalAdvance(QLatin1String(ModifiedText)));
    // The bar puts a few pixels before its first part itself, none after its last.
    FBar->setContentsMargins(EdgeMargin / 2, 0, EdgeMargin, 0);
    FBar->addWidget(labCell);
    FBar->addWidget(Separator(Bar));
    FBar->addWidget(labNotes, 1);
    FBar->addPermanentWidget(labModified);
    FBar->addPermanentWidget(Separator(Bar));
    FBar->addPermanentWidget(labCounts);
}

void TStatusLine::ShowCell(int ACol, int ARow, const TLevelCell& Cell)
{
    labCell->setText(CellStatusText(ACol, ARow, Cell));
}

void TStatusLine::ShowCounts(const TLevelData& Level)
{
    labCounts->setText(CountsText(Level));
}

void TStatusLine::ShowFileNotes(const std::string& Summary)
{
    Clear();
    labNotes->SetFullText(ForDisplay(Summary));
}

void TStatusLine::ShowNotice(const QString& Text)
{
    FBar->showMessage(Text);
    FShowingNotice = true;
}

void TStatusLine::ClearFileNotes()
{
    labNotes->SetFullText(QString());
    if (std::exchange(FShowingNotice, false))
        FBar->clearMessage();
}

void TStatusLine::ShowSaved(const std::string& FileName)
{
    ClearFileNotes();
    FBar->showMessage(QStringLiteral("Saved ") + ForDisplay(FileName), FSavedMessageMs);
}

void TStatusLine::ShowModified(bool Modified)
{
    labModified->setText(Modified ? QLatin1String(ModifiedText) : QString());
}

void TStatusLine::ShowNote(const QString& Text)
{
    FBar->showMessage(Text, FSavedMessageMs);
}

void TStatusLine::Clear()
{
    FBar->clearMessage();
    ClearFileNotes();
}
