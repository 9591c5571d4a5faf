#include "platform/os/MemoryBlock.h"

#include <cstdlib>
#include <utility>

#include <sys/mman.h>

namespace os {
namespace {
constexpr size_t kMappedFrom = size_t {4} << 20;
}

CMemoryBlock::~CMemoryBlock()
{
    Reset();
}

CMemoryBlock::CMemoryBlock(CMemoryBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, false))
{
}

CMemoryBlock& CMemoryBlock::operator=(CMemoryBlock&& other) noexcept
{
    if (this != &other) {
        Reset();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        mapped_ = std::exchange(other.mapped_, false);
    }
    return *this;
}

CMemoryBlock CMemoryBlock::Allocate(size_t size)
{
    CMemoryBlock block;
    if (size >= kMappedFrom) {
        void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED)
            return block;
        madvise(memory, size, MADV_HUGEPAGE);
        block.data_ = static_cast<uint8_t*>(memory);
        block.mapped_ = true;
    } else {
        block.data_ = static_cast<uint8_t*>(std::calloc(size > 0 ? size : 1, 1));
        if (block.data_ == nullptr)
            return block;
    }
    block.size_ = size;
    return block;
}

void CMemoryBlock::Reset()
{
    if (data_ != nullptr) {
        if (mapped_)
            munmap(data_, size_);
        else
            std::free(data_);
    }
    data_ = nullptr;
    size_ = 0;
    mapped_ = false;
}

}  // namespace os
