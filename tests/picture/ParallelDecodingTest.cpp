#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "picture/decoding/AutoDecoder.h"
#include "picture/decoding/DecodingThreads.h"
#include "tests/fixtures/Fixtures.h"
#include "tests/support/PictureChecks.h"
#include "tests/support/TempFolder.h"

namespace {

// Everything a decode gives: the picture's size, depth, alpha flag, palette and
// rows, or the error's code and text.
struct Outcome {
    int code = 0;
    std::string text;
    int width = 0;
    int height = 0;
    int depth = 0;
    bool alpha = false;
    std::vector<uint8_t> palette;
    std::vector<uint8_t> rows;
    friend bool operator==(const Outcome&, const Outcome&) = default;
};

Outcome DecodeOutcome(CPictureDecoder& decoder, const std::string& path)
{
    DecodeResult result = DecodeFileAt(decoder, path);
    Outcome outcome;
    outcome.code = result.code;
    outcome.text = result.text;
    if (!result.Ok())
        return outcome;
    const CPictureBitmap& bitmap = *result.bitmap;
    outcome.width = bitmap.GetWidth();
    outcome.height = bitmap.GetHeight();
    outcome.depth = bitmap.GetBitsPerPixel();
    outcome.alpha = bitmap.GetAlphaFlag();
    if (bitmap.GetPalette() != nullptr) {
        const auto* entries = reinterpret_cast<const uint8_t*>(bitmap.GetPalette());
        outcome.palette.assign(entries, entries + sizeof(BgraPixel) * (size_t {1} << outcome.depth));
    }
    size_t rowBytes = (static_cast<size_t>(outcome.width) * static_cast<size_t>(outcome.depth) + 7) / 8;
    for (int y = 0; y < outcome.height; ++y)
        outcome.rows.insert(outcome.rows.end(), bitmap.GetLines()[y], bitmap.GetLines()[y] + rowBytes);
    return outcome;
}

const char* ExtensionOf(const Fixture& fixture)
{
    switch (fixture.nameChoice) {
    case kWmfName: return ".wmf";
    case kEmfName: return ".emf";
    default: return ".bin";
    }
}

// The bundled samples and seeds of every format, each seed also cut in half,
// so that errors of every library are made as well as pictures.
std::vector<std::string> WritePicturesOfEveryKind(const TempFolder& folder)
{
    FixtureSet fixtures = AllFixtures();
    std::vector<std::string> paths;
    for (const Fixture& sample : fixtures.samples)
        paths.push_back(folder.Write(sample.name, sample.bytes));
    for (const Fixture& seed : fixtures.seeds) {
        paths.push_back(folder.Write(seed.name + ExtensionOf(seed), seed.bytes));
        std::vector<uint8_t> half(seed.bytes.begin(), seed.bytes.begin() + static_cast<long>(seed.bytes.size() / 2));
        paths.push_back(folder.Write("cut-" + seed.name + ExtensionOf(seed), half));
    }
    return paths;
}

}  // namespace

// Threads that each own a decoder decode side by side exactly as one thread
// alone does: every thread starts at another file, so different formats and
// libraries (and their errors) run at the same time.
TEST(ParallelDecoding, EachThreadWithItsOwnDecoderDecodesAsOneThreadAlone)
{
    TempFolder folder;
    std::vector<std::string> paths = WritePicturesOfEveryKind(folder);
    PrepareDecodingThreads();
    std::vector<Outcome> expected;
    {
        CAutoDecoder decoder;
        for (const std::string& path : paths)
            expected.push_back(DecodeOutcome(decoder, path));
    }

    constexpr size_t kThreads = 4;
    std::vector<std::vector<std::string>> differences(kThreads);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            CAutoDecoder decoder;
            for (size_t n = 0; n < paths.size(); ++n) {
                size_t i = (n + t * paths.size() / kThreads) % paths.size();
                if (!(DecodeOutcome(decoder, paths[i]) == expected[i]))
                    differences[t].push_back(paths[i]);
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    for (size_t t = 0; t < kThreads; ++t)
        for (const std::string& path : differences[t])
            ADD_FAILURE() << "thread " << t << " decoded " << path << " differently";
}
