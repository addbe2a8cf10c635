// The level list asks before its selection moves, by mouse or keyboard, and can be refused.
#include "levellistview.h"

#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

class TestLevelListView : public QObject {
    Q_OBJECT

    struct TFixture {
        QWidget Window;
        TLevelListView* List = new TLevelListView(&Window);
        QLineEdit* Other = new QLineEdit(&Window);
        QStringList Asked;    // captions the change query was asked about
        QStringList Reported; // "+caption" selected, "-caption" unselected
        bool Allow = true;

        TFixture()
        {
            auto* Layout = new QVBoxLayout(&Window);
            Layout->addWidget(List);
            Layout->addWidget(Other);
            List->addItems({"level1.txt", "level2.txt", "level3.txt"});
            List->SetOnChanging([this](TLevelListView*, QListWidgetItem* Item, bool& AllowChange) {
                Asked << (Item ? Item->text() : QStringLiteral("<none>"));
                AllowChange = Allow;
            });
            List->SetOnSelectItem([this](TLevelListView*, QListWidgetItem* Item, bool Selected) {
                Reported << (Selected ? "+" : "-") + Item->text();
            });
            Window.show();
            Window.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&Window));
        }

        void Click(int Row)
        {
            QTest::mouseClick(List->viewport(), Qt::LeftButton, {}, List->visualItemRect(List->item(Row)).center());
        }
        QString SelectedCaption() const { return List->Selected() ? List->Selected()->text() : QStringLiteral("<none>"); }
    };

