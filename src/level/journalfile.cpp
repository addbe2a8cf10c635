// The journal on disk: reading a journal file, and the writer's flushes, syncs and removal.

#include "inouterror.h"
#include "journal.h"

#include <algorithm>
#include <utility>

#include "windowsapi.h"

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

TJournalContents ReadJournalFile(const std::string& Path)
{
    TFileReader Reader(Path);
    std::string Bytes;
    std::string Chunk(ReadChunkSize, '\0');
    while (const std::size_t Got = Reader.Read(Chunk.data(), Chunk.size()))
        Bytes.append(Chunk, 0, Got);
    Reader.Close();
    return ReadJournal(Bytes);
}

TJournalWriter::~TJournalWriter()
{
    CloseFile();
}

void TJournalWriter::Flush()
{
    CheckNotRemoved();
    if (!FCreated) {
        // Written aside, synced and then named: a kill at any moment leaves the whole header or no journal.
        if (!CreateFileExclusively(FPath, FPending))
#ifdef _WIN32
            throw EInOutError(ERROR_FILE_EXISTS);
#else
            throw InOutErrorFromErrno(EEXIST, FPath);
#endif
        FCreated = true;
        FWritten = FPending.size();
        FPending.clear();
        return;
    }
    if (FPending.empty())
        return;
    WriteAndSync();
    FWritten += FPending.size();
    FPending.clear();
}

// Writes the pending bytes after the ones known written, and waits until they are on disk.
void TJournalWriter::WriteAndSync()
{
#ifdef _WIN32
    if (FHandle == INVALID_HANDLE_VALUE) {
        // Others may read the journal while it is written, and it may be deleted under us.
        FHandle = CreateFileA(FPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (FHandle == INVALID_HANDLE_VALUE)
            throw EInOutError(static_cast<int>(GetLastError()));
    }
    std::size_t Done = 0;
    while (Done < FPending.size()) {
        // The offset is given with each write, so that a retry goes over what a failed one left.
        const std::uint64_t At = FWritten + Done;
        OVERLAPPED Where{};
        Where.Offset = static_cast<DWORD>(At & 0xFFFFFFFFu);
        Where.OffsetHigh = static_cast<DWORD>(At >> 32);
        DWORD Put = 0;
        const auto Ask = static_cast<DWORD>(std::min<std::size_t>(FPending.size() - Done, 1u << 30));
        if (!WriteFile(FHandle, FPending.data() + Done, Ask, &Put, &Where))
            throw EInOutError(static_cast<int>(GetLastError()));
        if (Put == 0)
            throw EInOutError(ERROR_WRITE_FAULT);
        Done += Put;
    }
    if (!FlushFileBuffers(FHandle))
        throw EInOutError(static_cast<int>(GetLastError()));
#else
    if (FFd < 0) {
        do
            FFd = ::open(FPath.c_str(), O_WRONLY | O_CLOEXEC);
        while (FFd < 0 && errno == EINTR);
        if (FFd < 0)
            throw InOutErrorFromErrno(errno, FPath);
    }
    std::size_t Done = 0;
    while (Done < FPending.size()) {
        // The offset is given with each write, so that a retry goes over what a failed one left.
        const ssize_t Put =
            ::pwrite(FFd, FPending.data() + Done, FPending.size() - Done, static_cast<off_t>(FWritten + Done));
        if (Put < 0 && errno == EINTR)
            continue;
        if (Put <= 0)
            throw InOutErrorFromErrno(Put < 0 ? errno : EIO, FPath);
        Done += static_cast<std::size_t>(Put);
    }
#if defined(__APPLE__)
    const int Synced = ::fsync(FFd);
#else
    // The data and the file's new length, which is all a journal needs; its name was synced at creation.
    const int Synced = ::fdatasync(FFd);
#endif
    if (Synced != 0)
        throw InOutErrorFromErrno(errno, FPath);
#endif
}

void TJournalWriter::Remove()
{
    CheckNotRemoved();
    FPending.clear();
    CloseFile();
    // A failed deletion leaves the writer open to another try.
#ifdef _WIN32
    if (FCreated && !DeleteFileA(FPath.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
        throw EInOutError(static_cast<int>(GetLastError()));
#else
    if (FCreated && ::unlink(FPath.c_str()) != 0 && errno != ENOENT)
        throw InOutErrorFromErrno(errno, FPath);
#endif
    FRemoved = true;
}

void TJournalWriter::CloseFile() noexcept
{
    // Everything that matters was synced by Flush; a failing close loses nothing a recovery needs.
#ifdef _WIN32
    if (FHandle != INVALID_HANDLE_VALUE)
        CloseHandle(std::exchange(FHandle, INVALID_HANDLE_VALUE));
#else
    if (FFd >= 0)
        ::close(std::exchange(FFd, -1));
#endif
}
