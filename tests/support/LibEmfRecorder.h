#pragma once

// Enhanced metafiles recorded with libEMF, a writer with GDI's own calls
// (CreateEnhMetaFile, Polygon, ExtTextOut ...). Only tests that draw with
// it include this header, which brings in libEMF's Windows types.

#define NOMINMAX
#include <libEMF/emf.h>

#include <cstdint>
#include <functional>
#include <vector>

// libEMF's reference device is 1024 x 768 pixels on 320 x 240 mm, so one
// pixel is 31.25 hundredths of a millimetre. The frame is `width` x `height`
// such pixels (whole numbers of them when both are multiples of 4).
std::vector<uint8_t> RecordWithLibEmf(int width, int height, const std::function<void(HDC)>& draw);
