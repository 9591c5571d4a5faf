#include "tests/support/DamagedInput.h"

#include <gtest/gtest.h>

#include <random>

#include "picture/bitmap/DibSectionBitmap.h"
#include "picture/decoding/PictureDecoder.h"
#include "picture/decoding/TextException.h"

void DecodeEveryWay(CPictureDecoder& decoder, const std::vector<uint8_t>& bytes, const std::string& what)
{
    for (int depth : {0, 8, 32}) {
        CDibSectionBitmap bitmap;
        try {
            decoder.DecodeMemory(bytes.data(), bytes.size(), bitmap, depth);
        } catch (const CTextException&) {
        } catch (...) {
            ADD_FAILURE() << what << ": an exception other than CTextException";
        }
    }
}

void ExpectCutsEndCleanly(CPictureDecoder& decoder, const std::vector<uint8_t>& bytes, size_t step,
                          const std::string& what)
{
    for (size_t length = 0; length < bytes.size(); length += step) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(length));
        DecodeEveryWay(decoder, cut, what + " cut at " + std::to_string(length));
    }
}

void ExpectChangedBytesEndCleanly(CPictureDecoder& decoder, const std::vector<uint8_t>& bytes, int rounds,
                                  const std::string& what, size_t from)
{
    std::mt19937 random(1234);
    for (int round = 0; round < rounds; ++round) {
        std::vector<uint8_t> changed = bytes;
        int changes = 1 + round % 4;
        for (int i = 0; i < changes; ++i)
            changed[from + random() % (changed.size() - from)] = static_cast<uint8_t>(random());
        DecodeEveryWay(decoder, changed, what + " changed, round " + std::to_string(round));
    }
}
