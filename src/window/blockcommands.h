#pragma once

// The Edit menu's block commands (select all, cut, copy, paste, delete, the flips and the shifts) and what
// the field shows for them: the selection's outline and a block on its way. Blocks go through the system
// clipboard as text in the level file's characters, so that they travel between editors and through any
// other program.

#include "blockpreview.h"
#include "pastetool.h"
#include "selecttool.h"
#include "windowactions.h"

#include <QObject>

#include <functional>
#include <vector>

class QMenu;

class TBlockCommands : public QObject {
    Q_OBJECT
public:
    // Notice shows on the status line why a command did nothing.
    TBlockCommands(TToolContext& Context, std::function<void(const QString&)> Notice);

    // The tool a left press belongs to while a pasted block floats; nullptr when none does.
    TFieldTool* FloatingTool();
    TFieldTool& SelectTool() { return FSelectTool; }
    // What the field shows at a cell, a block on its way included.
    const TLevelCell& ShownCell(int ACol, int ARow) const { return FPreview.Cell(ACol, ARow); }
    void DrawOver(QPainter& Canvas) const;
    // Shows a block on its way again, as the mirror has changed.
    void Refresh() { FPreview.Refresh(); }

    // Makes the commands' actions in Window, with their keys, and puts them into the Edit menu.
    void Install(QWidget* Window, QMenu* EditMenu);

protected:
    // Esc and Return on the grid, which it leaves alone unless a drag is open.
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    std::vector<std::vector<TActionSpec>> MenuGroups();
    void SelectAll();
    void Copy();
    void Cut();
    void Paste();
    void Delete();
    // Makes Change on the level's cells as one step named Name; a change of no cell records nothing.
    void Edit(const QString& Name, const std::function<TCellDiff(TLevelCells&)>& Change);
    // The selection, or the whole field when nothing is selected.
    TCellRect Target() const;
    TCellPos PointedCell() const;
    void SelectionChanged(TCellRect Before, TCellRect After);
    void HoverChanged(int ACol, int ARow);
    void CurrentCellChanged(int ACol, int ARow);

    TToolContext& FContext;
    std::function<void(const QString&)> FNotice;
    TBlockPreview FPreview;
    TSelectTool FSelectTool;
    TPasteTool FPasteTool;
    TCellPos FHover{-1, -1};
    // Enabled only while there is a selection.
    QList<QAction*> FSelectionActions;
};
