#include "blockcommands.h"

#include "application.h"
#include "drawgrid.h"
#include "leveldocument.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

TBlockCommands::TBlockCommands(TToolContext& Context, std::function<void(const QString&)> Notice) :
    FContext(Context),
    FNotice(std::move(Notice)),
    FPreview(Context.Document, Context.Grid),
    FSelectTool(Context, FPreview),
    FPasteTool(Context, FPreview)
{
    TLevelDocument& Document = FContext.Document;
    connect(&Document.Selection(), &TCellSelection::Changed, this, &TBlockCommands::SelectionChanged);
    // A level changed under a block on its way shows the block over the level as it is now.
    connect(&Document, &TLevelDocument::CellsChanged, this, [this] { FPreview.Refresh(); });
    connect(&Document, &TLevelDocument::LevelReplaced, this, [this] { FPasteTool.Drop(); });
    connect(&FContext.Grid, &TDrawGrid::HoverCellChanged, this, &TBlockCommands::HoverChanged);
    connect(&FContext.Grid, &TDrawGrid::CurrentCellChanged, this, &TBlockCommands::CurrentCellChanged);
    FContext.Grid.installEventFilter(this);
}

TFieldTool* TBlockCommands::FloatingTool()
{
    return FPasteTool.Floating() ? &FPasteTool : nullptr;
}

void TBlockCommands::DrawOver(QPainter& Canvas) const
{
    DrawDashedOutline(Canvas, OutlineOf(FContext.Grid, FContext.Document.Selection().Rect()));
    FPreview.DrawOver(Canvas);
}

// The Edit menu's groups in its order, as rows of the window's command table.
std::vector<std::vector<TActionSpec>> TBlockCommands::MenuGroups()
{
    const auto Standard = [this](const char* Name, const char* Text, QKeySequence::StandardKey Key,
                                 void (TBlockCommands::*Command)()) {
        return TActionSpec{nullptr, Name, QLatin1String(Text), QKeySequence::keyBindings(Key),
                           [this, Command] { (this->*Command)(); }};
    };
    const auto Flip = [this](const char* Name, const char* Text, Qt::Key Key,
                             TCellDiff (*Turn)(TLevelCells&, TCellRect)) {
        return TActionSpec{nullptr, Name, QLatin1String(Text), {Key}, [this, Text, Turn] {
                               Edit(QLatin1String(Text), [&](TLevelCells& Cells) { return Turn(Cells, Target()); });
                           }};
    };
    const auto Shift = [this](const char* Name, const char* Text, Qt::Key Key, int DCol, int DRow) {
        return TActionSpec{
            nullptr, Name, QLatin1String(Text), {QKeyCombination(Qt::AltModifier, Key)}, [this, Text, DCol, DRow] {
                Edit(QLatin1String(Text), [&](TLevelCells& Cells) { return ShiftCells(Cells, Target(), DCol, DRow); });
            }};
    };
    return {{Standard("menCut", "Cut", QKeySequence::Cut, &TBlockCommands::Cut),
             Standard("menCopy", "Copy", QKeySequence::Copy, &TBlockCommands::Copy),
             Standard("menPaste", "Paste", QKeySequence::Paste, &TBlockCommands::Paste),
             Standard("menDelete", "Delete", QKeySequence::Delete, &TBlockCommands::Delete)},
            {Standard("menSelectAll", "Select All", QKeySequence::SelectAll, &TBlockCommands::SelectAll)},
            {Flip("menFlipHorizontally", "Flip Horizontally", Qt::Key_X, &FlipHorizontally),
             Flip("menFlipVertically", "Flip Vertically", Qt::Key_Y, &FlipVertically)},
            {Shift("menShiftLeft", "Shift Left", Qt::Key_Left, -1, 0),
             Shift("menShiftRight", "Shift Right", Qt::Key_Right, 1, 0),
             Shift("menShiftUp", "Shift Up", Qt::Key_Up, 0, -1),
             Shift("menShiftDown", "Shift Down", Qt::Key_Down, 0, 1)}};
}

