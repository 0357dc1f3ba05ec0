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
