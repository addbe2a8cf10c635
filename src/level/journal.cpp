// The journal's format: encoding records into the writer's memory, reading them back, and replaying them.
//
// The file: "ZOLVJRNL", then frames: the payload's length (4 bytes), the CRC-32 of that length field and the
// payload (4), the payload. Numbers are little-endian; a text is its length (4) and its bytes. A payload
// begins with its kind:
//   H  version (4), level path (text), identity: exists (1), device, inode, size, modified ns (8 each),
//      the cells column by column, brick and power-up (1 each), trailer (text), created ms (8)
//   R  a step recorded: name (text), flags (1; 1: a T record follows), count (4), and per changed cell its
//      column, row, brick and power-up before, brick and power-up after (1 each)
//   T  the trailer change of the step just recorded: before (text), after (text)
//   U  an undo;  D  a redo

#include "journal.h"

#include <array>
#include <utility>

namespace {

constexpr std::string_view Magic = "ZOLVJRNL";
constexpr std::uint32_t Version = 1;
constexpr std::size_t FrameSize = 8; // the payload's length, then the CRC-32 of length and payload
constexpr std::size_t ChangeSize = 6; // column, row, brick and power-up before, brick and power-up after
constexpr std::size_t PendingRoom = 64 * 1024;

// A record's first payload byte says what it is.
constexpr char HeaderKind = 'H';
constexpr char RecordedKind = 'R';
constexpr char TrailerKind = 'T'; // follows the recorded step it belongs to, which announces it
constexpr char UndoneKind = 'U';
constexpr char RedoneKind = 'D';
constexpr std::uint8_t TrailerFollows = 1;

constexpr const char* HeaderDamaged = "the journal's header is damaged or cut short";

constexpr std::array<std::uint32_t, 256> CrcTable = [] {
    std::array<std::uint32_t, 256> Table{};
    for (std::uint32_t N = 0; N < 256; ++N) {
        std::uint32_t C = N;
        for (int Bit = 0; Bit < 8; ++Bit)
            C = C & 1 ? 0xEDB88320u ^ (C >> 1) : C >> 1;
        Table[N] = C;
    }
    return Table;
}();

// The CRC register carried over a run of pieces: start at ~0, and invert at the end.
std::uint32_t CrcUpdate(std::uint32_t Crc, std::string_view Bytes)
{
    for (char Byte : Bytes)
        Crc = CrcTable[(Crc ^ static_cast<std::uint8_t>(Byte)) & 0xFF] ^ (Crc >> 8);
    return Crc;
}

// A frame's CRC covers its length field and its payload, so that a changed length is caught too.
std::uint32_t FrameCrc(std::string_view Length, std::string_view Payload)
{
    return ~CrcUpdate(CrcUpdate(0xFFFFFFFFu, Length), Payload);
}

void PutNumber(std::string& Out, std::uint64_t Value, int Bytes)
{
    for (int I = 0; I < Bytes; ++I)
        Out.push_back(static_cast<char>((Value >> (8 * I)) & 0xFF));
}

void PutText(std::string& Out, std::string_view Text)
{
    PutNumber(Out, Text.size(), 4);
    Out.append(Text);
}

void PutCell(std::string& Out, const TLevelCell& Cell)
{
    Out.push_back(static_cast<char>(Cell.Brick));
    Out.push_back(static_cast<char>(Cell.PowerUp));
}

// Frames the payload that Fill appends to Out: room for the frame first, filled in once the length is known.
template <typename TFill> void PutRecord(std::string& Out, TFill Fill)
{
    const std::size_t Start = Out.size();
    Out.append(FrameSize, '\0');
    Fill(Out);
    const std::uint64_t Length = Out.size() - Start - FrameSize;
    for (int I = 0; I < 4; ++I)
        Out[Start + I] = static_cast<char>((Length >> (8 * I)) & 0xFF);
    const std::string_view Frame(Out);
    const std::uint32_t Crc = FrameCrc(Frame.substr(Start, 4), Frame.substr(Start + FrameSize));
    for (int I = 0; I < 4; ++I)
        Out[Start + 4 + I] = static_cast<char>((Crc >> (8 * I)) & 0xFF);
}

void PutHeader(std::string& Out, const TJournalHeader& Header)
{
    Out.append(Magic);
    PutRecord(Out, [&](std::string& P) {
        P.push_back(HeaderKind);
        PutNumber(P, Version, 4);
        PutText(P, Header.LevelPath);
        const TFileIdentity& Id = Header.Identity;
        P.push_back(Id.Exists ? 1 : 0);
        PutNumber(P, Id.Device, 8);
        PutNumber(P, Id.Inode, 8);
        PutNumber(P, Id.Size, 8);
        PutNumber(P, static_cast<std::uint64_t>(Id.ModifiedNs), 8);
        for (const TLevelColumn& Column : Header.Cells)
            for (const TLevelCell& Cell : Column)
                PutCell(P, Cell);
        PutText(P, Header.TrailerText);
        PutNumber(P, static_cast<std::uint64_t>(Header.CreatedMs), 8);
    });
}

// Reads a payload front to back. A read past the end marks it failed and gives zeros, so that a decoder
// reads on and checks once at the end.
class TPayloadReader {
public:
    explicit TPayloadReader(std::string_view Bytes) : FBytes(Bytes) {}

