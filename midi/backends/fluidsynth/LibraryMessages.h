#pragma once

// The name of the environment variable that, set to 1, shows the sound
// libraries' own messages (FluidSynth's, and ALSA's under it) on standard
// error, for someone finding out why no sound comes.
inline constexpr const char* SoundDebugVariable = "CLAVITONE_SOUND_DEBUG";

// Where those messages go: nowhere, unless the variable above is set to 1.
// Without a sound server or a sound card they would otherwise fill the
// terminal at every start, while the program goes on silent as it should.
// Done once in the process, before the first FluidSynth object is made.
void routeSoundLibraryMessages();
