#pragma once

#include <QString>

#include <cstdint>
#include <vector>

#include "platform/metafile/ByteView.h"

namespace metafile {

// One character of a text call with the input units it came from: bytes
// of an 8-bit string, UTF-16 units of a wide one. Advances given per unit
// add up per character.
struct TextChar {
    QString text;
    uint32_t firstUnit = 0;
    uint32_t unitCount = 1;
};

// Which characters a face draws: real text, the Symbol face's Greek and
// mathematical signs at their byte codes, or pictures no face here has.
enum class FaceEncoding { Text, Symbol, Pictures };

// An 8-bit string in the code page of the font's character set; the double
// bytes of East Asian code pages make one character.
std::vector<TextChar> DecodeBytes(CByteView bytes, uint8_t charSet, FaceEncoding encoding);
// Glyph numbers of the writer's font. Faces in the standard Macintosh glyph
// order (`standardOrder`) give their characters back for the first 258
// glyphs; every other glyph keeps its place and stays blank.
std::vector<TextChar> DecodeGlyphIndices(CByteView units, uint32_t count, bool standardOrder);
// A UTF-16 string; surrogate pairs make one character.
std::vector<TextChar> DecodeUtf16(CByteView units, uint32_t count, FaceEncoding encoding);

}  // namespace metafile
