#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "picture/bitmap/PLObject.h"

// Receives the fraction of a decode done, from 0 to 1.
class CDecodeProgress {
public:
    virtual ~CDecodeProgress() = default;
    virtual void OnProgress(double fraction) = 0;
};

// The whole encoded picture in memory, read front to back. Read hands out
// pointers into the data and throws PE_END_OF_FILE for a read past the end;
// Peek and GetReadPointer look without consuming and check nothing, so callers
// look at no more than GetRemaining() bytes. Progress is reported each time the
// position crosses a multiple of 1024, and once more with 1.0 at Close.
class CByteSource : public CPLObject {
public:
    ~CByteSource() override = default;
    CByteSource(const CByteSource&) = delete;
    CByteSource& operator=(const CByteSource&) = delete;

    virtual void Open(const char* name, int64_t size);
    virtual void Close();
    virtual const uint8_t* Peek(size_t count);
    virtual const uint8_t* Read(size_t count);
    virtual const uint8_t* GetReadPointer();

    // The file path, or "Mem" for a memory block; null while closed.
    const char* GetName() const { return isOpen_ ? name_.c_str() : nullptr; }
    int64_t GetSize() const { return size_; }
    int64_t GetPosition() const { return position_; }
    int64_t GetRemaining() const { return size_ - position_; }
    void ReportProgress(double fraction);

    // Typed reads, byte order visible at the call.
    uint8_t ReadU8() { return *Read(1); }
    uint16_t ReadU16LE();
    uint32_t ReadU32LE();
    uint16_t ReadU16BE();
    uint32_t ReadU32BE();
    void Skip(size_t count) { Read(count); }

protected:
    explicit CByteSource(CDecodeProgress* progress) : progress_(progress) {}
    // Where the data start; set by the subclass when it opens.
    void SetData(const uint8_t* data) { data_ = data; }

private:
    std::string name_;
    bool isOpen_ = false;
    int64_t size_ = 0;
    int64_t position_ = 0;
    CDecodeProgress* progress_;
    const uint8_t* data_ = nullptr;
};
