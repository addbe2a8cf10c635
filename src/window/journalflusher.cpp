#include "journalflusher.h"

#include <utility>

TJournalFlusher::TJournalFlusher(std::string Path, const TJournalHeader& Header, std::function<void()> Flushed) :
    FWriter(std::move(Path), Header),
    FFlushed(std::move(Flushed)),
    FThread(&TJournalFlusher::Run, this)
{
}

TJournalFlusher::~TJournalFlusher()
{
    Stop(true);
}

// Queues Records with a flush that takes them; returns that flush's number.
std::uint64_t TJournalFlusher::Hand(std::string& Records)
{
    FQueue += Records;
    Records.clear();
    FWake.notify_one();
    return ++FAsked;
}

void TJournalFlusher::FlushSoon(std::string& Records)
{
    const std::lock_guard Lock(FMutex);
    Hand(Records);
}

std::exception_ptr TJournalFlusher::FlushNow(std::string& Records)
{
    std::unique_lock Lock(FMutex);
    const std::uint64_t Ticket = Hand(Records);
    FDone.wait(Lock, [&] { return FFinished >= Ticket || !FThread.joinable(); });
    return std::exchange(FFailure, nullptr);
}

std::exception_ptr TJournalFlusher::TakeFailure()
{
    const std::lock_guard Lock(FMutex);
    return std::exchange(FFailure, nullptr);
}

void TJournalFlusher::Remove()
{
    Stop(false);
    FWriter.Remove();
}

void TJournalFlusher::Stop(bool WriteFirst)
{
    if (!FThread.joinable())
        return;
    {
        const std::lock_guard Lock(FMutex);
        FStopping = true;
        FDiscard = !WriteFirst;
        if (WriteFirst)
            ++FAsked;
    }
    FWake.notify_one();
    FThread.join();
}

void TJournalFlusher::Run()
{
    std::string Taken;
    std::unique_lock Lock(FMutex);
    for (;;) {
        FWake.wait(Lock, [this] { return FAsked > FFinished || FStopping; });
        if (FDiscard || (FStopping && FAsked == FFinished))
            return;
        const std::uint64_t Ticket = FAsked;
        // Swapped, so that both strings keep their room from one flush to the next.
        Taken.swap(FQueue);
        Lock.unlock();
        std::exception_ptr Failure;
        try {
            FWriter.AppendEncoded(Taken);
            // A failed flush keeps its bytes pending in the writer, and the next one writes them again.
            FWriter.Flush();
        } catch (...) {
            Failure = std::current_exception();
        }
        Taken.clear();
        Lock.lock();
        FFinished = Ticket;
        if (Failure)
            FFailure = Failure;
        FDone.notify_all();
        if (FFlushed) {
            Lock.unlock();
            FFlushed();
            Lock.lock();
        }
    }
}
