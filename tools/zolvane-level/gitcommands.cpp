#include "gitcommands.h"

#include "folderlock.h"
#include "inouterror.h"
#include "levelcli.h"
#include "levelfile.h"
#include "levelmerge.h"
#include "levelwriters.h"
#include "safefile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QProcess>
#include <QStringList>

#include <cstring>
#include <filesystem>
#include <optional>
#include <ostream>
#include <system_error>

namespace {

const char* const ShowHelp = R"(usage: zolvane-level show FILE

Prints the level for people and for 'git diff' (git-setup registers it as the textconv): one line per
cell that holds a brick or a power-up, row by row,
  column C, row R: BRICK[, POWER-UP]
with the catalogue's names, columns 0 to 19 and rows 0 to 9 as the editor's status line counts them,
then 'trailer: TEXT' when the level has a trailer.
)";

const char* const DiffHelp = R"(usage: zolvane-level diff OLD NEW [--png OUT.png] [--images DIR]

Compares two levels as the editor reads them (an LF file equals its CR LF twin) and prints one line per
cell that differs, and one when the trailer differs:
  NEW:LINE:COLUMN: OLD-CELL -> NEW-CELL
  NEW: trailer: OLD -> NEW
LINE and COLUMN are where the cell stands in the file, as 'check' counts them.
  --png OUT.png   also draw OLD and NEW side by side, each changed cell framed in magenta
  --images DIR    the element pictures (default: editor/images beside this program)
Exit status: 0 the levels are the same, 1 they differ, 2 a file cannot be read or written.
)";

const char* const MergeHelp = R"(usage: zolvane-level merge BASE OURS THEIRS [--name PATH]

git's merge driver for levels (git-setup registers it as 'merge %O %A %B --name %P'). Merges cell by
cell: a cell changed on one side takes that side, a cell changed alike on both sides is no conflict, and
a cell changed differently on both sides keeps OURS and is named:
  PATH:LINE:COLUMN: conflict: base B, ours O, theirs T
The trailer merges the same way, as one value. The result is written to OURS with the safe save, always
as a whole level that the editor and the game open: never with conflict markers.
  --name PATH   the level's name in the conflict lines (default: OURS)
Exit status: 0 merged cleanly, 1 some cell or the trailer conflicts, 2 a file cannot be read or written.
)";

const char* const GitSetupHelp = R"(usage: zolvane-level git-setup

Run it in a folder of levels inside a git work tree. Registers this program, by its absolute path, in the
repository's configuration as the merge driver and the diff textconv named zolvane-level, and adds
  *.txt merge=zolvane-level diff=zolvane-level
to the current folder's .gitattributes, and the writers' lock file .zolvane.lock to the clone's
info/exclude. Running it again adds nothing twice. Everyone who merges levels runs it once in their
clone; the .gitattributes line is committed with the levels.
Exit status: 0 done, 2 not in a git work tree, or git or .gitattributes cannot be run or written.
)";

const char* const GitAttributesLine = "*.txt merge=zolvane-level diff=zolvane-level";

const TGitCommand GitCommands[] = {
    {"show", ShowHelp, {}, 1, "give exactly one file"},
    {"diff", DiffHelp, {"--png", "--images"}, 2, "give two files, OLD and NEW"},
    {"merge", MergeHelp, {"--name"}, 3, "give three files, BASE, OURS and THEIRS"},
    {"git-setup", GitSetupHelp, {}, 0, "takes no files"},
};

// Where a cell stands in its file, as check counts: "LINE:COLUMN".
std::string FilePlace(int Column, int Row)
{
    return std::to_string(Row + 1) + ':' + std::to_string(2 * Column + 1);
}

std::string TrailerShown(const std::string& Text)
{
    return Text.empty() ? "none" : '"' + Text + '"';
}

