#pragma once

#include <QLabel>
#include <QString>

// A one-line label for text that may be longer than the room it gets: what does not fit ends in "…", and
// the whole text is the tool tip. It asks for no width of its own, so a layout gives it what is left.
class TElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit TElidedLabel(QWidget* Parent = nullptr);

    void SetFullText(const QString& Text);
    const QString& FullText() const { return FFullText; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* Event) override;
    void changeEvent(QEvent* Event) override;

private:
    void Elide();

    QString FFullText;
};
