// One lock for every writer of a level folder: two writers, each in its own thread, with the first held at
// each of its steps while the second starts, so that every interleaving is played out in turn and the
// whole outcome compared; a lock that times out; a holder killed while it holds the lock.

#include "filenotes.h"
#include "folderlock.h"
#include "levelfile.h"
#include "levelwriters.h"
#include "portabletools.h"
#include "safefile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <optional>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX // the C++ library may have defined it already
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace PortableTools;

namespace {

// Long enough never to be reached by a writer that works; reaching it means the awaited step never came.
constexpr auto Patience = std::chrono::seconds(20);

thread_local std::string CurrentWriter;

// Records every writer's steps and holds the writer named Held when it reaches the step named Step, until
// Release. Removes the hook and lets any held writer go when it ends.
class TStepGate {
public:
    TStepGate(std::string Held, std::string Step) : FHeld(std::move(Held)), FStep(std::move(Step))
    {
        SetWriterStepHook([this](const std::string& Reached, const std::string&) { OnStep(Reached); });
    }
    TStepGate(const TStepGate&) = delete;
    TStepGate& operator=(const TStepGate&) = delete;
    ~TStepGate()
    {
        Release();
        SetWriterStepHook({});
    }

    void OnStep(const std::string& Reached)
    {
        std::unique_lock<std::mutex> Lock(FMutex);
        FSteps.push_back(CurrentWriter + ":" + Reached);
        FChanged.notify_all();
        if (CurrentWriter == FHeld && Reached == FStep)
            FChanged.wait(Lock, [this] { return FReleased; });
    }

    // Waits until one of Steps ("writer:step") has been taken; false when none came in time.
    bool AwaitAny(const std::vector<std::string>& Steps)
    {
        std::unique_lock<std::mutex> Lock(FMutex);
        return FChanged.wait_for(Lock, Patience, [&] {
            return std::any_of(FSteps.begin(), FSteps.end(), [&](const std::string& Taken) {
                return std::find(Steps.begin(), Steps.end(), Taken) != Steps.end();
            });
        });
    }

    bool Took(const std::string& Step)
    {
        std::lock_guard<std::mutex> Lock(FMutex);
        return std::find(FSteps.begin(), FSteps.end(), Step) != FSteps.end();
    }

