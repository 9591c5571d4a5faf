// lumopic: the picture library from the command line, for scripts, tests and
// benchmarks. Every command goes through the same code as the viewer.

#include <cstdio>
#include <cstring>
#include <fstream>
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

namespace {

constexpr int kExitOk = 0;
constexpr int kExitDecodeFailed = 1;
constexpr int kExitUsage = 2;

void PrintUsage()
{
    std::fputs("usage: lumopic info FILE...\n"
               "       lumopic convert [--depth 0|8|32] IN OUT.png|OUT.bmp\n"
               "       lumopic thumb IN OUT.png\n"
               "       lumopic collect [--no-cache] OUT.kir PATH...\n",
               stderr);
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

int RunThumb(int argc, char** argv)
{
    if (argc != 2 || !EndsWith(argv[1], ".png")) {
        PrintUsage();
        return kExitUsage;
    }
    // Made exactly as the collection makes it.
    CAutoDecoder decoder;
    std::unique_ptr<gdi::CDibSection> thumbnail;
    try {
        thumbnail = DecodeThumbnail(decoder, argv[0]);
    } catch (const CTextException& error) {
        std::fprintf(stderr, "%s\n", ErrorLine(argv[0], error).c_str());
        return kExitDecodeFailed;
    }
    CDibBitmap bitmap;
    std::string failure = "out of memory";
    if (thumbnail) {
        CopySection(*thumbnail, bitmap);
        failure = WritePngFile(bitmap, argv[1]);
    }
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
