#include <gtest/gtest.h>

#include "platform/os/CodePage.h"

using namespace os;

TEST(CodePage, NameIsTheTextAfterTheLastSeparator)
{
    EXPECT_EQ(FileNameOf("/home/user/pictures/a.bmp"), "a.bmp");
    EXPECT_EQ(FileNameOf("a.bmp"), "a.bmp");
    EXPECT_EQ(FileNameOf("/pictures/"), "");
    // UTF-8 has no lead bytes: every byte is looked at.
    EXPECT_EQ(FileNameOf("/写真/表.bmp"), "表.bmp");
}

TEST(CodePage, ShiftJisTrailBytesAreNoSeparators)
{
    // 表 is 0x95 0x5C in code page 932: its trail byte is a backslash.
    const std::string hyou = "\x95\x5C";
    std::string path = "C:\\pictures\\" + hyou + ".bmp";
    EXPECT_EQ(path.substr(FileNameOffset(path, '\\', CP_SHIFT_JIS)), hyou + ".bmp");
    std::string endsInHyou = "C:\\pictures\\" + hyou;
    EXPECT_EQ(endsInHyou.substr(FileNameOffset(endsInHyou, '\\', CP_SHIFT_JIS)), hyou);
    // A byte scan would cut the character in half.
    EXPECT_EQ(endsInHyou.substr(FileNameOffset(endsInHyou, '\\', CP_UTF8)), "");
    // Single-byte katakana (0xA1-0xDF) are no lead bytes; a lead byte at the very end stands alone.
    std::string kana = "C:\\\xB6\xC0\\x\x95";
    EXPECT_EQ(kana.substr(FileNameOffset(kana, '\\', CP_SHIFT_JIS)), "x\x95");
    EXPECT_FALSE(IsLeadByte(CP_SHIFT_JIS, 0xA0));
    EXPECT_TRUE(IsLeadByte(CP_SHIFT_JIS, 0xFC));
    EXPECT_FALSE(IsLeadByte(CP_SHIFT_JIS, 0xFD));
    EXPECT_TRUE(IsLeadByte(936, 0xFE));
    EXPECT_FALSE(IsLeadByte(1252, 0x95));
}

TEST(CodePage, WideTextBecomesUtf8)
{
    // "a", 表 (U+8868), 😀 (U+1F600 as a surrogate pair).
    std::vector<uint8_t> units = {'a', 0, 0x68, 0x88, 0x3D, 0xD8, 0x00, 0xDE};
    EXPECT_EQ(Utf16LeToUtf8(units), "a\xE8\xA1\xA8\xF0\x9F\x98\x80");
    // Unpaired surrogates become U+FFFD; an odd last byte is ignored.
    std::vector<uint8_t> broken = {0x00, 0xDC, 0x3D, 0xD8, 'b', 0, 'c'};
    EXPECT_EQ(Utf16LeToUtf8(broken), "\xEF\xBF\xBD\xEF\xBF\xBD" "b");
    EXPECT_EQ(Utf16LeToUtf8({}), "");
}
