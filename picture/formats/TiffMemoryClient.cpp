#include "picture/formats/TiffMemoryClient.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

// What libtiff's client procedures work on: the block, the position, and the
// recorded size (the block's size when reading, the caller's variable when writing).
struct MemoryClient {
    const uint8_t* data = nullptr;
    uint8_t* writable = nullptr;  // null when reading
    uint64_t capacity = 0;
    uint64_t position = 0;
    uint64_t ownSize = 0;
    size_t* sizeOut = nullptr;

    uint64_t RecordedSize() const { return sizeOut != nullptr ? *sizeOut : ownSize; }
    void RaiseRecordedSize()
    {
        if (sizeOut != nullptr && position > *sizeOut)
            *sizeOut = static_cast<size_t>(std::min(position, capacity));
    }
    // Bytes from the position to the end of the block, at most `count`.
    uint64_t Available(tmsize_t count) const
    {
        if (count <= 0 || position >= capacity)
            return 0;
        return std::min(static_cast<uint64_t>(count), capacity - position);
    }
};

MemoryClient& ClientOf(thandle_t handle)
{
    return *static_cast<MemoryClient*>(handle);
}

tmsize_t ReadProc(thandle_t handle, void* buffer, tmsize_t count)
{
    MemoryClient& client = ClientOf(handle);
    if (client.writable != nullptr)
        return 0;
    uint64_t copied = client.Available(count);
    if (copied > 0)
        std::memcpy(buffer, client.data + client.position, copied);
    client.position += copied;
    return static_cast<tmsize_t>(copied);
}

tmsize_t WriteProc(thandle_t handle, void* buffer, tmsize_t count)
{
    MemoryClient& client = ClientOf(handle);
    if (client.writable == nullptr)
        return 0;
    uint64_t copied = client.Available(count);
    if (copied > 0)
        std::memcpy(client.writable + client.position, buffer, copied);
    client.position += copied;
    client.RaiseRecordedSize();
    return static_cast<tmsize_t>(copied);
}

// Offsets relative to the position or the end may be negative; a seek before
// the start fails and leaves the position where it was.
toff_t SeekProc(thandle_t handle, toff_t offset, int origin)
{
    MemoryClient& client = ClientOf(handle);
    uint64_t base = origin == SEEK_CUR ? client.position : origin == SEEK_END ? client.RecordedSize() : 0;
    int64_t target = 0;
    if (__builtin_add_overflow(static_cast<int64_t>(base), static_cast<int64_t>(offset), &target) || target < 0)
        return static_cast<toff_t>(-1);
    client.position = static_cast<uint64_t>(target);
    client.RaiseRecordedSize();
    return client.position;
}

int CloseProc(thandle_t handle)
{
    delete static_cast<MemoryClient*>(handle);
    return 0;
}

toff_t SizeProc(thandle_t handle)
{
    return ClientOf(handle).RecordedSize();
}

// A block opened for reading is handed to libtiff as a mapped file, which it
// only reads. This saves copying the data, and libtiff 4.5 refuses
// uncompressed tiles smaller than 1 KiB when it has to read them through ReadProc.
int MapProc(thandle_t handle, void** base, toff_t* size)
{
    MemoryClient& client = ClientOf(handle);
    if (client.writable != nullptr || client.capacity == 0)
        return 0;
    *base = const_cast<uint8_t*>(client.data);
    *size = client.capacity;
    return 1;
}

void UnmapProc(thandle_t /*handle*/, void* /*base*/, toff_t /*size*/) {}

TIFF* OpenClient(std::unique_ptr<MemoryClient> client, const char* mode)
{
    TIFF* tiff = TIFFClientOpen("MemSource", mode, client.get(), ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                                MapProc, UnmapProc);
    // Once open, the TIFF owns the client and frees it through CloseProc;
    // a failed open leaves it to us.
    if (tiff != nullptr)
        client.release();
    return tiff;
}

}  // namespace

TIFF* OpenTiffMemory(const uint8_t* data, size_t size)
{
    auto client = std::make_unique<MemoryClient>();
    client->data = data;
    client->capacity = size;
    client->ownSize = size;
    return OpenClient(std::move(client), "r");
}

TIFF* OpenTiffMemory(uint8_t* block, size_t capacity, size_t* sizeOut)
{
    auto client = std::make_unique<MemoryClient>();
    client->data = block;
    client->writable = block;
    client->capacity = capacity;
    client->sizeOut = sizeOut;
    *sizeOut = 0;
    return OpenClient(std::move(client), "w");
}
