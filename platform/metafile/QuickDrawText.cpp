#include "platform/metafile/QuickDrawPainter.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>

#include "platform/gdi/Colors.h"
#include "platform/metafile/FontMapper.h"
#include "platform/metafile/TextDecoding.h"
#include "platform/metafile/TextDrawer.h"

namespace metafile::quickdraw {

namespace {

constexpr int kDefaultTextSize = 12;

gdi::ColorRef ColorRefOf(const QColor& color)
{
    return ::gdi::Rgb(static_cast<uint8_t>(color.red()), static_cast<uint8_t>(color.green()),
                    static_cast<uint8_t>(color.blue()));
}

// The Macintosh faces as the faces the font mapper knows.
std::u16string WindowsFaceOf(const std::string& macName)
{
    static const std::pair<const char*, const char16_t*> kFaces[] = {
        {"times", u"Times New Roman"}, {"new york", u"Times New Roman"}, {"palatino", u"Times New Roman"},
        {"courier", u"Courier New"},   {"monaco", u"Courier New"},       {"symbol", u"Symbol"},
    };
    std::string lower = macName;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return static_cast<char>(std::tolower(c)); });
    for (const auto& [mac, windows] : kFaces)
        if (lower.find(mac) != std::string::npos)
            return windows;
    return u"Arial";  // Chicago, Geneva, Helvetica and the rest
}

// The names of the system's font numbers.
std::string StandardFontName(int number)
{
    switch (number) {
    case 2: return "New York";
    case 4: return "Monaco";
    case 20: return "Times";
    case 21: return "Helvetica";
    case 22: return "Courier";
    case 23: return "Symbol";
    default: return "Geneva";
    }
}

}  // namespace

void CQuickDrawPainter::DrawText(CByteView text)
{
    LogFont font;
    font.height = -(port_.textSize > 0 ? port_.textSize : kDefaultTextSize);
    font.weight = (port_.textFace & 1) != 0 ? 700 : 400;
    font.italic = (port_.textFace & 2) != 0;
    font.underline = (port_.textFace & 4) != 0;
    font.charSet = gdi::MAC_CHARSET;
    auto named = port_.fontNames.find(port_.fontNumber);
    font.faceName = WindowsFaceOf(named != port_.fontNames.end() ? named->second : StandardFontName(port_.fontNumber));
    DcState& state = dc_.State();
    state.font = font;
    state.textColor = ColorRefOf(port_.foreColor);
    state.backgroundColor = ColorRefOf(port_.backColor);
    state.backgroundMode = port_.textMode == kSrcCopy ? gdi::OPAQUE : gdi::TRANSPARENT;
    state.textAlign = gdi::TA_BASELINE;
    state.rop2 = gdi::R2_COPYPEN;
    TextCall call;
    call.reference = QPointF(port_.textLocation - port_.origin);
    call.chars = DecodeBytes(text, font.charSet, EncodingOf(font));
    metafile::DrawText(dc_, call);
}

}  // namespace metafile::quickdraw
