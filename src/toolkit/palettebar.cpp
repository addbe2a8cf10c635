#include "palettebar.h"

#include "imagelist.h"

#include <QHBoxLayout>
#include <QPainter>

TPaletteButton::TPaletteButton(QWidget* Parent) : QToolButton(Parent)
{
    setCheckable(true);
    setAutoExclusive(false);
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
}

void TPaletteButton::paintEvent(QPaintEvent* Event)
{
    QToolButton::paintEvent(Event);
    if (!isChecked())
        return;
    QPainter Canvas(this);
    const QRect Outer = rect();
    const QRegion Frame = QRegion(Outer) -
        QRegion(Outer.adjusted(ChosenFrameWidth, ChosenFrameWidth, -ChosenFrameWidth, -ChosenFrameWidth));
    for (const QRect& Part : Frame)
        Canvas.fillRect(Part, palette().color(QPalette::Highlight));
}

TPaletteToolBar::TPaletteToolBar(QWidget* Parent) : QWidget(Parent), FLayout(new QHBoxLayout(this))
{
    FLayout->setContentsMargins(0, 0, 0, 0);
    FLayout->setSpacing(0);
    FLayout->addStretch(1);
}

void TPaletteToolBar::SetImages(TImageList* Images)
{
    FImages = Images;
}

void TPaletteToolBar::SetButtonWidth(int Pixels)
{
    FButtonWidth = Pixels;
    for (TPaletteButton* Button : Buttons()) {
        if (Pixels > 0)
            Button->setFixedWidth(Pixels);
        else {
            Button->setMinimumWidth(0);
            Button->setMaximumWidth(QWIDGETSIZE_MAX);
        }
    }
}

TPaletteButton* TPaletteToolBar::AddCheckButton(int ImageIndex, const QString& Hint, std::any Tag,
                                                std::function<void(QObject* Sender)> OnClick)
{
    auto* Button = new TPaletteButton(this);
    Button->Tag = std::move(Tag);
    Button->setToolTip(Hint);
    if (FImages && ImageIndex >= 0 && ImageIndex < FImages->Count()) {
        Button->setIcon(FImages->Icon(ImageIndex));
        Button->setIconSize(QSize(FImages->Width(), FImages->Height()));
    }
    if (FButtonWidth > 0)
        Button->setFixedWidth(FButtonWidth);
    if (OnClick)
        connect(Button, &QToolButton::clicked, this, [Button, OnClick = std::move(OnClick)] { OnClick(Button); });
    FLayout->insertWidget(0, Button);
    return Button;
}

QList<TPaletteButton*> TPaletteToolBar::Buttons() const
{
    QList<TPaletteButton*> Result;
    for (int I = 0; I < FLayout->count(); ++I)
        if (auto* Button = qobject_cast<TPaletteButton*>(FLayout->itemAt(I)->widget()))
            Result.append(Button);
    return Result;
}
