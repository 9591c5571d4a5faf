#include "platform/os/CodePage.h"

#include <algorithm>

#include "platform/os/ByteOrder.h"

namespace os {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& text, char32_t c)
{
    auto byte = [&](uint32_t value) { text.push_back(static_cast<char>(value)); };
    if (c < 0x80) {
        byte(c);
    } else if (c < 0x800) {
        byte(0xC0 | (c >> 6));
        byte(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        byte(0xE0 | (c >> 12));
        byte(0x80 | ((c >> 6) & 0x3F));
        byte(0x80 | (c & 0x3F));
    } else {
        byte(0xF0 | (c >> 18));
        byte(0x80 | ((c >> 12) & 0x3F));
        byte(0x80 | ((c >> 6) & 0x3F));
        byte(0x80 | (c & 0x3F));
    }
}

bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

bool IsLeadByte(int codePage, uint8_t byte)
{
    switch (codePage) {
    case 932:  // Shift-JIS
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:  // GBK
    case 949:  // Unified Hangul
    case 950:  // Big5
        return byte >= 0x81 && byte <= 0xFE;
    default:
        return false;
    }
}

size_t FileNameOffset(std::string_view path, char separator, int codePage)
{
    size_t offset = 0;
    size_t i = 0;
    while (i < path.size()) {
        auto byte = static_cast<uint8_t>(path[i]);
        if (IsLeadByte(codePage, byte) && i + 1 < path.size()) {
            i += 2;
            continue;
        }
        if (path[i] == separator)
            offset = i + 1;
        ++i;
    }
    return offset;
}

std::string FileNameOf(std::string_view path)
{
    return std::string(path.substr(FileNameOffset(path, kPathSeparator, kSystemCodePage)));
}

bool HasExtension(std::string_view path, std::string_view extension)
{
    std::string_view name = path.substr(FileNameOffset(path, kPathSeparator, kSystemCodePage));
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    std::string_view own = name.substr(dot + 1);
    return std::equal(own.begin(), own.end(), extension.begin(), extension.end(),
                      [](char a, char b) { return FoldCase(a) == FoldCase(b); });
}

std::string Utf16LeToUtf8(std::span<const uint8_t> bytes)
{
    std::string text;
    size_t units = bytes.size() / 2;
    auto unitAt = [&](size_t i) { return static_cast<char32_t>(LoadLittleEndian<uint16_t>(bytes.data() + 2 * i)); };
    for (size_t i = 0; i < units; ++i) {
        char32_t unit = unitAt(i);
        if (IsHighSurrogate(unit) && i + 1 < units && IsLowSurrogate(unitAt(i + 1))) {
            AppendUtf8(text, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00));
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            AppendUtf8(text, kReplacement);
        } else {
            AppendUtf8(text, unit);
        }
    }
    return text;
}

}  // namespace os
