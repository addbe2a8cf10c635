#include "bitmap.h"

#include "exceptions.h"

#include <QByteArray>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <cstdio>
#include <memory>
#include <system_error>

namespace {

constexpr std::size_t FileHeaderSize = 14;

std::uint32_t readU32(const QByteArray& Data, std::size_t Offset)
{
    const auto* P = reinterpret_cast<const unsigned char*>(Data.constData()) + Offset;
    return std::uint32_t(P[0]) | std::uint32_t(P[1]) << 8 | std::uint32_t(P[2]) << 16 | std::uint32_t(P[3]) << 24;
}

std::uint16_t readU16(const QByteArray& Data, std::size_t Offset)
{
    const auto* P = reinterpret_cast<const unsigned char*>(Data.constData()) + Offset;
    return static_cast<std::uint16_t>(P[0] | P[1] << 8);
}

[[noreturn]] void throwCannotOpen(const std::string& FileName, int Error)
{
    std::error_code Ignored;
    const std::filesystem::path Full = std::filesystem::absolute(FileName, Ignored).lexically_normal();
    throw EToolkitError("Cannot open file \"" + Full.string() + "\". " + std::strerror(Error));
}

QByteArray readWholeFile(const std::string& FileName)
{
    std::error_code Ignored;
    if (std::filesystem::is_directory(FileName, Ignored))
        throwCannotOpen(FileName, EISDIR);
    errno = 0;
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> File(std::fopen(FileName.c_str(), "rb"), &std::fclose);
    if (!File)
        throwCannotOpen(FileName, errno != 0 ? errno : ENOENT);
    QByteArray Data;
    char Buffer[16384];
    std::size_t Got;
    while ((Got = std::fread(Buffer, 1, sizeof Buffer, File.get())) > 0)
        Data.append(Buffer, static_cast<qsizetype>(Got));
    if (std::ferror(File.get()))
        throw EToolkitError("Stream read error");
    return Data;
}

// Checks the headers ourselves, so that a short file is told apart from a foreign one; the pixels are
// then decoded by Qt.
void checkHeaders(const QByteArray& Data)
{
    const auto Size = static_cast<std::size_t>(Data.size());
    if (Size < FileHeaderSize)
        throw EToolkitError("Stream read error");
    if (Data[0] != 'B' || Data[1] != 'M')
        throw EToolkitError("Bitmap image is not valid");
    if (Size < FileHeaderSize + 4)
        throw EToolkitError("Stream read error");
    const std::uint32_t InfoSize = readU32(Data, FileHeaderSize);
    if (InfoSize != 12 && InfoSize != 40 && InfoSize != 52 && InfoSize != 56 && InfoSize != 108 && InfoSize != 124)
        throw EToolkitError("Bitmap image is not valid");
    if (Size < FileHeaderSize + InfoSize)
        throw EToolkitError("Stream read error");

    if (InfoSize == 12)
        return; // old OS/2 header: rare enough to leave entirely to the decoder
    const auto Width = static_cast<std::int32_t>(readU32(Data, FileHeaderSize + 4));
    const auto Height = static_cast<std::int32_t>(readU32(Data, FileHeaderSize + 8));
    const std::uint16_t BitsPerPixel = readU16(Data, FileHeaderSize + 14);
    const std::uint32_t Compression = readU32(Data, FileHeaderSize + 16);
    const std::uint32_t DataOffset = readU32(Data, 10);
    if (Width <= 0 || Height == 0 || Height == INT32_MIN || BitsPerPixel == 0 || BitsPerPixel > 32)
        throw EToolkitError("Bitmap image is not valid");
    // Uncompressed rows have a known length: pixel rows cut short are a read error, as for the headers.
    if (Compression == 0 || Compression == 3) {
        const std::uint64_t RowSize = (std::uint64_t(Width) * BitsPerPixel + 31) / 32 * 4;
        const std::uint64_t Rows = static_cast<std::uint64_t>(Height < 0 ? -std::int64_t(Height) : Height);
        if (std::uint64_t(DataOffset) + RowSize * Rows > Size)
            throw EToolkitError("Stream read error");
    }
}

} // namespace

QImage LoadBitmapFile(const std::string& FileName)
{
    const QByteArray Data = readWholeFile(FileName);
    if (Data.isEmpty())
        return {};
    checkHeaders(Data);
    QImage Image;
    if (!Image.loadFromData(Data, "BMP"))
        throw EToolkitError("Bitmap image is not valid");
    return Image;
}
