#include "application.h"
#include "main.h"

#include <QIcon>

int main(int argc, char* argv[])
{
    TApplication Application(argc, argv);
    Application.setWindowIcon(QIcon(QStringLiteral("editor/images/zolvane.bmp")));
    TMainForm MainForm;
    MainForm.show();
    return Application.exec();
}
