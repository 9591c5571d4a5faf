#include "platform/metafile/TextDecoding.h"

#include <iconv.h>

#include <array>
#include <memory>

#include "platform/metafile/GdiConstants.h"

namespace metafile {

namespace {

const char* CodePageOf(uint8_t charSet)
{
    switch (charSet) {
    case gdi::SHIFTJIS_CHARSET: return "CP932";
    case gdi::HANGUL_CHARSET: return "CP949";
    case gdi::JOHAB_CHARSET: return "JOHAB";
    case gdi::GB2312_CHARSET: return "CP936";
    case gdi::CHINESEBIG5_CHARSET: return "CP950";
    case gdi::GREEK_CHARSET: return "CP1253";
    case gdi::TURKISH_CHARSET: return "CP1254";
    case gdi::VIETNAMESE_CHARSET: return "CP1258";
    case gdi::HEBREW_CHARSET: return "CP1255";
    case gdi::ARABIC_CHARSET: return "CP1256";
    case gdi::BALTIC_CHARSET: return "CP1257";
    case gdi::RUSSIAN_CHARSET: return "CP1251";
    case gdi::THAI_CHARSET: return "CP874";
    case gdi::EASTEUROPE_CHARSET: return "CP1250";
    case gdi::OEM_CHARSET: return "CP437";
    case gdi::MAC_CHARSET: return "MACINTOSH";
    default: return "CP1252";
    }
}

bool IsLeadByte(uint8_t byte, uint8_t charSet)
{
    switch (charSet) {
    case gdi::SHIFTJIS_CHARSET: return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case gdi::HANGUL_CHARSET:
    case gdi::JOHAB_CHARSET:
    case gdi::GB2312_CHARSET:
    case gdi::CHINESEBIG5_CHARSET: return byte >= 0x81 && byte <= 0xFE;
    default: return false;
    }
}

// The Symbol face's codes 0x20 to 0xFF as Unicode; 0 where it has nothing.
constexpr std::array<char16_t, 224> kSymbolToUnicode = {
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B, 0x0028, 0x0029, 0x2217, 0x002B,
    0x002C, 0x2212, 0x002E, 0x002F, 0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F, 0x2245, 0x0391, 0x0392, 0x03A7,
    0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F,
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396, 0x005B,
    0x2234, 0x005D, 0x22A5, 0x005F, 0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3,
    0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF, 0x03C0, 0x03B8, 0x03C1, 0x03C3,
    0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C, 0x0000,
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x20AC, 0x03D2, 0x2032, 0x2264,
    0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194, 0x2190, 0x2191, 0x2192, 0x2193,
    0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022, 0x00F7, 0x2260, 0x2261, 0x2248,
    0x2026, 0x23D0, 0x23AF, 0x21B5, 0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229,
    0x222A, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209, 0x2220, 0x2207, 0x00AE, 0x00A9,
    0x2122, 0x220F, 0x221A, 0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3,
    0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3,
    0x23A7, 0x23A8, 0x23A9, 0x23AA, 0x0000, 0x232A, 0x222B, 0x2320, 0x23AE, 0x2321, 0x239E, 0x239F,
    0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, 0x0000,
};

// A code of a symbol face: Symbol's signs, nothing for picture faces. Wide
// strings reach these faces' codes through U+F020 to U+F0FF as well.
QString SymbolText(uint32_t code, FaceEncoding encoding)
{
    if (code >= 0xF000 && code <= 0xF0FF)
        code -= 0xF000;
    if (encoding == FaceEncoding::Pictures || code < 0x20 || code > 0xFF)
        return {};
    char16_t unicode = kSymbolToUnicode[code - 0x20];
    return unicode != 0 ? QString(QChar(unicode)) : QString();
}

struct IconvCloser {
    void operator()(void* handle) const { iconv_close(static_cast<iconv_t>(handle)); }
};

// One character of a code page through iconv; empty when it has none.
QString ConvertCharacter(iconv_t converter, const uint8_t* bytes, size_t count)
{
    char16_t output[4];
    char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes));
    char* out = reinterpret_cast<char*>(output);
    size_t inLeft = count;
    size_t outLeft = sizeof output;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1))
        return {};
    return QString::fromUtf16(output, static_cast<qsizetype>((sizeof output - outLeft) / sizeof(char16_t)));
}

}  // namespace

std::vector<TextChar> DecodeBytes(CByteView bytes, uint8_t charSet, FaceEncoding encoding)
{
    std::vector<TextChar> chars;
    if (encoding != FaceEncoding::Text) {
        for (uint32_t i = 0; i < bytes.Size(); ++i)
            chars.push_back({SymbolText(bytes.U8(i), encoding), i, 1});
        return chars;
    }
    iconv_t opened = iconv_open("UTF-16LE", CodePageOf(charSet));
    if (opened == reinterpret_cast<iconv_t>(-1))
        opened = iconv_open("UTF-16LE", "CP1252");
    if (opened == reinterpret_cast<iconv_t>(-1))
        return chars;
    std::unique_ptr<void, IconvCloser> converter(opened);
    for (uint32_t i = 0; i < bytes.Size();) {
        uint32_t count = IsLeadByte(bytes.U8(i), charSet) && i + 1 < bytes.Size() ? 2 : 1;
        chars.push_back({ConvertCharacter(opened, bytes.Data() + i, count), i, count});
        i += count;
    }
    return chars;
}

std::vector<TextChar> DecodeUtf16(CByteView units, uint32_t count, FaceEncoding encoding)
{
    std::vector<TextChar> chars;
    for (uint32_t i = 0; i < count;) {
        char16_t unit = units.U16(2 * uint64_t {i});
        if (encoding != FaceEncoding::Text) {
            chars.push_back({SymbolText(unit, encoding), i, 1});
            ++i;
            continue;
        }
        if (QChar::isHighSurrogate(unit) && i + 1 < count && QChar::isLowSurrogate(units.U16(2 * uint64_t {i} + 2))) {
            char16_t pair[2] = {unit, units.U16(2 * uint64_t {i} + 2)};
            chars.push_back({QString::fromUtf16(pair, 2), i, 2});
            i += 2;
            continue;
        }
        chars.push_back({QString(QChar(unit)), i, 1});
        ++i;
    }
    return chars;
}

}  // namespace metafile