    std::uint64_t Number(int Bytes)
    {
        std::uint64_t Value = 0;
        const std::string_view Got = Take(static_cast<std::size_t>(Bytes));
        for (std::size_t I = 0; I < Got.size(); ++I)
            Value |= static_cast<std::uint64_t>(static_cast<std::uint8_t>(Got[I])) << (8 * I);
        return Value;
    }
    std::uint8_t Byte() { return static_cast<std::uint8_t>(Number(1)); }
    std::string Text() { return std::string(Take(Number(4))); }
    TLevelCell Cell()
    {
        const std::uint8_t Brick = Byte();
        return {Brick, Byte()};
    }
    std::string_view Take(std::uint64_t Size)
    {
        if (FFailed || Size > FBytes.size() - FAt) {
            FFailed = true;
            return {};
        }
        const std::string_view Part = FBytes.substr(FAt, static_cast<std::size_t>(Size));
        FAt += static_cast<std::size_t>(Size);
        return Part;
    }
    std::size_t Left() const { return FFailed ? 0 : FBytes.size() - FAt; }
    bool Whole() const { return !FFailed && FAt == FBytes.size(); }

private:
    std::string_view FBytes;
    std::size_t FAt = 0;
    bool FFailed = false;
};

// The payload of the framed record at Bytes[At], or nothing when the frame is cut short or its CRC fails.
std::optional<std::string_view> FramedPayload(std::string_view Bytes, std::size_t At)
{
    if (Bytes.size() - At < FrameSize)
        return std::nullopt;
    TPayloadReader Frame(Bytes.substr(At, FrameSize));
    const std::uint64_t Length = Frame.Number(4);
    const auto Crc = static_cast<std::uint32_t>(Frame.Number(4));
    if (Length > Bytes.size() - At - FrameSize)
        return std::nullopt;
    const std::string_view Payload = Bytes.substr(At + FrameSize, static_cast<std::size_t>(Length));
    if (FrameCrc(Bytes.substr(At, 4), Payload) != Crc)
        return std::nullopt;
    return Payload;
}

TJournalHeader DecodeHeader(std::string_view Bytes, std::size_t& At)
{
    if (Bytes.substr(0, Magic.size()) != Magic)
        throw EJournalUnreadable("not a recovery journal");
    At = Magic.size();
    const std::optional<std::string_view> Payload = FramedPayload(Bytes, At);
    if (!Payload)
        throw EJournalUnreadable(HeaderDamaged);
    TPayloadReader In(*Payload);
    TJournalHeader Header;
    if (In.Byte() != static_cast<std::uint8_t>(HeaderKind))
        throw EJournalUnreadable(HeaderDamaged);
    if (const std::uint64_t Made = In.Number(4); Made != Version)
        throw EJournalUnreadable("the journal is of version " + std::to_string(Made) + ", this editor reads version " +
                                 std::to_string(Version));
    Header.LevelPath = In.Text();
    Header.Identity.Exists = In.Byte() != 0;
    Header.Identity.Device = In.Number(8);
    Header.Identity.Inode = In.Number(8);
    Header.Identity.Size = In.Number(8);
    Header.Identity.ModifiedNs = static_cast<std::int64_t>(In.Number(8));
    for (TLevelColumn& Column : Header.Cells)
        for (TLevelCell& Cell : Column)
            Cell = In.Cell();
    Header.TrailerText = In.Text();
    Header.CreatedMs = static_cast<std::int64_t>(In.Number(8));
    if (!In.Whole())
        throw EJournalUnreadable(HeaderDamaged);
    At += FrameSize + Payload->size();
    return Header;
}

// A recorded step's payload; nothing when it does not decode. Whether a trailer record must follow goes
// to TrailerNext.
std::optional<TJournalStep> DecodeStep(TPayloadReader& In, bool& TrailerNext)
{
    TJournalStep Step;
    Step.Name = In.Text();
    const std::uint8_t Flags = In.Byte();
    const std::uint64_t Count = In.Number(4);
    if ((Flags & ~TrailerFollows) != 0 || Count * ChangeSize != In.Left())
        return std::nullopt;
    for (std::uint64_t I = 0; I < Count; ++I) {
        const std::uint8_t Col = In.Byte();
        const std::uint8_t Row = In.Byte();
        const TLevelCell Before = In.Cell();
        const TLevelCell After = In.Cell();
        if (Col >= LevelColumns || Row >= LevelRows)
            return std::nullopt;
        Step.Diff.Record(Col, Row, Before, After);
    }
    if (!In.Whole() || Step.Diff.Changes().size() != Count)
        return std::nullopt;
    TrailerNext = (Flags & TrailerFollows) != 0;
    return Step;
}

// Follows the history's shape while reading, so that a record that could not replay counts as damage.
struct TReadState {
    std::size_t Steps = 0;
    std::size_t Current = 0;
    std::optional<TJournalStep> AwaitingTrailer;
};

// Takes one record's payload into Contents; false when it does not fit where it stands.
bool TakeRecord(std::string_view Payload, TReadState& State, TJournalContents& Contents)
{
    TPayloadReader In(Payload);
    const char Kind = static_cast<char>(In.Byte());
    if (State.AwaitingTrailer) {
        if (Kind != TrailerKind)
            return false;
        TTrailerChange Change{In.Text(), In.Text()};
        if (!In.Whole())
            return false;
        State.AwaitingTrailer->Trailer = std::move(Change);
        Contents.Records.push_back({TJournalEvent::Recorded, std::move(*State.AwaitingTrailer)});
        State.AwaitingTrailer.reset();
        State.Steps = ++State.Current;
        return true;
    }
    if (Kind == RecordedKind) {
        bool TrailerNext = false;
        std::optional<TJournalStep> Step = DecodeStep(In, TrailerNext);
        if (!Step)
            return false;
        if (TrailerNext) {
            State.AwaitingTrailer = std::move(Step);
            return true;
        }
        Contents.Records.push_back({TJournalEvent::Recorded, std::move(*Step)});
        State.Steps = ++State.Current;
        return true;
    }
    if (!In.Whole())
        return false;
    if (Kind == UndoneKind && State.Current > 0) {
        --State.Current;
        Contents.Records.push_back({TJournalEvent::Undone, {}});
        return true;
    }
    if (Kind == RedoneKind && State.Current < State.Steps) {
        ++State.Current;
        Contents.Records.push_back({TJournalEvent::Redone, {}});
        return true;
    }
    return false;
}

} // namespace

