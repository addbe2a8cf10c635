#pragma once

#include <QListWidget>

#include <functional>

// A read-only list of captions that asks before its selection moves to another entry, by mouse or keyboard.
// The change-query handler can refuse the move, which leaves the old selection as it was; then the
// select-item handler reports the entry that lost its selection and the one that gained it.
class TLevelListView : public QListWidget {
    Q_OBJECT
public:
    using TChangingEvent = std::function<void(TLevelListView* Sender, QListWidgetItem* Item, bool& AllowChange)>;
    using TSelectItemEvent = std::function<void(TLevelListView* Sender, QListWidgetItem* Item, bool Selected)>;

    explicit TLevelListView(QWidget* Parent = nullptr);
    ~TLevelListView() override;

    void SetOnChanging(TChangingEvent Handler) { FOnChanging = std::move(Handler); }
    void SetOnSelectItem(TSelectItemEvent Handler) { FOnSelectItem = std::move(Handler); }

    // The selected entry, or nullptr.
    QListWidgetItem* Selected() const;
    // Selects Item (nullptr: none) without asking and without reporting it.
    void SelectQuietly(QListWidgetItem* Item);
    // The first entry whose caption is Caption, or nullptr.
    QListWidgetItem* FindCaption(const QString& Caption) const;

    // An entry stands for a file name, whose bytes need not be valid UTF-8: the entry keeps them exactly,
    // and its caption is only their decoding for display (invalid bytes shown as replacement characters).
    QListWidgetItem* AddName(const QByteArray& Name);
    QListWidgetItem* InsertName(int Row, const QByteArray& Name);
    static QByteArray NameOf(const QListWidgetItem* Item);
    // The first entry whose name is Name, byte for byte, or nullptr.
    QListWidgetItem* FindName(const QByteArray& Name) const;
    QList<QByteArray> Names() const;

protected:
    void mousePressEvent(QMouseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;

private:
    friend class TGuardedSelectionModel;
    bool AllowChangeTo(QListWidgetItem* Item);
    void ReportSelection(const QItemSelection& Selected, const QItemSelection& Deselected);
    void ShowHighlight(bool Show);

    TChangingEvent FOnChanging;
    TSelectItemEvent FOnSelectItem;
    bool FQuiet = false;
    int FTriedRow = -1;
};
