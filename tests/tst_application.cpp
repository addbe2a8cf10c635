// Error reporting: what escapes an event handler is shown in an error box and the program carries on.
#include "application.h"
#include "exceptions.h"
#include "messagecapture.h"

#include <QtTest>

namespace {

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

    void handlerErrorIsShownAndProgramCarriesOn()
    {
        TMessageCapture Capture;
        bool After = false;
        const bool Finished = RunHandler([] { throw std::runtime_error("Stream read error"); });
        After = true;
        QVERIFY(!Finished);
        QVERIFY(After);
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
};

int main(int argc, char* argv[])
{
    TApplication Application(argc, argv);
    TestApplication Test;
    return QTest::qExec(&Test, argc, argv);
}

#include "tst_application.moc"
