#include "midi/backends/RenderPriority.h"

#include <algorithm>

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr int RealTimePriority = 2;
constexpr int BetterNice = -11;

bool realTime() {
    sched_param parameter{};
    parameter.sched_priority = RealTimePriority;
    rlimit limit{};
    if (::getrlimit(RLIMIT_RTPRIO, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        limit.rlim_cur > 0)
        parameter.sched_priority =
            std::min<int>(RealTimePriority, static_cast<int>(limit.rlim_cur));
    // Fails unless the process may: privileged, or within its RLIMIT_RTPRIO.
    // A child process started later from this thread gets normal scheduling.
    return ::pthread_setschedparam(::pthread_self(), SCHED_RR | SCHED_RESET_ON_FORK, &parameter) ==
               0 ||
           ::pthread_setschedparam(::pthread_self(), SCHED_RR, &parameter) == 0;
}

bool betterNice() {
    // On Linux a nice value belongs to the thread named by its id.
    const auto thread = static_cast<id_t>(::syscall(SYS_gettid));
    for (int nice = BetterNice; nice < 0; nice += 5)
        if (::setpriority(PRIO_PROCESS, thread, nice) == 0)
            return true;
    return false;
}

} // namespace

std::string raiseRenderPriority() {
    if (realTime())
        return "real-time";
    if (betterNice())
        return "raised";
    return "normal";
}

std::string raiseLoadingPriority() {
    return betterNice() ? "raised" : "normal";
}
