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

// The whole encoded picture, read front to back. Read and Peek hand out
// pointers into the data and throw PE_END_OF_FILE for bytes past the end;
// Peek looks without consuming. GetReadPointer looks at all the rest, so its
// callers look at no more than GetRemaining() bytes.
// A source may bring its data into memory as they are wanted; data that can
// no longer be had (a file cut short meanwhile) end the decode with
// PE_END_OF_FILE from the call that wanted them. Progress is reported each
// time the position crosses a multiple of 1024, and once more with 1.0 at Close.
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
    // Brings at least the first `end` bytes (end <= GetSize()) into memory and
    // returns how many are there. Sources that hold all their data from the
    // start keep this one.
    virtual int64_t LoadUpTo(int64_t end);

private:
    void Need(int64_t end)
    {
        if (end > loaded_)
            loaded_ = LoadUpTo(end);
    }

    std::string name_;
    bool isOpen_ = false;
    int64_t size_ = 0;
    int64_t position_ = 0;
    int64_t loaded_ = 0;  // leading bytes in memory
    CDecodeProgress* progress_;
    const uint8_t* data_ = nullptr;
};
