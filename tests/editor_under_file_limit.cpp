// The editor as started by its own program, saving under a file-size limit: run by tst_mainform in a
// child process whose SIGXFSZ is at its default, so only the editor's start-up can keep it alive.
// Arguments: the game directory (also the current directory) and the limit in bytes. Prints every message
// box's text, one a line, then the level's Changed flag.
#include "application.h"
#include "levellistview.h"
#include "main.h"
#include "messagecapture.h"
#include "palettebar.h"

#include <QTest>
#include <QToolButton>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    TApplication Application(argc, argv);
    if (argc != 3)
        return 2;
    TMessageCapture Capture;
    TMainForm Form(QString::fromLocal8Bit(argv[1]));
    Form.show();
    auto* List = Form.findChild<TLevelListView*>("lvLevels");
    QListWidgetItem* Alpha = List->FindCaption(QStringLiteral("alpha.txt"));
    if (!Alpha)
        return 5;
    QTest::mouseClick(List->viewport(), Qt::LeftButton, {}, List->visualItemRect(Alpha).center());
    QTest::mouseClick(Form.findChild<TPaletteToolBar*>("tbBricks")->Buttons().at(3), Qt::LeftButton);
    auto* Grid = Form.findChild<QWidget*>("dgrdField");
    QTest::mouseClick(Grid, Qt::LeftButton, {}, QPoint(40, 30));
    if (Form.Level().Changed != 1)
        return 3;

    const rlim_t Limit = std::strtoul(argv[2], nullptr, 10);
    const rlimit Small{Limit, Limit};
    if (setrlimit(RLIMIT_FSIZE, &Small) != 0)
        return 4;
    QTest::mouseClick(Form.findChild<QToolButton*>("btnSaveLevel"), Qt::LeftButton);
    QTest::mouseClick(Form.findChild<QToolButton*>("btnExec"), Qt::LeftButton);
    for (const TMessageRequest& Shown : Capture.Shown)
        std::printf("%s\n", Shown.Text.toUtf8().constData());
    std::printf("Changed=%d\n", Form.Level().Changed);
    return 0;
}
