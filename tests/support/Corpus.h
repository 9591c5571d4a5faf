#pragma once

#include <string>
#include <vector>

// One row of the real-world picture corpus's MANIFEST.tsv.
struct CorpusFile {
    std::string path;  // full path
    std::string name;  // path below the corpus folder, e.g. "bmp/bmpsuite__g_pal8.bmp"
    std::string format;
    std::string expected;  // "yes", "no" or "unknown"
    std::string note;
};

// The corpus folder (LUMO_CORPUS in the environment, else the build's default);
// empty when it does not exist on this machine.
std::string CorpusFolder();
// The rows of one format; none when there is no corpus.
std::vector<CorpusFile> CorpusFiles(const std::string& format);

#include <map>

class CPictureBitmap;
class CPictureDecoder;

// Reasons, by corpus name ("bmp/…"), for the files a format's decoder treats
// otherwise than the manifest expects.
using CorpusReasons = std::map<std::string, std::string>;

// Decodes every corpus file of `format` at depths 0, 8 and 32 and checks:
// valid files decode unless listed in `refused`; broken files fail with a
// CTextException unless listed in `brokenButDecoded`. Skips when there is no corpus.
void ExpectCorpusOutcomes(const std::string& format, const CorpusReasons& refused,
                          const CorpusReasons& brokenButDecoded);

// Compares every pixel with stb_image's reading of the file: red, green and
// blue, and alpha where the bitmap's alpha flag is set; `what` names the case
// in failures. False when stb_image does not read the file.
bool ExpectSamePixelsAsStb(const CorpusFile& file, const CPictureBitmap& bitmap, const std::string& what);

#include <functional>

// Decodes every file of `format` that `comparable` accepts, which must
// succeed, and compares red, green and blue with what stb_image makes of it.
// Returns the number of files stb_image read.
int CompareCorpusWithStb(const std::string& format, const std::function<bool(const CorpusFile&)>& comparable);
