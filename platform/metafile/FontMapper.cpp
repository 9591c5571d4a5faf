#include "platform/metafile/FontMapper.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace metafile {

namespace {

constexpr int kMaxPixelSize = 4096;

const char* const kSansFaces[] = {
    "arial", "helvetica", "ms sans serif", "ms shell dlg", "ms shell dlg 2", "system", "tahoma", "verdana",
    "segoe ui", "microsoft sans serif", "trebuchet ms", "century gothic", "franklin gothic medium", "lucida sans",
    "lucida sans unicode", "gill sans", "univers", "swiss", "calibri", "arial black", "small fonts", "arial narrow",
};
const char* const kSerifFaces[] = {
    "times new roman", "times", "ms serif", "tms rmn", "roman", "georgia", "book antiqua", "garamond",
    "palatino linotype", "century schoolbook", "bookman old style", "cambria", "dutch", "century",
};
const char* const kMonoFaces[] = {
    "courier new", "courier", "fixedsys", "terminal", "lucida console", "consolas", "modern", "lucida sans typewriter",
};
const char* const kStandardOrderFaces[] = {
    "arial", "arial black", "times new roman", "courier new", "verdana", "tahoma", "georgia", "trebuchet ms",
    "comic sans ms",
};
const char* const kPictureFaces[] = {"wingdings", "wingdings 2", "wingdings 3", "webdings", "marlett",
                                     "zapf dingbats", "monotype sorts", "ms outlook"};

template <size_t N>
bool IsOneOf(const QString& face, const char* const (&names)[N])
{
    return std::any_of(std::begin(names), std::end(names), [&](const char* name) { return face == name; });
}

bool IsJapaneseFace(const QString& face)
{
    // MS Gothic, MS PMincho, MS UI Gothic and their Japanese names.
    static const QString kGothic = QString::fromUtf8("ゴシック");
    static const QString kMincho = QString::fromUtf8("明朝");
    return face.contains(kGothic) || face.contains(kMincho) ||
           (face.startsWith("ms ") && (face.contains("gothic") || face.contains("mincho"))) ||
           face.startsWith(QString::fromUtf8("ｍｓ"));
}

QString FamilyOf(const LogFont& font, const QString& face)
{
    if (IsJapaneseFace(face) || font.charSet == gdi::SHIFTJIS_CHARSET)
        return face.contains(QString::fromUtf8("ｐ")) || face.contains(" p") ? "IPAPGothic" : "IPAGothic";
    if (IsOneOf(face, kSansFaces))
        return "Liberation Sans";
    if (IsOneOf(face, kSerifFaces) || face == "symbol")
        return "Liberation Serif";
    if (IsOneOf(face, kMonoFaces))
        return "Liberation Mono";
    if ((font.pitchAndFamily & gdi::FIXED_PITCH) || (font.pitchAndFamily & gdi::FF_MASK) == gdi::FF_MODERN)
        return "Liberation Mono";
    if ((font.pitchAndFamily & gdi::FF_MASK) == gdi::FF_ROMAN)
        return "Liberation Serif";
    return "Liberation Sans";
}

QString NormalizedFace(const LogFont& font)
{
    QString face = QString::fromStdU16String(font.faceName).trimmed().toLower();
    if (face.startsWith('@'))
        face.remove(0, 1);  // faces for vertical writing
    return face;
}

FaceEncoding EncodingOfFace(const LogFont& font, const QString& face)
{
    if (face == "symbol")
        return FaceEncoding::Symbol;
    if (IsOneOf(face, kPictureFaces) || (font.charSet == gdi::SYMBOL_CHARSET && !IsOneOf(face, kSansFaces) &&
                                         !IsOneOf(face, kSerifFaces) && !IsOneOf(face, kMonoFaces)))
        return FaceEncoding::Pictures;
    return FaceEncoding::Text;
}

double ClampFinite(double value, double low, double high)
{
    return std::isfinite(value) ? std::clamp(value, low, high) : low;
}

// The em of a face whose character cell (ascent plus descent) is `cell` pixels.
double EmOfCell(const QFont& font, double cell)
{
    QFont probe = font;
    probe.setPixelSize(100);
    QFontMetricsF metrics(probe);
    double cellOfHundred = metrics.ascent() + metrics.descent();
    return cellOfHundred > 0 ? cell * 100 / cellOfHundred : cell;
}

}  // namespace

MappedFont MapFont(const LogFont& font, double heightPixels, double widthPixels)
{
    QString face = NormalizedFace(font);
    MappedFont mapped;
    mapped.encoding = EncodingOfFace(font, face);
    QFont& qtFont = mapped.font;
    qtFont.setFamily(FamilyOf(font, face));
    qtFont.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::PreferOutline));
    qtFont.setHintingPreference(QFont::PreferFullHinting);
    qtFont.setKerning(false);
    qtFont.setWeight(QFont::Weight(std::clamp(font.weight == 0 ? 400 : font.weight, 1, 1000)));
    qtFont.setItalic(font.italic);
    qtFont.setUnderline(font.underline);
    qtFont.setStrikeOut(font.strikeOut);
    if (face == "arial narrow")
        qtFont.setStretch(82);

    double em = font.height > 0 ? EmOfCell(qtFont, heightPixels) : heightPixels;
    qtFont.setPixelSize(static_cast<int>(std::lround(ClampFinite(em, 1, kMaxPixelSize))));
    if (widthPixels > 0) {
        double natural = QFontMetricsF(qtFont).averageCharWidth();
        if (natural > 0)
            qtFont.setStretch(static_cast<int>(std::lround(ClampFinite(100 * widthPixels / natural, 1, 4000))));
    }
    return mapped;
}

FaceEncoding EncodingOf(const LogFont& font)
{
    return EncodingOfFace(font, NormalizedFace(font));
}

bool HasStandardGlyphOrder(const LogFont& font)
{
    return IsOneOf(NormalizedFace(font), kStandardOrderFaces);
}

}  // namespace metafile
