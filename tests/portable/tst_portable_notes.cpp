// The notes of one reading of a level file, in bounded memory: the first ones listed in the order of their
// places and every one counted, and the same notes whether the bytes come from memory or from a file in
// chunks, wherever a chunk ends.

#include "filenotes.h"
#include "portabletools.h"
#include "safefile.h"

#include <gtest/gtest.h>

using namespace PortableTools;

namespace {

// In the order of TFileNoteKind.
const char* const KindNames[] = {"UnknownCharacter",   "PowerUpOnEmptyCell", "ShortRow",    "LongRow",
                                 "MissingRows",        "LfLineEnd",          "LoneCr",      "MissingLineEnd",
                                 "CtrlZCutsLine",      "CtrlZEndsFile",      "IgnoredLine", "EmptyTrailer",
                                 "IgnoredAfterTrailer"};
static_assert(std::size(KindNames) == FileNoteKindCount);

// "line:column Kind" for each listed note, then "Kind count" for each kind that has notes.
std::string Described(const TFileNotes& Notes)
{
    std::string Text;
    for (const TFileNote& Note : Notes.Listed)
        Text += std::to_string(Note.Line) + ":" + std::to_string(Note.Column) + " " +
            KindNames[static_cast<int>(Note.Kind)] + "\n";
    Text += "counted:";
    for (std::size_t Kind = 0; Kind < FileNoteKindCount; ++Kind)
        if (Notes.Counts[Kind] > 0)
            Text += std::string(" ") + KindNames[Kind] + " " + std::to_string(Notes.Counts[Kind]);
    return Text;
}

std::string Rows(int Count, const std::string& Line)
{
    std::string Text;
    for (int I = 0; I < Count; ++I)
        Text += Line + "\r\n";
    return Text;
}

// A canonical row: a brick in every cell and no power-up.
const std::string Row = [] {
    std::string Text;
    for (int Column = 0; Column < LevelColumns; ++Column)
        Text += "1.";
    return Text;
}();

struct TListingCase {
    const char* Name;
    std::string Bytes;
    std::size_t Limit;
    const char* Notes;
};

std::ostream& operator<<(std::ostream& Out, const TListingCase& Case)
{
    return Out << Case.Name;
}

class ListedNotes : public testing::TestWithParam<TListingCase> {};

TEST_P(ListedNotes, AreTheFirstByPlaceAndEveryOneIsCounted)
{
    const TListingCase& Case = GetParam();
    const TLevelFileReading Reading = ReadLevelFromBytes(Case.Bytes, Case.Limit);
    EXPECT_EQ(Described(Reading.Notes), Case.Notes);
    // The counts summarise exactly what the full list does.
    EXPECT_EQ(SummariseFileNotes("f", Reading.Notes), SummariseFileNotes("f", LevelFileNotes(Case.Bytes)));
}

INSTANTIATE_TEST_SUITE_P(FileNotes, ListedNotes,
                         testing::Values(
                             // The marker's line end is noted before the empty trailer at the marker itself.
                             TListingCase{"EmptyTrailerBeforeTheMarkersLineEnd", Rows(10, Row) + ":", 1,
                                          "11:1 EmptyTrailer\ncounted: MissingLineEnd 1 EmptyTrailer 1"},
                             // A row's unknown character is noted before the lone CR that comes earlier in it.
                             TListingCase{"LoneCrBeforeAnUnknownCharacter",
                                          std::string(Row).insert(5, "\r").replace(21, 1, "x") + "\r\n" + Rows(9, Row),
                                          1, "1:6 LoneCr\ncounted: UnknownCharacter 1 LoneCr 1"},
                             TListingCase{"ThousandsOfLoneCrsInOneRow",
                                          std::string(Row).insert(1, 3000, '\r') + "\r\n" + Rows(9, Row), 3,
                                          "1:2 LoneCr\n1:3 LoneCr\n1:4 LoneCr\ncounted: LoneCr 3000"},
                             TListingCase{"LinesAfterTheRows", Rows(10, Row) + Rows(5, "junk"), 2,
                                          "11:1 IgnoredLine\n12:1 IgnoredLine\ncounted: IgnoredLine 5"},
                             TListingCase{"NoneListed", Rows(10, Row) + Rows(5, "junk") + "\x1A", 0,
                                          "counted: CtrlZEndsFile 1 IgnoredLine 5"}),
                         [](const testing::TestParamInfo<TListingCase>& Info) { return std::string(Info.param.Name); });

// A file is read in chunks, one byte carried over to see a CR's LF: every rule holds wherever a chunk
// ends. The first row is as long as it takes to put the tail's byte Shift last in the first chunk.
TEST(FileNotes, FromAFileAreThoseOfItsBytesWhereverAChunkEnds)
{
    const std::string Tail = "1S\r2E\r\r\n\r\n#W\x1A"
                             "junk\r\n3L\r\n4F\n5I\r\n6L\r\n7E\r\n8W\r\nskipped\r\n:\r\r\n"
                             "The trailer\r\nafter\r\x1A\r\n";
    TScratchFolder Folder;
    const std::string File = Folder.File("chunks.txt");
    for (std::size_t Shift = 0; Shift <= Tail.size(); ++Shift) {
        const std::string Bytes = std::string(ReadChunkSize - 2 - Shift, '.') + "\r\n" + Tail;
        ASSERT_TRUE(WriteBytes(File, Bytes));
        const TLevelFileReading FromMemory = ReadLevelFromBytes(Bytes, 50);
        TLevelFileReading FromFile = ReadLevelFile(File, 50);
        FromFile.Level.FileName.clear();
        ASSERT_EQ(Described(FromFile.Notes), Described(FromMemory.Notes))
            << "tail's byte " << Shift << " ends the chunk";
        ASSERT_EQ(FromFile.Level, FromMemory.Level) << "tail's byte " << Shift << " ends the chunk";
    }
}

} // namespace
