#include "midi/backends/DefaultOutput.h"

#ifdef CLAVITONE_HAVE_FLUIDSYNTH
#include "midi/backends/FluidSynthOutput.h"
#else
#include "midi/backends/RecorderOutput.h"
#endif

std::unique_ptr<MidiOutDevice> createDefaultMidiOut() {
#ifdef CLAVITONE_HAVE_FLUIDSYNTH
    return std::make_unique<FluidSynthOutput>();
#else
    // Built without a synthesiser: behave like a machine without a MIDI device.
    return std::make_unique<RecorderOutput>(/*failOpen=*/true);
#endif
}