    void Release()
    {
        std::lock_guard<std::mutex> Lock(FMutex);
        FReleased = true;
        FChanged.notify_all();
    }

private:
    std::string FHeld;
    std::string FStep;
    std::mutex FMutex;
    std::condition_variable FChanged;
    std::vector<std::string> FSteps;
    bool FReleased = false;
};

// A writer run in its own thread under a name; its result is a short text, or the error it threw.
class TWriterThread {
public:
    TWriterThread(std::string Name, TStepGate& Gate, std::function<std::string()> Body) :
        FThread([this, Name, &Gate, Body = std::move(Body)] {
            CurrentWriter = Name;
            try {
                FResult = Body();
            } catch (const std::exception& Error) {
                FResult = std::string("error: ") + Error.what();
            }
            Gate.OnStep("done");
        })
    {
    }
    ~TWriterThread()
    {
        if (FThread.joinable())
            FThread.join();
    }
    std::string Result()
    {
        FThread.join();
        return FResult;
    }

private:
    std::string FResult;
    std::thread FThread;
};

enum class TWriter { Editor, Fmt };

struct TRaceCase {
    std::string Name;
    TWriter First;
    std::string HeldAt;
    TWriter Second;
    bool SecondOverwrites; // the editor's answer to its question
    std::string Outcome;
};

std::ostream& operator<<(std::ostream& Out, const TRaceCase& Case)
{
    return Out << Case.Name;
}

TLevelData EditorsLevel(const std::string& Trailer)
{
    TLevelData Level = FilledLevel("");
    Level.TrailerText = Trailer;
    return Level;
}

class WritersTakeTurns : public testing::TestWithParam<TRaceCase> {};

// The file begins as a level fmt would rewrite (LF line ends); both writers start from that version.
TEST_P(WritersTakeTurns, TheSecondWaitsThenSeesTheFirstOnesFile)
{
    const TRaceCase& Case = GetParam();
    TScratchFolder Folder;
    const std::string Path = Folder.File("level1.txt");
    TLevelData Original = FilledLevel("");
    std::string OriginalBytes = FormatLevel(Original);
    for (std::string::size_type At; (At = OriginalBytes.find("\r\n")) != std::string::npos;)
        OriginalBytes.erase(At, 1);
    ASSERT_TRUE(WriteBytes(Path, OriginalBytes));
    const TFileIdentity Opened = FileIdentityOf(Path);
    const std::map<std::string, std::string> Versions = {{OriginalBytes, "the original"},
                                                         {FormatLevel(Original), "fmt's rewrite"},
                                                         {FormatLevel(EditorsLevel("A")), "A's level"},
                                                         {FormatLevel(EditorsLevel("B")), "B's level"}};
    std::atomic<int> Questions = 0;
    // Both entries exist before the threads start, so that each writes only its own.
    std::map<std::string, std::optional<TFileIdentity>> Remembered = {{"A", {}}, {"B", {}}};
    const auto Body = [&](TWriter Kind, const std::string& Name, bool Overwrite) -> std::function<std::string()> {
        if (Kind == TWriter::Fmt)
            return [&Path] {
                const char* Stage = "";
                const TFormatOutcome Outcome = FormatLevelFile(Path, {}, Stage);
                return Outcome == TFormatOutcome::Rewritten ? "rewrote"
                    : Outcome == TFormatOutcome::Canonical  ? "left it"
                                                            : "?";
            };
        return [&, Name, Overwrite] {
            TLevelData Level = EditorsLevel(Name);
            const auto Saved = SaveLevelChecked(Path, Level, Opened, [&] { return ++Questions, Overwrite; });
            Remembered.at(Name) = Saved;
            return std::string(Saved ? "saved" : "kept the other");
        };
    };

    TStepGate Gate("A", Case.HeldAt);
    TWriterThread First("A", Gate, Body(Case.First, "A", true));
    ASSERT_TRUE(Gate.AwaitAny({"A:" + Case.HeldAt})) << "A never took the step";
    TWriterThread Second("B", Gate, Body(Case.Second, "B", Case.SecondOverwrites));
    ASSERT_TRUE(Gate.AwaitAny({"B:waiting", "B:done"}));
    const bool Waited = Gate.Took("B:waiting");
    Gate.Release();
    const std::string FirstResult = First.Result();
    const std::string SecondResult = Second.Result();

    const std::string Bytes = ReadBytes(Path);
    const std::string Final = Versions.count(Bytes) ? Versions.at(Bytes) : "other bytes";
    std::string Outcome = std::string(Waited ? "B waited" : "B did not wait") + "; A " + FirstResult + "; B " +
        SecondResult + "; " + std::to_string(Questions) + " questions; the file holds " + Final;
    // What a saving editor remembers must be the file as it left it, or the next Save asks for nothing.
    for (const auto& [Name, Identity] : Remembered)
        if (Final == Name + "'s level" && !(Identity == FileIdentityOf(Path)))
            Outcome += "; " + Name + " remembered another identity";
    EXPECT_EQ(Outcome, Case.Outcome);
    EXPECT_EQ(Listing(Folder.Path()), (std::vector<std::string>{".zolvane.lock", "level1.txt"}));
}

// Each pair at every step the first writer takes, and one editor who answers its question with yes.
std::vector<TRaceCase> RaceCases()
{
    std::vector<TRaceCase> Cases;
    const auto Add = [&](const std::string& Name, TWriter First, const std::string& Step, TWriter Second,
                         const std::string& Outcome) {
        Cases.push_back({Name + "HeldAt_" + Step, First, Step, Second, false, Outcome});
    };
    for (const char* Step : {"locked", "checked", "written", "renamed", "replaced", "identified"}) {
        Add("EditorThenFmt", TWriter::Editor, Step, TWriter::Fmt,
            "B waited; A saved; B left it; 0 questions; the file holds A's level");
        Add("EditorThenEditor", TWriter::Editor, Step, TWriter::Editor,
            "B waited; A saved; B kept the other; 1 questions; the file holds A's level");
    }
    for (const char* Step : {"locked", "read", "written", "renamed", "replaced"}) {
        Add("FmtThenEditor", TWriter::Fmt, Step, TWriter::Editor,
            "B waited; A rewrote; B kept the other; 1 questions; the file holds fmt's rewrite");
        Add("FmtThenFmt", TWriter::Fmt, Step, TWriter::Fmt,
            "B waited; A rewrote; B left it; 0 questions; the file holds fmt's rewrite");
    }
    Cases.push_back({"EditorThenEditorWhoOverwrites", TWriter::Editor, "written", TWriter::Editor, true,
                     "B waited; A saved; B saved; 1 questions; the file holds B's level"});
    return Cases;
}

INSTANTIATE_TEST_SUITE_P(FolderLock, WritersTakeTurns, testing::ValuesIn(RaceCases()),
                         [](const testing::TestParamInfo<TRaceCase>& Info) { return Info.param.Name; });

// A save removes old temporary files only under the lock, so never the one a running save holds, however
// old its time says it is.
TEST(FolderLock, KeepsARunningSavesTemporaryFileFromTheTidying)
{
    TScratchFolder Folder;
    TStepGate Gate("A", "written");
    const auto Save = [&](const std::string& Name, const std::string& Trailer) {
        return [&Folder, Name, Trailer] {
            TLevelData Level = EditorsLevel(Trailer);
            SaveLevelChecked(Folder.File(Name), Level, {}, [] { return true; });
            return std::string("saved");
        };
    };
    TWriterThread First("A", Gate, Save("level1.txt", "A"));
    ASSERT_TRUE(Gate.AwaitAny({"A:written"}));
    for (const std::string& Name : Listing(Folder.Path()))
        if (Name.size() > 4 && Name.compare(Name.size() - 4, 4, ".tmp") == 0)
            fs::last_write_time(Folder.Path() / Name, fs::file_time_type::clock::now() - std::chrono::hours(2));
    TWriterThread Second("B", Gate, Save("level2.txt", "B"));
    ASSERT_TRUE(Gate.AwaitAny({"B:waiting", "B:done"}));
    Gate.Release();
    const std::string Results = "A " + First.Result() + ", B " + Second.Result();
    EXPECT_EQ(Results, "A saved, B saved");
    EXPECT_EQ(ReadBytes(Folder.File("level1.txt")), FormatLevel(EditorsLevel("A")));
    EXPECT_EQ(Listing(Folder.Path()), (std::vector<std::string>{".zolvane.lock", "level1.txt", "level2.txt"}));
}

#ifdef _WIN32
constexpr int BusyCode = ERROR_LOCK_VIOLATION;
#else
constexpr int BusyCode = EWOULDBLOCK;
#endif

std::string BusyFailure(const std::string& Folder, int TimeoutMs)
{
    return std::to_string(BusyCode) + " Another program is writing in the level folder \"" + Folder +
        "\" and still held its lock (.zolvane.lock) after " + std::to_string(TimeoutMs) + " ms; nothing was written";
}

// A writer that finds the lock held too long writes nothing, and says why.
TEST(FolderLock, TimesOutWithoutWritingAndNamesTheFolder)
{
    TScratchFolder Folder;
    const std::string Path = Folder.File("level1.txt");
    ASSERT_TRUE(WriteBytes(Path, "old level\r\n"));
    TStepGate Gate("", "");
    struct TTimeout {
        TTimeout() { SetFolderLockTimeoutMs(100); }
        ~TTimeout() { SetFolderLockTimeoutMs(DefaultFolderLockTimeoutMs); }
    } Timeout;
    TFolderLock Held(Folder.Path().string());
    CurrentWriter = "B";
    TLevelData Level = FilledLevel("");
    const char* Stage = "";
    std::string Failures = FailureOf([&] { SaveLevelChecked(Path, Level, FileIdentityOf(Path), [] { return true; }); });
    Failures += "\n" + FailureOf([&] { FormatLevelFile(Path, {}, Stage); });
    Failures += " (" + std::string(Stage) + ")\n" + FailureOf([&] { SaveLevelCopy(Folder.File("test.lvl"), Level); });
    CurrentWriter.clear();
    const std::string Busy = BusyFailure(Folder.Path().string(), 100);
    EXPECT_EQ(Failures, Busy + "\n" + Busy + " (write)\n" + Busy);
    EXPECT_EQ(ReadBytes(Path), "old level\r\n");
    EXPECT_EQ(Listing(Folder.Path()), (std::vector<std::string>{".zolvane.lock", "level1.txt"}));
    EXPECT_TRUE(Gate.Took("B:waiting"));
#ifdef _WIN32
    const DWORD Attributes = GetFileAttributesA(Folder.File(".zolvane.lock").c_str());
    EXPECT_EQ(Attributes & FILE_ATTRIBUTE_HIDDEN, DWORD(FILE_ATTRIBUTE_HIDDEN));
#endif
}

#ifndef _WIN32
// Advisory locks die with their process: a writer killed while it holds the lock blocks no one after it.
TEST(FolderLock, OfAKilledHolderBlocksNoOne)
{
    TScratchFolder Folder;
    int Pipe[2];
    ASSERT_EQ(pipe(Pipe), 0);
    const pid_t Holder = fork();
    if (Holder == 0) {
        TFolderLock Lock(Folder.Path().string(), 0);
        (void)!write(Pipe[1], "L", 1);
        for (;;)
            pause();
    }
    char Said = 0;
    ASSERT_EQ(read(Pipe[0], &Said, 1), 1);
    close(Pipe[0]);
    close(Pipe[1]);
    const std::string WhileHeld = FailureOf([&] { TFolderLock Lock(Folder.Path().string(), 50); });
    kill(Holder, SIGKILL);
    int Status = 0;
    waitpid(Holder, &Status, 0);
    // No waiting at all now: a timeout of 0 tries once.
    const std::string AfterKill = FailureOf([&] { TFolderLock Lock(Folder.Path().string(), 0); });
    EXPECT_EQ(WhileHeld + "\n" + AfterKill, BusyFailure(Folder.Path().string(), 50) + "\nno error");
}
#endif

} // namespace
