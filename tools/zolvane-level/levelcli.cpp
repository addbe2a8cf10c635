#include "levelcli.h"

#include "elementkinds.h"
#include "filenotes.h"
#include "jsontext.h"
#include "levelfile.h"
#include "levelrender.h"
#include "safefile.h"

#include <QBuffer>
#include <QByteArray>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <map>
#include <ostream>
#include <set>
#include <system_error>

namespace {

const char* const ToolName = "zolvane-level";

const char* const MainHelp = R"(usage: zolvane-level <command> [options] FILE...

Checks, formats, renders and describes Zolvane level files.

Commands:
  check FILE...            report, per file, what the editor reads differently from what the file says
  fmt [--check] [--force] FILE...
                           rewrite files that are not in the form the editor saves
  render FILE -o OUT.png [--scale N] [--images DIR]
                           draw the field as the editor's grid shows it
  info [--json] FILE       count bricks and power-ups; tell symmetry and the trailer text

Run 'zolvane-level <command> --help' for one command.
Exit status: 0 all well, 1 some file is not in canonical form, 2 bad arguments or a file that cannot be
read or written.
)";

const char* const CheckHelp = R"(usage: zolvane-level check FILE...

Reads each file as the editor does and prints one line per thing it ignores or repairs:
  FILE:LINE:COLUMN: warning: TEXT
The first 1000 are listed and the rest counted. A file whose first ten lines are mostly not level
characters is only said not to look like a level file.
Exit status: 0 when every file is canonical (saving it would give back exactly its bytes), 1 when some
file is not, 2 when a file cannot be read (the other files are still checked).
)";

const char* const FormatHelp = R"(usage: zolvane-level fmt [--check] [--force] FILE...

Rewrites each file that is not canonical in the form the editor saves, replacing it safely (the old file
stays whole if the write fails). Canonical files are not touched. Each file is read and written under the
level folder's lock, so a save by the editor is never undone. A file that does not look like a level (its
first ten lines hold 40 characters or more, under 60 % of them level characters) is left as it is.
  --check   only name the files that would be rewritten; exit status 1 when there are any
  --force   rewrite files that do not look like levels as well
Exit status: 0 done, 1 (with --check) some file would change, 2 a file cannot be read or written or does
not look like a level.
)";

const char* const RenderHelp = R"(usage: zolvane-level render FILE -o OUT.png [--scale N] [--images DIR]

Draws the field as the editor's grid shows it, without focus frame or highlight: 620 x 190 pixels, each
cell 30 x 18 with a silver line right of and below it.
  -o, --output OUT.png   the PNG to write
  --scale N              make every pixel N x N (1 to 16; default 1)
  --images DIR           the element pictures (default: editor/images beside this program)
)";

const char* const InfoHelp = R"(usage: zolvane-level info [--json] FILE

Counts the bricks per kind and the power-ups per kind, the breakable bricks (all but the fixed one), tells
whether the level is left-right symmetric, and shows the trailer text.
  --json   print a JSON object with the keys bricks, powerups, breakable, symmetric, trailer
)";

struct TOptions {
    std::vector<std::string> Flags; // options without a value
    std::vector<std::string> Valued; // options with one, given as "--name VALUE" or "--name=VALUE"
};

struct TParsed {
    std::vector<std::string> Positional;
    std::set<std::string> Flags;
    std::map<std::string, std::string> Values;
};

// Fills Parsed from Args; returns an error text, empty when the arguments are well formed. "--" ends the
// options.
std::string ParseArguments(const std::vector<std::string>& Args, const TOptions& Options, TParsed& Parsed)
{
    auto Has = [](const std::vector<std::string>& Names, const std::string& Name) {
        return std::find(Names.begin(), Names.end(), Name) != Names.end();
    };
    bool OptionsEnded = false;
    for (std::size_t I = 0; I < Args.size(); ++I) {
        const std::string& Arg = Args[I];
        if (OptionsEnded || Arg.size() < 2 || Arg[0] != '-') {
            Parsed.Positional.push_back(Arg);
            continue;
        }
        if (Arg == "--") {
            OptionsEnded = true;
            continue;
        }
        const std::size_t Equals = Arg.find('=');
        const std::string Name = Arg.substr(0, Equals);
        if (Has(Options.Flags, Name)) {
            if (Equals != std::string::npos)
                return "option " + Name + " takes no value";
            Parsed.Flags.insert(Name);
        } else if (Has(Options.Valued, Name)) {
            if (Equals != std::string::npos)
                Parsed.Values[Name] = Arg.substr(Equals + 1);
            else if (I + 1 < Args.size())
                Parsed.Values[Name] = Args[++I];
            else
                return "option " + Name + " needs a value";
        } else {
            return "unknown option " + Arg;
        }
    }
    return {};
}

int UsageError(std::ostream& Err, const std::string& Command, const std::string& Message)
{
    const std::string Who = Command.empty() ? ToolName : std::string(ToolName) + " " + Command;
    Err << Who << ": " << Message << "\nTry '" << Who << " --help'.\n";
    return ExitTrouble;
}

