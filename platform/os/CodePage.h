#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace os {

// Code page numbers as Windows numbers them.
constexpr int CP_UTF8 = 65001;
constexpr int CP_SHIFT_JIS = 932;

// The 8-bit code page of file names and collection files, and the separator
// between the components of a path. On Linux names are UTF-8, where no byte
// can hide a separator.
constexpr int kSystemCodePage = CP_UTF8;
constexpr char kPathSeparator = '/';

// True when `byte` starts a double-byte character in `codePage` (932, 936, 949
// and 950 have double-byte characters; every other code page has none).
bool IsLeadByte(int codePage, uint8_t byte);

// The offset just after the last `separator` of `path`, or 0 when it has none.
// The scan steps over double-byte characters, so a trail byte that equals the
// separator (0x5C in many Shift-JIS characters) is not taken for one.
size_t FileNameOffset(std::string_view path, char separator, int codePage);

// The last component of a path in the system's code page and separator.
std::string FileNameOf(std::string_view path);

// True when the text after the last dot of the last component of `path` is
// `extension`, letters compared without case ("a.emf.d/b.WMF" has "wmf").
bool HasExtension(std::string_view path, std::string_view extension);

// `c` with the capital letters A to Z made small; every other byte as it is.
constexpr char FoldCase(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// UTF-16LE text (two bytes a unit, an odd last byte is ignored) as UTF-8.
// Unpaired surrogates become U+FFFD.
std::string Utf16LeToUtf8(std::span<const uint8_t> bytes);

}  // namespace os
