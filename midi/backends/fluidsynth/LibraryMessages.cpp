#include "midi/backends/fluidsynth/LibraryMessages.h"

#ifdef CLAVITONE_HAVE_ALSA
#include "midi/backends/alsa/AlsaMessages.h"
#endif

#include <fluidsynth.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

void routeSoundLibraryMessages() {
    static std::once_flag once;
    std::call_once(once, [] {
        const char* value = std::getenv(SoundDebugVariable);
        const bool show = value != nullptr && std::strcmp(value, "1") == 0;
#ifdef CLAVITONE_HAVE_ALSA
        routeAlsaMessages(show);
#endif
        if (show)
            return;
        // No function: FluidSynth drops the messages of that level.
        for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level)
            fluid_set_log_function(level, nullptr, nullptr);
    });
}
