// Decodes arbitrary bytes from a file, so that detection by name is reached:
// the first byte chooses the file name's extension and the wanted depth.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "picture/bitmap/DibSectionBitmap.h"
#include "picture/decoding/AutoDecoder.h"
#include "picture/decoding/TextException.h"

namespace {

const char* const kExtensions[] = {".bmp", ".wmf", ".emf", ".WMF", ".EMF", ".tif", ".pct", ".jpg", ".png", ".dat"};
const int kDepths[] = {0, 8, 32};

std::string TemporaryPath(const char* extension)
{
    return "/tmp/lumo-fuzz-" + std::to_string(getpid()) + extension;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CAutoDecoder decoder;
    if (size == 0)
        return 0;
    const char* extension = kExtensions[data[0] % std::size(kExtensions)];
    int depth = kDepths[(data[0] / std::size(kExtensions)) % std::size(kDepths)];
    std::string path = TemporaryPath(extension);
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data + 1, 1, size - 1, file);
        std::fclose(file);
    }
    CDibSectionBitmap bitmap;
    try {
        decoder.DecodeFile(path.c_str(), bitmap, depth, nullptr);
    } catch (const CTextException&) {
    }
    std::remove(path.c_str());
    return 0;
}
