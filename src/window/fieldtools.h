#pragma once

// The pointer's work on the field: what a left press, its drag and its release do, one class per shape.
// The window hands a pointer stroke to the tool of the shape chosen when the stroke selected its first
// cell; keys and the wheel paint single cells without a tool.

#include "shapes.h"

#include <QRect>
#include <QString>

#include <functional>

class QPainter;
class TDrawGrid;
class TLevelDocument;

// What every tool works with. Rule is the painting rule with the paint tool and the palettes' choices
// bound as they are now; Mirrored is the Mirror modifier.
struct TToolContext {
    TLevelDocument& Document;
    TDrawGrid& Grid;
    std::function<TCellRule()> Rule;
    std::function<bool()> Mirrored;
    // "Paint" or "Erase": the name of a step of single cells.
    std::function<QString()> CellStepName;
};

class TFieldTool {
public:
    explicit TFieldTool(TToolContext& Context) : FContext(Context) {}
    virtual ~TFieldTool() = default;
    TFieldTool(const TFieldTool&) = delete;
    TFieldTool& operator=(const TFieldTool&) = delete;

    // The stroke's first cell, then every further cell its drag selects.
    virtual void Press(TCellPos At) = 0;
    virtual void Move(TCellPos At) { (void)At; }
    // The stroke ended with its release, or ended without it (Esc, the focus going).
    virtual void Release() {}
    virtual void Cancel() {}
    // Draws over the finished cells while the stroke is open.
    virtual void DrawOver(QPainter& Canvas) const { (void)Canvas; }

protected:
    // Paints the cells (and their mirror images when Mirror is on) with the current rule.
    void PaintCells(TCellPositions Cells, const QString& StepName);
    TToolContext& FContext;
};

// Paints every cell the drag passes.
class TCellTool : public TFieldTool {
public:
    using TFieldTool::TFieldTool;
    void Press(TCellPos At) override;
    void Move(TCellPos At) override;
};

// Drags out a rectangle, shown as an outline, and paints it on release.
class TRectangleTool : public TFieldTool {
public:
    using TFieldTool::TFieldTool;
    void Press(TCellPos At) override;
    void Move(TCellPos At) override;
    void Release() override;
    void Cancel() override;
    void DrawOver(QPainter& Canvas) const override;

private:
    void MoveCorner(TCellPos Corner);
    QRect Outline() const;
    bool FDragging = false;
    TCellPos FCorner;
    TCellPos FOtherCorner;
};

// Paints the area of equal cells around the pressed one.
class TFillTool : public TFieldTool {
public:
    using TFieldTool::TFieldTool;
    void Press(TCellPos At) override;
};
