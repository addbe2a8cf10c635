#include "imagelist.h"
#include "palettebar.h"

#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

static QImage filled(QRgb Colour) {
    QImage Image(23, 11, QImage::Format_RGB32);
    Image.fill(Colour);
    return Image;
}

class TestPaletteBar : public QObject {
    Q_OBJECT

    TImageList FImages{23, 11}; // 0 red, 1 blue

private slots:
    void initTestCase() {
        FImages.Add(filled(qRgb(255, 0, 0)));
        FImages.Add(filled(qRgb(0, 0, 255)));
    }

    void eachNewButtonGoesToTheLeftEndWithItsHintTagAndPicture() {
        TPaletteToolBar Bar;
        Bar.SetImages(&FImages);
        for (const char* Hint : {"first", "second", "third"})
            Bar.AddCheckButton(1, Hint, std::string(Hint), {});
        QStringList Hints;
        for (const TPaletteButton* Button : Bar.Buttons())
            Hints << Button->toolTip();
        QCOMPARE(Hints, (QStringList{"third", "second", "first"}));
        const TPaletteButton* Button = Bar.Buttons().first();
        QCOMPARE(std::any_cast<std::string>(Button->Tag), std::string("third"));
        QVERIFY(Button->autoRaise());
        QCOMPARE(Button->focusPolicy(), Qt::NoFocus);
        QCOMPARE(Button->iconSize(), QSize(23, 11));
        QCOMPARE(Button->icon().pixmap(23, 11).toImage().convertToFormat(QImage::Format_RGB32), filled(qRgb(0, 0, 255)));
    }

    // Qt toggles the button before the handler hears of it; another button stays down, the focus stays put.
    void eachClickTogglesThenReachesTheHandler_data() {
        QTest::addColumn<bool>("DoubleClick");
        QTest::newRow("two clicks") << false;
        QTest::newRow("double-click") << true;
    }
    void eachClickTogglesThenReachesTheHandler() {
        QFETCH(bool, DoubleClick);
        QWidget Window;
        auto* Layout = new QVBoxLayout(&Window);
        auto* Edit = new QLineEdit;
        auto* Bar = new TPaletteToolBar;
        Layout->addWidget(Edit);
        Layout->addWidget(Bar);
        Bar->SetImages(&FImages);
        QList<QPair<QObject*, bool>> Clicks;
        const auto Record = [&](QObject* Sender) { Clicks.append({Sender, qobject_cast<QToolButton*>(Sender)->isChecked()}); };
        TPaletteButton* Other = Bar->AddCheckButton(0, "other", {}, {});
        TPaletteButton* Button = Bar->AddCheckButton(0, "b", {}, Record);
        Window.show();
        QApplication::setActiveWindow(&Window);
        QVERIFY(QTest::qWaitForWindowActive(&Window));
        Edit->setFocus();
        QTest::mouseClick(Other, Qt::LeftButton);
        if (DoubleClick) {
            // Through the window, as a real mouse delivers it: press, release, press, double-click, release.
            QTest::mouseDClick(Window.windowHandle(), Qt::LeftButton, {}, Button->mapTo(&Window, Button->rect().center()));
        } else {
            QTest::mouseClick(Button, Qt::LeftButton);
            QTest::mouseClick(Button, Qt::LeftButton);
        }
        QCOMPARE(Clicks, (QList<QPair<QObject*, bool>>{{Button, true}, {Button, false}}));
        QVERIFY(Other->isChecked());
        QCOMPARE(QApplication::focusWidget(), Edit);
    }

    void buttonWidthAppliesToButtonsBeforeAndAfter() {
        TPaletteToolBar Bar;
        Bar.SetImages(&FImages);
        Bar.AddCheckButton(0, "before", {}, {});
        Bar.SetButtonWidth(40);
        Bar.AddCheckButton(0, "after", {}, {});
        Bar.show();
        QList<int> Widths;
        for (TPaletteButton* Button : Bar.Buttons())
            Widths << Button->width();
        QCOMPARE(Widths, (QList<int>{40, 40}));
        Bar.SetButtonWidth(0);
        QCOMPARE(Bar.Buttons().last()->minimumWidth(), 0);
        QCOMPARE(Bar.Buttons().last()->maximumWidth(), QWIDGETSIZE_MAX);
    }
};

QTEST_MAIN(TestPaletteBar)
#include "tst_palettebar.moc"
