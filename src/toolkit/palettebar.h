#pragma once

#include <QList>
#include <QString>
#include <QToolButton>
#include <QWidget>

#include <any>
#include <functional>

class QHBoxLayout;
class TImageList;

// A palette button: a flat check button that never takes the keyboard focus and carries a link back to
// the item it stands for. While it is down, a frame in the highlight colour rings it: the style's own
// pressed look is too faint to tell at a glance which kind will be painted.
class TPaletteButton : public QToolButton {
    Q_OBJECT
public:
    explicit TPaletteButton(QWidget* Parent = nullptr);

    static constexpr int ChosenFrameWidth = 2;

    std::any Tag;

protected:
    void paintEvent(QPaintEvent* Event) override;
};

// A row of palette buttons drawn from an image list. Buttons added later go to the left end, before
// the ones already there.
class TPaletteToolBar : public QWidget {
    Q_OBJECT
public:
    explicit TPaletteToolBar(QWidget* Parent = nullptr);

    // The image list is not owned; it must outlive the buttons made from it.
    void SetImages(TImageList* Images);
    TImageList* Images() const { return FImages; }

    // 0 lets each button take its natural width.
    void SetButtonWidth(int Pixels);
    int ButtonWidth() const { return FButtonWidth; }

    // Adds a checkable button at the left end. Qt toggles the button before clicked() fires, and
    // OnClick (called with the button as sender) decides the final state; the buttons are not
    // mutually exclusive, so any number may be down.
    TPaletteButton* AddCheckButton(int ImageIndex, const QString& Hint, std::any Tag,
                                   std::function<void(QObject* Sender)> OnClick);

    // Left to right.
    QList<TPaletteButton*> Buttons() const;

private:
    QHBoxLayout* FLayout;
    TImageList* FImages = nullptr;
    int FButtonWidth = 0;
};
