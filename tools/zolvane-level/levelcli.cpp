#include "levelcli.h"

#include "filenotes.h"
#include "gitcommands.h"
#include "infocommand.h"
#include "levelfile.h"
#include "playcommands.h"
#include "rendercommand.h"

#include <algorithm>
#include <cerrno>
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
  render FILE... -o OUT [--format FMT] [--scale N] [--images DIR]
                           draw the field as the editor's grid shows it, as PNG, BMP, JPEG...
  info [--json] [--play] FILE...
                           count bricks, power-ups and the hits to clear; tell symmetry, the trailer and
                           the problems
  lint FILE...             report bricks no ball can reach and power-ups that are never released
  play FILE [--seconds N] [--seed S]
                           play the level with a paddle that never misses; say whether it is cleared
  show FILE                the level as text, one line per cell, for people and for 'git diff'
  diff OLD NEW [--png OUT.png]
                           the cells that differ; exit 1 when any does
  merge BASE OURS THEIRS [--name PATH]
                           git's merge driver: merge cell by cell into OURS; exit 1 on a conflict
  git-setup                register merge and diff with git and add the .gitattributes line

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

struct TOptions {
    std::vector<std::string> Flags; // options without a value
    std::vector<std::string> Valued; // options with one, given as "--name VALUE" or "--name=VALUE"
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

// The commands for levels under git, through the same parser.
int RunGitTool(const TGitCommand& Git, const std::vector<std::string>& Args, const std::string& DefaultImagesDir,
               std::ostream& Out, std::ostream& Err)
{
    if (WantsHelp(Args)) {
        Out << Git.Help;
        return ExitOk;
    }
    TParsed Parsed;
    if (const std::string Error = ParseArguments(Args, {{}, Git.Valued}, Parsed); !Error.empty())
        return UsageError(Err, Git.Name, Error);
    if (Parsed.Positional.size() != Git.Files)
        return UsageError(Err, Git.Name, Git.FilesError);
    return RunGitCommand(Git, Parsed.Positional, Parsed.Values, DefaultImagesDir, Out, Err);
}

} // namespace

int UsageError(std::ostream& Err, const std::string& Command, const std::string& Message)
{
    const std::string Who = Command.empty() ? ToolName : std::string(ToolName) + " " + Command;
    Err << Who << ": " << Message << "\nTry '" << Who << " --help'.\n";
    return ExitTrouble;
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
    if (const TGitCommand* Git = FindGitCommand(Command))
        return RunGitTool(*Git, Rest, DefaultImagesDir, Out, Err);
    const std::map<std::string, const char*> Helps = {
        {"check", CheckHelp}, {"fmt", FormatHelp}, {"render", RenderHelp},
        {"info", InfoHelp},   {"lint", LintHelp},  {"play", PlayHelp}};
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
        Options.Flags = {"--json", "--play"};
    else if (Command == "play")
        Options.Valued = {"--seconds", "--seed"};
    else if (Command == "render")
        Options.Valued = {"-o", "--output", "--format", "--scale", "--images"};
    if (const std::string Error = ParseArguments(Rest, Options, Parsed); !Error.empty())
        return UsageError(Err, Command, Error);

    if (Parsed.Positional.empty())
        return UsageError(Err, Command, "no files given");
    if (Command == "check")
        return CheckLevels(Parsed.Positional, Out, Err);
    if (Command == "fmt")
        return FormatLevels(Parsed.Positional, {Parsed.Flags.count("--check") > 0, Parsed.Flags.count("--force") > 0},
                            Out, Err);
    if (Command == "info")
        return InfoLevelFiles(Parsed.Positional, Parsed.Flags.count("--json") > 0, Out, Err,
                              Parsed.Flags.count("--play") > 0);
    if (Command == "lint")
        return LintLevels(Parsed.Positional, Out, Err);
    if (Command == "play")
        return PlayLevel(Parsed, Out, Err);
    return RenderLevelFiles(Parsed, DefaultImagesDir, Err);
}
