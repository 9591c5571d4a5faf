#include "picture/decoding/Trace.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {

// Decoders on several threads trace at once: the file's name and every write
// are kept under one lock, so texts never interleave. The level is read
// without it, as nearly every call is below it.
std::atomic<int> g_traceLevel = 0;
std::mutex g_traceMutex;
std::string g_traceFile;

}  // namespace

void WriteTrace(int level, const std::string& text)
{
    if (level > g_traceLevel.load(std::memory_order_relaxed))
        return;
    std::lock_guard<std::mutex> lock(g_traceMutex);
    if (g_traceFile.empty())
        return;
    if (FILE* file = std::fopen(g_traceFile.c_str(), "a")) {
        std::fputs(text.c_str(), file);
        std::fclose(file);
    }
}

void SetTraceLevel(int level)
{
    g_traceLevel.store(level, std::memory_order_relaxed);
}

void SetTraceFile(const std::string& path)
{
    std::lock_guard<std::mutex> lock(g_traceMutex);
    g_traceFile = path;
}

std::string FormatText(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0)
        std::vsnprintf(text.data(), text.size() + 1, format, args);
    va_end(args);
    return text;
}