TJournalContents ReadJournal(std::string_view Bytes)
{
    TJournalContents Contents;
    std::size_t At = 0;
    Contents.Header = DecodeHeader(Bytes, At);
    Contents.WholeBytes = At;
    TReadState State;
    while (At < Bytes.size()) {
        const std::optional<std::string_view> Payload = FramedPayload(Bytes, At);
        if (!Payload || !TakeRecord(*Payload, State, Contents))
            break;
        At += FrameSize + Payload->size();
        if (!State.AwaitingTrailer)
            Contents.WholeBytes = At;
    }
    Contents.Damaged = Contents.WholeBytes != Bytes.size();
    return Contents;
}

TJournalReplay ReplayJournal(const TJournalContents& Contents)
{
    TJournalReplay Replay{Contents.Header.Cells, Contents.Header.TrailerText, {}, 0};
    const auto Take = [&Replay](const TJournalStep& Step, bool Forward) {
        if (Forward)
            Step.Diff.ApplyAfter(Replay.Cells);
        else
            Step.Diff.ApplyBefore(Replay.Cells);
        if (Step.Trailer)
            Replay.TrailerText = Forward ? Step.Trailer->After : Step.Trailer->Before;
    };
    for (const TJournalRecord& Record : Contents.Records) {
        switch (Record.Event) {
        case TJournalEvent::Recorded:
            Replay.Steps.resize(Replay.Current);
            Replay.Steps.push_back(Record.Step);
            Take(Replay.Steps.back(), true);
            ++Replay.Current;
            break;
        case TJournalEvent::Undone:
            if (Replay.Current == 0)
                throw std::invalid_argument("an undo with no step done");
            Take(Replay.Steps[--Replay.Current], false);
            break;
        case TJournalEvent::Redone:
            if (Replay.Current == Replay.Steps.size())
                throw std::invalid_argument("a redo with no step undone");
            Take(Replay.Steps[Replay.Current++], true);
            break;
        }
    }
    return Replay;
}

