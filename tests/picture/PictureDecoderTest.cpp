#include <gtest/gtest.h>

#include <fstream>
#include <new>
#include <sstream>

#include <unistd.h>

#include "picture/decoding/AutoDecoder.h"
#include "picture/decoding/TextException.h"
#include "picture/decoding/Trace.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/GifWriter.h"
#include "tests/support/JpegWriter.h"
#include "tests/support/PictureChecks.h"
#include "tests/support/PngWriter.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestPictures.h"

namespace {

std::vector<uint8_t> TwoByTwoBmp()
{
    BmpImage image;
    image.width = 2;
    image.height = 2;
    image.bitsPerPixel = 24;
    image.pixels = BmpRows({{0xFF0000, 0x00FF00}, {0x0000FF, 0xFFFFFF}}, 24);
    return WriteBmp(image);
}

class RecordingProgress : public CDecodeProgress {
public:
    void OnProgress(double fraction) override { last = fraction; }
    double last = -1;
};

// Cuts the file being decoded to 1000 bytes at the first report of progress.
class FileCutter : public CDecodeProgress {
public:
    explicit FileCutter(std::string path) : path_(std::move(path)) {}
    void OnProgress(double /*fraction*/) override
    {
        if (!cut)
            cut = truncate(path_.c_str(), 1000) == 0;
    }
    bool cut = false;

private:
    std::string path_;
};

// Runs out of memory at the second report of progress, in the midst of a decode.
struct MemoryRunsOut : CDecodeProgress {
    void OnProgress(double /*fraction*/) override
    {
        if (++calls == 2)
            throw std::bad_alloc();
    }
    int calls = 0;
};

std::vector<uint8_t> ScenePng(int width, int height)
{
    PngImage png;
    png.width = width;
    png.height = height;
    png.compressionLevel = 0;
    for (const std::vector<uint32_t>& row : SceneRows(width, height)) {
        std::vector<uint16_t>& samples = png.rows.emplace_back();
        for (uint32_t pixel : row)
            samples.insert(samples.end(), {static_cast<uint16_t>(pixel >> 16), static_cast<uint16_t>((pixel >> 8) & 0xFF),
                                           static_cast<uint16_t>(pixel & 0xFF)});
    }
    return WritePng(png);
}

std::vector<uint8_t> SceneJpeg(int width, int height)
{
    JpegImage jpeg;
    jpeg.width = width;
    jpeg.height = height;
    jpeg.samples = JpegSamples(SceneRows(width, height), 3);
    return WriteJpeg(jpeg);
}

std::string ReadText(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace

TEST(PictureDecoder, MissingFolderAndFileGiveTheirCodesAndTexts)
{
    TempFolder folder;
    CAutoDecoder decoder;
    std::string missingFolder = folder.Path() + "/gone/picture.bmp";
    DecodeResult result = DecodeFileAt(decoder, missingFolder);
    EXPECT_EQ(result.code, PE_PATH_NOT_FOUND);
    EXPECT_EQ(result.text, "Decoder error: Opening " + missingFolder + " failed\n");
    EXPECT_EQ(DecodeFileAt(decoder, folder.Path() + "/picture.bmp").code, PE_OPEN_FAILED);
    EXPECT_EQ(DecodeFileAt(decoder, folder.Write("empty.bmp", std::string())).code, PE_ACCESS_DENIED);
}

TEST(PictureDecoder, ShortFileEndsWithEndOfFileAndClosesTheSource)
{
    TempFolder folder;
    std::vector<uint8_t> bytes = TwoByTwoBmp();
    bytes.resize(bytes.size() - 10);
    std::string path = folder.Write("short.bmp", bytes);
    CAutoDecoder decoder;
    CDibSectionBitmap bitmap;
    RecordingProgress progress;
    try {
        decoder.DecodeFile(path.c_str(), bitmap, 0, &progress);
        FAIL() << "a short file decoded";
    } catch (const CTextException& error) {
        EXPECT_EQ(error.GetCode(), PE_END_OF_FILE);
        EXPECT_STREQ(error.GetText(), "End of file reached while decoding.\n");
    }
    EXPECT_EQ(progress.last, 1.0);
}

TEST(PictureDecoder, AFileCutShortDuringTheDecodeEndsItCleanly)
{
    constexpr int kSide = 1024;
    TempFolder folder;
    std::string path = folder.Write("big.bmp", SceneBmp(kSide, kSide, 24));
    CAutoDecoder decoder;
    CDibSectionBitmap bitmap;
    FileCutter cutter(path);
    try {
        decoder.DecodeFile(path.c_str(), bitmap, 0, &cutter);
        // Whatever was read before the cut makes a whole picture.
        ExpectColors(
            bitmap,
            [](int x, int y) -> std::optional<BgraPixel> {
                uint32_t rgb = ScenePixel(x, y, kSide, kSide);
                return OpaqueBgra(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
            },
            0, "the picture as it was");
    } catch (const CTextException& error) {
        EXPECT_EQ(error.GetCode(), PE_END_OF_FILE) << error.GetText();
    }
    EXPECT_TRUE(cutter.cut);
}

TEST(PictureDecoder, RunningOutOfMemoryAnywhereInADecodeIsAnAllocationFailure)
{
    // In plain C++ and inside the callbacks of libpng, libjpeg and giflib.
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    TempFolder folder;
    CAutoDecoder decoder;
    for (const Case& c : {Case {"a.bmp", SceneBmp(64, 64, 24)}, Case {"a.png", ScenePng(64, 64)},
                          Case {"a.jpg", SceneJpeg(64, 64)}, Case {"a.gif", WriteGif(SceneGif(256, 256, false))}}) {
        MemoryRunsOut progress;
        DecodeResult result = DecodeFileAt(decoder, folder.Write(c.name, c.bytes), 0, &progress);
        EXPECT_GE(progress.calls, 2) << c.name;
        EXPECT_EQ(result.code, PE_ALLOC_FAILED) << c.name;
        EXPECT_EQ(result.text, "Out of memory.") << c.name;
    }
}

TEST(PictureDecoder, ChoosesTheDestinationDepth)
{
    struct Case {
        int source;
        int wanted;
        int chosen;
    };
    for (Case c : {Case {1, 0, 8}, Case {4, 0, 8}, Case {8, 0, 8}, Case {16, 0, 32}, Case {24, 32, 32},
                   Case {1, 32, 32}, Case {8, 8, 8}, Case {24, 8, 32}}) {
        int wanted = c.wanted;
        ChooseDestinationDepth(c.source, wanted);
        EXPECT_EQ(wanted, c.chosen) << c.source << " bits wanted at " << c.wanted;
    }
}

TEST(PictureDecoder, RefusesWantedDepthsItCannotMake)
{
    CAutoDecoder decoder;
    DecodeResult result = DecodeBytes(decoder, TwoByTwoBmp(), 16);
    EXPECT_EQ(result.code, PE_FORMAT_ERROR);
    EXPECT_TRUE(DecodeBytes(decoder, TwoByTwoBmp(), 8).Ok());
}

TEST(PictureDecoder, TracesBannersRecognitionAndErrors)
{
    TempFolder folder;
    std::string trace = folder.Path() + "/trace.txt";
    std::string picture = folder.Write("two.bmp", TwoByTwoBmp());
    {
        CAutoDecoder decoder;
        SetTraceFile(trace);
        SetTraceLevel(3);
        EXPECT_TRUE(DecodeFileAt(decoder, picture).Ok());
        DecodeBytes(decoder, {'x', 'y'});
        SetTraceLevel(0);
    }
    std::string text = ReadText(trace);
    EXPECT_NE(text.find("--- Decoding file " + picture + ". ---\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Windows bitmap recognized.\nBitmap file signature found\nBitmap header is ok.\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Decoding true-color bitmap.\nDecoding finished.\n"), std::string::npos) << text;
    EXPECT_NE(text.find("--- Decoding from memory at 0x"), std::string::npos) << text;
    EXPECT_NE(text.find("Decoder error: Unknown file type.\n"), std::string::npos) << text;

    // Destroying the decoder ended tracing: nothing more is written.
    CAutoDecoder another;
    SetTraceLevel(3);
    DecodeFileAt(another, picture);
    SetTraceLevel(0);
    EXPECT_EQ(ReadText(trace), text);
}

TEST(Trace, IsEnabledOnlyWithAFileAndUpToTheLevel)
{
    SetTraceLevel(2);
    EXPECT_FALSE(TraceEnabled(0));  // no file named
    SetTraceFile("/dev/null");
    EXPECT_TRUE(TraceEnabled(2));
    EXPECT_FALSE(TraceEnabled(3));
    SetTraceFile("");
    EXPECT_FALSE(TraceEnabled(0));
    SetTraceLevel(0);
}
