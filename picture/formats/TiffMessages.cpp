#include "picture/formats/TiffMessages.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "picture/decoding/Trace.h"

namespace {

// libtiff calls the handlers on the thread whose decode failed, so each
// thread keeps its own last error and decodes on other threads cannot
// change the text of its failure.
thread_local char t_errorText[kTiffMessageLimit] = "";

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
        std::snprintf(t_errorText, sizeof t_errorText, "%s", message.c_str());
        WriteTrace(0, message);
    } catch (...) {
    }
}

void OnTiffWarning(const char* module, const char* format, va_list args) noexcept
{
    if (!TraceEnabled(2))
        return;
    try {
        std::string message = FormatMessage(format, args);
        if (module != nullptr)
            WriteTraceFormat(2, "Warning in LIBTIFF(%.255s): %s\n", module, message.c_str());
        else
            WriteTraceFormat(2, "Warning in LIBTIFF: %s\n", message.c_str());
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
    return t_errorText;
}

void ClearTiffError()
{
    t_errorText[0] = '\0';
}
