#pragma once

#include <string>
#include <string_view>

// The picture library's trace: texts of a level up to the trace level are
// appended to the trace file. Levels: 0 errors, 1 decode banners, 2 recognition
// and decoding paths, 3 detail. With no trace file named nothing is written.
// Every function may be called from any thread; each text is written whole.
void WriteTrace(int level, std::string_view text);
// Formats printf-style and writes the result; formats nothing unless the
// text would be written.
void WriteTraceFormat(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));
// True when texts of `level` are written: a trace file is named and the
// level is not above the trace level.
bool TraceEnabled(int level);

void SetTraceLevel(int level);
// Names the trace file; an empty name stops tracing.
void SetTraceFile(const std::string& path);

// printf-style formatting into a string of whatever length the result needs.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
