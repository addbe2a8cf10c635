#include "imagelist.h"
#include "palettebar.h"

#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

namespace {

QImage filled(QRgb Colour, int Width = 15, int Height = 9) {
    QImage Image(Width, Height, QImage::Format_RGB32);
    Image.fill(Colour);
    return Image;
}

QStringList hintsOf(const TPaletteToolBar& Bar) {
    QStringList Hints;
    for (const TPaletteButton* Button : Bar.Buttons())
        Hints << Button->toolTip();
    return Hints;
}

struct TClick {
    QObject* Sender;
    bool CheckedWhenCalled;
    bool operator==(const TClick&) const = default;
};

} // namespace

class TestPaletteBar : public QObject {
    Q_OBJECT

private slots:
    void eachNewButtonGoesToTheLeftEnd() {
        TImageList Images(15, 9);
        TPaletteToolBar Bar;
        Bar.SetImages(&Images);
        for (const char* Hint : {"first", "second", "third"})
            Bar.AddCheckButton(Images.Add(filled(qRgb(10, 20, 30))), Hint, std::string(Hint), {});
        QCOMPARE(hintsOf(Bar), (QStringList{"third", "second", "first"}));
        QCOMPARE(std::any_cast<std::string>(Bar.Buttons().first()->Tag), std::string("third"));
    }

    void buttonIsFlatFocuslessToggleWithImageAtItsOwnSize() {
        TImageList Images(23, 11);
        Images.Add(filled(qRgb(255, 0, 0), 23, 11));
        Images.Add(filled(qRgb(0, 0, 255), 23, 11));
        TPaletteToolBar Bar;
        Bar.SetImages(&Images);
        TPaletteButton* Button = Bar.AddCheckButton(1, "PowerUp - Wall", 6, {});
        QVERIFY(Button->isCheckable());
        QVERIFY(!Button->isChecked());
        QVERIFY(!Button->autoExclusive());
        QVERIFY(Button->autoRaise());
        QCOMPARE(Button->focusPolicy(), Qt::NoFocus);
        QCOMPARE(Button->toolTip(), QString("PowerUp - Wall"));
        QCOMPARE(Button->iconSize(), QSize(23, 11));
        QCOMPARE(Button->icon().pixmap(23, 11).toImage().convertToFormat(QImage::Format_RGB32),
                 filled(qRgb(0, 0, 255), 23, 11));
        QCOMPARE(Button->parentWidget(), &Bar);
    }

    void clickReachesHandlerAfterTheToggle() {
        TImageList Images(15, 9);
        Images.Add(filled(qRgb(1, 2, 3)));
        TPaletteToolBar Bar;
        Bar.SetImages(&Images);
        QList<TClick> Clicks;
        TPaletteButton* Button = Bar.AddCheckButton(0, "b", {}, [&](QObject* Sender) {
            Clicks.append({Sender, qobject_cast<TPaletteButton*>(Sender)->isChecked()});
        });
        Bar.show();
        QTest::mouseClick(Button, Qt::LeftButton);
        QTest::mouseClick(Button, Qt::LeftButton);
        QCOMPARE(Clicks, (QList<TClick>{{Button, true}, {Button, false}}));
    }

    void doubleClickGivesTwoClicks() {
        TImageList Images(15, 9);
        Images.Add(filled(qRgb(1, 2, 3)));
        TPaletteToolBar Bar;
        Bar.SetImages(&Images);
        QList<TClick> Clicks;
        TPaletteButton* Button = Bar.AddCheckButton(0, "b", {}, [&](QObject* Sender) {
            Clicks.append({Sender, qobject_cast<TPaletteButton*>(Sender)->isChecked()});
        });
        Bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&Bar));
        // Through the window, as the platform delivers it: press, release, press, double-click, release.
        // (The widget overload sends the double-click event alone, which no real mouse does.)
        QTest::mouseDClick(Bar.windowHandle(), Qt::LeftButton, {}, Button->mapTo(&Bar, Button->rect().center()));
        QCOMPARE(Clicks, (QList<TClick>{{Button, true}, {Button, false}}));
        QVERIFY(!Button->isChecked());
    }

    void anyNumberOfButtonsMayBeDown() {
        TImageList Images(15, 9);
        Images.Add(filled(qRgb(1, 2, 3)));
        TPaletteToolBar Bar;
        Bar.SetImages(&Images);
        for (int I = 0; I < 3; ++I)
            Bar.AddCheckButton(0, QString::number(I), I, {});
        Bar.show();
        for (TPaletteButton* Button : Bar.Buttons())
            QTest::mouseClick(Button, Qt::LeftButton);
        QList<bool> Down;
        for (TPaletteButton* Button : Bar.Buttons())
            Down << Button->isChecked();
        QCOMPARE(Down, (QList<bool>{true, true, true}));
    }

    void clickingLeavesTheKeyboardFocusWhereItWas() {
        TImageList Images(15, 9);
        Images.Add(filled(qRgb(1, 2, 3)));
        QWidget Window;
        auto* Layout = new QVBoxLayout(&Window);
        auto* Edit = new QLineEdit(&Window);
        auto* Bar = new TPaletteToolBar(&Window);
        Layout->addWidget(Edit);
        Layout->addWidget(Bar);
        Bar->SetImages(&Images);
        TPaletteButton* Button = Bar->AddCheckButton(0, "b", {}, {});
        Window.show();
        QApplication::setActiveWindow(&Window);
        QVERIFY(QTest::qWaitForWindowActive(&Window));
        Edit->setFocus();
        QTest::mouseClick(Button, Qt::LeftButton);
        QVERIFY(Button->isChecked());
        QCOMPARE(QApplication::focusWidget(), Edit);
    }

    void buttonWidthAppliesToEveryButton_data() {
        QTest::addColumn<int>("Width");
        QTest::newRow("fixed 26") << 26;
        QTest::newRow("fixed 40") << 40;
    }
    void buttonWidthAppliesToEveryButton() {
        QFETCH(int, Width);
        TImageList Images(23, 11);
        Images.Add(filled(qRgb(1, 2, 3), 23, 11));
        TPaletteToolBar Bar;
        Bar.SetImages(&Images);
        Bar.AddCheckButton(0, "before", {}, {});
        Bar.SetButtonWidth(Width);
        Bar.AddCheckButton(0, "after", {}, {});
        Bar.show();
        QList<int> Widths;
        for (TPaletteButton* Button : Bar.Buttons())
            Widths << Button->width();
        QCOMPARE(Widths, (QList<int>{Width, Width}));

        Bar.SetButtonWidth(0);
        QCOMPARE(Bar.Buttons().first()->maximumWidth(), QWIDGETSIZE_MAX);
    }
};

QTEST_MAIN(TestPaletteBar)
#include "tst_palettebar.moc"
