#pragma once

#include <cstdint>

// Bounds on a process that reads whatever file it is given.
struct ProcessLimits {
    uint64_t addressSpaceBytes = 0;  // RLIMIT_AS: memory beyond it cannot be had
    unsigned seconds = 0;            // processor time and running time alike
};

// Bounds this process: memory beyond the limit is refused to whatever asks
// for it, and when either kind of time runs out the process writes a line to
// standard error and ends with exit code 1. A limit already lower stays.
// False when the limits cannot be set.
bool LimitThisProcess(const ProcessLimits& limits);
