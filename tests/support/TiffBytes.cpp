#include "tests/support/TiffBytes.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

namespace {

struct VectorClient {
    const std::vector<uint8_t>* input = nullptr;
    std::vector<uint8_t>* output = nullptr;
    uint64_t position = 0;

    uint64_t Size() const { return input != nullptr ? input->size() : output->size(); }
};

VectorClient& ClientOf(thandle_t handle)
{
    return *static_cast<VectorClient*>(handle);
}

tmsize_t ReadProc(thandle_t handle, void* data, tmsize_t count)
{
    VectorClient& client = ClientOf(handle);
    if (client.input == nullptr || client.position >= client.Size())
        return 0;
    uint64_t copied = std::min<uint64_t>(client.Size() - client.position, static_cast<uint64_t>(count));
    std::memcpy(data, client.input->data() + client.position, copied);
    client.position += copied;
    return static_cast<tmsize_t>(copied);
}

tmsize_t WriteProc(thandle_t handle, void* data, tmsize_t count)
{
    VectorClient& client = ClientOf(handle);
    if (client.output == nullptr)
        return 0;
    uint64_t end = client.position + static_cast<uint64_t>(count);
    if (end > client.output->size())
        client.output->resize(end);
    std::memcpy(client.output->data() + client.position, data, static_cast<size_t>(count));
    client.position = end;
    return count;
}

toff_t SeekProc(thandle_t handle, toff_t offset, int origin)
{
    VectorClient& client = ClientOf(handle);
    uint64_t base = origin == SEEK_CUR ? client.position : origin == SEEK_END ? client.Size() : 0;
    client.position = base + offset;
    return client.position;
}

int CloseProc(thandle_t handle)
{
    delete static_cast<VectorClient*>(handle);
    return 0;
}

toff_t SizeProc(thandle_t handle)
{
    return ClientOf(handle).Size();
}

int MapProc(thandle_t handle, void** base, toff_t* size)
{
    VectorClient& client = ClientOf(handle);
    if (client.input == nullptr || client.input->empty())
        return 0;
    *base = const_cast<uint8_t*>(client.input->data());
    *size = client.input->size();
    return 1;
}

void UnmapProc(thandle_t, void*, toff_t) {}

TIFF* Open(std::unique_ptr<VectorClient> client, const char* mode)
{
    TIFF* tiff = TIFFClientOpen("test", mode, client.get(), ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                                MapProc, UnmapProc);
    if (tiff != nullptr)
        client.release();  // freed by CloseProc
    return tiff;
}

}  // namespace

TIFF* OpenTiffBytes(const std::vector<uint8_t>& bytes)
{
    auto client = std::make_unique<VectorClient>();
    client->input = &bytes;
    return Open(std::move(client), "r");
}

TIFF* CreateTiffBytes(std::vector<uint8_t>& bytes, bool bigEndian, bool bigTiff)
{
    auto client = std::make_unique<VectorClient>();
    client->output = &bytes;
    std::string mode = std::string("w") + (bigEndian ? "b" : "l") + (bigTiff ? "8" : "");
    return Open(std::move(client), mode.c_str());
}
