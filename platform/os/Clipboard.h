#pragma once

#include <cstdint>
#include <vector>

namespace os {

// A packed device-independent bitmap: 40-byte header, colour table, rows bottom-up.
using PackedDib = std::vector<uint8_t>;

// Where clipboard copies go. The application connects its system clipboard;
// tests use CMemoryClipboard.
class IClipboardBackend {
public:
    virtual ~IClipboardBackend() = default;
    virtual bool Open() = 0;
    virtual void Empty() = 0;
    virtual void SetDib(PackedDib dib) = 0;
    virtual bool Close() = 0;
};

// The process-wide backend; null until one is connected (then nothing can be copied).
IClipboardBackend* GetClipboardBackend();
void SetClipboardBackend(IClipboardBackend* backend);

// Keeps the last packed DIB in memory. Open can be made to fail, as when another
// program holds the clipboard.
class CMemoryClipboard : public IClipboardBackend {
public:
    bool Open() override;
    void Empty() override;
    void SetDib(PackedDib dib) override;
    bool Close() override;

    void SetHeldElsewhere(bool held) { heldElsewhere_ = held; }
    const PackedDib& Dib() const { return dib_; }
    bool IsOpen() const { return open_; }

private:
    PackedDib dib_;
    bool open_ = false;
    bool heldElsewhere_ = false;
};

}  // namespace os
