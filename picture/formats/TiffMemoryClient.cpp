#include "picture/formats/TiffMemoryClient.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// The block libtiff reads and the position in it.
struct MemoryClient {
    const uint8_t* data = nullptr;
    uint64_t size = 0;
    uint64_t position = 0;
};

MemoryClient& ClientOf(thandle_t handle)
{
    return *static_cast<MemoryClient*>(handle);
}

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t count)
{
    MemoryClient& client = ClientOf(handle);
    if (count <= 0 || client.position >= client.size)
        return 0;
    uint64_t copied = std::min(static_cast<uint64_t>(count), client.size - client.position);
    std::memcpy(buffer, client.data + client.position, copied);
    client.position += copied;
    return static_cast<tmsize_t>(copied);
}

// Nothing is ever written into the caller's block.
tmsize_t WriteProc(thandle_t /*handle*/, void* /*buffer*/, tmsize_t /*count*/)
{
    return 0;
}

// Offsets relative to the position or the end may be negative; a seek before
// the start fails and leaves the position where it was.
toff_t SeekProc(thandle_t handle, toff_t offset, int origin)
{
    MemoryClient& client = ClientOf(handle);
    uint64_t base = origin == SEEK_CUR ? client.position : origin == SEEK_END ? client.size : 0;
    int64_t target = 0;
    if (__builtin_add_overflow(static_cast<int64_t>(base), static_cast<int64_t>(offset), &target) || target < 0)
        return static_cast<toff_t>(-1);
    client.position = static_cast<uint64_t>(target);
    return client.position;
}

int CloseProc(thandle_t handle)
{
    delete static_cast<MemoryClient*>(handle);
    return 0;
}

toff_t SizeProc(thandle_t handle)
{
    return ClientOf(handle).size;
}

// The block is handed to libtiff as a mapped file, which it only reads. This
// saves copying the data, and libtiff 4.5 refuses uncompressed tiles smaller
// than 1 KiB when it has to read them through ReadProc.
int MapProc(thandle_t handle, void** base, toff_t* size)
{
    MemoryClient& client = ClientOf(handle);
    if (client.size == 0)
        return 0;
    *base = const_cast<uint8_t*>(client.data);
    *size = client.size;
    return 1;
}

void UnmapProc(thandle_t /*handle*/, void* /*base*/, toff_t /*size*/) {}

}  // namespace

TIFF* OpenTiffMemory(const uint8_t* data, size_t size)
{
    auto client = std::make_unique<MemoryClient>();
    client->data = data;
    client->size = size;
    TIFF* tiff = TIFFClientOpen("MemSource", "r", client.get(), ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                                MapProc, UnmapProc);
    // Once open, the TIFF owns the client and frees it through CloseProc;
    // a failed open leaves it to us.
    if (tiff != nullptr)
        client.release();
    return tiff;
}
