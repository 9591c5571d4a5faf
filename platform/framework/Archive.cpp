#include "platform/framework/Archive.h"

#include "platform/os/ByteOrder.h"
#include "platform/os/CodePage.h"

namespace {

constexpr uint8_t kLongLength = 0xFF;
constexpr uint16_t kWideMarker = 0xFFFE;
constexpr uint16_t kLongerLength = 0xFFFF;

}  // namespace

CArchive CArchive::ForLoading(std::span<const uint8_t> bytes)
{
    CArchive archive(true);
    archive.input_ = bytes;
    return archive;
}

CArchive CArchive::ForStoring()
{
    return CArchive(false);
}

void CArchive::WriteLength(uint64_t length)
{
    auto put = [this](uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            output_.push_back(static_cast<uint8_t>(value >> (8 * i)));
    };
    if (length < kLongLength) {
        put(length, 1);
    } else if (length < kWideMarker) {
        put(kLongLength, 1);
        put(length, 2);
    } else {
        put(kLongLength, 1);
        put(kLongerLength, 2);
        put(length, 4);
    }
}

void CArchive::WriteString(std::string_view text)
{
    if (text.size() > UINT32_MAX)
        throw CArchiveException("string too long for its length prefix");
    WriteLength(text.size());
    output_.insert(output_.end(), text.begin(), text.end());
}

std::span<const uint8_t> CArchive::Take(uint64_t count)
{
    if (count > GetRemaining())
        throw CArchiveException("record runs past the end of the file");
    std::span<const uint8_t> bytes = input_.subspan(position_, static_cast<size_t>(count));
    position_ += static_cast<size_t>(count);
    return bytes;
}

uint8_t CArchive::ReadU8()
{
    return Take(1)[0];
}

uint16_t CArchive::ReadU16()
{
    return os::LoadLittleEndian<uint16_t>(Take(2).data());
}

uint32_t CArchive::ReadU32()
{
    return os::LoadLittleEndian<uint32_t>(Take(4).data());
}

uint64_t CArchive::ReadLength(bool wideAllowed, bool& wide)
{
    uint8_t shortLength = ReadU8();
    if (shortLength < kLongLength)
        return shortLength;
    uint16_t length = ReadU16();
    if (length == kWideMarker && wideAllowed) {
        // A complete length of the same shapes follows, counting 16-bit units.
        wide = true;
        return ReadLength(false, wide);
    }
    if (length < kLongerLength)
        return length;
    return ReadU32();
}

std::string CArchive::ReadString()
{
    if (!loading_)
        throw CArchiveException("archive is not for loading");
    bool wide = false;
    uint64_t length = ReadLength(true, wide);
    if (wide)
        return os::Utf16LeToUtf8(Take(2 * length));
    std::span<const uint8_t> bytes = Take(length);
    return std::string(bytes.begin(), bytes.end());
}
