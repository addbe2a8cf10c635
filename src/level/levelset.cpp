#include "levelset.h"

#include "folderentries.h"
#include "inouterror.h"
#include "levelfolder.h"
#include "safefile.h"

#include <algorithm>
#include <initializer_list>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

TExchangeStepHook StepHook;

// The journal of an exchange under way. Its fixed name makes it the folder's only one: a second exchange
// cannot begin before the first is settled.
constexpr char JournalName[] = ".zolvane-exchange";
constexpr char JournalTag[] = "exchange";

// Enough tries to pass a few names taken by others, few enough to stop in a folder where all are taken.
constexpr int NameAttempts = 100;

#ifdef _WIN32
constexpr char Separator = '\\';
#else
constexpr char Separator = '/';
#endif

// An exchange's names, each without folder, and the folder they share, ending in its separator.
struct TExchange {
    std::string Folder;
    std::string A;
    std::string B;
    std::string Aside; // A's hidden name while B takes A's

    std::string Path(const std::string& Name) const { return Folder + Name; }
};

void Step(TExchangeStep Done)
{
    if (StepHook)
        StepHook(Done);
}

// Folder as a prefix for its names: "" for the working folder, else ending in a separator.
std::string FolderPrefix(const std::string& Folder)
{
    return Folder.empty() || NameStartOf(Folder) == Folder.size() ? Folder : Folder + Separator;
}

std::string ReadWholeFile(const std::string& Path)
{
    TFileReader Reader(Path);
    std::string Bytes;
    std::string Chunk(ReadChunkSize, '\0');
    while (std::size_t Got = Reader.Read(Chunk.data(), Chunk.size()))
        Bytes.append(Chunk, 0, Got);
    Reader.Close();
    return Bytes;
}

void MoveOrThrow(const std::string& From, const std::string& To)
{
    if (!RenameExclusively(From, To))
        ThrowNameTaken(To);
}

// Offers Claim the next free "levelN.txt" in the folder (Prefix) until it claims one, moving past each
// name someone else took first; returns the path claimed.
std::string ClaimNextLevelName(const std::string& Prefix, const std::function<bool(const std::string&)>& Claim)
{
    std::vector<std::string> Taken = ListLevelFolder(Prefix.empty() ? "." : Prefix);
    for (int Attempt = 0; Attempt < NameAttempts; ++Attempt) {
        const std::string Name = NextLevelName(Taken);
        if (Claim(Prefix + Name))
            return Prefix + Name;
        Taken.push_back(Name);
    }
    ThrowNameTaken(Prefix + NextLevelName(Taken));
}

// Names without folder, separated by NUL, which no file name holds.
std::string JournalText(const TExchange& Exchange)
{
    std::string Text = JournalTag;
    for (const std::string* Name : {&Exchange.A, &Exchange.B, &Exchange.Aside})
        Text += '\0' + *Name;
    return Text;
}

TExchange ExchangeFromJournal(const std::string& Prefix, const std::string& Journal)
{
    std::vector<std::string> Fields(1);
    for (char C : ReadWholeFile(Journal)) {
        if (C == '\0')
            Fields.emplace_back();
        else
            Fields.back().push_back(C);
    }
    const bool Names = std::all_of(Fields.begin() + 1, Fields.end(),
                                   [](const std::string& Name) { return !Name.empty() && NameStartOf(Name) == 0; });
    if (Fields.size() != 4 || Fields[0] != JournalTag || !Names)
        throw EInOutError(InOutInvalidFileName,
                          "The level folder holds an exchange journal it cannot read: " + Journal);
    return {Prefix, Fields[1], Fields[2], Fields[3]};
}

// Brings A's level back from its hidden name, to the first of A and B that is free.
TLevelSetRecovery BringBackAside(const TExchange& Exchange)
{
    const std::string Aside = Exchange.Path(Exchange.Aside);
    if (!EntryExists(Aside))
        return TLevelSetRecovery::Settled;
    if (RenameExclusively(Aside, Exchange.Path(Exchange.A)))
        return TLevelSetRecovery::RolledBack;
    if (RenameExclusively(Aside, Exchange.Path(Exchange.B)))
        return TLevelSetRecovery::Completed;
    ClaimNextLevelName(Exchange.Folder, [&](const std::string& Path) { return RenameExclusively(Aside, Path); });
    return TLevelSetRecovery::Rescued;
}

// A hidden name beside A that nothing uses yet.
std::string FreeAsideName(const TExchange& Exchange)
{
    const std::string Base = "." + Exchange.A + ".exchange";
    for (int Attempt = 0; Attempt < NameAttempts; ++Attempt) {
        std::string Name = Attempt == 0 ? Base : Base + std::to_string(Attempt);
        if (!EntryExists(Exchange.Path(Name)))
            return Name;
    }
    ThrowNameTaken(Exchange.Path(Base));
}

// Undoes the first Moves moves of the exchange, last first, and removes the journal: the levels are
// back under their own names, as the failed exchange reports.
void RollBack(const TExchange& Exchange, int Moves)
{
    if (Moves >= 3)
        MoveOrThrow(Exchange.Path(Exchange.B), Exchange.Path(Exchange.Aside));
    if (Moves >= 2)
        MoveOrThrow(Exchange.Path(Exchange.A), Exchange.Path(Exchange.B));
    if (Moves >= 1)
        MoveOrThrow(Exchange.Path(Exchange.Aside), Exchange.Path(Exchange.A));
    SyncFolderOf(Exchange.Path(JournalName));
    RemoveEntry(Exchange.Path(JournalName));
}

