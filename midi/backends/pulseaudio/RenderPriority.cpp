#include "midi/backends/pulseaudio/RenderPriority.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr int RealTimePriority = 2;
constexpr int BetterNice = -11;
// RealtimeKit serves only a process that limits how long a real-time thread
// may run without sleeping; its own ceiling is 200 ms. The render thread
// sleeps every few milliseconds.
constexpr rlim_t RealTimeRunLimitUs = 200'000;
constexpr int RealtimeKitTimeoutMs = 1000;

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
    const auto thread = static_cast<id_t>(currentThreadId());
    for (int nice = BetterNice; nice < 0; nice += 5)
        if (::setpriority(PRIO_PROCESS, thread, nice) == 0)
            return true;
    return false;
}

bool systemBusRuns() {
    if (const char* address = std::getenv("DBUS_SYSTEM_BUS_ADDRESS"); address && *address)
        return true;
    std::error_code error;
    return std::filesystem::exists("/run/dbus/system_bus_socket", error) ||
           std::filesystem::exists("/var/run/dbus/system_bus_socket", error);
}

bool limitRealTimeRun() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_RTTIME, &limit) != 0)
        return false;
    // A hard limit below ours stays: only a privileged process may raise it.
    if (limit.rlim_max == RLIM_INFINITY || limit.rlim_max > RealTimeRunLimitUs)
        limit.rlim_max = RealTimeRunLimitUs;
    limit.rlim_cur = limit.rlim_max;
    return ::setrlimit(RLIMIT_RTTIME, &limit) == 0;
}

} // namespace

std::uint64_t currentThreadId() {
    return static_cast<std::uint64_t>(::syscall(SYS_gettid));
}

std::string raiseThroughRealtimeKit(std::uint64_t thread) {
    if (!systemBusRuns() || !limitRealTimeRun())
        return {};
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return {};
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.RealtimeKit1"),
        QStringLiteral("/org/freedesktop/RealtimeKit1"),
        QStringLiteral("org.freedesktop.RealtimeKit1"), QStringLiteral("MakeThreadRealtime"));
    call << static_cast<qulonglong>(thread) << static_cast<uint>(RealTimePriority);
    const QDBusMessage reply = bus.call(call, QDBus::Block, RealtimeKitTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage ? "real-time" : "";
}

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