TJournalWriter::TJournalWriter(std::string Path, const TJournalHeader& Header) : FPath(std::move(Path))
{
#ifdef _WIN32
    FHandle = reinterpret_cast<void*>(static_cast<std::intptr_t>(-1));
#endif
    // Room for a second's worth of steps, so that appending rarely has to grow the buffer.
    FPending.reserve(PendingRoom);
    PutHeader(FPending, Header);
}

void EncodeJournalRecorded(std::string& Out, std::string_view Name, const TCellDiff& Diff,
                           const std::optional<TTrailerChange>& Trailer)
{
    const std::vector<TCellChange>& Changes = Diff.Changes();
    PutRecord(Out, [&](std::string& P) {
        P.push_back(RecordedKind);
        PutText(P, Name);
        P.push_back(static_cast<char>(Trailer ? TrailerFollows : 0));
        PutNumber(P, Changes.size(), 4);
        std::size_t At = P.size();
        P.resize(At + Changes.size() * ChangeSize);
        for (const TCellChange& C : Changes)
            for (std::uint8_t Byte : {C.Col, C.Row, C.Before.Brick, C.Before.PowerUp, C.After.Brick, C.After.PowerUp})
                P[At++] = static_cast<char>(Byte);
    });
    if (Trailer)
        PutRecord(Out, [&](std::string& P) {
            P.push_back(TrailerKind);
            PutText(P, Trailer->Before);
            PutText(P, Trailer->After);
        });
}

void EncodeJournalUndone(std::string& Out)
{
    PutRecord(Out, [](std::string& P) { P.push_back(UndoneKind); });
}

void EncodeJournalRedone(std::string& Out)
{
    PutRecord(Out, [](std::string& P) { P.push_back(RedoneKind); });
}

void TJournalWriter::AppendRecorded(const TJournalStep& Step)
{
    CheckNotRemoved();
    EncodeJournalRecorded(FPending, Step.Name, Step.Diff, Step.Trailer);
}

void TJournalWriter::AppendUndone()
{
    CheckNotRemoved();
    EncodeJournalUndone(FPending);
}

void TJournalWriter::AppendRedone()
{
    CheckNotRemoved();
    EncodeJournalRedone(FPending);
}

void TJournalWriter::AppendHistory(const std::vector<TJournalStep>& Steps, std::size_t Current)
{
    for (const TJournalStep& Step : Steps)
        AppendRecorded(Step);
    for (std::size_t Undone = Current; Undone < Steps.size(); ++Undone)
        AppendUndone();
}

void TJournalWriter::AppendEncoded(std::string_view Records)
{
    CheckNotRemoved();
    FPending.append(Records);
}

void TJournalWriter::CheckNotRemoved() const
{
    if (FRemoved)
        throw std::logic_error("the journal " + FPath + " was removed");
}
