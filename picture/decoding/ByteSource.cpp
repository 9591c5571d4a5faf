#include "picture/decoding/ByteSource.h"

#include <algorithm>

#include "picture/decoding/TextException.h"

void CByteSource::Open(const char* name, int64_t size)
{
    name_ = name;
    isOpen_ = true;
    size_ = size;
    position_ = 0;
    loaded_ = 0;
}

void CByteSource::Close()
{
    if (!isOpen_)
        return;
    if (progress_ != nullptr)
        progress_->OnProgress(1.0);
    name_.clear();
    isOpen_ = false;
    data_ = nullptr;
    loaded_ = 0;
}

const uint8_t* CByteSource::Peek(size_t count)
{
    Need(position_ + static_cast<int64_t>(std::min<uint64_t>(count, static_cast<uint64_t>(GetRemaining()))));
    return data_ + position_;
}

const uint8_t* CByteSource::GetReadPointer()
{
    Need(size_);
    return data_ + position_;
}

const uint8_t* CByteSource::Read(size_t count)
{
    int64_t old = position_;
    if (count > static_cast<uint64_t>(size_ - old))
        ThrowEndOfFile();
    position_ = old + static_cast<int64_t>(count);
    if (progress_ != nullptr && position_ / 1024 > old / 1024)
        progress_->OnProgress(static_cast<double>(position_) / static_cast<double>(size_));
    Need(position_);
    return data_ + old;
}

int64_t CByteSource::LoadUpTo(int64_t /*end*/)
{
    return size_;
}

void CByteSource::ReportProgress(double fraction)
{
    if (progress_ != nullptr)
        progress_->OnProgress(fraction);
}

uint16_t CByteSource::ReadU16LE()
{
    const uint8_t* p = Read(2);
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t CByteSource::ReadU32LE()
{
    const uint8_t* p = Read(4);
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t CByteSource::ReadU16BE()
{
    const uint8_t* p = Read(2);
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}

uint32_t CByteSource::ReadU32BE()
{
    const uint8_t* p = Read(4);
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}
