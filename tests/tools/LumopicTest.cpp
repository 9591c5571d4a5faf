// lumopic run as a process, as scripts and file managers run it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "picture/decoding/AutoDecoder.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/PictureChecks.h"
#include "tests/support/PngWriter.h"
#include "tests/support/TempFolder.h"
#include "tools/lumopic/ProcessLimits.h"

namespace {

struct Outcome {
    int status = -1;  // the exit code, or -1 when a signal ended the process
    std::string out;
    std::string err;
};

std::string ReadText(const std::string& path)
{
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

// Waits for `child`, whose standard output and error went to the two files.
Outcome Collect(pid_t child, const std::string& out, const std::string& err)
{
    int status = 0;
    Outcome outcome;
    if (waitpid(child, &status, 0) == child && WIFEXITED(status))
        outcome.status = WEXITSTATUS(status);
    outcome.out = ReadText(out);
    outcome.err = ReadText(err);
    return outcome;
}

// Runs `body` in a child process whose standard output and error are kept.
template <typename Body>
Outcome RunInChild(const TempFolder& folder, Body body)
{
    std::string out = folder.Path() + "/stdout";
    std::string err = folder.Path() + "/stderr";
    std::fflush(nullptr);
    pid_t child = fork();
    if (child == 0) {
        int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (outFd < 0 || errFd < 0 || dup2(outFd, STDOUT_FILENO) < 0 || dup2(errFd, STDERR_FILENO) < 0)
            _exit(127);
        body();
        _exit(127);
    }
    return Collect(child, out, err);
}

Outcome RunLumopic(const TempFolder& folder, std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), LUMOPIC_PATH);
    return RunInChild(folder, [&] {
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
    });
}

std::string Sample(const std::string& name)
{
    return std::string(LUMO_SAMPLES_DIR) + "/" + name;
}

// A picture `width` x `height` in 8-bit run-length BMP that ends at once:
// a few bytes whatever its size.
std::vector<uint8_t> EmptyRle8Bmp(int width, int height)
{
    BmpImage image;
    image.width = width;
    image.height = height;
    image.compression = 1;
    image.colors = {{0, 0, 0}, {255, 255, 255}};
    image.pixels = {0x00, 0x01};
    return WriteBmp(image);
}

TEST(Lumopic, OptionsAndExitCodes)
{
    TempFolder folder;
    std::string picture = folder.Write("picture.bmp", SceneBmp(40, 30, 24));
    std::string out = folder.Path() + "/out.png";
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string outStart;  // what standard output starts with
        std::string errStart;  // what standard error starts with
    };
    const std::vector<Case> cases = {
        {{"--help"}, 0, "usage: lumopic info FILE...\n", ""},
        {{"--version"}, 0, "lumopic " LUMO_VERSION "\n", ""},
        {{}, 2, "", "usage: lumopic"},
        {{"frobnicate", picture}, 2, "", "usage: lumopic"},
        {{"thumb", picture}, 2, "", "usage: lumopic"},
        {{"thumb", "--size", "0", picture, out}, 2, "", "usage: lumopic"},
        {{"thumb", "--size", "2049", picture, out}, 2, "", "usage: lumopic"},
        {{"thumb", "--size", "-5", picture, out}, 2, "", "usage: lumopic"},
        {{"thumb", "--size", "12px", picture, out}, 2, "", "usage: lumopic"},
        {{"thumb", "--size", "64", folder.Path() + "/missing.bmp", out}, 1, "", folder.Path() + "/missing.bmp: error 4"},
        {{"thumb", "--size", "64", picture, folder.Path() + "/no/such/folder.png"}, 2, "", "lumopic: "},
        {{"thumb", "--size", "2048", picture, out}, 0, "", ""},
    };
    for (const Case& c : cases) {
        std::string what;
        for (const std::string& argument : c.arguments)
            what += argument + " ";
        Outcome outcome = RunLumopic(folder, c.arguments);
        EXPECT_EQ(outcome.status, c.status) << what;
        EXPECT_EQ(outcome.out.substr(0, c.outStart.size()), c.outStart) << what;
        EXPECT_EQ(outcome.err.substr(0, c.errStart.size()), c.errStart) << what;
        if (c.outStart.empty()) {
            EXPECT_EQ(outcome.out, "") << what;
        }
        if (c.errStart.empty()) {
            EXPECT_EQ(outcome.err, "") << what;
        }
    }
}

