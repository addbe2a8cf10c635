#include "levelcheck.h"

#include "drawgrid.h"
#include "leveldocument.h"

#include <QPainter>
#include <QStringList>

QString ProblemsText(const std::vector<TLevelProblem>& Problems)
{
    QStringList Texts;
    for (const TLevelProblem& Problem : Problems)
        Texts << QString::fromStdString(Problem.Text);
    return Texts.join(QStringLiteral("; "));
}

TLevelCheck::TLevelCheck(TLevelDocument& Document, TDrawGrid& Grid) : QObject(&Grid), FDocument(Document), FGrid(Grid)
{
    // The frames describe the level as it was checked: any change makes them stale.
    connect(&Document, &TLevelDocument::CellsChanged, this, &TLevelCheck::Clear);
    connect(&Document, &TLevelDocument::LevelReplaced, this, &TLevelCheck::Clear);
}

std::vector<TLevelProblem> TLevelCheck::Show()
{
    Clear();
    std::vector<TLevelProblem> Problems = LevelProblems(FDocument.Level());
    for (const TLevelProblem& Problem : Problems)
        FCells.insert(FCells.end(), Problem.Cells.begin(), Problem.Cells.end());
    FShowing = true;
    Repaint();
    return Problems;
}

void TLevelCheck::Clear()
{
    if (!FShowing)
        return;
    Repaint();
    FCells.clear();
    FShowing = false;
}

void TLevelCheck::Repaint()
{
    QList<QPoint> Cells;
    for (const TCellPos& Cell : FCells)
        Cells.append(QPoint(Cell.Column, Cell.Row));
    FGrid.InvalidateCells(Cells);
}

void TLevelCheck::DrawOver(QPainter& Canvas) const
{
    if (!FShowing)
        return;
    // Two pixels wide, so the frame shows on the red and orange bricks too, with a dark line inside it.
    for (const TCellPos& Cell : FCells) {
        const QRect Rect = FGrid.CellRect(Cell.Column, Cell.Row);
        Canvas.setBrush(Qt::NoBrush);
        Canvas.setPen(QPen(QColor(230, 0, 0), 2));
        Canvas.drawRect(Rect.adjusted(1, 1, -1, -1));
        Canvas.setPen(QPen(QColor(60, 0, 0), 0));
        Canvas.drawRect(Rect.adjusted(2, 2, -3, -3));
    }
}
