#pragma once

// ALSA's default playback device is the PulseAudio plugin: playing into it
// plays into the PulseAudio server. Reads ALSA's configuration; opens nothing.
bool alsaDefaultIsPulseAudio();
