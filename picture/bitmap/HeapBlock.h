#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

// A zero-filled heap block. Large blocks stay untouched (and unpaged) until
// written, so reserving a big picture costs nothing up front.
struct FreeDeleter {
    void operator()(void* block) const { std::free(block); }
};
using HeapBlock = std::unique_ptr<uint8_t, FreeDeleter>;

// Null when the memory is not available.
inline HeapBlock AllocateZeroed(size_t bytes)
{
    return HeapBlock(static_cast<uint8_t*>(std::calloc(bytes > 0 ? bytes : 1, 1)));
}
