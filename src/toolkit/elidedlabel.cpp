#include "elidedlabel.h"

#include <QEvent>

#include <algorithm>

TElidedLabel::TElidedLabel(QWidget* Parent) : QLabel(Parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
}

void TElidedLabel::SetFullText(const QString& Text)
{
    FFullText = Text;
    setToolTip(Text);
    Elide();
}

// Only the height counts: the text's width must not push the parts beside it out of the line.
QSize TElidedLabel::sizeHint() const
{
    return {0, std::max(QLabel::sizeHint().height(), fontMetrics().height())};
}

QSize TElidedLabel::minimumSizeHint() const
{
    return sizeHint();
}

void TElidedLabel::resizeEvent(QResizeEvent* Event)
{
    QLabel::resizeEvent(Event);
    Elide();
}

void TElidedLabel::changeEvent(QEvent* Event)
{
    QLabel::changeEvent(Event);
    if (Event->type() == QEvent::FontChange)
        Elide();
}

void TElidedLabel::Elide()
{
    const int Room = contentsRect().width() - 2 * margin() - (indent() > 0 ? indent() : 0);
    setText(fontMetrics().elidedText(FFullText, Qt::ElideRight, std::max(Room, 0)));
}
