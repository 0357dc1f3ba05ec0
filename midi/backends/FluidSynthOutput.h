#pragma once

#include "shell/MidiOutDevice.h"

#include <memory>
#include <string>
#include <vector>

// The built-in General MIDI synthesiser: FluidSynth with a GM soundfont,
// playing through the first audio driver that works. Without a soundfont or
// an audio device open() gives 0 and the program runs silently.
//
// A limiter after the synthesiser keeps loud instruments and big chords below
// full scale. The soundfont is read on a thread of its own so that opening does not hold
// the window back; messages sent meanwhile are kept and played, in order, as
// soon as it is in.
class FluidSynthOutput : public MidiOutDevice {
public:
    // Output level (FluidSynth's default is 0.2). With the GM piano a note at
    // velocity 100 peaks near -15 dBFS and a ten-note chord over three octaves
    // near -3 dBFS, below the limiter. Bright leads and pads would go up to
    // +18 dBFS at this level; the limiter takes them down.
    static constexpr double Gain = 0.8;
    // Audio buffering: two periods of 1024 frames, at most 46 ms at 44.1 kHz.
    // On a busy two-core machine through PulseAudio, 512 frames and less still
    // dropped out; 1024 played cleanly.
    static constexpr int PeriodFrames = 1024;
    static constexpr int Periods = 2;

    struct Options {
        // Soundfonts tried in order. Empty: the synthesiser's own default,
        // then the usual places of Debian's GM soundfont.
        std::vector<std::string> soundfonts;
        // false: no audio device is opened and the sound is pulled with
        // render() instead.
        bool playThroughDevice = true;
    };

    FluidSynthOutput();
    explicit FluidSynthOutput(Options options);
    ~FluidSynthOutput() override;
    FluidSynthOutput(const FluidSynthOutput&) = delete;
    FluidSynthOutput& operator=(const FluidSynthOutput&) = delete;

    MidiHandle open() override;
    void sendShortMessage(MidiHandle handle, std::uint32_t message) override;
    void close(MidiHandle handle) override;

    // The soundfont is in and messages play at once. Stays false when the
    // soundfont turned out to be unreadable: the output is then silent.
    bool isReady() const;
    // The soundfont is still being read.
    bool isLoading() const;
    // The next frames of sound, stereo interleaved (left, right, ...). Only
    // while open without an audio device; empty otherwise.
    std::vector<float> render(int frames);
    // Frames per second of the sound; 0 while closed.
    int sampleRate() const;
    // The audio driver in use ("pulseaudio", "alsa", ...); empty without one.
    std::string audioDriver() const;

private:
    struct Engine;

    MidiHandle handle() const;
    void load(std::string soundfont);

    Options options_;
    std::unique_ptr<Engine> engine_;
};
