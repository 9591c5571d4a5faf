// Loads arbitrary bytes as a collection file (.kir), the way the application
// opens one: from a file, through the document's whole open step.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "document/KiroDoc.h"
#include "picture/decoding/AutoDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CAutoDecoder decoder;
    static CKiroDoc document(decoder);
    std::string path = "/tmp/lumo-fuzz-" + std::to_string(getpid()) + ".kir";
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    document.OnOpenDocument(path);
    std::remove(path.c_str());
    return 0;
}
