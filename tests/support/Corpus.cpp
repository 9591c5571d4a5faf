#include "tests/support/Corpus.h"

#include <gtest/gtest.h>

#include <stb/stb_image.h>

#include "picture/decoding/AutoDecoder.h"
#include "tests/support/PictureChecks.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

std::string CorpusFolder()
{
    const char* configured = std::getenv("LUMO_CORPUS");
#ifdef LUMO_CORPUS_DIR
    std::string folder = configured != nullptr ? configured : LUMO_CORPUS_DIR;
#else
    std::string folder = configured != nullptr ? configured : "";
#endif
    if (folder.empty() || !std::filesystem::exists(folder + "/MANIFEST.tsv"))
        return "";
    return folder;
}

std::vector<CorpusFile> CorpusFiles(const std::string& format)
{
    std::vector<CorpusFile> files;
    std::string folder = CorpusFolder();
    if (folder.empty())
        return files;
    std::ifstream manifest(folder + "/MANIFEST.tsv");
    std::string line;
    std::getline(manifest, line);  // column names
    while (std::getline(manifest, line)) {
        std::vector<std::string> fields;
        std::stringstream row(line);
        for (std::string field; std::getline(row, field, '\t');)
            fields.push_back(field);
        if (fields.size() < 6 || fields[1] != format)
            continue;
        files.push_back({folder + "/" + fields[0], fields[0], fields[1], fields[5], fields.size() > 6 ? fields[6] : ""});
    }
    return files;
}

void ExpectCorpusOutcomes(const std::string& format, const CorpusReasons& refused,
                          const CorpusReasons& brokenButDecoded)
{
    std::vector<CorpusFile> files = CorpusFiles(format);
    if (files.empty())
        GTEST_SKIP() << "no corpus on this machine";
    CAutoDecoder decoder;
    for (const CorpusFile& file : files) {
        DecodeResult result = DecodeFileAt(decoder, file.path);
        if (file.expected == "yes") {
            if (refused.count(file.name) != 0)
                EXPECT_FALSE(result.Ok()) << file.name << " now decodes; it was refused: " << refused.at(file.name);
            else
                EXPECT_TRUE(result.Ok()) << file.name << " (" << file.note << "): " << result.text;
        } else if (file.expected == "no") {
            EXPECT_EQ(result.Ok(), brokenButDecoded.count(file.name) != 0) << file.name << ": " << result.text;
        }
        // Whatever the outcome, the other depths must not crash either.
        DecodeFileAt(decoder, file.path, 8);
        DecodeFileAt(decoder, file.path, 32);
    }
}

bool ExpectSamePixelsAsStb(const CorpusFile& file, const CPictureBitmap& bitmap, const std::string& what)
{
    int width = 0;
    int height = 0;
    int channels = 0;
    stbi_uc* reference = stbi_load(file.path.c_str(), &width, &height, &channels, 4);
    if (reference == nullptr)
        return false;
    EXPECT_EQ(width, bitmap.GetWidth()) << what;
    EXPECT_EQ(height, bitmap.GetHeight()) << what;
    int mismatches = 0;
    for (int y = 0; y < std::min(height, bitmap.GetHeight()) && mismatches < 3; ++y)
        for (int x = 0; x < std::min(width, bitmap.GetWidth()) && mismatches < 3; ++x) {
            const stbi_uc* expected = reference + 4 * (static_cast<size_t>(y) * width + x);
            BgraPixel actual = ColorAt(bitmap, x, y);
            bool alphaDiffers = bitmap.GetAlphaFlag() && actual.alpha != expected[3];
            if (actual.red != expected[0] || actual.green != expected[1] || actual.blue != expected[2] ||
                alphaDiffers) {
                ++mismatches;
                ADD_FAILURE() << what << " at (" << x << ", " << y << "): " << Describe(actual)
                              << " but stb reads (" << int(expected[0]) << ", " << int(expected[1]) << ", "
                              << int(expected[2]) << ", " << int(expected[3]) << ")";
            }
        }
    stbi_image_free(reference);
    return true;
}

int CompareCorpusWithStb(const std::string& format, const std::function<bool(const CorpusFile&)>& comparable)
{
    CAutoDecoder decoder;
    int compared = 0;
    for (const CorpusFile& file : CorpusFiles(format)) {
        if (!comparable(file))
            continue;
        DecodeResult result = DecodeFileAt(decoder, file.path);
        if (!result.Ok())
            ADD_FAILURE() << file.name << ": " << result.text;
        else if (ExpectSamePixelsAsStb(file, *result.bitmap, file.name))
            ++compared;
    }
    return compared;
}
