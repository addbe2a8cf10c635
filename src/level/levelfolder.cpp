#include "levelfolder.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <set>
#include <system_error>

namespace {

char lowerAscii(char C)
{
    return (C >= 'A' && C <= 'Z') ? static_cast<char>(C - 'A' + 'a') : C;
}

int hexDigit(char C)
{
    if (C >= '0' && C <= '9')
        return C - '0';
    if (C >= 'a' && C <= 'f')
        return C - 'a' + 10;
    if (C >= 'A' && C <= 'F')
        return C - 'A' + 10;
    return -1;
}

// The run-time library's Val for a 32-bit integer, returning what it read before it stopped.
int valInteger(const std::string& S)
{
    std::size_t I = 0;
    while (I < S.size() && S[I] == ' ')
        ++I;
    bool Negative = false;
    if (I < S.size() && (S[I] == '+' || S[I] == '-')) {
        Negative = S[I] == '-';
        ++I;
    }
    int Base = 10;
    if (I < S.size() && (S[I] == '$' || S[I] == 'x' || S[I] == 'X')) {
        Base = 16;
        ++I;
    } else if (I + 1 < S.size() && S[I] == '0' && (S[I + 1] == 'x' || S[I + 1] == 'X')) {
        Base = 16;
        I += 2;
    }
    const std::int64_t Limit = Negative ? std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1
                                        : std::numeric_limits<std::int32_t>::max();
    std::int64_t Value = 0;
    for (; I < S.size(); ++I) {
        const int Digit = hexDigit(S[I]);
        if (Digit < 0 || Digit >= Base)
            break;
        const std::int64_t Next = Value * Base + Digit;
        if (Next > Limit)
            break;
        Value = Next;
    }
    return static_cast<int>(Negative ? -Value : Value);
}

} // namespace

bool IsLevelFileName(const std::string& Name)
{
    static constexpr char Txt[] = ".txt";
    if (Name.size() < 4)
        return false;
    return std::equal(Name.end() - 4, Name.end(), Txt, Txt + 4, [](char A, char B) { return lowerAscii(A) == B; });
}

// Names that differ only in case (possible on POSIX) keep a fixed byte order.
bool LevelNameLess(const std::string& A, const std::string& B)
{
    const auto Less = [](char X, char Y) {
        return static_cast<unsigned char>(lowerAscii(X)) < static_cast<unsigned char>(lowerAscii(Y));
    };
    if (std::lexicographical_compare(A.begin(), A.end(), B.begin(), B.end(), Less))
        return true;
    if (std::lexicographical_compare(B.begin(), B.end(), A.begin(), A.end(), Less))
        return false;
    return A < B;
}

std::vector<std::string> ListLevelFolder(const std::string& Folder)
{
    std::vector<std::string> Names;
    std::error_code Error;
    std::filesystem::directory_iterator It(Folder, Error);
    for (; !Error && It != std::filesystem::directory_iterator(); It.increment(Error)) {
        std::string Name = It->path().filename().string();
        if (IsLevelFileName(Name))
            Names.push_back(std::move(Name));
    }
    std::sort(Names.begin(), Names.end(), LevelNameLess);
    return Names;
}

int LevelNumberOf(const std::string& FileName)
{
    std::string Name = FileName.substr(0, FileName.find('.'));
    const auto FirstKept =
        std::find_if(Name.begin(), Name.end(), [](char C) { return static_cast<unsigned char>(C) <= '9'; });
    Name.erase(Name.begin(), FirstKept);
    return valInteger(Name);
}

std::string NextLevelFileName(const std::vector<std::string>& Taken, const std::string& ExeDir)
{
    std::string Path = ExeDir + "data/levels/" + NextLevelName(Taken);
    if constexpr (std::filesystem::path::preferred_separator != '/')
        std::replace(Path.begin(), Path.end(), '/', static_cast<char>(std::filesystem::path::preferred_separator));
    return Path;
}

std::string NextLevelName(const std::vector<std::string>& Taken)
{
    std::int64_t N = 1;
    for (const std::string& Name : Taken) {
        const std::int64_t Number = LevelNumberOf(Name);
        if (Number >= N)
            N = Number + 1;
    }
    const std::set<std::string> TakenNames(Taken.begin(), Taken.end());
    while (TakenNames.count("level" + std::to_string(N) + ".txt") != 0)
        ++N;
    return "level" + std::to_string(N) + ".txt";
}
