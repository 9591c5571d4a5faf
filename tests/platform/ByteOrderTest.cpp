#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "platform/os/ByteOrder.h"

TEST(ByteReader, ReadsBothByteOrdersAtAnyOffset)
{
    const uint8_t bytes[] = {0x01, 0x12, 0x34, 0x56, 0x78};
    os::CByteReader reader(bytes, sizeof bytes);
    EXPECT_EQ(reader.U8(0), 0x01);
    EXPECT_EQ(reader.U16LE(1), 0x3412);
    EXPECT_EQ(reader.U16BE(1), 0x1234);
    EXPECT_EQ(reader.U32LE(1), 0x78563412u);
    EXPECT_EQ(reader.U32BE(1), 0x12345678u);
    EXPECT_EQ(os::LoadLittleEndian<uint32_t>(bytes + 2, 3), 0x785634u);
    EXPECT_EQ(os::LoadBigEndian<uint32_t>(bytes + 2, 3), 0x345678u);
}

TEST(ByteReader, ReadsThatPassTheEndGiveNothing)
{
    const uint8_t bytes[] = {1, 2, 3, 4};
    os::CByteReader reader(bytes, sizeof bytes);
    EXPECT_EQ(reader.U32LE(0), 0x04030201u);
    EXPECT_EQ(reader.U32LE(1), std::nullopt);
    EXPECT_EQ(reader.U16BE(3), std::nullopt);
    EXPECT_EQ(reader.U8(4), std::nullopt);
    // Offsets and counts that overflow when added are still refused.
    EXPECT_EQ(reader.U16LE(UINT64_MAX), std::nullopt);
    EXPECT_FALSE(reader.Bytes(2, UINT64_MAX - 1).has_value());
    EXPECT_EQ(reader.Bytes(4, 0)->size(), 0u);
    EXPECT_EQ(os::CByteReader().U8(0), std::nullopt);
}
