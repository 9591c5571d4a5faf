#include "picture/decoding/ByteSource.h"


#include "picture/decoding/TextException.h"
#include "platform/os/ByteOrder.h"

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
    if (count > static_cast<uint64_t>(GetRemaining()))
        ThrowEndOfFile();
    Need(position_ + static_cast<int64_t>(count));
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
    return os::LoadLittleEndian<uint16_t>(Read(2));
}

uint32_t CByteSource::ReadU32LE()
{
    return os::LoadLittleEndian<uint32_t>(Read(4));
}

uint16_t CByteSource::ReadU16BE()
{
    return os::LoadBigEndian<uint16_t>(Read(2));
}

uint32_t CByteSource::ReadU32BE()
{
    return os::LoadBigEndian<uint32_t>(Read(4));
}
