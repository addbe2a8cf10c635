#include "statusline.h"

#include "elementkinds.h"

#include <QLabel>
#include <QStatusBar>
#include <QStringList>

namespace {

// File names are kept as bytes and decoded only to be shown.
QString ForDisplay(const std::string& Text)
{
    return QString::fromUtf8(Text.data(), static_cast<qsizetype>(Text.size()));
}

QString Counted(int Count, const char* One, const char* Many)
{
    return QStringLiteral("%1 %2").arg(Count).arg(QLatin1String(Count == 1 ? One : Many));
}

} // namespace

// The catalogue's names, the power-up's without the catalogue's "PowerUp - " before it.
QString CellStatusText(int ACol, int ARow, const TLevelCell& Cell)
{
    QStringList Parts;
    if (Cell.Brick != 0) {
        const TCatalogueEntry* Kind = BrickKindOf(Cell.Brick);
        Parts << (Kind ? QString::fromLatin1(Kind->Name) : QStringLiteral("Brick code %1").arg(Cell.Brick));
    }
    if (Cell.PowerUp != 0) {
        const TCatalogueEntry* Kind = PowerUpKindOf(Cell.PowerUp);
        QString Text = Kind ? QString::fromLatin1(Kind->Name) : QStringLiteral("PowerUp code %1").arg(Cell.PowerUp);
        if (Text.startsWith(QLatin1String("PowerUp - ")))
            Text.remove(0, 10);
        Parts << Text;
    }
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
    return Counted(Bricks, "brick", "bricks") + QStringLiteral(", ") + Counted(Breakable, "breakable", "breakable") +
        QStringLiteral(", ") + Counted(PowerUps, "power-up", "power-ups");
}

TStatusLine::TStatusLine(QStatusBar* Bar, int SavedMessageMs) :
    QObject(Bar),
    FBar(Bar),
    labCell(new QLabel(Bar)),
    labCounts(new QLabel(Bar)),
    FSavedMessageMs(SavedMessageMs)
{
    labCell->setObjectName(QStringLiteral("labCell"));
    labCounts->setObjectName(QStringLiteral("labCounts"));
    FBar->addWidget(labCell, 1);
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
    if (Summary.empty())
        return;
    FBar->showMessage(ForDisplay(Summary));
    FShowingFileNotes = true;
}

void TStatusLine::ClearFileNotes()
{
    if (FShowingFileNotes)
        FBar->clearMessage();
    FShowingFileNotes = false;
}

void TStatusLine::ShowSaved(const std::string& FileName)
{
    FShowingFileNotes = false;
    FBar->showMessage(QStringLiteral("Saved ") + ForDisplay(FileName), FSavedMessageMs);
}

void TStatusLine::ShowNote(const QString& Text)
{
    FShowingFileNotes = false;
    FBar->showMessage(Text, FSavedMessageMs);
}

void TStatusLine::Clear()
{
    FBar->clearMessage();
    FShowingFileNotes = false;
}