bool WantsHelp(const std::vector<std::string>& Args)
{
    for (const std::string& Arg : Args) {
        if (Arg == "--")
            return false;
        if (Arg == "--help" || Arg == "-h")
            return true;
    }
    return false;
}

std::optional<int> ParseScale(const std::string& Text)
{
    int Scale = 0;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Scale);
    if (Error != std::errc() || End != Text.data() + Text.size() || Scale < 1 || Scale > RenderMaxScale)
        return std::nullopt;
    return Scale;
}

bool ReadLevel(const std::string& File, TLevelData& Level, std::ostream& Err)
{
    if (!ReadableOrSay(File, Err))
        return false;
    try {
        Level = ReadLevelFile(File, 0).Level;
    } catch (const std::exception& Failure) {
        Err << File << ": error: cannot read: " << FailureText(Failure) << '\n';
        return false;
    }
    return true;
}

std::string JsonCounts(const std::vector<std::pair<std::string, int>>& Counts)
{
    std::string Json = "{";
    const char* Separator = "\n";
    for (const auto& [Name, Count] : Counts) {
        Json += Separator + std::string("    ") + JsonString(Name) + ": " + std::to_string(Count);
        Separator = ",\n";
    }
    return Json + "\n  }";
}

} // namespace

std::string UnreadableReason(const std::string& Path)
{
    namespace fs = std::filesystem;
    std::error_code Status;
    const fs::file_status Info = fs::status(Path, Status);
    if (Status)
        return Status.message();
    // A pipe or a device could block or never end; a folder cannot be read as a file.
    if (!fs::is_regular_file(Info))
        return fs::is_directory(Info) ? std::make_error_code(std::errc::is_a_directory).message()
                                      : "not a regular file";
    return {};
}

bool ReadableOrSay(const std::string& Path, std::ostream& Err)
{
    const std::string Reason = UnreadableReason(Path);
    if (!Reason.empty())
        Err << Path << ": error: cannot read: " << Reason << '\n';
    return Reason.empty();
}

std::string FailureText(const std::exception& Failure)
{
    return dynamic_cast<const std::bad_alloc*>(&Failure) ? "out of memory" : Failure.what();
}

std::optional<std::string> ReadLevelBytes(const std::string& Path, std::string& Error)
{
    Error = UnreadableReason(Path);
    if (!Error.empty())
        return std::nullopt;
    std::FILE* File = std::fopen(Path.c_str(), "rb");
    if (!File) {
        Error = std::generic_category().message(errno);
        return std::nullopt;
    }
    std::string Bytes;
    char Block[8192];
    std::size_t Got;
    while ((Got = std::fread(Block, 1, sizeof Block, File)) > 0)
        Bytes.append(Block, Got);
    const bool Failed = std::ferror(File) != 0;
    const int ReadErrno = errno;
    std::fclose(File);
    if (Failed) {
        Error = std::generic_category().message(ReadErrno);
        return std::nullopt;
    }
    return Bytes;
}

int RenderLevelFile(const std::string& File, const std::string& Output, int Scale, const std::string& ImagesDir,
                    std::ostream& Err)
{
    TLevelData Level;
    if (!ReadLevel(File, Level, Err))
        return ExitTrouble;
    TFieldPictures Pictures;
    try {
        Pictures = LoadFieldPictures(ImagesDir);
    } catch (const std::exception& Failure) {
        Err << ToolName << " render: " << Failure.what() << '\n';
        return ExitTrouble;
    }
    QByteArray Png;
    QBuffer Buffer(&Png);
    Buffer.open(QIODevice::WriteOnly);
    if (!RenderLevel(Level, Pictures, Scale).save(&Buffer, "PNG")) {
        Err << ToolName << " render: cannot encode PNG\n";
        return ExitTrouble;
    }
    try {
        ReplaceFileContents(Output, Png.toStdString());
    } catch (const std::exception& Failure) {
        Err << Output << ": error: cannot write: " << Failure.what() << '\n';
        return ExitTrouble;
    }
    return ExitOk;
}

TLevelInfo DescribeLevel(const TLevelData& Level)
{
    TLevelInfo Info;
    std::map<std::uint8_t, int> Bricks;
    std::map<std::uint8_t, int> PowerUps;
    Info.Symmetric = true;
    for (int Column = 0; Column < LevelColumns; ++Column)
        for (int Row = 0; Row < LevelRows; ++Row) {
            const TLevelCell& Cell = Level.Cells[Column][Row];
            if (BrickKindOf(Cell.Brick)) {
                ++Bricks[Cell.Brick];
                ++Info.BrickCount;
                Info.Breakable += IsBreakableBrick(Cell.Brick) ? 1 : 0;
            }
            if (PowerUpKindOf(Cell.PowerUp)) {
                ++PowerUps[Cell.PowerUp];
                ++Info.PowerUpCount;
            }
            if (!(Cell == Level.Cells[LevelColumns - 1 - Column][Row]))
                Info.Symmetric = false;
        }
    for (const TCatalogueEntry& Kind : BrickKinds())
        Info.Bricks.emplace_back(Kind.Name, Bricks[Kind.Id]);
    for (const TCatalogueEntry& Kind : PowerUpKinds())
        Info.PowerUps.emplace_back(Kind.Name, PowerUps[Kind.Id]);
    Info.Trailer = Level.TrailerText;
    return Info;
}

