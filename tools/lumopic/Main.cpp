// lumopic: the picture library from the command line, for scripts, tests and
// benchmarks. Every command goes through the same code as the viewer.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "document/KiroDoc.h"
#include "document/Thumbnail.h"
#include "document/UserThumbnailStore.h"
#include "picture/bitmap/DibSectionBitmap.h"
#include "picture/decoding/AutoDecoder.h"
#include "picture/decoding/TextException.h"
#include "picture/decoding/DecodingThreads.h"
#include "platform/gdi/BitmapFile.h"
#include "tools/lumopic/PngFileWriter.h"
#include "tools/lumopic/ProcessLimits.h"
#include "tools/lumopic/SizedThumbnail.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitDecodeFailed = 1;
constexpr int kExitUsage = 2;

// A thumbnailer runs on any file the user has, so `thumb --size` bounds
// itself: what it takes in memory and time, and the pictures it decodes.
constexpr ProcessLimits kThumbnailerLimits {uint64_t {2} << 30, 20};
constexpr int64_t kThumbnailerPixelLimit = 100'000'000;

const char* const kUsage =
    "usage: lumopic info FILE...\n"
    "       lumopic convert [--depth 0|8|32] IN OUT.png|OUT.bmp\n"
    "       lumopic thumb [--size N] IN OUT.png\n"
    "       lumopic collect [--no-cache] OUT.kir PATH...\n"
    "       lumopic --help | --version\n";

const char* const kCommands =
    "\n"
    "Lumo's picture library from the command line.\n"
    "\n"
    "  info      print each file's size, depth and memory, or why it does not decode\n"
    "  convert   decode IN (at the depth given; 0 lets the format decide) and\n"
    "            write it as PNG or BMP, by OUT's extension\n"
    "  thumb     write the 100 x 75 thumbnail a collection keeps of IN, as PNG;\n"
    "            with --size N (1 to 2048) a thumbnail whose longer side is N\n"
    "            pixels instead, never enlarged, with the picture's alpha\n"
    "  collect   add the files and folders to a new collection and save it\n"
    "            as OUT.kir; --no-cache decodes without the thumbnail cache\n"
    "\n"
    "Exit status: 0 success, 1 a picture did not decode, 2 wrong use or an\n"
    "output that cannot be written.\n";

void PrintUsage()
{
    std::fputs(kUsage, stderr);
}

