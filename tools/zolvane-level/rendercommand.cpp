// zolvane-level render: the format comes from the output's extension, or from --format when the pictures go
// into a folder, and is checked against what Qt's image writer offers before any level is read.

#include "rendercommand.h"

#include "fieldpainter.h"
#include "safefile.h"

#include <QBuffer>
#include <QByteArray>
#include <QFileInfo>
#include <QImageWriter>

#include <charconv>
#include <map>
#include <optional>
#include <ostream>

const char* const RenderHelp = R"(usage: zolvane-level render FILE... -o OUT [--format FMT] [--scale N] [--images DIR]

Draws the field as the editor's grid shows it, without focus frame or highlight: 620 x 190 pixels, each
cell 30 x 18 with a silver line right of and below it.
  -o, --output OUT   one FILE: the picture to write, in the format its extension names (level3.png,
                     level3.bmp, level3.jpg); several FILEs, or OUT an existing folder: the folder the
                     pictures go into, each named after its level file (level3.txt gives level3.png)
  --format FMT       the format of the pictures written into a folder (default png); with one output
                     file, its extension names the format and FMT may only say the same
  --scale N          make every pixel N x N (1 to 16; default 1)
  --images DIR       the element pictures (default: editor/images beside this program)
An extension or format that Qt cannot write is refused (exit status 2) and nothing is written.
)";

namespace {

// One picture to write: the level it shows, where it goes and in which of Qt's formats ("png", "jpeg").
struct TRenderJob {
    std::string Level;
    std::string Picture;
    std::string Format;
};

// Qt's writer takes "jpg" and "jpeg" alike, so both name one format.
std::string FormatOf(const QString& Name)
{
    const QString Lower = Name.toLower();
    return (Lower == "jpg" ? QString("jpeg") : Lower).toStdString();
}

std::string WritableFormats()
{
    std::string List;
    for (const QByteArray& Format : QImageWriter::supportedImageFormats())
        List += (List.empty() ? "" : ", ") + Format.toStdString();
    return List;
}

bool CanWrite(const QString& Name)
{
    return !Name.isEmpty() && QImageWriter::supportedImageFormats().contains(Name.toLower().toLatin1());
}

std::optional<int> ParseScale(const std::string& Text)
{
    int Scale = 0;
    const auto [End, Error] = std::from_chars(Text.data(), Text.data() + Text.size(), Scale);
    if (Error != std::errc() || End != Text.data() + Text.size() || Scale < 1 || Scale > RenderMaxScale)
        return std::nullopt;
    return Scale;
}

std::string ValueOf(const TParsed& Parsed, const std::string& Name, const std::string& Otherwise = "")
{
    const auto Found = Parsed.Values.find(Name);
    return Found == Parsed.Values.end() ? Otherwise : Found->second;
}

// Into a folder: each picture named after its level file, which must not give two files one name.
std::vector<TRenderJob> PlanFolder(const std::vector<std::string>& Files, const QString& Folder, const QString& Format,
                                   std::string& Error)
{
    std::vector<TRenderJob> Jobs;
    std::map<std::string, std::string> Takers;
    for (const std::string& File : Files) {
        const QString Name = QFileInfo(QString::fromStdString(File)).completeBaseName() + '.' + Format.toLower();
        const std::string Picture = (Folder.endsWith('/') ? Folder + Name : Folder + '/' + Name).toStdString();
        if (const auto Taken = Takers.find(Picture); Taken != Takers.end()) {
            Error = Taken->second + " and " + File + " would both be written to " + Picture;
            return {};
        }
        Takers[Picture] = File;
        Jobs.push_back({File, Picture, FormatOf(Format)});
    }
    return Jobs;
}

// The picture's bytes in Format, or nothing with Error set to the writer's reason.
std::optional<QByteArray> Encoded(const QImage& Picture, const std::string& Format, std::string& Error)
{
    QByteArray Bytes;
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::WriteOnly);
    QImageWriter Writer(&Buffer, QByteArray::fromStdString(Format));
    // The default JPEG quality blurs the pictures' one-pixel edges. Only for JPEG: PNG reads a quality as
    // little compression.
    if (Format == "jpeg")
        Writer.setQuality(95);
    if (!Writer.write(Picture)) {
        Error = Writer.errorString().toStdString();
        return std::nullopt;
    }
    return Bytes;
}