private slots:
    void clickAsksOnceThenReportsTheNewEntry()
    {
        TFixture F;
        F.Click(1);
        QCOMPARE(F.Asked, QStringList{"level2.txt"});
        QCOMPARE(F.Reported, QStringList{"+level2.txt"});
        F.Click(0);
        QCOMPARE(F.Asked, (QStringList{"level2.txt", "level1.txt"}));
        QCOMPARE(F.Reported, (QStringList{"+level2.txt", "-level2.txt", "+level1.txt"}));
        QCOMPARE(F.SelectedCaption(), QStringLiteral("level1.txt"));
    }

    void clickOnSelectedEntryAsksNothing()
    {
        TFixture F;
        F.Click(2);
        F.Asked.clear();
        F.Reported.clear();
        F.Click(2);
        QCOMPARE(F.Asked, QStringList{});
        QCOMPARE(F.Reported, QStringList{});
    }

    void refusedClickKeepsOldSelectionAndCurrent()
    {
        TFixture F;
        F.Click(0);
        F.Allow = false;
        F.Reported.clear();
        F.Click(2);
        QCOMPARE(F.Asked, (QStringList{"level1.txt", "level3.txt"}));
        QCOMPARE(F.Reported, QStringList{});
        QCOMPARE(F.SelectedCaption(), QStringLiteral("level1.txt"));
        QCOMPARE(F.List->currentRow(), 0);
        // The keyboard carries on from the kept entry, not from the refused one.
        F.Allow = true;
        QTest::keyClick(F.List, Qt::Key_Down);
        QCOMPARE(F.SelectedCaption(), QStringLiteral("level2.txt"));
    }

    void keysAskBeforeMoving()
    {
        TFixture F;
        F.Click(0);
        F.Asked.clear();
        F.Reported.clear();
        QTest::keyClick(F.List, Qt::Key_Down);
        QCOMPARE(F.Asked, QStringList{"level2.txt"});
        QCOMPARE(F.Reported, (QStringList{"-level1.txt", "+level2.txt"}));
        F.Allow = false;
        QTest::keyClick(F.List, Qt::Key_End);
        QCOMPARE(F.Asked, (QStringList{"level2.txt", "level3.txt"}));
        QCOMPARE(F.SelectedCaption(), QStringLiteral("level2.txt"));
    }

    void dragOverEntriesDoesNotMoveSelection()
    {
        TFixture F;
        const QPoint First = F.List->visualItemRect(F.List->item(0)).center();
        const QPoint Last = F.List->visualItemRect(F.List->item(2)).center();
        QTest::mousePress(F.List->viewport(), Qt::LeftButton, {}, First);
        QMouseEvent Move(QEvent::MouseMove, QPointF(Last), F.List->viewport()->mapToGlobal(QPointF(Last)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(F.List->viewport(), &Move);
        QTest::mouseRelease(F.List->viewport(), Qt::LeftButton, {}, Last);
        QCOMPARE(F.Asked, QStringList{"level1.txt"});
        QCOMPARE(F.SelectedCaption(), QStringLiteral("level1.txt"));
    }

    void clickOnEmptyAreaClearsWithoutAsking()
    {
        TFixture F;
        F.Click(0);
        F.Asked.clear();
        F.Reported.clear();
        const QPoint Empty(5, F.List->viewport()->height() - 3);
        QVERIFY(!F.List->itemAt(Empty));
        QTest::mouseClick(F.List->viewport(), Qt::LeftButton, {}, Empty);
        QCOMPARE(F.Asked, QStringList{});
        QCOMPARE(F.Reported, QStringList{"-level1.txt"});
        QCOMPARE(F.SelectedCaption(), QStringLiteral("<none>"));
        // The next click on the same entry is a move again.
        F.Click(0);
        QCOMPARE(F.Asked, QStringList{"level1.txt"});
    }

    void quietSelectionNeitherAsksNorReports()
    {
        TFixture F;
        F.List->SelectQuietly(F.List->item(1));
        QCOMPARE(F.SelectedCaption(), QStringLiteral("level2.txt"));
        F.List->SelectQuietly(nullptr);
        QCOMPARE(F.SelectedCaption(), QStringLiteral("<none>"));
        QCOMPARE(F.Asked, QStringList{});
        QCOMPARE(F.Reported, QStringList{});
        QCOMPARE(F.List->FindCaption("level3.txt"), F.List->item(2));
        QCOMPARE(F.List->FindCaption("level4.txt"), nullptr);
    }

    // The query may add entries above the chosen one (a level saved at the prompt, the folder changing
    // meanwhile): the selection still lands on the entry chosen.
    void entriesAddedDuringTheQueryKeepTheChosenEntry_data()
    {
        QTest::addColumn<bool>("ByKey");
        QTest::newRow("click") << false;
        QTest::newRow("key") << true;
    }
    void entriesAddedDuringTheQueryKeepTheChosenEntry()
    {
        QFETCH(bool, ByKey);
        TFixture F;
        F.Click(1);
        F.Asked.clear();
        F.Reported.clear();
        F.List->SetOnChanging([&](TLevelListView*, QListWidgetItem* Item, bool& AllowChange) {
            F.Asked << Item->text();
            F.List->InsertName(0, "level0.txt");
            AllowChange = true;
        });
        if (ByKey)
            QTest::keyClick(F.List, Qt::Key_Down);
        else
            F.Click(2);
        QCOMPARE(F.Asked, QStringList{"level3.txt"});
        QCOMPARE(F.Reported, (QStringList{"-level2.txt", "+level3.txt"}));
        QCOMPARE(F.SelectedCaption(), QStringLiteral("level3.txt"));
    }

    void highlightHiddenWithoutFocus()
    {
        TFixture F;
        F.Click(1);
        QVERIFY(F.List->hasFocus());
        const QPalette Focused = F.List->palette();
        QVERIFY(Focused.color(QPalette::Highlight) != Focused.color(QPalette::Base));
        F.Other->setFocus();
        QTRY_VERIFY(!F.List->hasFocus());
        const QPalette Unfocused = F.List->palette();
        QCOMPARE(Unfocused.color(QPalette::Highlight), Unfocused.color(QPalette::Base));
        QCOMPARE(F.SelectedCaption(), QStringLiteral("level2.txt"));
    }
};

QTEST_MAIN(TestLevelListView)
#include "tst_levellistview.moc"
