#pragma once

// The recovery journal: a file that keeps an unsaved session durable step by step, so that after a crash,
// a kill or a power cut the editor can bring back the level and its whole history.
//
// The file begins with a magic, then holds a run of records, each framed by its payload's length and a
// CRC-32 of that length and the payload: first the header (the level at the bottom of the history), then
// one record for each step recorded, undone or redone. A record cut short or changed by damage fails its
// frame; reading stops there and keeps every whole record before it.

#include "celldiff.h"
#include "leveldata.h"
#include "safefile.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// What the history starts from. A journal begun with a history already in place (after a Save, or after
// a recovery) holds the cells at the bottom of that history and records its steps first.
struct TJournalHeader {
    std::string LevelPath; // the level file's path as bytes; empty for a new level
    TFileIdentity Identity; // the file as opened, so that a Save after recovery can tell someone changed it
    TLevelCells Cells{};
    std::string TrailerText;
    std::int64_t CreatedMs = 0; // milliseconds since 1970 UTC

    friend bool operator==(const TJournalHeader&, const TJournalHeader&) = default;
};

// A level-text step also changes the text after the field.
struct TTrailerChange {
    std::string Before;
    std::string After;

    friend bool operator==(const TTrailerChange&, const TTrailerChange&) = default;
};

struct TJournalStep {
    std::string Name;
    TCellDiff Diff;
    std::optional<TTrailerChange> Trailer;

    friend bool operator==(const TJournalStep& A, const TJournalStep& B)
    {
        return A.Name == B.Name && A.Diff.Changes() == B.Diff.Changes() && A.Trailer == B.Trailer;
    }
};

enum class TJournalEvent : std::uint8_t { Recorded, Undone, Redone };

struct TJournalRecord {
    TJournalEvent Event = TJournalEvent::Recorded;
    TJournalStep Step; // the step recorded; empty for an undo or a redo

    friend bool operator==(const TJournalRecord&, const TJournalRecord&) = default;
};

struct TJournalContents {
    TJournalHeader Header;
    // Every whole, valid record before the first damage. An undo with nothing to undo, or a redo with
    // nothing undone, counts as damage too, so the records always replay.
    std::vector<TJournalRecord> Records;
    bool Damaged = false; // something other than the end of the file stopped the reading
    std::size_t WholeBytes = 0; // the file's length up to the end of the last whole record

    friend bool operator==(const TJournalContents&, const TJournalContents&) = default;
};

// A file that gives no header: not a journal, its header damaged or cut short, or of a later version.
class EJournalUnreadable : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads a journal held in memory. Throws EJournalUnreadable when the header cannot be read.
TJournalContents ReadJournal(std::string_view Bytes);

// Reads the journal file at Path. Throws EInOutError when the file cannot be read, EJournalUnreadable as above.
TJournalContents ReadJournalFile(const std::string& Path);

// The session a journal holds: the level now, and the history as a QUndoStack would hold it, the steps
// below Current done and the rest undone. A step recorded after undos drops the undone ones, as a push does.
struct TJournalReplay {
    TLevelCells Cells{};
    std::string TrailerText;
    std::vector<TJournalStep> Steps;
    std::size_t Current = 0;

    friend bool operator==(const TJournalReplay&, const TJournalReplay&) = default;
};

// Contents as ReadJournal gives them; throws std::invalid_argument for an undo or redo with no step to take.
TJournalReplay ReplayJournal(const TJournalContents& Contents);

// A record's bytes as the writer appends them, added to Out: the steps can be encoded where they happen,
// cheaply and without a lock, and handed as bytes to a writer kept on another thread (AppendEncoded).
void EncodeJournalRecorded(std::string& Out, std::string_view Name, const TCellDiff& Diff,
                           const std::optional<TTrailerChange>& Trailer = std::nullopt);
void EncodeJournalUndone(std::string& Out);
void EncodeJournalRedone(std::string& Out);

// Keeps the journal of one session. Appending only encodes into memory, so that painting stays as fast as
// without a journal; Flush writes what was appended and waits until it is on disk, at the caller's pace.
class TJournalWriter {
public:
    // Nothing touches the disk yet: the first Flush creates Path, which must not exist, with the header
    // and the steps so far in one piece, so that no journal is ever seen without its header.
    TJournalWriter(std::string Path, const TJournalHeader& Header);
    TJournalWriter(const TJournalWriter&) = delete;
    TJournalWriter& operator=(const TJournalWriter&) = delete;
    // Closes the file and keeps it: only Remove ends a journal.
    ~TJournalWriter();

    void AppendRecorded(const TJournalStep& Step);
    void AppendUndone();
    void AppendRedone();
    // A history already in place: each step recorded, then undone down to Current.
    void AppendHistory(const std::vector<TJournalStep>& Steps, std::size_t Current);
    // Whole records, as the EncodeJournal functions give them.
    void AppendEncoded(std::string_view Records);

    bool HasPending() const { return !FPending.empty(); }

    // Writes what was appended since the last Flush and syncs it. Throws EInOutError; what was not
    // written stays pending, and the next Flush writes it over any part-written bytes.
    void Flush();

    // Ends the journal: drops what is pending, closes the file and deletes it. The writer takes no more
    // records. Throws EInOutError.
    void Remove();

    const std::string& Path() const { return FPath; }

private:
    void CheckNotRemoved() const;
    void WriteAndSync();
    void CloseFile() noexcept;

    std::string FPath;
    std::string FPending;
    std::uint64_t FWritten = 0; // the file's bytes known written; the pending ones go after them
    bool FCreated = false;
    bool FRemoved = false;
#ifdef _WIN32
    void* FHandle;
#else
    int FFd = -1;
#endif
};