// Renders and writes one picture; says on Err what failed.
bool RenderOne(const TRenderJob& Job, const TFieldPictures& Pictures, int Scale, std::ostream& Err)
{
    TLevelData Level;
    if (!ReadLevel(Job.Level, Level, Err))
        return false;
    std::string Error;
    const std::optional<QByteArray> Bytes = Encoded(RenderLevel(Level, Pictures, Scale), Job.Format, Error);
    if (!Bytes) {
        Err << Job.Picture << ": error: cannot encode " << Job.Format << ": " << Error << '\n';
        return false;
    }
    try {
        ReplaceFileContents(Job.Picture, Bytes->toStdString());
    } catch (const std::exception& Failure) {
        Err << Job.Picture << ": error: cannot write: " << Failure.what() << '\n';
        return false;
    }
    return true;
}

// What render writes for Files and Output (with Format, "" when --format is not given): one job per file,
// or an error text when the arguments ask for something it cannot do, before anything is written.
std::vector<TRenderJob> PlanRender(const std::vector<std::string>& Files, const std::string& Output,
                                   const std::string& Format, std::string& Error)
{
    const QString Out = QString::fromStdString(Output);
    const QString Given = QString::fromStdString(Format);
    if (!Given.isEmpty() && !CanWrite(Given)) {
        Error = "cannot write '" + Format + "' pictures; formats: " + WritableFormats();
        return {};
    }
    if (Files.size() > 1 || QFileInfo(Out).isDir()) {
        if (!QFileInfo(Out).isDir()) {
            Error = "several files are written into a folder, and " + Output + " is not one";
            return {};
        }
        return PlanFolder(Files, Out, Given.isEmpty() ? QString("png") : Given, Error);
    }
    const QString Extension = QFileInfo(Out).suffix();
    if (!CanWrite(Extension)) {
        Error = (Extension.isEmpty() ? Output + " has no extension to name its format"
                                     : "cannot write '" + Extension.toStdString() + "' pictures (" + Output + ")") +
            "; formats: " + WritableFormats();
        return {};
    }
    if (!Given.isEmpty() && FormatOf(Given) != FormatOf(Extension)) {
        Error = Output + " names the format " + FormatOf(Extension) + ", not " + FormatOf(Given);
        return {};
    }
    return {{Files.front(), Output, FormatOf(Extension)}};
}

} // namespace

int RenderLevelFiles(const TParsed& Parsed, const std::string& DefaultImagesDir, std::ostream& Err)
{
    const std::string Output = ValueOf(Parsed, "-o", ValueOf(Parsed, "--output"));
    if (Output.empty())
        return UsageError(Err, "render", "no output given (-o OUT)");
    const std::string ScaleText = ValueOf(Parsed, "--scale", "1");
    const std::optional<int> Scale = ParseScale(ScaleText);
    if (!Scale)
        return UsageError(Err, "render",
                          "--scale must be a whole number from 1 to " + std::to_string(RenderMaxScale) + ", not '" +
                              ScaleText + "'");
    std::string Error;
    const std::vector<TRenderJob> Jobs = PlanRender(Parsed.Positional, Output, ValueOf(Parsed, "--format"), Error);
    if (!Error.empty())
        return UsageError(Err, "render", Error);
    TFieldPictures Pictures;
    try {
        Pictures = LoadFieldPictures(ValueOf(Parsed, "--images", DefaultImagesDir));
    } catch (const std::exception& Failure) {
        Err << "zolvane-level render: " << Failure.what() << '\n';
        return ExitTrouble;
    }
    int Status = ExitOk;
    for (const TRenderJob& Job : Jobs)
        if (!RenderOne(Job, Pictures, *Scale, Err))
            Status = ExitTrouble;
    return Status;
}
