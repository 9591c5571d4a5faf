#include "picture/decoding/Trace.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {

// Decoders on several threads trace at once: the file's name and every write
// are kept under one lock, so texts never interleave. The level, and whether
// a file is named, are read without it, as nearly every call is not traced.
std::atomic<int> g_traceLevel = 0;
std::atomic<bool> g_traceFileNamed = false;
std::mutex g_traceMutex;
std::string g_traceFile;

std::string FormatTextV(const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text(length > 0 ? static_cast<size_t>(length) : 0, '\0');
    if (length > 0)
        std::vsnprintf(text.data(), text.size() + 1, format, args);
    return text;
}

}  // namespace

bool TraceEnabled(int level)
{
    return level <= g_traceLevel.load(std::memory_order_relaxed) && g_traceFileNamed.load(std::memory_order_relaxed);
}

void WriteTrace(int level, std::string_view text)
{
    if (!TraceEnabled(level))
        return;
    std::lock_guard<std::mutex> lock(g_traceMutex);
    if (g_traceFile.empty())
        return;
    if (FILE* file = std::fopen(g_traceFile.c_str(), "a")) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
}

void WriteTraceFormat(int level, const char* format, ...)
{
    if (!TraceEnabled(level))
        return;
    va_list args;
    va_start(args, format);
    std::string text = FormatTextV(format, args);
    va_end(args);
    WriteTrace(level, text);
}

void SetTraceLevel(int level)
{
    g_traceLevel.store(level, std::memory_order_relaxed);
}

void SetTraceFile(const std::string& path)
{
    std::lock_guard<std::mutex> lock(g_traceMutex);
    g_traceFile = path;
    g_traceFileNamed.store(!path.empty(), std::memory_order_relaxed);
}

std::string FormatText(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = FormatTextV(format, args);
    va_end(args);
    return text;
}
