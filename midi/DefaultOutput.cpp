#include "midi/DefaultOutput.h"

#if defined(CLAVITONE_HAVE_WINMM)
#include "midi/backends/winmm/WinmmOutput.h"
#elif defined(CLAVITONE_HAVE_FLUIDSYNTH)
#include "midi/backends/fluidsynth/FluidSynthOutput.h"
#else
#include "midi/backends/NullOutput.h"
#endif

std::unique_ptr<MidiOutDevice> createDefaultMidiOut() {
#if defined(CLAVITONE_HAVE_WINMM)
    // The MIDI mapper: whatever the user chose as the default MIDI output.
    return std::make_unique<WinmmOutput>();
#elif defined(CLAVITONE_HAVE_FLUIDSYNTH)
    return std::make_unique<FluidSynthOutput>();
#else
    // Built without a synthesiser: behave like a machine without a MIDI device.
    return std::make_unique<NullOutput>();
#endif
}
