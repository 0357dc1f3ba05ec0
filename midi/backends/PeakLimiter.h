#pragma once

#include <cstdint>

// Keeps the synthesiser's output below full scale. Sound under the ceiling
// passes unchanged; louder sound is turned down at once, by the same amount on
// every channel, and the level comes back smoothly once it has passed.
class PeakLimiter {
public:
    static constexpr float Ceiling = 0.98f; // -0.2 dBFS
    static constexpr float ReleaseSeconds = 0.25f;
    // A sample this close to the ceiling (-0.001 dB) is counted as at it.
    static constexpr float AtCeiling = Ceiling * 0.9999f;

    // What it has done since it was made, for the benchmark report.
    struct Figures {
        float leastGain = 1.0f;
        float largestStep = 0.0f;   // of the gain from one frame to the next
        std::int64_t samples = 0;   // every channel's
        std::int64_t atCeiling = 0; // of them
    };

    explicit PeakLimiter(int sampleRate);

    // Limits frames of sound in place, one buffer per channel.
    void process(float* const* channels, int channelCount, int frames);

    // The gain applied to the last frame: 1 while nothing is limited.
    float gain() const { return gain_; }
    const Figures& figures() const { return figures_; }

private:
    float release_;
    float gain_ = 1.0f;
    Figures figures_;
};