bool WritePng(const QImage& Picture, const std::string& Output, std::ostream& Err)
{
    QByteArray Png;
    QBuffer Buffer(&Png);
    Buffer.open(QIODevice::WriteOnly);
    if (!Picture.save(&Buffer, "PNG")) {
        Err << Output << ": error: cannot encode PNG\n";
        return false;
    }
    try {
        ReplaceFileContents(Output, Png.toStdString());
    } catch (const std::exception& Failure) {
        Err << Output << ": error: cannot write: " << Failure.what() << '\n';
        return false;
    }
    return true;
}

void FillRect(QImage& Image, int X, int Y, int W, int H, QRgb Colour)
{
    for (int Line = Y; Line < Y + H; ++Line)
        std::fill_n(reinterpret_cast<QRgb*>(Image.scanLine(Line)) + X, W, Colour);
}

// For a shell: git runs its drivers through one.
std::string ShellQuoted(const std::string& Text)
{
    std::string Quoted = "'";
    for (const char Ch : Text)
        Quoted += Ch == '\'' ? std::string("'\\''") : std::string(1, Ch);
    return Quoted + "'";
}

// Runs git with Args in the current folder; its output, or nothing with Error set to why it failed.
std::optional<std::string> RunGit(const QStringList& Args, std::string& Error)
{
    QProcess Git;
    Git.start("git", Args);
    if (!Git.waitForFinished(-1) || Git.exitStatus() != QProcess::NormalExit) {
        Error = "cannot run git: " + Git.errorString().toStdString();
        return std::nullopt;
    }
    if (Git.exitCode() != 0) {
        Error = QString::fromLocal8Bit(Git.readAllStandardError()).trimmed().toStdString();
        return std::nullopt;
    }
    return QString::fromLocal8Bit(Git.readAllStandardOutput()).trimmed().toStdString();
}

// Adds Line to File unless a line there says it already.
int AddLineOnce(const std::string& File, const std::string& Line, std::ostream& Out, std::ostream& Err)
{
    std::string Text;
    std::error_code Absent;
    if (std::filesystem::exists(File, Absent)) {
        std::string Error;
        const std::optional<std::string> Bytes = ReadLevelBytes(File, Error);
        if (!Bytes) {
            Err << File << ": error: cannot read: " << Error << '\n';
            return ExitTrouble;
        }
        Text = *Bytes;
    }
    for (std::size_t Start = 0; Start < Text.size();) {
        const std::size_t End = std::min(Text.find('\n', Start), Text.size());
        const std::string Have = Text.substr(Start, End - Start);
        if (Have == Line || Have == Line + '\r') {
            Out << File << ": already has " << Line << '\n';
            return ExitOk;
        }
        Start = End + 1;
    }
    if (!Text.empty() && Text.back() != '\n')
        Text += '\n';
    try {
        ReplaceFileContents(File, Text + Line + '\n');
    } catch (const std::exception& Failure) {
        Err << File << ": error: cannot write: " << Failure.what() << '\n';
        return ExitTrouble;
    }
    Out << File << ": added " << Line << '\n';
    return ExitOk;
}

} // namespace

const TGitCommand* FindGitCommand(const std::string& Name)
{
    for (const TGitCommand& Command : GitCommands)
        if (Name == Command.Name)
            return &Command;
    return nullptr;
}

int RunGitCommand(const TGitCommand& Command, const std::vector<std::string>& Files,
                  const std::map<std::string, std::string>& Values, const std::string& DefaultImagesDir,
                  std::ostream& Out, std::ostream& Err)
{
    auto Value = [&](const std::string& Name, const std::string& Default) {
        const auto Found = Values.find(Name);
        return Found == Values.end() ? Default : Found->second;
    };
    const std::string Name = Command.Name;
    if (Name == "show")
        return ShowLevelFile(Files[0], Out, Err);
    if (Name == "diff")
        return DiffLevelFiles(Files[0], Files[1], Value("--png", ""), Value("--images", DefaultImagesDir), Out, Err);
    if (Name == "merge")
        return MergeLevelFiles(Files[0], Files[1], Files[2], Value("--name", Files[1]), Out, Err);
    // The program git is to run is this very executable, wherever it was started from.
    if (!QCoreApplication::instance()) {
        Err << "zolvane-level git-setup: cannot tell where this program lies\n";
        return ExitTrouble;
    }
    return SetUpGit(QCoreApplication::applicationFilePath().toStdString(), Out, Err);
}

