#pragma once

#include <QFont>

#include "platform/metafile/GdiObjects.h"
#include "platform/metafile/TextDecoding.h"

namespace metafile {

// A logical font as a Qt font of fixed faces, so that every machine draws
// the same: Arial and its relatives as Liberation Sans, Times New Roman as
// Liberation Serif, Courier New as Liberation Mono, Japanese faces as IPA
// Gothic, anything else by its character set and family.
struct MappedFont {
    QFont font;
    FaceEncoding encoding = FaceEncoding::Text;
};

// `heightPixels` is the font's height in target pixels: the character cell
// when the logical height is positive, the em when it is negative.
// `widthPixels` is the average character width asked for, 0 for the face's own.
MappedFont MapFont(const LogFont& font, double heightPixels, double widthPixels);

// Which characters the font's face draws; needs no fonts loaded.
FaceEncoding EncodingOf(const LogFont& font);
// Whether the face numbers its first glyphs in the standard Macintosh order,
// as the core faces of the system do, so that glyph numbers can be read.
bool HasStandardGlyphOrder(const LogFont& font);

}  // namespace metafile
