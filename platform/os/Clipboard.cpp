#include "platform/os/Clipboard.h"

namespace os {
namespace {
IClipboardBackend* g_backend = nullptr;
}

IClipboardBackend* GetClipboardBackend()
{
    return g_backend;
}

void SetClipboardBackend(IClipboardBackend* backend)
{
    g_backend = backend;
}

bool CMemoryClipboard::Open()
{
    if (heldElsewhere_ || open_)
        return false;
    open_ = true;
    return true;
}

void CMemoryClipboard::Empty()
{
    dib_.clear();
}

void CMemoryClipboard::SetDib(PackedDib dib)
{
    dib_ = std::move(dib);
}

bool CMemoryClipboard::Close()
{
    bool wasOpen = open_;
    open_ = false;
    return wasOpen;
}

}  // namespace os
