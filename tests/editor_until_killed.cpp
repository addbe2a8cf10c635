// The editor's start-up, then edits without end, run by tst_recovery, which kills it with SIGKILL at a
// moment of its choosing. Each edit is reported on standard output once it is made, as "<edit> <ms>" with
// the steady clock's milliseconds; a message box is reported as "! <text>".
// Arguments: the game directory (also the current directory), and the application name whose recovery
// folder the test reads.
#include "application.h"
#include "levellistview.h"
#include "main.h"
#include "messagecapture.h"
#include "recoveryedits.h"

#include <QStandardPaths>
#include <QTimer>

#include <chrono>
#include <cstdio>

int main(int argc, char* argv[])
{
    TApplication Application(argc, argv);
    if (argc != 3)
        return 2;
    QCoreApplication::setApplicationName(QString::fromLocal8Bit(argv[2]));
    QStandardPaths::setTestModeEnabled(true);
    TMessageCapture Capture;
    TMainForm Form(QString::fromLocal8Bit(argv[1]));
    Form.show();
    auto* List = Form.findChild<TLevelListView*>("lvLevels");
    QListWidgetItem* Alpha = List->FindCaption(QStringLiteral("alpha.txt"));
    if (!Alpha)
        return 3;
    QTest::mouseClick(List->viewport(), Qt::LeftButton, {}, List->visualItemRect(Alpha).center());

    int Edit = 0;
    QTimer Edits;
    QObject::connect(&Edits, &QTimer::timeout, [&] {
        RecoveryEdits::Make(Form, Edit);
        const auto Now = std::chrono::steady_clock::now().time_since_epoch();
        std::printf("%d %lld\n", Edit++,
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(Now).count()));
        for (const TMessageRequest& Shown : Capture.Shown)
            std::printf("! %s\n", Shown.Text.toUtf8().constData());
        Capture.Shown.clear();
        std::fflush(stdout);
    });
    Edits.start(5);
    return Application.exec();
}
