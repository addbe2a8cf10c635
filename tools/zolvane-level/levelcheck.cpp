// zolvane-level check and fmt: each file read once, chunk by chunk, and each failure, even of memory,
// kept to its own file.

#include "filenotes.h"
#include "levelcli.h"

#include <algorithm>
#include <ostream>

namespace {

int CheckLevel(const std::string& File, std::ostream& Out, std::ostream& Err)
{
    if (!ReadableOrSay(File, Err))
        return ExitTrouble;
    try {
        const TLevelFileReading Reading = ReadLevelFile(File);
        if (!Reading.LooksLikeLevel) {
            Out << File << ": warning: does not look like a level file\n";
            return ExitNotCanonical;
        }
        const TFileNotes& Notes = Reading.Notes;
        for (const TFileNote& Note : Notes.Listed)
            Out << File << ':' << Note.Line << ':' << Note.Column << ": warning: " << Note.Text << '\n';
        if (const std::uint64_t More = Notes.Total() - Notes.Listed.size())
            Out << File << ": warning: " << More << " more notes not listed\n";
        return Notes.ChangesFile() ? ExitNotCanonical : ExitOk;
    } catch (const std::exception& Failure) {
        Err << File << ": error: cannot read: " << FailureText(Failure) << '\n';
        return ExitTrouble;
    }
}

int FormatLevel(const std::string& File, const TFormatOptions& Options, std::ostream& Out, std::ostream& Err)
{
    if (!ReadableOrSay(File, Err))
        return ExitTrouble;
    const char* Stage = "read";
    try {
        switch (FormatLevelFile(File, Options, Stage)) {
        case TFormatOutcome::Canonical:
            return ExitOk;
        case TFormatOutcome::Rewritten:
            Out << File << ": reformatted\n";
            return ExitOk;
        case TFormatOutcome::WouldRewrite:
            Out << File << ": would be reformatted\n";
            return ExitNotCanonical;
        case TFormatOutcome::NotALevel:
            Err << File << ": error: does not look like a level file; left as it is (--force rewrites it)\n";
            return ExitTrouble;
        }
    } catch (const std::exception& Failure) {
        Err << File << ": error: cannot " << Stage << ": " << FailureText(Failure) << '\n';
    }
    return ExitTrouble;
}

} // namespace

int CheckLevels(const std::vector<std::string>& Files, std::ostream& Out, std::ostream& Err)
{
    int Status = ExitOk;
    for (const std::string& File : Files)
        Status = std::max(Status, CheckLevel(File, Out, Err));
    return Status;
}

int FormatLevels(const std::vector<std::string>& Files, const TFormatOptions& Options, std::ostream& Out,
                 std::ostream& Err)
{
    int Status = ExitOk;
    for (const std::string& File : Files)
        Status = std::max(Status, FormatLevel(File, Options, Out, Err));
    return Status;
}
