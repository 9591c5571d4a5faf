#include "tests/support/LibEmfRecorder.h"

#include <cstdio>
#include <memory>

std::vector<uint8_t> RecordWithLibEmf(int width, int height, const std::function<void(HDC)>& draw)
{
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::tmpfile(), &std::fclose);
    if (!file)
        return {};
    RECT frame = {0, 0, width * 3125 / 100, height * 3125 / 100};
    HDC dc = CreateEnhMetaFileWithFILEA(0, file.get(), &frame, "lumo test");
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
