// Error reporting: what escapes an event handler is shown in an error box and the program carries on.
#include "application.h"
#include "exceptions.h"
#include "messagecapture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <csignal>

namespace {

// Read right after the application object is made: the test library installs its own crash handlers
// (SIGPIPE among them) once the tests run.
QList<int> IgnoredAtStartUp;

class TThrowingObject : public QObject {
public:
    bool event(QEvent* Event) override
    {
        if (Event->type() == QEvent::User)
            throw std::runtime_error("Escaped the handler");
        return QObject::event(Event);
    }
};

} // namespace

class TestApplication : public QObject {
    Q_OBJECT
private slots:
    void titleIsExecutableNameWithLowerCaseTail_data()
    {
        QTest::addColumn<QString>("Path");
        QTest::addColumn<QString>("Title");
        QTest::newRow("windows exe") << "C:/Games/Zolvane/ZolvaneEdit.EXE" << "Zolvaneedit";
        QTest::newRow("upper case") << "/opt/zolvane/EDITOR" << "Editor";
        QTest::newRow("first letter keeps its case") << "/usr/bin/zolvane-editor" << "zolvane-editor";
        QTest::newRow("only the last extension goes") << "/x/Level.Editor.exe" << "Level.editor";
    }
    void titleIsExecutableNameWithLowerCaseTail()
    {
        QFETCH(QString, Path);
        QFETCH(QString, Title);
        QCOMPARE(TitleOfExecutable(Path), Title);
        QCOMPARE(ApplicationTitle(), QStringLiteral("tst_application"));
    }

    void errorTextGetsFullStopWhenLastCharSortsAbove_data()
    {
        QTest::addColumn<QString>("Message");
        QTest::addColumn<QString>("Shown");
        QTest::newRow("letter") << "File not found" << "File not found.";
        QTest::newRow("digit") << "I/O error 28" << "I/O error 28.";
        QTest::newRow("full stop") << "Done." << "Done.";
        QTest::newRow("below full stop") << "Stop!" << "Stop!";
        QTest::newRow("closing bracket") << "(none)" << "(none)";
        QTest::newRow("slash sorts above") << "a/" << "a/.";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("trailing blank") << "Broken " << "Broken ";
    }
    void errorTextGetsFullStopWhenLastCharSortsAbove()
    {
        QFETCH(QString, Message);
        QFETCH(QString, Shown);
        QCOMPARE(ErrorBoxText(Message.toStdString()), Shown);
    }

    // The handler's error is shown before the event loop goes on to the next event.
    void handlerErrorIsShownAndProgramCarriesOn()
    {
        TMessageCapture Capture;
        QStringList Steps;
        bool Finished = true;
        const QObject Context; // destroyed first, it cancels any call still queued
        QTimer::singleShot(0, &Context, [&] {
            Finished = RunHandler([&] {
                Steps << "handler starts";
                throw std::runtime_error("Stream read error");
            });
        });
        QTimer::singleShot(0, &Context,
                           [&] { Steps << QString("next event, %1 box shown").arg(Capture.Shown.size()); });
        QTRY_COMPARE(Steps, (QStringList{"handler starts", "next event, 1 box shown"}));
        QVERIFY(!Finished);
        QCOMPARE(Capture.Shown.size(), 1);
        QCOMPARE(int(Capture.Shown[0].Kind), int(TMessageKind::Error));
        QCOMPARE(Capture.Shown[0].Title, QStringLiteral("tst_application"));
        QCOMPARE(Capture.Shown[0].Text, QStringLiteral("Stream read error."));
    }

    void silentAbortShowsNothing()
    {
        TMessageCapture Capture;
        QVERIFY(!RunHandler([] { throw EAbort(); }));
        QVERIFY(RunHandler([] {}));
        QCOMPARE(Capture.Shown.size(), 0);
    }

    void unknownErrorIsStillReported()
    {
        TMessageCapture Capture;
        QVERIFY(!RunHandler([] { throw 42; }));
        QCOMPARE(Capture.Shown.size(), 1);
        QCOMPARE(Capture.Shown[0].Text, QStringLiteral("Unknown error."));
    }

    void notifyCatchesWhatSlipsPastTheHandlers()
    {
        TMessageCapture Capture;
        TThrowingObject Receiver;
        QEvent Event(QEvent::User);
        QCOMPARE(QCoreApplication::sendEvent(&Receiver, &Event), false);
        QCOMPARE(Capture.Shown.size(), 1);
        QCOMPARE(Capture.Shown[0].Text, QStringLiteral("Escaped the handler."));
    }

    // A write past the file-size limit or into a closed pipe must fail, not end the editor.
    void startUpIgnoresTheSignalsOfAFailedWrite_data()
    {
        QTest::addColumn<int>("Signal");
        QTest::newRow("SIGXFSZ") << SIGXFSZ;
        QTest::newRow("SIGPIPE") << SIGPIPE;
    }
    void startUpIgnoresTheSignalsOfAFailedWrite()
    {
        QFETCH(int, Signal);
        QVERIFY2(IgnoredAtStartUp.contains(Signal), qPrintable(QString::number(Signal)));
    }

