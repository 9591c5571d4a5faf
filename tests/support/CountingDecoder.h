#pragma once

#include <atomic>

#include "picture/decoding/AutoDecoder.h"

// How many decoders of a kind are alive and how many files they were asked to decode.
struct DecoderTally {
    std::atomic<int> alive {0};
    std::atomic<int> decodes {0};
};

// The format-recognising decoder, counted in a tally.
class CCountingDecoder : public CAutoDecoder {
public:
    explicit CCountingDecoder(DecoderTally& tally) : tally_(tally) { ++tally_.alive; }
    ~CCountingDecoder() override { --tally_.alive; }

    void DecodeFile(const char* path, CPictureBitmap& bitmap, int wantedDepth, CDecodeProgress* progress) override
    {
        ++tally_.decodes;
        CAutoDecoder::DecodeFile(path, bitmap, wantedDepth, progress);
    }

    PictureSize DecodeReduced(CByteSource& source, CPictureBitmap& bitmap, int wantedDepth,
                              PictureSize enough) override
    {
        ++tally_.decodes;
        return CAutoDecoder::DecodeReduced(source, bitmap, wantedDepth, enough);
    }

private:
    DecoderTally& tally_;
};
