#include "midi/backends/winmm/WinmmOutput.h"

#include "midi/ShortMessage.h"

#include <windows.h>

#include <mmsystem.h>

MidiHandle WinmmOutput::open() {
    HMIDIOUT handle = nullptr;
    if (midiOutOpen(&handle, MIDI_MAPPER, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR)
        return 0;
    return reinterpret_cast<MidiHandle>(handle);
}

void WinmmOutput::sendShortMessage(MidiHandle handle, std::uint32_t message) {
    if (handle != 0 && decodeShortMessage(message))
        midiOutShortMsg(reinterpret_cast<HMIDIOUT>(handle), message);
}

void WinmmOutput::close(MidiHandle handle) {
    if (handle != 0)
        midiOutClose(reinterpret_cast<HMIDIOUT>(handle));
}
