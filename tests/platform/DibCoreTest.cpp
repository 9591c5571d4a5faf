#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gdi/DibCore.h"
#include "tests/support/ByteWriter.h"

namespace {

std::optional<gdi::DibHeader> HeaderOf(const std::vector<uint8_t>& bytes)
{
    return gdi::ReadDibHeader(os::CByteReader(bytes.data(), bytes.size()));
}

// Run-length codes from memory; null once they run out.
class CodeInput {
public:
    explicit CodeInput(std::vector<uint8_t> codes) : codes_(std::move(codes)) {}
    const uint8_t* Take(size_t count)
    {
        if (count > codes_.size() - at_)
            return nullptr;
        at_ += count;
        return codes_.data() + at_ - count;
    }
    const uint8_t* TakeRun(size_t count) { return Take((count + 1) & ~size_t {1}); }

private:
    std::vector<uint8_t> codes_;
    size_t at_ = 0;
};

struct Walk {
    gdi::RunLengthEnd end;
    std::vector<std::string> rows;  // one character a pixel, '.' where none landed
};

Walk WalkCodes(std::vector<uint8_t> codes, bool nibbles, gdi::DeltaEscapes deltas)
{
    Walk walk {gdi::RunLengthEnd::AllRows, std::vector<std::string>(3, std::string(4, '.'))};
    CodeInput input(std::move(codes));
    walk.end = gdi::WalkRunLength(input, nibbles, 4, 3, deltas, [&](int64_t x, int64_t row, uint8_t index) {
        walk.rows[static_cast<size_t>(row)][static_cast<size_t>(x)] = static_cast<char>('0' + index);
    });
    return walk;
}

}  // namespace

TEST(DibCore, ReadsCoreAndInfoHeadersAndRefusesOthers)
{
    std::optional<gdi::DibHeader> core = HeaderOf(ByteWriter().U32LE(12).U16LE(3).U16LE(2).U16LE(1).U16LE(24).Take());
    ASSERT_TRUE(core);
    EXPECT_TRUE(core->Core());
    EXPECT_EQ(core->width, 3);
    EXPECT_EQ(core->height, 2);
    EXPECT_EQ(core->bitCount, 24);

    ByteWriter v5;
    v5.U32LE(124).U32LE(5).U32LE(static_cast<uint32_t>(-7)).U16LE(1).U16LE(16).U32LE(3).Fill(12).U32LE(9);
    std::optional<gdi::DibHeader> info = HeaderOf(v5.Take());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->width, 5);
    EXPECT_TRUE(info->TopDown());
    EXPECT_EQ(info->Rows(), 7);
    EXPECT_EQ(info->compression, 3u);
    EXPECT_EQ(info->colorsUsed, 9u);

    // OS/2 2.x headers of 16 to 64 bytes: the fields beyond their end are 0.
    std::optional<gdi::DibHeader> os2 =
        HeaderOf(ByteWriter().U32LE(20).U32LE(5).U32LE(3).U16LE(1).U16LE(4).U32LE(2).Take());
    ASSERT_TRUE(os2);
    EXPECT_FALSE(os2->Core());
    EXPECT_EQ(os2->width, 5);
    EXPECT_EQ(os2->height, 3);
    EXPECT_EQ(os2->bitCount, 4);
    EXPECT_EQ(os2->compression, 2u);
    EXPECT_EQ(os2->colorsUsed, 0u);
    EXPECT_EQ(HeaderOf(ByteWriter().U32LE(16).U32LE(5).U32LE(3).U16LE(1).U16LE(8).Take())->compression, 0u);

    EXPECT_FALSE(HeaderOf(ByteWriter().U32LE(14).Fill(16).Take()));              // neither size
    EXPECT_FALSE(HeaderOf(ByteWriter().U32LE(20).Fill(15).Take()));              // OS/2 2.x cut short
    EXPECT_FALSE(HeaderOf(ByteWriter().U32LE(40).Fill(31).Take()));              // fields cut short
    EXPECT_FALSE(HeaderOf(ByteWriter().U32LE(12).U16LE(3).U16LE(2).Take()));     // core cut short
}

TEST(DibCore, MasksLieInsideLongHeadersElseBehind)
{
    EXPECT_EQ(gdi::DibMasksOffset(40, 3), 40u);
    EXPECT_EQ(gdi::DibMasksOffset(52, 3), 40u);
    EXPECT_EQ(gdi::DibMasksOffset(52, 4), 52u);
    EXPECT_EQ(gdi::DibMasksOffset(108, 4), 40u);
    std::vector<uint8_t> masks = ByteWriter().U32LE(0xF800).U32LE(0x07E0).U32LE(0x001F).Take();
    std::optional<gdi::DibMasks> read = gdi::ReadDibMasks(os::CByteReader(masks.data(), masks.size()), 0, 3);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->green, 0x07E0u);
    EXPECT_EQ(read->alpha, 0u);
    EXPECT_FALSE(gdi::ReadDibMasks(os::CByteReader(masks.data(), masks.size()), 0, 4));
}

TEST(DibCore, MaskChannelsScaleToEightBits)
{
    EXPECT_EQ(gdi::CMaskChannel(0x001F).Of(0x001F), 0xF8);   // five bits widened
    EXPECT_EQ(gdi::CMaskChannel(0x0FFF).Of(0x0ABC), 0xAB);   // twelve bits narrowed
    EXPECT_EQ(gdi::CMaskChannel(0xFF0000).Of(0x123456), 0x12);
    EXPECT_FALSE(gdi::CMaskChannel(0).Present());
}

TEST(DibCore, RunLengthWalkFollowsOrRefusesDeltas)
{
    // A run, an end of line, a delta of (1, 1), an absolute run and the end.
    std::vector<uint8_t> codes = {3, 7, 0, 0, 0, 2, 1, 1, 0, 3, 1, 2, 3, 0, 0, 1};
    Walk followed = WalkCodes(codes, false, gdi::DeltaEscapes::Follow);
    EXPECT_EQ(followed.end, gdi::RunLengthEnd::EndOfBitmap);
    EXPECT_EQ(followed.rows, (std::vector<std::string> {"777.", "....", ".123"}));
    Walk refused = WalkCodes(codes, false, gdi::DeltaEscapes::Refuse);
    EXPECT_EQ(refused.end, gdi::RunLengthEnd::DeltaRefused);
    EXPECT_EQ(refused.rows, (std::vector<std::string> {"777.", "....", "...."}));
}

TEST(DibCore, RunLengthWalkClipsAndEndsWhereTheCodesDo)
{
    // RLE4: nibbles high first; runs past the width are dropped.
    Walk nibbles = WalkCodes({6, 0x12, 0, 0, 0, 3, 0x45, 0x60, 0, 0, 0, 0}, true, gdi::DeltaEscapes::Refuse);
    EXPECT_EQ(nibbles.end, gdi::RunLengthEnd::AllRows);
    EXPECT_EQ(nibbles.rows, (std::vector<std::string> {"1212", "456.", "...."}));
    Walk cut = WalkCodes({2, 5, 0}, false, gdi::DeltaEscapes::Follow);
    EXPECT_EQ(cut.end, gdi::RunLengthEnd::DataEnded);
    EXPECT_EQ(cut.rows[0], "55..");
}