void TBlockCommands::Install(QWidget* Window, QMenu* EditMenu)
{
    QList<QList<QAction*>> Groups;
    for (const std::vector<TActionSpec>& Group : MenuGroups()) {
        Groups.append(AddWindowActions(Window, Group));
        EditMenu->addSeparator();
        EditMenu->addActions(Groups.last());
    }
    const QList<QAction*>& Clipboard = Groups.first();
    // Del acts on the grid only while the grid has the focus, so that the level list may give it a meaning
    // of its own.
    QAction* DeleteAction = Clipboard[3];
    Window->removeAction(DeleteAction);
    DeleteAction->setShortcutContext(Qt::WidgetShortcut);
    FContext.Grid.addAction(DeleteAction);
    FSelectionActions = {Clipboard[0], Clipboard[1], DeleteAction};
    SelectionChanged({}, FContext.Document.Selection().Rect());
}

void TBlockCommands::SelectAll()
{
    FContext.Document.Selection().Set(FieldRect);
}

void TBlockCommands::Copy()
{
    const TCellSelection& Selection = FContext.Document.Selection();
    if (!Selection.Exists())
        return;
    const std::string Text = BlockText(CopyBlock(FContext.Document.Level().Cells, Selection.Rect()));
    QGuiApplication::clipboard()->setText(QString::fromLatin1(Text.data(), static_cast<qsizetype>(Text.size())));
}

void TBlockCommands::Cut()
{
    if (!FContext.Document.Selection().Exists())
        return;
    Copy();
    Edit(QStringLiteral("Cut"), [this](TLevelCells& Cells) { return ClearCells(Cells, Target()); });
}

// A block that is no block is reported, and a block already floating stays.
void TBlockCommands::Paste()
{
    // A drag owns the preview until its release.
    if (FContext.Grid.StrokeByPointer())
        return;
    const QByteArray Text = QGuiApplication::clipboard()->text().toUtf8();
    const TBlockParse Parsed =
        ParseBlockText(std::string_view(Text.constData(), static_cast<std::size_t>(Text.size())));
    if (!Parsed.Block) {
        FNotice(QStringLiteral("Cannot paste: ") + QString::fromStdString(Parsed.Reason));
        return;
    }
    FPasteTool.Float(*Parsed.Block, PointedCell());
}

void TBlockCommands::Delete()
{
    if (FContext.Document.Selection().Exists())
        Edit(QStringLiteral("Delete"), [this](TLevelCells& Cells) { return ClearCells(Cells, Target()); });
}

void TBlockCommands::Edit(const QString& Name, const std::function<TCellDiff(TLevelCells&)>& Change)
{
    TLevelCells Cells = FContext.Document.Level().Cells;
    const TCellDiff Diff = Change(Cells);
    if (!Diff.Empty())
        FContext.Document.Apply(Diff, Name);
}

TCellRect TBlockCommands::Target() const
{
    const TCellSelection& Selection = FContext.Document.Selection();
    return Selection.Exists() ? Selection.Rect() : FieldRect;
}

// The cell under the pointer, or the current cell while the pointer is off the grid.
TCellPos TBlockCommands::PointedCell() const
{
    if (FHover.Column >= 0 && FHover.Row >= 0)
        return FHover;
    return {FContext.Grid.Col(), FContext.Grid.Row()};
}

void TBlockCommands::SelectionChanged(TCellRect Before, TCellRect After)
{
    FContext.Grid.update(OutlineRegion(OutlineOf(FContext.Grid, Before)) +
                         OutlineRegion(OutlineOf(FContext.Grid, After)));
    for (QAction* Action : FSelectionActions)
        Action->setEnabled(!After.Empty());
}

// A floating block stays where it is while the pointer is off the grid, until the keys move the current cell.
void TBlockCommands::HoverChanged(int ACol, int ARow)
{
    FHover = {ACol, ARow};
    if (ACol >= 0 && ARow >= 0)
        FPasteTool.FollowTo(FHover);
}

void TBlockCommands::CurrentCellChanged(int ACol, int ARow)
{
    if (FHover.Column < 0 || FHover.Row < 0)
        FPasteTool.FollowTo({ACol, ARow});
}

bool TBlockCommands::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() != QEvent::KeyPress || FContext.Grid.StrokeByPointer())
        return QObject::eventFilter(Watched, Event);
    bool Handled = false;
    RunHandler([&] {
        switch (static_cast<QKeyEvent*>(Event)->key()) {
        case Qt::Key_Escape:
            if (FPasteTool.Floating())
                FPasteTool.Drop();
            else if (FContext.Document.Selection().Exists())
                FContext.Document.Selection().Clear();
            else
                return;
            Handled = true;
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (!FPasteTool.Floating())
                return;
            FPasteTool.Place();
            Handled = true;
            break;
        default:
            break;
        }
    });
    return Handled || QObject::eventFilter(Watched, Event);
}
