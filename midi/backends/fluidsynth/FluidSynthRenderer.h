#pragma once

#include "midi/backends/PeakLimiter.h"
#include "midi/backends/fluidsynth/AudioSink.h"
#include "midi/backends/fluidsynth/PinnedPresets.h"
#include "midi/backends/fluidsynth/SynthWorker.h"
#include "midi/backends/fluidsynth/TimedMessages.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include <fluidsynth.h>

// Makes the built-in synthesiser's sound: plays each message at the frame
// that its hand-off time maps to (the hand-off plus a constant delay), splitting
// the rendering at every message, then limits the peaks. The limiter lets the
// sound out a little later than it comes in: messages are played that much
// earlier, so that they are still heard at their frame.
//
// Threads: messages come from the sending thread through a queue; slow work
// (the soundfont, instrument samples) runs on the worker and holds
// `synthGuard` meanwhile. The render thread never waits for it: it keeps
// rendering the voices it has and plays messages once the worker is out. It
// reads no file and allocates and frees nothing; the only locks it takes are
// that one, when it is free, and FluidSynth's own, which nobody holds but the
// holder of that one. The instruments that its program changes select and let
// go are held in memory by the worker (see PinnedPresets).
class FluidSynthRenderer : public AudioSource {
public:
    // Channels 16..31 of the synthesiser load the instrument that channel
    // (n - 16) is about to take, away from the render thread.
    static constexpr int LoadingChannelOffset = 16;
    static constexpr int SynthChannels = 32;

    FluidSynthRenderer(fluid_synth_t* synth, int rate, SynthWorker& worker);

    // Hands a message over, stamped with the moment; from the sending thread,
    // always the same one (the window's): the queue has one producer.
    void send(std::uint32_t message);
    // The soundfont is in (usable or not); from the worker, or before any job.
    void setLoaded(bool usable);
    bool loaded() const { return loaded_.load(); }
    bool usable() const { return usable_.load(); }
    // Held by the worker while it is inside the synthesiser.
    std::mutex& synthGuard() { return synthGuard_; }

    bool renderAudio(float* stereo, int frames, const RenderTiming& timing) override;
    bool hasWork() const override { return !incoming_.empty(); }

    // Messages played later than their time, since the start.
    int lateMessages() const { return late_.load(); }
    // What the limiter has done; read where the sound is rendered, or while
    // none is.
    const PeakLimiter::Figures& limiterFigures() const { return limiter_.figures(); }

private:
    // On the worker, for a program change handed over.
    void prepareChange(int channel, int program, std::uint64_t change);
    void play(const TimedMessage& message);
    void renderFrames(float* stereo, int frames);

    fluid_synth_t* synth_;
    SynthWorker& worker_;
    PeakLimiter limiter_;
    std::mutex synthGuard_;
    TimedMessages incoming_;
    std::atomic<bool> loaded_{false};
    std::atomic<bool> usable_{false};
    std::atomic<int> late_{0};

    // Program changes per channel handed over (sending thread only) and played
    // (written by the render thread, read by the worker).
    std::array<std::uint64_t, PinnedPresets::Channels> changesSent_{};
    std::array<std::atomic<std::uint64_t>, PinnedPresets::Channels> changesPlayed_{};
    // Worker only.
    PinnedPresets pins_;

    // Render thread only; `due_` never grows past the queue's capacity.
    std::int64_t delayNs_ = 0; // from a message's hand-off to its sound
    std::vector<TimedMessage> due_;
    std::vector<float> left_;
    std::vector<float> right_;
};