std::string LevelShowText(const TLevelData& Level)
{
    std::string Text;
    for (int Row = 0; Row < LevelRows; ++Row)
        for (int Column = 0; Column < LevelColumns; ++Column) {
            const TLevelCell& Cell = Level.Cells[Column][Row];
            if (Cell.Brick != 0 || Cell.PowerUp != 0)
                Text +=
                    "column " + std::to_string(Column) + ", row " + std::to_string(Row) + ": " + CellText(Cell) + '\n';
        }
    if (!Level.TrailerText.empty())
        Text += "trailer: " + Level.TrailerText + '\n';
    return Text;
}

int ShowLevelFile(const std::string& File, std::ostream& Out, std::ostream& Err)
{
    TLevelData Level;
    if (!ReadLevel(File, Level, Err))
        return ExitTrouble;
    Out << LevelShowText(Level);
    return ExitOk;
}

QImage DiffPicture(const TLevelData& Old, const TLevelData& New, const TFieldPictures& Pictures)
{
    QImage Sheet(2 * FieldPixelWidth + DiffPictureGap, FieldPixelHeight, QImage::Format_RGB32);
    Sheet.fill(DiffGapColour);
    const TLevelDiff Diff = DiffLevels(Old, New);
    const QImage Sides[] = {RenderLevel(Old, Pictures), RenderLevel(New, Pictures)};
    for (int Side = 0; Side < 2; ++Side) {
        const int Left = Side * (FieldPixelWidth + DiffPictureGap);
        for (int Y = 0; Y < FieldPixelHeight; ++Y)
            std::memcpy(reinterpret_cast<QRgb*>(Sheet.scanLine(Y)) + Left, Sides[Side].constScanLine(Y),
                        FieldPixelWidth * sizeof(QRgb));
        for (const TCellChange& Change : Diff.Cells) {
            const int X = Left + Change.Column * FieldPitchX;
            const int Y = Change.Row * FieldPitchY;
            const int W = FieldCellWidth;
            const int H = FieldCellHeight;
            const int F = DiffFrameWidth;
            FillRect(Sheet, X, Y, W, F, DiffFrameColour);
            FillRect(Sheet, X, Y + H - F, W, F, DiffFrameColour);
            FillRect(Sheet, X, Y, F, H, DiffFrameColour);
            FillRect(Sheet, X + W - F, Y, F, H, DiffFrameColour);
        }
    }
    return Sheet;
}

int DiffLevelFiles(const std::string& OldFile, const std::string& NewFile, const std::string& Png,
                   const std::string& ImagesDir, std::ostream& Out, std::ostream& Err)
{
    TLevelData Old;
    TLevelData New;
    const bool ReadOld = ReadLevel(OldFile, Old, Err);
    if (!ReadLevel(NewFile, New, Err) || !ReadOld)
        return ExitTrouble;
    const TLevelDiff Diff = DiffLevels(Old, New);
    for (const TCellChange& Change : Diff.Cells)
        Out << NewFile << ':' << FilePlace(Change.Column, Change.Row) << ": " << CellText(Change.Old) << " -> "
            << CellText(Change.New) << '\n';
    if (Diff.TrailerChanged)
        Out << NewFile << ": trailer: " << TrailerShown(Old.TrailerText) << " -> " << TrailerShown(New.TrailerText)
            << '\n';
    if (!Png.empty()) {
        try {
            if (!WritePng(DiffPicture(Old, New, LoadFieldPictures(ImagesDir)), Png, Err))
                return ExitTrouble;
        } catch (const std::exception& Failure) {
            Err << "zolvane-level diff: " << Failure.what() << '\n';
            return ExitTrouble;
        }
    }
    return Diff.Empty() ? ExitOk : ExitDifferent;
}

