#pragma once

#include "midi/MidiOutDevice.h"
#include "midi/backends/fluidsynth/AudioSink.h"

#include <memory>
#include <string>
#include <vector>

// The built-in General MIDI synthesiser: FluidSynth with a GM soundfont,
// playing through a PulseAudio stream of its own where a server runs, else
// through the first of FluidSynth's audio drivers that works. Without a
// soundfont or an audio device open() gives 0 and the program runs silently.
//
// Every message sounds a delay after it was sent (what the output's measured
// latency needs, and a margin), at the very frame, so the rhythm played is
// the rhythm heard. A limiter after the synthesiser keeps loud instruments and big
// chords below full scale. The soundfont, and the samples of an instrument
// chosen later, are read on a worker thread, so that neither opening nor a
// program change holds the window or the sound back; messages sent meanwhile
// are kept and played, in order, as soon as what they need is in.
class FluidSynthOutput : public MidiOutDevice {
public:
    // Output level (FluidSynth's default is 0.2). With the GM piano a note at
    // velocity 100 peaks near -15 dBFS and a ten-note chord over three octaves
    // near -3 dBFS, below the limiter. Bright leads and pads would go up to
    // +18 dBFS at this level; the limiter takes them down.
    static constexpr double Gain = 0.8;
    // The rate sound servers and sound cards run at by default: the server
    // has nothing to resample, which would add a latency it does not report.
    static constexpr int SampleRate = 48000;
    // Buffering of FluidSynth's own drivers (used without a PulseAudio
    // server): two periods of 1024 frames, at most 46 ms at 44.1 kHz.
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
    void prepare() override;

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
    // The output's buffer, latency and delay as granted and measured.
    AudioSinkFigures audioFigures() const;
    // Messages that sounded later than their constant delay.
    int lateMessages() const;

private:
    struct Engine;

    MidiHandle handle() const;

    Options options_;
    std::unique_ptr<Engine> engine_;
};
