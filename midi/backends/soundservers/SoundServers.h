#pragma once

// Whether a sound server runs, asked of the Unix sockets it listens on (built
// on Unix only, where PulseAudio, PipeWire and JACK run).

#include <functional>
#include <optional>
#include <string>
#include <vector>

// Reads one environment variable; nothing when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

// The process environment.
std::optional<std::string> processEnvironment(const char* name);

// The real user id of the process.
unsigned processUserId();

// True when something accepts connections on the Unix socket at path.
bool unixSocketAccepts(const std::string& path);

// The sockets a PulseAudio (or PipeWire) server of this user listens on, most
// specific first: PULSE_RUNTIME_PATH, XDG_RUNTIME_DIR/pulse, /run/user/<uid>/pulse,
// then the system-wide server.
std::vector<std::string> pulseAudioSocketPaths(const EnvironmentLookup& environment,
                                               unsigned userId);

// The request socket of a running JACK server (JACK 2, then JACK 1 layout).
std::vector<std::string> jackSocketPaths(const EnvironmentLookup& environment, unsigned userId);

// A PulseAudio server is running, or the user named one explicitly in
// PULSE_SERVER. Checking first keeps the client library from spawning a
// server of its own, which on a machine without sound takes long and plays
// into nothing.
bool pulseAudioServerRunning(const EnvironmentLookup& environment, unsigned userId);

// A JACK server is already running. Without one, JACK's client library would
// try to start a server, which takes seconds to fail.
bool jackServerRunning(const EnvironmentLookup& environment, unsigned userId);

// The program's one question whether JACK runs: a JACK server of this user runs
// now (jackServerRunning on the process environment). When one does, JACK's
// client library is told never to start a server of its own
// (JACK_NO_START_SERVER), for every JACK client the program makes later.
bool jackServerRunsNow();
