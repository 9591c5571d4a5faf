#pragma once

#include <string>

// The picture library's trace: texts of a level up to the trace level are
// appended to the trace file. Levels: 0 errors, 1 decode banners, 2 recognition
// and decoding paths, 3 detail. With no trace file named nothing is written.
// Every function may be called from any thread; each text is written whole.
void WriteTrace(int level, const std::string& text);

void SetTraceLevel(int level);
// Names the trace file; an empty name stops tracing.
void SetTraceFile(const std::string& path);

// printf-style formatting into a string of whatever length the result needs.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
