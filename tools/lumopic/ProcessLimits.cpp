#include "tools/lumopic/ProcessLimits.h"

#include <algorithm>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr char kTimeIsUp[] = "lumopic: the time limit ran out\n";
// The processor time after which the system kills a process that goes on.
constexpr rlim_t kGraceSeconds = 5;

// AddressSanitizer reserves terabytes of address space for itself: a build
// with it leaves the address space unbounded.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kBoundAddressSpace = false;
#else
constexpr bool kBoundAddressSpace = true;
#endif

extern "C" void EndAtTimeLimit(int /*signal*/)
{
    // Only async-signal-safe calls here.
    ssize_t written = write(STDERR_FILENO, kTimeIsUp, sizeof kTimeIsUp - 1);
    (void)written;
    _exit(1);
}

bool Lower(int resource, rlim_t soft, rlim_t hard)
{
    rlimit limit {};
    if (getrlimit(resource, &limit) != 0)
        return false;
    limit.rlim_cur = std::min(limit.rlim_cur, soft);
    limit.rlim_max = std::min(limit.rlim_max, hard);
    limit.rlim_cur = std::min(limit.rlim_cur, limit.rlim_max);
    return setrlimit(resource, &limit) == 0;
}

}  // namespace

bool LimitThisProcess(const ProcessLimits& limits)
{
    struct sigaction action {};
    action.sa_handler = EndAtTimeLimit;
    sigemptyset(&action.sa_mask);
    if (sigaction(SIGXCPU, &action, nullptr) != 0 || sigaction(SIGALRM, &action, nullptr) != 0)
        return false;
    if ((kBoundAddressSpace && !Lower(RLIMIT_AS, limits.addressSpaceBytes, RLIM_INFINITY)) ||
        !Lower(RLIMIT_CPU, limits.seconds, limits.seconds + kGraceSeconds))
        return false;
    // Processor time does not pass while a read waits.
    alarm(limits.seconds);
    return true;
}
