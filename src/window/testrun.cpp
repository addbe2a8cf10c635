#include "testrun.h"

#include "application.h"
#include "dialogs.h"
#include "gamelaunch.h"
#include "levelwriters.h"
#include "xProcs.h"

#include <QString>

namespace {

const char* const LevelFolder = "data/levels/";
const char* const GameExecutable = "zolvane.exe";
const char* const TestFileName = "test.lvl";

} // namespace

void StartTestRun(const std::string& GameDir, const TLevelData& Level, void* Owner)
{
    const std::string Executable = GameDir + GameExecutable;
    const std::string TestFile = GameDir + LevelFolder + TestFileName;
    // A copy is written so that the level keeps its own file name: a later Save must not land in the
    // scratch file. Whatever is named test.lvl is replaced, a link too, never written through.
    SaveLevelCopy(TestFile, Level);
    const int Error = StartProgram(Executable, std::string("--level=") + TestFileName, GameDir, Owner);
    if (Error != 0) {
        const std::string Reason = SystemErrorText(Error);
        ShowPlainBox(ApplicationTitle(),
                     QString::fromLocal8Bit(Reason.data(), static_cast<qsizetype>(Reason.size())) +
                         QStringLiteral("\r\n\"") + QString::fromUtf8(Executable.c_str()) + QLatin1Char('"'));
    }
}
