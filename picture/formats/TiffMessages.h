#pragma once

#include <cstddef>
#include <string>

// libtiff reports through process-wide handlers. Ours keep the most recent
// error of each thread (cut to kTiffMessageLimit - 1 characters) and send
// errors to the trace at level 0 and warnings at level 2; warnings never stop
// a decode.

constexpr size_t kTiffMessageLimit = 1024;

// Installs the handlers; only the first call does anything, whatever thread makes it.
void InstallTiffMessageHandlers();

// The most recent libtiff error on this thread, ending in a line break; empty
// when there was none.
std::string LastTiffError();
void ClearTiffError();
