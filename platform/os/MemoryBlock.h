#pragma once

#include <cstddef>
#include <cstdint>

namespace os {

// A zero-filled block of memory for pixels. Large blocks come straight from
// the system in huge pages where it offers them, so a big picture costs few
// page faults; small ones come from the heap.
class CMemoryBlock {
public:
    CMemoryBlock() = default;
    ~CMemoryBlock();
    CMemoryBlock(CMemoryBlock&& other) noexcept;
    CMemoryBlock& operator=(CMemoryBlock&& other) noexcept;
    CMemoryBlock(const CMemoryBlock&) = delete;
    CMemoryBlock& operator=(const CMemoryBlock&) = delete;

    // An empty block when the memory is not available.
    static CMemoryBlock Allocate(size_t size);

    uint8_t* Data() const { return data_; }
    size_t Size() const { return size_; }
    explicit operator bool() const { return data_ != nullptr; }
    void Reset();

private:
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
    bool mapped_ = false;
};

}  // namespace os
