// Real-world Windows and enhanced metafiles written by other programs. Every
// one decodes (none is refused), each to the size its header gives.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "picture/decoding/AutoDecoder.h"
#include "tests/support/Corpus.h"
#include "tests/support/PictureChecks.h"

namespace {

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

int32_t I32At(const std::vector<uint8_t>& bytes, size_t at)
{
    return static_cast<int32_t>(bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
                                (static_cast<uint32_t>(bytes[at + 3]) << 24));
}

int16_t I16At(const std::vector<uint8_t>& bytes, size_t at)
{
    return static_cast<int16_t>(bytes[at] | (bytes[at + 1] << 8));
}

// The size the header asks for: placeable bounds at 96 pixels per inch, or
// the frame on the reference device. Other Windows metafiles: none.
std::optional<std::pair<int, int>> HeaderSize(const std::vector<uint8_t>& bytes, bool enhanced)
{
    if (enhanced) {
        int64_t width = static_cast<int64_t>(I32At(bytes, 32) - I32At(bytes, 24)) * I32At(bytes, 72) /
                        (static_cast<int64_t>(I32At(bytes, 80)) * 100);
        int64_t height = static_cast<int64_t>(I32At(bytes, 36) - I32At(bytes, 28)) * I32At(bytes, 76) /
                         (static_cast<int64_t>(I32At(bytes, 84)) * 100);
        return std::pair(static_cast<int>(width), static_cast<int>(height));
    }
    if (I32At(bytes, 0) != static_cast<int32_t>(0x9AC6CDD7))
        return std::nullopt;
    int unitsPerInch = static_cast<uint16_t>(I16At(bytes, 14));
    return std::pair((I16At(bytes, 10) - I16At(bytes, 6)) * 96 / unitsPerInch,
                     (I16At(bytes, 12) - I16At(bytes, 8)) * 96 / unitsPerInch);
}

}  // namespace

TEST(MetafileCorpus, EveryFileMeetsItsExpectation)
{
    ExpectCorpusOutcomes("wmf", {}, {});
    ExpectCorpusOutcomes("emf", {}, {});
}

TEST(MetafileCorpus, PicturesHaveTheSizeTheirHeaderGives)
{
    CAutoDecoder decoder;
    int checked = 0;
    for (const std::string format : {"wmf", "emf"})
        for (const CorpusFile& file : CorpusFiles(format)) {
            std::optional<std::pair<int, int>> size = HeaderSize(ReadFile(file.path), format == "emf");
            DecodeResult result = DecodeFileAt(decoder, file.path);
            if (!size || !result.Ok())
                continue;
            EXPECT_EQ(result.bitmap->GetSize(), *size) << file.name;
            ++checked;
        }
    if (CorpusFolder().empty())
        GTEST_SKIP() << "no corpus on this machine";
    EXPECT_GE(checked, 14);
}
