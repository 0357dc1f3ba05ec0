#pragma once

#include <string>

// Raises the calling thread's scheduling for rendering sound, as far as the
// system grants it: real-time round-robin first (granted to a privileged
// process or within RLIMIT_RTPRIO), else a better nice value (within
// RLIMIT_NICE), else nothing. Never above what the window needs: the
// real-time priority is the lowest but one, and rendering takes a few
// per cent of a core. Returns what was granted: "real-time", "raised" or
// "normal".
std::string raiseRenderPriority();

// Raises the calling thread's nice value, as far as RLIMIT_NICE grants, for
// short bursts of work that a sound waits for (reading an instrument's
// samples): the same better nice value as above, never real-time. Returns
// "raised" or "normal".
std::string raiseLoadingPriority();
