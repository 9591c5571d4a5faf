// Damaged pictures: every cut and every changed byte must end in a clean
// CTextException or a picture, never a crash, a hang or a stray access.

#include <gtest/gtest.h>

#include <random>

#include "picture/decoding/AutoDecoder.h"
#include "picture/decoding/TextException.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/DamagedInput.h"
#include "tests/support/PictureChecks.h"

namespace {

struct Sample {
    const char* name;
    std::vector<uint8_t> bytes;
    bool runLength;
    size_t optionalTail = 0;  // padding of the last row, which may be missing
};

std::vector<Sample> BmpSamples()
{
    std::vector<Sample> samples;
    std::vector<std::vector<uint32_t>> indices = {{0, 1, 1, 0, 1}, {1, 0, 0, 1, 0}, {1, 1, 0, 0, 1}};
    std::vector<std::vector<uint32_t>> colours = {{0x102030, 0x405060, 0x708090, 0xA0B0C0, 0xD0E0F0},
                                                  {0x111111, 0x222222, 0x333333, 0x444444, 0x555555},
                                                  {0xFFFFFF, 0, 0xFF, 0xFF00, 0xFF0000}};
    for (uint16_t depth : {1, 4, 8, 16, 24, 32}) {
        BmpImage image;
        image.width = 5;
        image.height = 3;
        image.bitsPerPixel = depth;
        if (depth <= 8)
            image.colors = {{0, 0, 0}, {255, 255, 255}};
        image.pixels = BmpRows(depth <= 8 ? indices : colours, depth);
        size_t rowBytes = (5 * depth + 7) / 8;
        samples.push_back({"uncompressed", WriteBmp(image), false, (rowBytes + 3) / 4 * 4 - rowBytes});
    }
    BmpImage rle8;
    rle8.width = 5;
    rle8.height = 3;
    rle8.compression = 1;
    rle8.colors = {{0, 0, 0}, {255, 255, 255}};
    rle8.pixels = {5, 1, 0, 0, 0, 5, 1, 0, 1, 0, 1, 0, 0, 0, 2, 1, 3, 0, 0, 1};
    samples.push_back({"rle8", WriteBmp(rle8), true});
    BmpImage rle4 = rle8;
    rle4.bitsPerPixel = 4;
    rle4.compression = 2;
    rle4.pixels = {5, 0x10, 0, 0, 0, 5, 0x10, 0x10, 0x10, 0, 0, 0, 4, 0x11, 0, 1};
    samples.push_back({"rle4", WriteBmp(rle4), true});
    BmpImage v5;
    v5.width = 2;
    v5.height = -2;
    v5.bitsPerPixel = 16;
    v5.compression = 3;
    v5.headerSize = 124;
    v5.masks = {0xF800, 0x07E0, 0x001F};
    v5.pixels = BmpRows({{0xFFFF, 0}, {0x1234, 0x4321}}, 16, true);
    samples.push_back({"v5 bit fields", WriteBmp(v5), false});
    return samples;
}

}  // namespace

TEST(BadInput, CutPicturesFailCleanly)
{
    CAutoDecoder decoder;
    for (const Sample& sample : BmpSamples()) {
        ASSERT_TRUE(DecodeBytes(decoder, sample.bytes).Ok()) << sample.name;
        for (size_t length = 0; length < sample.bytes.size(); ++length) {
            std::vector<uint8_t> cut(sample.bytes.begin(), sample.bytes.begin() + static_cast<long>(length));
            DecodeResult result = DecodeBytes(decoder, cut);
            if (!sample.runLength) {
                bool complete = length >= sample.bytes.size() - sample.optionalTail;
                EXPECT_EQ(result.Ok(), complete) << sample.name << " cut at " << length;
                // Past the signature and the fixed headers a cut can only mean the data ended early.
                if (length >= 54 && !complete) {
                    EXPECT_EQ(result.code, PE_END_OF_FILE) << sample.name << " cut at " << length << ": " << result.text;
                }
            }
            DecodeEveryWay(decoder, cut, sample.name);
        }
    }
}

TEST(BadInput, ChangedBytesNeverCrash)
{
    CAutoDecoder decoder;
    std::mt19937 random(1234);
    for (const Sample& sample : BmpSamples()) {
        for (int round = 0; round < 400; ++round) {
            std::vector<uint8_t> bytes = sample.bytes;
            int changes = 1 + round % 4;
            for (int i = 0; i < changes; ++i)
                bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
            DecodeEveryWay(decoder, bytes, sample.name);
        }
    }
}