int MergeLevelFiles(const std::string& Base, const std::string& Ours, const std::string& Theirs,
                    const std::string& Name, std::ostream& Out, std::ostream& Err)
{
    const std::string* Files[] = {&Base, &Ours, &Theirs};
    TLevelData Levels[3];
    // Taken before reading: a change to OURS while the merge runs is then seen at the write.
    TFileIdentity OursRead;
    try {
        OursRead = FileIdentityOf(Ours);
    } catch (const EInOutError&) {
        // Then the reading below says what is wrong with the file.
    }
    bool Read = true;
    for (int Side = 0; Side < 3; ++Side)
        Read = ReadLevel(*Files[Side], Levels[Side], Err) && Read;
    if (!Read)
        return ExitTrouble;
    TLevelMerge Merge = MergeLevels(Levels[0], Levels[1], Levels[2]);
    try {
        // Under the folder's lock, as every writer of levels; another program's change is never replaced.
        if (!SaveLevelChecked(Ours, Merge.Level, OursRead, [] { return false; })) {
            Err << Ours << ": error: changed by another program during the merge; nothing was written\n";
            return ExitTrouble;
        }
    } catch (const std::exception& Failure) {
        Err << Ours << ": error: cannot write: " << Failure.what() << '\n';
        return ExitTrouble;
    }
    for (const TCellConflict& Conflict : Merge.Conflicts)
        Out << Name << ':' << FilePlace(Conflict.Column, Conflict.Row) << ": conflict: base " << CellText(Conflict.Base)
            << ", ours " << CellText(Conflict.Ours) << ", theirs " << CellText(Conflict.Theirs) << '\n';
    if (const std::optional<TTrailerConflict>& Trailer = Merge.TrailerConflict)
        Out << Name << ": conflict: trailer: base " << TrailerShown(Trailer->Base) << ", ours "
            << TrailerShown(Trailer->Ours) << ", theirs " << TrailerShown(Trailer->Theirs) << '\n';
    return Merge.Clean() ? ExitOk : ExitDifferent;
}

int SetUpGit(const std::string& Tool, std::ostream& Out, std::ostream& Err)
{
    std::string Error;
    if (!RunGit({"rev-parse", "--show-toplevel"}, Error)) {
        Err << "zolvane-level git-setup: not in a git work tree: " << Error << '\n';
        return ExitTrouble;
    }
    const std::pair<const char*, std::string> Settings[] = {
        {"merge.zolvane-level.name", "Zolvane levels, cell by cell"},
        {"merge.zolvane-level.driver", ShellQuoted(Tool) + " merge %O %A %B --name %P"},
        {"diff.zolvane-level.textconv", ShellQuoted(Tool) + " show"},
    };
    for (const auto& [Key, Value] : Settings) {
        if (!RunGit({"config", Key, QString::fromStdString(Value)}, Error)) {
            Err << "zolvane-level git-setup: git config " << Key << ": " << Error << '\n';
            return ExitTrouble;
        }
        Out << Key << " = " << Value << '\n';
    }
    // The writers' lock file stays in each folder they wrote, the work tree's top too when git merged
    // there: it is nobody's change to commit.
    const std::optional<std::string> Exclude = RunGit({"rev-parse", "--git-path", "info/exclude"}, Error);
    if (!Exclude) {
        Err << "zolvane-level git-setup: git rev-parse: " << Error << '\n';
        return ExitTrouble;
    }
    std::error_code Ignored;
    std::filesystem::create_directories(std::filesystem::path(*Exclude).parent_path(), Ignored);
    if (const int Status = AddLineOnce(*Exclude, FolderLockFileName, Out, Err); Status != ExitOk)
        return Status;
    return AddLineOnce(".gitattributes", GitAttributesLine, Out, Err);
}
