// Real-world TIFF files and EPS files with TIFF previews. Valid ones must
// decode, to the pixels libtiff's own RGBA reader finds; broken ones must fail
// cleanly, except those our rules read past by design.

#include <gtest/gtest.h>

#include "picture/decoding/AutoDecoder.h"
#include "tests/support/Corpus.h"
#include "tests/support/PictureChecks.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TiffReference.h"


namespace {

const CorpusReasons kRefusedTiff = {
    {"tiff/libtiff__testfax3_bug54_1dnoEOL.tif",
     "libtiff 4.5.0's fax decoder finds a premature end of line in every row of this file without EOL codes"},
};

const CorpusReasons kBrokenButDecodedTiff = {
    {"tiff/pillow__crash-0da013a13571cc8eb457a39fee8db18f8a3c7127.tif",
     "libtiff's fax decoder reads past the bad code words of row 27; every row reads"},
    {"tiff/twelvemonkeys__lzw-buffer-overflow.tif",
     "libtiff reads these LZW strips without complaint; the fault was another decoder's overflow"},
};

const CorpusReasons kRefusedEps = {};

const CorpusReasons kBrokenButDecodedEps = {
    {"eps/pillow__timeout-d675703545fee17acab56e5fec644c19979175de.eps",
     "the TIFF preview lies whole inside the file; only the PostScript section behind it is cut"},
};

// Decoded, but not to the very pixels of libtiff's RGBA reader.
const CorpusReasons kNotComparable = {
    {"tiff/twelvemonkeys__a33.tif",
     "orientation 8 (turned by a quarter): libtiff flips the rows it cannot turn, we keep them as stored"},
    {"tiff/libtiffpic__text.tif",
     "libtiff's ThunderScan decoder leaves a run that reaches the end of a row unwritten: each row here starts "
     "cleared, the RGBA reader keeps what its strip buffer held"},
};

// The TIFF inside an EPS file: its offset at byte 20, its length at 24.
std::vector<uint8_t> PreviewOf(const std::vector<uint8_t>& eps)
{
    auto dword = [&](size_t at) {
        return static_cast<uint32_t>(eps[at] | eps[at + 1] << 8 | eps[at + 2] << 16) | uint32_t {eps[at + 3]} << 24;
    };
    return {eps.begin() + dword(20), eps.begin() + dword(20) + dword(24)};
}

// Compares a decoded corpus file with libtiff's RGBA reading of it; false
// when libtiff does not read it. The palette path builds its greys with an
// integer step (255 / 7 = 36 for 3 bits, where libtiff gives 255 * i / 7) and
// scales 16-bit colour maps by 255 / 65535 (libtiff shifts by 8), hence the
// tolerance for 1- and 8-bit results.
bool ExpectSamePixelsAsLibtiff(const CorpusFile& file, const TiffRgba& reference, const CPictureBitmap& bitmap)
{
    if (reference.pixels.empty())
        return false;
    ExpectSameAsTiffReference(bitmap, reference, bitmap.GetBitsPerPixel() == 32 ? 0 : 7, file.name);
    return true;
}

int CompareValidFiles(const std::string& format, const CorpusReasons& refused)
{
    CAutoDecoder decoder;
    int compared = 0;
    for (const CorpusFile& file : CorpusFiles(format)) {
        if (file.expected != "yes" || refused.count(file.name) != 0 || kNotComparable.count(file.name) != 0)
            continue;
        DecodeResult result = DecodeFileAt(decoder, file.path);
        if (!result.Ok())
            continue;  // reported by the outcome test
        TiffRgba reference = format == "eps" ? ReadTiffRgba(PreviewOf(ReadFileBytes(file.path)))
                                             : ReadTiffRgbaFile(file.path);
        if (ExpectSamePixelsAsLibtiff(file, reference, *result.bitmap))
            ++compared;
    }
    return compared;
}

}  // namespace

TEST(TIFFCorpus, EveryFileMeetsItsExpectation)
{
    ExpectCorpusOutcomes("tiff", kRefusedTiff, kBrokenButDecodedTiff);
}

TEST(TIFFCorpus, EveryEpsFileMeetsItsExpectation)
{
    ExpectCorpusOutcomes("eps", kRefusedEps, kBrokenButDecodedEps);
}

TEST(TIFFCorpus, ValidFilesMatchLibtiffsOwnReader)
{
    if (CorpusFolder().empty())
        GTEST_SKIP() << "no corpus on this machine";
    EXPECT_GE(CompareValidFiles("tiff", kRefusedTiff), 60);
    EXPECT_GE(CompareValidFiles("eps", kRefusedEps), 6);
}