std::string InfoText(const TLevelInfo& Info)
{
    std::string Text =
        "bricks: " + std::to_string(Info.BrickCount) + ", " + std::to_string(Info.Breakable) + " breakable\n";
    for (const auto& [Name, Count] : Info.Bricks)
        if (Count > 0)
            Text += "  " + Name + ": " + std::to_string(Count) + "\n";
    Text += "power-ups: " + std::to_string(Info.PowerUpCount) + "\n";
    for (const auto& [Name, Count] : Info.PowerUps)
        if (Count > 0)
            Text += "  " + Name + ": " + std::to_string(Count) + "\n";
    Text += std::string("symmetric: ") + (Info.Symmetric ? "yes" : "no") + "\n";
    Text += "trailer: " + (Info.Trailer.empty() ? std::string("none") : ShownString(Info.Trailer)) + "\n";
    return Text;
}

std::string InfoJson(const TLevelInfo& Info)
{
    return "{\n  \"bricks\": " + JsonCounts(Info.Bricks) + ",\n  \"powerups\": " + JsonCounts(Info.PowerUps) +
        ",\n  \"breakable\": " + std::to_string(Info.Breakable) +
        ",\n  \"symmetric\": " + (Info.Symmetric ? "true" : "false") + ",\n  \"trailer\": " + JsonString(Info.Trailer) +
        "\n}\n";
}

int InfoLevelFile(const std::string& File, bool Json, std::ostream& Out, std::ostream& Err)
{
    TLevelData Level;
    if (!ReadLevel(File, Level, Err))
        return ExitTrouble;
    const TLevelInfo Info = DescribeLevel(Level);
    Out << (Json ? InfoJson(Info) : InfoText(Info));
    return ExitOk;
}

int RunLevelTool(const std::vector<std::string>& Args, const std::string& DefaultImagesDir, std::ostream& Out,
                 std::ostream& Err)
{
    if (Args.empty())
        return UsageError(Err, "", "no command given");
    const std::string& Command = Args.front();
    const std::vector<std::string> Rest(Args.begin() + 1, Args.end());
    if (Command == "--help" || Command == "-h" || Command == "help") {
        Out << MainHelp;
        return ExitOk;
    }
    const std::map<std::string, const char*> Helps = {
        {"check", CheckHelp}, {"fmt", FormatHelp}, {"render", RenderHelp}, {"info", InfoHelp}};
    const auto Help = Helps.find(Command);
    if (Help == Helps.end())
        return UsageError(Err, "", "unknown command '" + Command + "'");
    if (WantsHelp(Rest)) {
        Out << Help->second;
        return ExitOk;
    }

    TParsed Parsed;
    TOptions Options;
    if (Command == "fmt")
        Options.Flags = {"--check", "--force"};
    else if (Command == "info")
        Options.Flags = {"--json"};
    else if (Command == "render")
        Options.Valued = {"-o", "--output", "--scale", "--images"};
    if (const std::string Error = ParseArguments(Rest, Options, Parsed); !Error.empty())
        return UsageError(Err, Command, Error);

    if (Command == "check" || Command == "fmt") {
        if (Parsed.Positional.empty())
            return UsageError(Err, Command, "no files given");
        const TFormatOptions Format{Parsed.Flags.count("--check") > 0, Parsed.Flags.count("--force") > 0};
        return Command == "check" ? CheckLevels(Parsed.Positional, Out, Err)
                                  : FormatLevels(Parsed.Positional, Format, Out, Err);
    }
    if (Parsed.Positional.size() != 1)
        return UsageError(Err, Command, Parsed.Positional.empty() ? "no file given" : "give exactly one file");
    const std::string& File = Parsed.Positional.front();
    if (Command == "info")
        return InfoLevelFile(File, Parsed.Flags.count("--json") > 0, Out, Err);

    std::string Output = Parsed.Values.count("--output") ? Parsed.Values["--output"] : "";
    if (Parsed.Values.count("-o"))
        Output = Parsed.Values["-o"];
    if (Output.empty())
        return UsageError(Err, Command, "no output file given (-o OUT.png)");
    int Scale = 1;
    if (Parsed.Values.count("--scale")) {
        const std::optional<int> Given = ParseScale(Parsed.Values["--scale"]);
        if (!Given)
            return UsageError(Err, Command,
                              "--scale must be a whole number from 1 to " + std::to_string(RenderMaxScale) + ", not '" +
                                  Parsed.Values["--scale"] + "'");
        Scale = *Given;
    }
    const std::string ImagesDir = Parsed.Values.count("--images") ? Parsed.Values["--images"] : DefaultImagesDir;
    return RenderLevelFile(File, Output, Scale, ImagesDir, Err);
}
