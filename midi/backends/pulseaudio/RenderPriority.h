#pragma once

#include <cstdint>
#include <string>

// Raises the calling thread's scheduling for rendering sound, as far as the
// process may by itself: real-time round-robin first (granted to a privileged
// process or within RLIMIT_RTPRIO), else a better nice value (within
// RLIMIT_NICE), else nothing. Never above what the window needs: the
// real-time priority is the lowest but one, and rendering takes a few
// per cent of a core. Returns what was granted: "real-time", "raised" or
// "normal".
std::string raiseRenderPriority();

// The calling thread's id, as the system knows it.
std::uint64_t currentThreadId();

// Asks RealtimeKit, the system service through which a desktop session grants
// real-time scheduling to its users' programs, to make `thread` (a thread of
// this process) real-time at the same priority. Blocks for the answer, at
// most a second: call it from a thread that nothing waits for. Returns
// "real-time" when granted, else an empty string. Where no system bus runs,
// returns at once.
std::string raiseThroughRealtimeKit(std::uint64_t thread);

// Raises the calling thread's nice value, as far as RLIMIT_NICE grants, for
// short bursts of work that a sound waits for (reading an instrument's
// samples): the same better nice value as above, never real-time. Returns
// "raised" or "normal".
std::string raiseLoadingPriority();