// The longer side becomes the size asked for, the shorter one follows the
// picture's aspect; a picture smaller than that keeps its own size.
TEST(Lumopic, SizedThumbnailsKeepTheAspectAndNeverEnlarge)
{
    TempFolder folder;
    const std::vector<std::string> pictures = {
        folder.Write("wide.bmp", SceneBmp(400, 100, 24)),
        folder.Write("tall.bmp", SceneBmp(90, 300, 8)),
        Sample("landscape-420.jpg"),
        Sample("bar-chart.emf"),
        Sample("house-clipart.wmf"),
        Sample("cube-packbits8.pct"),
        Sample("cube-256.pcx"),
    };
    CAutoDecoder decoder;
    for (const std::string& picture : pictures) {
        DecodeResult whole = DecodeFileAt(decoder, picture);
        ASSERT_TRUE(whole.Ok()) << picture;
        int width = whole.bitmap->GetWidth();
        int height = whole.bitmap->GetHeight();
        for (int size : {1, 64, 160, std::max(width, height) + 50}) {
            std::string what = picture + " at " + std::to_string(size);
            std::string out = folder.Path() + "/thumbnail.png";
            Outcome outcome = RunLumopic(folder, {"thumb", "--size", std::to_string(size), picture, out});
            ASSERT_EQ(outcome.status, 0) << what << ": " << outcome.err;
            DecodeResult thumbnail = DecodeFileAt(decoder, out);
            ASSERT_TRUE(thumbnail.Ok()) << what;
            int longer = std::min(size, std::max(width, height));
            double scale = static_cast<double>(longer) / std::max(width, height);
            EXPECT_NEAR(thumbnail.bitmap->GetWidth(), std::max(1.0, width * scale), 0.5) << what;
            EXPECT_NEAR(thumbnail.bitmap->GetHeight(), std::max(1.0, height * scale), 0.5) << what;
        }
    }
}

// Averaging weighs colours by their alpha: a pixel half covered by a red one
// is red and half transparent, not darkened by the transparent black.
TEST(Lumopic, SizedThumbnailsKeepAlpha)
{
    TempFolder folder;
    PngImage image;
    image.width = 4;
    image.height = 2;
    image.colorType = 6;
    image.rows.assign(2, {255, 0, 0, 255, 0, 0, 0, 0, 0, 0, 255, 255, 0, 0, 255, 255});
    std::string picture = folder.Write("half.png", WritePng(image));
    std::string out = folder.Path() + "/thumbnail.png";
    ASSERT_EQ(RunLumopic(folder, {"thumb", "--size", "2", picture, out}).status, 0);
    CAutoDecoder decoder;
    DecodeResult thumbnail = DecodeFileAt(decoder, out);
    ASSERT_TRUE(thumbnail.Ok());
    ASSERT_EQ(thumbnail.bitmap->GetWidth(), 2);
    ASSERT_EQ(thumbnail.bitmap->GetHeight(), 1);
    EXPECT_TRUE(thumbnail.bitmap->GetAlphaFlag());
    EXPECT_EQ(ColorAt(*thumbnail.bitmap, 0, 0), (BgraPixel {0, 0, 255, 128}));
    EXPECT_EQ(ColorAt(*thumbnail.bitmap, 1, 0), (BgraPixel {255, 0, 0, 255}));
}

// 120 megapixels in a few bytes: the collection's thumbnail decodes it, the
// thumbnailer refuses it before allocating its bitmap.
TEST(Lumopic, SizedThumbnailsRefusePicturesBeyondThePixelLimit)
{
    TempFolder folder;
    std::string picture = folder.Write("huge.bmp", EmptyRle8Bmp(12000, 10000));
    std::string out = folder.Path() + "/thumbnail.png";
    EXPECT_EQ(RunLumopic(folder, {"thumb", picture, out}).status, 0);
    Outcome outcome = RunLumopic(folder, {"thumb", "--size", "256", picture, out});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, picture + ": error 10: The picture has more pixels than this program takes.\n");
}

TEST(ProcessLimits, RunningOutOfTimeEndsTheProcessWithCode1)
{
    TempFolder folder;
    Outcome outcome = RunInChild(folder, [] {
        if (!LimitThisProcess({uint64_t {4} << 30, 1}))
            _exit(126);
        volatile uint64_t spin = 0;
        for (;;)
            spin = spin + 1;
    });
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "lumopic: the time limit ran out\n");
}

TEST(ProcessLimits, MemoryBeyondTheLimitCannotBeHad)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer's own reservations leave the address space unbounded";
#endif
    TempFolder folder;
    Outcome outcome = RunInChild(folder, [] {
        if (!LimitThisProcess({uint64_t {1} << 30, 10}))
            _exit(126);
        void* within = std::malloc(size_t {256} << 20);
        void* beyond = std::malloc(size_t {1} << 30);
        _exit(within != nullptr && beyond == nullptr ? 0 : 3);
    });
    EXPECT_EQ(outcome.status, 0);
}

}  // namespace