std::string WithoutTrailingNewline(std::string text)
{
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

std::string ErrorLine(const char* path, const CTextException& error)
{
    return std::string(path) + ": error " + std::to_string(error.GetCode()) + ": " +
           WithoutTrailingNewline(error.GetText());
}

bool EndsWith(const std::string& text, const char* suffix)
{
    size_t length = std::strlen(suffix);
    return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

int RunInfo(int argc, char** argv)
{
    if (argc < 1) {
        PrintUsage();
        return kExitUsage;
    }
    CAutoDecoder decoder;
    int status = kExitOk;
    for (int i = 0; i < argc; ++i) {
        CDibSectionBitmap bitmap;
        try {
            decoder.DecodeFile(argv[i], bitmap, 0, nullptr);
            std::printf("%s: %d x %d; %d bpp; %lld kb\n", argv[i], bitmap.GetWidth(), bitmap.GetHeight(),
                        bitmap.GetBitsPerPixel(), static_cast<long long>(bitmap.GetMemorySize() / 1024));
        } catch (const CTextException& error) {
            std::printf("%s\n", ErrorLine(argv[i], error).c_str());
            status = kExitDecodeFailed;
        }
    }
    return status;
}

std::string WriteBmpFile(const CDibBitmap& bitmap, const std::string& path)
{
    std::vector<uint8_t> file = gdi::MakeBitmapFile(bitmap.CopyToGlobalMemory());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    out.close();
    return out ? "" : "cannot write " + path;
}

int RunConvert(int argc, char** argv)
{
    int depth = 0;
    std::vector<std::string> paths;
    for (int i = 0; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--depth" && i + 1 < argc) {
            std::string value = argv[++i];
            if (value != "0" && value != "8" && value != "32") {
                PrintUsage();
                return kExitUsage;
            }
            depth = std::stoi(value);
        } else {
            paths.push_back(argument);
        }
    }
    if (paths.size() != 2 || !(EndsWith(paths[1], ".png") || EndsWith(paths[1], ".bmp"))) {
        PrintUsage();
        return kExitUsage;
    }

    CAutoDecoder decoder;
    CDibSectionBitmap bitmap;
    try {
        decoder.DecodeFile(paths[0].c_str(), bitmap, depth, nullptr);
    } catch (const CTextException& error) {
        std::fprintf(stderr, "%s\n", ErrorLine(paths[0].c_str(), error).c_str());
        return kExitDecodeFailed;
    }
    std::string failure =
        EndsWith(paths[1], ".png") ? WritePngFile(bitmap, paths[1]) : WriteBmpFile(bitmap, paths[1]);
    if (!failure.empty()) {
        std::fprintf(stderr, "lumopic: %s\n", failure.c_str());
        return kExitUsage;
    }
    return kExitOk;
}

// A DIB section as a bitmap the PNG writer takes: its packed DIB read back.
void CopySection(const gdi::CDibSection& section, CDibBitmap& bitmap)
{
    size_t tableBytes = section.ColorTable().size() * sizeof(gdi::RgbQuad);
    size_t pixelBytes = static_cast<size_t>(section.Stride()) * static_cast<size_t>(section.Height());
    std::vector<uint8_t> dib(sizeof(gdi::BitmapInfoHeader) + tableBytes + pixelBytes);
    std::memcpy(dib.data(), &section.Header(), sizeof(gdi::BitmapInfoHeader));
    std::memcpy(dib.data() + sizeof(gdi::BitmapInfoHeader), section.ColorTable().data(), tableBytes);
    std::memcpy(dib.data() + sizeof(gdi::BitmapInfoHeader) + tableBytes, section.Bits(), pixelBytes);
    bitmap.CreateFromPackedDib(dib.data(), dib.size());
}

// A thumbnail size of 1 to 2048, in digits alone; nothing for anything else.
std::optional<int> ParseThumbnailSize(const std::string& text)
{
    auto isDigit = [](unsigned char c) { return std::isdigit(c) != 0; };
    if (text.empty() || text.size() > 4 || !std::all_of(text.begin(), text.end(), isDigit))
        return std::nullopt;
    int size = std::stoi(text);
    if (size < kSmallestThumbnailSize || size > kLargestThumbnailSize)
        return std::nullopt;
    return size;
}

// The thumbnail the collection keeps: 100 x 75, made exactly as the collection makes it.
std::unique_ptr<CDibBitmap> MakeCollectionThumbnail(CPictureDecoder& decoder, const std::string& path)
{
    std::unique_ptr<gdi::CDibSection> thumbnail = DecodeThumbnail(decoder, path);
    if (!thumbnail)
        return nullptr;
    auto bitmap = std::make_unique<CDibBitmap>();
    CopySection(*thumbnail, *bitmap);
    return bitmap;
}

// OUT is written as PNG whatever its name: a file manager names it.
int RunThumb(int argc, char** argv)
{
    std::optional<int> size;
    std::vector<std::string> paths;
    for (int i = 0; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--size" && i + 1 < argc) {
            size = ParseThumbnailSize(argv[++i]);
            if (!size) {
                PrintUsage();
                return kExitUsage;
            }
        } else {
            paths.push_back(argument);
        }
    }
    if (paths.size() != 2) {
        PrintUsage();
        return kExitUsage;
    }
    if (size) {
        if (!LimitThisProcess(kThumbnailerLimits)) {
            std::perror("lumopic: cannot limit this process");
            return kExitUsage;
        }
        SetBitmapPixelLimit(kThumbnailerPixelLimit);
    }

    CAutoDecoder decoder;
    std::unique_ptr<CDibBitmap> thumbnail;
    try {
        thumbnail = size ? MakeSizedThumbnail(decoder, paths[0], *size) : MakeCollectionThumbnail(decoder, paths[0]);
    } catch (const CTextException& error) {
        std::fprintf(stderr, "%s\n", ErrorLine(paths[0].c_str(), error).c_str());
        return kExitDecodeFailed;
    }
    std::string failure = thumbnail ? WritePngFile(*thumbnail, paths[1]) : "out of memory";
    if (!failure.empty()) {
        std::fprintf(stderr, "lumopic: %s\n", failure.c_str());
        return kExitUsage;
    }
    return kExitOk;
}

// Counts the files a load tries: the document steps the progress once per file.
class TriedCounter : public IProgressFrame {
public:
    void BeginProgress() override {}
    void SetProgressTotal(int) override {}
    void StepProgress() override { ++tried_; }
    void EndProgress() override {}
    int Tried() const { return tried_; }

private:
    int tried_ = 0;
};

int RunCollect(int argc, char** argv)
{
    bool useCache = true;
    if (argc > 0 && std::strcmp(argv[0], "--no-cache") == 0) {
        useCache = false;
        --argc;
        ++argv;
    }
    if (argc < 2) {
        PrintUsage();
        return kExitUsage;
    }
    PrepareDecodingThreads();
    std::unique_ptr<IThumbnailStore> store = useCache ? OpenUserThumbnailStore() : nullptr;
    CAutoDecoder decoder;
    CKiroDoc document(decoder);
    document.SetLoaderOptions({{}, store.get(), 0});
    document.OnNewDocument();
    TriedCounter counter;
    document.SetMainFrame(&counter);
    // Without an interface thread the load runs to its end here.
    document.StartAdding({argv + 1, argv + argc});
    document.SetMainFrame(nullptr);
    if (!document.OnSaveDocument(argv[0])) {
        std::fprintf(stderr, "lumopic: %s\n", document.GetLastErrorText().c_str());
        return kExitUsage;
    }
    std::printf("%d added, %d tried\n", document.GetEntryCount(), counter.Tried());
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        PrintUsage();
        return kExitUsage;
    }
    std::string command = argv[1];
    if (command == "--help") {
        std::printf("%s%s", kUsage, kCommands);
        return kExitOk;
    }
    if (command == "--version") {
        std::printf("lumopic %s\n", LUMO_VERSION);
        return kExitOk;
    }
    if (command == "info")
        return RunInfo(argc - 2, argv + 2);
    if (command == "convert")
        return RunConvert(argc - 2, argv + 2);
    if (command == "thumb")
        return RunThumb(argc - 2, argv + 2);
    if (command == "collect")
        return RunCollect(argc - 2, argv + 2);
    PrintUsage();
    return kExitUsage;
}
