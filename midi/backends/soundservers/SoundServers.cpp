#include "midi/backends/soundservers/SoundServers.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstdlib>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

std::string variableOr(const EnvironmentLookup& environment, const char* name,
                       const std::string& fallback) {
    const auto value = environment(name);
    return value && !value->empty() ? *value : fallback;
}

} // namespace

std::optional<std::string> processEnvironment(const char* name) {
    if (const char* value = std::getenv(name))
        return std::string(value);
    return std::nullopt;
}

unsigned processUserId() {
    return ::getuid();
}

bool unixSocketAccepts(const std::string& path) {
    sockaddr_un address{};
    if (path.empty() || path.size() >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    // A local connect answers at once: refused when nobody listens.
    const bool accepted =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return accepted;
}

std::vector<std::string> pulseAudioSocketPaths(const EnvironmentLookup& environment,
                                               unsigned userId) {
    std::vector<std::string> paths;
    if (const auto runtime = environment("PULSE_RUNTIME_PATH"); runtime && !runtime->empty())
        paths.push_back(*runtime + "/native");
    if (const auto xdg = environment("XDG_RUNTIME_DIR"); xdg && !xdg->empty())
        paths.push_back(*xdg + "/pulse/native");
    paths.push_back("/run/user/" + std::to_string(userId) + "/pulse/native");
    paths.emplace_back("/run/pulse/native");
    return paths;
}

std::vector<std::string> jackSocketPaths(const EnvironmentLookup& environment, unsigned userId) {
    const std::string server = variableOr(environment, "JACK_DEFAULT_SERVER", "default");
    const std::string uid = std::to_string(userId);
    return {"/dev/shm/jack_" + server + "_" + uid + "_0",
            "/dev/shm/jack-" + uid + "/" + server + "/jack_0"};
}

bool pulseAudioServerRunning(const EnvironmentLookup& environment, unsigned userId) {
    if (const auto server = environment("PULSE_SERVER"); server && !server->empty())
        return true;
    for (const auto& path : pulseAudioSocketPaths(environment, userId))
        if (unixSocketAccepts(path))
            return true;
    return false;
}

bool jackServerRunning(const EnvironmentLookup& environment, unsigned userId) {
    for (const auto& path : jackSocketPaths(environment, userId))
        if (unixSocketAccepts(path))
            return true;
    return false;
}

bool jackServerRunsNow() {
    if (!jackServerRunning(processEnvironment, processUserId()))
        return false;
    qputenv("JACK_NO_START_SERVER", "1");
    return true;
}
