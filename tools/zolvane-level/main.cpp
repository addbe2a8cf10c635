// zolvane-level: the level files' command-line companion. See levelcli.h.

#include "levelcli.h"

#include <QCoreApplication>

#include <csignal>
#include <iostream>

int main(int argc, char** argv)
{
#ifndef _WIN32
    // As in the editor: a write past the file-size limit (ulimit -f) or into a closed pipe then fails with
    // EFBIG or EPIPE, which the file layer reports, instead of killing the tool with its temporary file left.
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
#endif
    const std::vector<std::string> Args(argv + 1, argv + argc);
    // Only for the executable's folder: the pictures lie in editor/images beside it, as for the editor.
    QCoreApplication Application(argc, argv);
    const std::string Images = QCoreApplication::applicationDirPath().toStdString() + "/editor/images";
    return RunLevelTool(Args, Images, std::cout, std::cerr);
}
