#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A document file that ends inside a record or whose record claims more bytes
// than the file has left.
class CArchiveException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads or writes a document as a sequence of length-prefixed 8-bit strings.
// A length below 255 is one byte; up to 65533 it is 0xFF and a 16-bit value;
// beyond that 0xFF, 0xFFFF and a 32-bit value (all little-endian). When
// reading, 0xFF followed by 0xFFFE announces a string of UTF-16LE units with a
// length of the same shapes, which is read as UTF-8.
class CArchive {
public:
    // Reads from `bytes`, which must outlive the archive.
    static CArchive ForLoading(std::span<const uint8_t> bytes);
    static CArchive ForStoring();

    bool IsLoading() const { return loading_; }
    bool IsStoring() const { return !loading_; }

    void WriteString(std::string_view text);
    // Throws CArchiveException when the string does not fit in what is left;
    // nothing is allocated for a length the data cannot hold.
    std::string ReadString();

    uint64_t GetRemaining() const { return input_.size() - position_; }
    const std::vector<uint8_t>& GetStoredBytes() const { return output_; }

private:
    explicit CArchive(bool loading) : loading_(loading) {}

    void WriteLength(uint64_t length);
    // The length of the next string in characters; sets `wide` for UTF-16 strings.
    uint64_t ReadLength(bool wideAllowed, bool& wide);
    std::span<const uint8_t> Take(uint64_t count);
    uint8_t ReadU8();
    uint16_t ReadU16();
    uint32_t ReadU32();

    bool loading_;
    std::span<const uint8_t> input_;
    size_t position_ = 0;
    std::vector<uint8_t> output_;
};
