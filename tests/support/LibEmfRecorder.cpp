#include "tests/support/LibEmfRecorder.h"

#include <cstdio>
#include <memory>

std::vector<uint8_t> RecordWithLibEmf(int width, int height, const std::function<void(HDC)>& draw)
{
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::tmpfile(), &std::fclose);
    if (!file)
        return {};
    RECT frame = {0, 0, width * 3125 / 100, height * 3125 / 100};
    // The description is two texts, each ended by a zero, and a zero after them.
    HDC dc = CreateEnhMetaFileWithFILEA(0, file.get(), &frame, "Lumo tests\0picture\0");
    draw(dc);
    DeleteEnhMetaFile(CloseEnhMetaFileWithFILE(dc));
    std::fflush(file.get());
    long size = std::ftell(file.get());
    std::rewind(file.get());
    std::vector<uint8_t> bytes(size > 0 ? static_cast<size_t>(size) : 0);
    if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        return {};
    return bytes;
}