void ExchangeThroughJournal(const TExchange& Exchange)
{
    const std::string Journal = Exchange.Path(JournalName);
    if (!CreateFileExclusively(Journal, JournalText(Exchange)))
        ThrowNameTaken(Journal);
    int Moves = 0;
    try {
        HideEntry(Journal);
        Step(TExchangeStep::JournalWritten);
        MoveOrThrow(Exchange.Path(Exchange.A), Exchange.Path(Exchange.Aside));
        ++Moves;
        Step(TExchangeStep::FirstMovedAside);
        MoveOrThrow(Exchange.Path(Exchange.B), Exchange.Path(Exchange.A));
        ++Moves;
        Step(TExchangeStep::SecondMoved);
        MoveOrThrow(Exchange.Path(Exchange.Aside), Exchange.Path(Exchange.B));
        ++Moves;
        Step(TExchangeStep::FirstMovedIn);
        SyncFolderOf(Journal);
        Step(TExchangeStep::FolderSynced);
    } catch (const EInOutError&) {
        // The step's failure is the one to report; when undoing fails too, the journal stays, and the next
        // recovery settles whatever arrangement the folder is left in.
        try {
            RollBack(Exchange, Moves);
        } catch (const EInOutError&) {
        }
        throw;
    }
    // The levels are in place and durable: a journal left behind is settled by the next recovery without
    // moving anything, so failing to remove it is no failure of the exchange.
    try {
        RemoveEntry(Journal);
        Step(TExchangeStep::JournalRemoved);
    } catch (const EInOutError&) {
    }
}

char LowerAscii(char C)
{
    return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C;
}

std::string TrimmedBlanks(const std::string& Text)
{
    const std::string::size_type First = Text.find_first_not_of(' ');
    return First == std::string::npos ? "" : Text.substr(First, Text.find_last_not_of(' ') - First + 1);
}

std::string NameRefusal(const std::string& Name)
{
    std::string Lower = Name;
    std::transform(Lower.begin(), Lower.end(), Lower.begin(), LowerAscii);
    if (Lower.empty() || Lower == "." || Lower == ".." || Lower == ".txt")
        return "A level needs a name.";
    if (Name.find_first_of("/\\") != std::string::npos)
        return "A level's name cannot hold \"/\" or \"\\\".";
    if (std::any_of(Name.begin(), Name.end(), [](char C) { return static_cast<unsigned char>(C) < 0x20 || C == 0x7f; }))
        return "A level's name cannot hold control characters.";
    if (Lower == "test.lvl")
        return "test.lvl is the level the game tries out; choose another name.";
    return "";
}

} // namespace

void SetExchangeStepHook(TExchangeStepHook Hook)
{
    StepHook = std::move(Hook);
}

void ExchangeLevelFiles(const std::string& A, const std::string& B)
{
    const std::string::size_type NameA = NameStartOf(A);
    const std::string::size_type NameB = NameStartOf(B);
    TExchange Exchange{A.substr(0, NameA), A.substr(NameA), B.substr(NameB), ""};
    if (B.substr(0, NameB) != Exchange.Folder)
        throw std::invalid_argument("levels to exchange must share a folder: " + A + ", " + B);
    RecoverLevelSet(Exchange.Folder);
    for (const std::string* Path : {&A, &B})
        if (!EntryExists(*Path))
            throw EInOutError(InOutFileNotFound);
    if (Exchange.A == Exchange.B)
        return;
    if (ExchangeNamesAtomically(A, B)) {
        SyncFolderOf(A);
        return;
    }
    Exchange.Aside = FreeAsideName(Exchange);
    ExchangeThroughJournal(Exchange);
}

TLevelSetRecovery RecoverLevelSet(const std::string& Folder)
{
    const std::string Prefix = FolderPrefix(Folder);
    const std::string Journal = Prefix + JournalName;
    if (!EntryExists(Journal))
        return TLevelSetRecovery::NothingToRecover;
    const TLevelSetRecovery Done = BringBackAside(ExchangeFromJournal(Prefix, Journal));
    SyncFolderOf(Journal);
    RemoveEntry(Journal);
    return Done;
}

bool LevelSetNeedsRecovery(const std::string& Folder)
{
    return EntryExists(FolderPrefix(Folder) + JournalName);
}

bool RenameLevelFile(const std::string& From, const std::string& To)
{
    RecoverLevelSet(From.substr(0, NameStartOf(From)));
    if (!RenameExclusively(From, To))
        return false;
    SyncFolderOf(To);
    if (From.substr(0, NameStartOf(From)) != To.substr(0, NameStartOf(To)))
        SyncFolderOf(From);
    return true;
}

TLevelNameCheck CheckLevelName(const std::string& Typed)
{
    const std::string Name = TrimmedBlanks(Typed);
    if (std::string Refusal = NameRefusal(Name); !Refusal.empty())
        return {"", Refusal};
    return {IsLevelFileName(Name) ? Name : Name + ".txt", ""};
}

std::string DuplicateLevelFile(const std::string& Path, const std::string& Folder)
{
    RecoverLevelSet(Folder);
    const std::string Bytes = ReadWholeFile(Path);
    return ClaimNextLevelName(FolderPrefix(Folder),
                              [&](const std::string& Target) { return CreateFileExclusively(Target, Bytes); });
}

bool CampaignOrderLess(const std::string& A, const std::string& B)
{
    const int NumberA = LevelNumberOf(A);
    const int NumberB = LevelNumberOf(B);
    return NumberA != NumberB ? NumberA < NumberB : LevelNameLess(A, B);
}