    // The real boxes, answered by a user: the buttons in their order, the default, Esc and the close box.
    void questionsAnswerByKeyAndButton_data()
    {
        QTest::addColumn<bool>("WithCancel");
        QTest::addColumn<QString>("Action");
        QTest::addColumn<int>("Answer");
        QTest::newRow("yes/no: Enter is No") << false << "Enter" << int(TModalResult::No);
        QTest::newRow("yes/no: Esc is No") << false << "Esc" << int(TModalResult::No);
        QTest::newRow("yes/no: close box is No") << false << "Close" << int(TModalResult::No);
        QTest::newRow("yes/no: Yes") << false << "&Yes" << int(TModalResult::Yes);
        QTest::newRow("yes/no/cancel: Enter is Yes") << true << "Enter" << int(TModalResult::Yes);
        QTest::newRow("yes/no/cancel: Esc is Cancel") << true << "Esc" << int(TModalResult::Cancel);
        QTest::newRow("yes/no/cancel: close box is Cancel") << true << "Close" << int(TModalResult::Cancel);
        QTest::newRow("yes/no/cancel: No") << true << "&No" << int(TModalResult::No);
        QTest::newRow("yes/no/cancel: Cancel") << true << "Cancel" << int(TModalResult::Cancel);
    }
    void questionsAnswerByKeyAndButton()
    {
        QFETCH(bool, WithCancel);
        QFETCH(QString, Action);
        QFETCH(int, Answer);
        QStringList Captions;
        QTimer Answerer;
        Answerer.setInterval(10);
        QObject::connect(&Answerer, &QTimer::timeout, [&] {
            QWidget* Box = QApplication::activeModalWidget();
            if (!Box)
                return;
            Answerer.stop();
            for (QPushButton* Button : Box->findChildren<QPushButton*>()) {
                Captions << Button->text() + (Button->isDefault() ? "*" : "");
                if (Button->text() == Action)
                    Button->click();
            }
            if (Action == "Enter")
                QTest::keyClick(Box->focusWidget() ? Box->focusWidget() : Box, Qt::Key_Return);
            else if (Action == "Esc")
                QTest::keyClick(Box, Qt::Key_Escape);
            else if (Action == "Close")
                Box->close();
        });
        Answerer.start();
        const QString Text = QStringLiteral("Sure?");
        const TModalResult Result = WithCancel ? AskYesNoCancel(Text) : AskYesNo(Text);
        const QStringList Expected = WithCancel ? QStringList{"&Yes*", "&No", "Cancel"} : QStringList{"&Yes", "&No*"};
        QCOMPARE(Captions, Expected);
        QCOMPARE(int(Result), Answer);
    }

    // The real text box: the part asked for is selected, so typing replaces just that.
    void textBoxStartsWithThePartSelected_data()
    {
        QTest::addColumn<QString>("Action");
        QTest::addColumn<QString>("Answer"); // "<none>" for Cancel
        QTest::newRow("typing replaces the selection, Enter is OK") << "Enter" << "first.txt";
        QTest::newRow("OK") << "OK" << "first.txt";
        QTest::newRow("Esc is Cancel") << "Esc" << "<none>";
        QTest::newRow("close box is Cancel") << "Close" << "<none>";
    }
    void textBoxStartsWithThePartSelected()
    {
        QFETCH(QString, Action);
        QFETCH(QString, Answer);
        QString Selected;
        QTimer Answerer;
        Answerer.setInterval(10);
        QObject::connect(&Answerer, &QTimer::timeout, [&] {
            QWidget* Box = QApplication::activeModalWidget();
            if (!Box)
                return;
            Answerer.stop();
            auto* Line = Box->findChild<QLineEdit*>();
            Selected = Line->selectedText();
            QTest::keyClicks(Line, "first");
            if (Action == "Enter")
                QTest::keyClick(Line, Qt::Key_Return);
            else if (Action == "Esc")
                QTest::keyClick(Box, Qt::Key_Escape);
            else if (Action == "Close")
                Box->close();
            for (QPushButton* Button : Box->findChildren<QPushButton*>())
                if (Button->text().remove('&') == Action)
                    Button->click();
        });
        Answerer.start();
        const std::optional<QString> Typed =
            AskText({QStringLiteral("Rename Level"), QStringLiteral("New name:"), QStringLiteral("level3.txt"), 0, 6});
        QCOMPARE(Selected, QStringLiteral("level3"));
        QCOMPARE(Typed.value_or(QStringLiteral("<none>")), Answer);
    }
};

int main(int argc, char* argv[])
{
    TApplication Application(argc, argv);
    for (const int Signal : {SIGXFSZ, SIGPIPE}) {
        struct sigaction Current {};
        if (sigaction(Signal, nullptr, &Current) == 0 && Current.sa_handler == SIG_IGN)
            IgnoredAtStartUp << Signal;
    }
    TestApplication Test;
    return QTest::qExec(&Test, argc, argv);
}

#include "tst_application.moc"
