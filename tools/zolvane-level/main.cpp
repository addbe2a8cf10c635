// zolvane-level: the level files' command-line companion. See levelcli.h.

#include "levelcli.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char** argv)
{
    const std::vector<std::string> Args(argv + 1, argv + argc);
    // Only for the executable's folder: the pictures lie in editor/images beside it, as for the editor.
    QCoreApplication Application(argc, argv);
    const std::string Images = QCoreApplication::applicationDirPath().toStdString() + "/editor/images";
    return RunLevelTool(Args, Images, std::cout, std::cerr);
}
