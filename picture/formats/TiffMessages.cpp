#include "picture/formats/TiffMessages.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "picture/decoding/Trace.h"

namespace {

std::mutex g_errorMutex;
char g_errorText[kTiffMessageLimit] = "";

// The message with a line break, cut so that both fit the limit.
std::string FormatMessage(const char* format, va_list args)
{
    char text[kTiffMessageLimit];
    int length = std::vsnprintf(text, sizeof text - 1, format, args);
    if (length < 0)
        length = 0;
    size_t end = std::min(static_cast<size_t>(length), sizeof text - 2);
    text[end] = '\n';
    text[end + 1] = '\0';
    return text;
}

// The handlers run inside libtiff, which no exception may cross: a message
// that cannot be kept (no memory for it) is dropped.
void OnTiffError(const char* /*module*/, const char* format, va_list args) noexcept
{
    try {
        std::string message = FormatMessage(format, args);
        {
            std::lock_guard<std::mutex> lock(g_errorMutex);
            std::snprintf(g_errorText, sizeof g_errorText, "%s", message.c_str());
        }
        WriteTrace(0, message);
    } catch (...) {
    }
}

void OnTiffWarning(const char* module, const char* format, va_list args) noexcept
{
    try {
        std::string message = FormatMessage(format, args);
        if (module != nullptr)
            WriteTrace(2, FormatText("Warning in LIBTIFF(%.255s): %s\n", module, message.c_str()));
        else
            WriteTrace(2, FormatText("Warning in LIBTIFF: %s\n", message.c_str()));
    } catch (...) {
    }
}

}  // namespace

void InstallTiffMessageHandlers()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        TIFFSetErrorHandler(OnTiffError);
        TIFFSetWarningHandler(OnTiffWarning);
    });
}

std::string LastTiffError()
{
    std::lock_guard<std::mutex> lock(g_errorMutex);
    return g_errorText;
}

void ClearTiffError()
{
    std::lock_guard<std::mutex> lock(g_errorMutex);
    g_errorText[0] = '\0';
}
