#include "levellistview.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QMouseEvent>

// Every change of the list's selection, whatever its source (press, drag, keys, programmatic), passes
// through select() or setCurrentIndex(), so the change query lives here rather than in the view's
// separate mouse and key handlers.
class TGuardedSelectionModel : public QItemSelectionModel {
public:
    TGuardedSelectionModel(QAbstractItemModel* Model, TLevelListView* View) :
        QItemSelectionModel(Model, View),
        FView(View)
    {
    }

    void Detach() { FView = nullptr; }

    void select(const QModelIndex& Index, SelectionFlags Command) override
    {
        select(QItemSelection(Index, Index), Command);
    }

    void select(const QItemSelection& Selection, SelectionFlags Command) override
    {
        Guard(Selection, Command, [&] { QItemSelectionModel::select(Selection, Command); });
    }

    // Qt's own setCurrentIndex() calls select() again; only the outermost call asks and reports. The entry
    // is held by a persistent index, which follows it when the query adds or takes entries above it.
    void setCurrentIndex(const QModelIndex& Index, SelectionFlags Command) override
    {
        const QPersistentModelIndex Target(Index);
        Guard(QItemSelection(Index, Index), Command, [&] { QItemSelectionModel::setCurrentIndex(Target, Command); });
    }

private:
    // A move onto another entry must be allowed first; clearing the selection (a press on the empty area)
    // names no level and asks nothing.
    bool Allowed(const QItemSelection& Selection, SelectionFlags Command)
    {
        if (FView->FQuiet || !(Command & (Select | Toggle)) || Selection.isEmpty())
            return true;
        const QModelIndex Target = Selection.indexes().value(0);
        if (!Target.isValid() || isSelected(Target))
            return true;
        // Qt moves the current index and the selection in separate calls for one key press: a move already
        // tried within the same press, refused by the user or failed as it was made, is not tried again.
        if (Target.row() == FView->FTriedRow)
            return false;
        FView->FTriedRow = Target.row();
        return FView->AllowChangeTo(FView->item(Target.row()));
    }

    template <class F> void Guard(const QItemSelection& Selection, SelectionFlags Command, F&& Apply)
    {
        if (!FView || FDepth > 0 || FView->FQuiet) {
            Apply();
            return;
        }
        if (!Allowed(Selection, Command)) {
            // A press moves the current index before it selects; a refused move takes it back too.
            const QModelIndexList Chosen = selectedIndexes();
            if (!Chosen.isEmpty())
                QItemSelectionModel::setCurrentIndex(Chosen.first(), NoUpdate);
            return;
        }
        const QItemSelection Before = selection();
        ++FDepth;
        Apply();
        --FDepth;
        Report(Before);
    }

    void Report(const QItemSelection& Before)
    {
        QItemSelection Gained = selection();
        QItemSelection Lost = Before;
        for (const QItemSelectionRange& Range : Before)
            Gained.merge(QItemSelection(Range.topLeft(), Range.bottomRight()), Deselect);
        for (const QItemSelectionRange& Range : selection())
            Lost.merge(QItemSelection(Range.topLeft(), Range.bottomRight()), Deselect);
        FView->ReportSelection(Gained, Lost);
    }

    // Cleared by the view's destructor: Qt still clears the selection while the view's base is torn down.
    TLevelListView* FView;
    int FDepth = 0;
};

TLevelListView::TLevelListView(QWidget* Parent) : QListWidget(Parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setViewMode(QListView::ListMode);
    QItemSelectionModel* Old = selectionModel();
    setSelectionModel(new TGuardedSelectionModel(model(), this));
    delete Old;
    ShowHighlight(false);
}

TLevelListView::~TLevelListView()
{
    if (auto* Guarded = dynamic_cast<TGuardedSelectionModel*>(selectionModel()))
        Guarded->Detach();
}

QListWidgetItem* TLevelListView::Selected() const
{
    const QModelIndexList Rows = selectionModel()->selectedIndexes();
    return Rows.isEmpty() ? nullptr : item(Rows.first().row());
}

void TLevelListView::SelectQuietly(QListWidgetItem* Item)
{
    FQuiet = true;
    if (Item)
        setCurrentItem(Item, QItemSelectionModel::ClearAndSelect);
    else
        selectionModel()->clear();
    FQuiet = false;
}

QListWidgetItem* TLevelListView::FindCaption(const QString& Caption) const
{
    for (int Row = 0; Row < count(); ++Row)
        if (item(Row)->text() == Caption)
            return item(Row);
    return nullptr;
}

QListWidgetItem* TLevelListView::AddName(const QByteArray& Name)
{
    return InsertName(count(), Name);
}

QListWidgetItem* TLevelListView::InsertName(int Row, const QByteArray& Name)
{
    auto* Item = new QListWidgetItem(QString::fromUtf8(Name));
    Item->setData(Qt::UserRole, Name);
    insertItem(Row, Item);
    return Item;
}

QByteArray TLevelListView::NameOf(const QListWidgetItem* Item)
{
    return Item ? Item->data(Qt::UserRole).toByteArray() : QByteArray();
}

QListWidgetItem* TLevelListView::FindName(const QByteArray& Name) const
{
    for (int Row = 0; Row < count(); ++Row)
        if (NameOf(item(Row)) == Name)
            return item(Row);
    return nullptr;
}

QList<QByteArray> TLevelListView::Names() const
{
    QList<QByteArray> All;
    for (int Row = 0; Row < count(); ++Row)
        All << NameOf(item(Row));
    return All;
}

bool TLevelListView::AllowChangeTo(QListWidgetItem* Item)
{
    bool Allow = true;
    if (FOnChanging)
        FOnChanging(this, Item, Allow);
    return Allow;
}

void TLevelListView::ReportSelection(const QItemSelection& Gained, const QItemSelection& Lost)
{
    if (!FOnSelectItem)
        return;
    for (const QModelIndex& Index : Lost.indexes())
        FOnSelectItem(this, item(Index.row()), false);
    for (const QModelIndex& Index : Gained.indexes())
        FOnSelectItem(this, item(Index.row()), true);
}

void TLevelListView::ShowHighlight(bool Show)
{
    // The selection is shown only while the list has the focus.
    QPalette Colours = palette();
    if (Show) {
        Colours.setColor(QPalette::Highlight, QApplication::palette().color(QPalette::Active, QPalette::Highlight));
        Colours.setColor(QPalette::HighlightedText,
                         QApplication::palette().color(QPalette::Active, QPalette::HighlightedText));
    } else {
        Colours.setColor(QPalette::Highlight, Colours.color(QPalette::Base));
        Colours.setColor(QPalette::HighlightedText, Colours.color(QPalette::Text));
    }
    setPalette(Colours);
}

void TLevelListView::mousePressEvent(QMouseEvent* Event)
{
    FTriedRow = -1;
    QListWidget::mousePressEvent(Event);
}

void TLevelListView::keyPressEvent(QKeyEvent* Event)
{
    FTriedRow = -1;
    QListWidget::keyPressEvent(Event);
}

void TLevelListView::mouseMoveEvent(QMouseEvent* Event)
{
    // Dragging over the entries does not move the selection: only a press or a key picks a level.
    if (Event->buttons() != Qt::NoButton)
        return;
    QListWidget::mouseMoveEvent(Event);
}

void TLevelListView::focusInEvent(QFocusEvent* Event)
{
    ShowHighlight(true);
    QListWidget::focusInEvent(Event);
}

void TLevelListView::focusOutEvent(QFocusEvent* Event)
{
    ShowHighlight(false);
    QListWidget::focusOutEvent(Event);
}
