#pragma once

// One recovery journal written on a thread of its own: the window encodes the records as the steps happen
// and hands the bytes over when they are due; the write and the wait for the disk happen here, so that no
// stroke ever waits for a sync.

#include "journal.h"

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class TJournalFlusher {
public:
    // Nothing touches the disk before the first flush. Flushed is called on the flusher's thread after
    // each flush, failed or not, and must only pass the news on.
    TJournalFlusher(std::string Path, const TJournalHeader& Header, std::function<void()> Flushed);
    TJournalFlusher(const TJournalFlusher&) = delete;
    TJournalFlusher& operator=(const TJournalFlusher&) = delete;
    // Writes and syncs what is still pending, then closes the file and keeps it.
    ~TJournalFlusher();

    // Writes and syncs Records, encoded as the EncodeJournal functions do, after those handed over before,
    // and returns at once. Records is left empty, its room kept for the next ones.
    void FlushSoon(std::string& Records);
    // The same, waiting until it is on disk; returns the flush's failure, or null.
    std::exception_ptr FlushNow(std::string& Records);
    // The failure of the last flush that failed since the last call, or null.
    std::exception_ptr TakeFailure();
    // Drops what is pending, stops the thread and deletes the file. Throws EInOutError, and takes no
    // more records either way.
    void Remove();

    const std::string& Path() const { return FWriter.Path(); }

private:
    std::uint64_t Hand(std::string& Records);
    void Run();
    void Stop(bool WriteFirst);

    TJournalWriter FWriter; // used by the thread alone while it runs
    std::function<void()> FFlushed;
    std::mutex FMutex;
    std::condition_variable FWake;
    std::condition_variable FDone;
    std::string FQueue;
    std::uint64_t FAsked = 0; // flushes asked for, and done: a flush takes every record queued before it
    std::uint64_t FFinished = 0;
    std::exception_ptr FFailure;
    bool FStopping = false;
    bool FDiscard = false;
    std::thread FThread; // last: it starts once everything above is ready
};
