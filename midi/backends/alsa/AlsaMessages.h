#pragma once

// ALSA's library writes its errors to standard error itself: where there is no
// sound card, opening a device prints a screenful. Drops them, for the whole
// process (FluidSynth's ALSA driver uses the same library), unless `show`,
// which leaves ALSA's own printing as it is.
void routeAlsaMessages(bool show);
