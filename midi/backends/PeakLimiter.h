#pragma once

#include <cstdint>
#include <vector>

// Keeps the synthesiser's output below full scale without clipping it. Sound
// under the ceiling passes unchanged, only later by the look-ahead; louder
// sound is turned down by the same amount on every channel, the gain gliding
// down over the look-ahead so that it is low enough when the peak comes out,
// held while the loud passage lasts and brought back smoothly once it has
// passed. No sample comes out above the ceiling.
//
// Everything it needs is allocated when it is made: process() allocates,
// frees and locks nothing, for the render thread.
class PeakLimiter {
public:
    static constexpr float Ceiling = 0.98f; // -0.2 dBFS
    // How far it looks ahead, and so how much later the sound comes out.
    static constexpr float LookaheadSeconds = 0.0015f;
    // How long the gain stays down after a peak: longer than a period of the
    // lowest notes, so that a steady loud tone is turned down evenly rather
    // than between its waves.
    static constexpr float HoldSeconds = 0.025f;
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

    // For up to `channels` channels.
    explicit PeakLimiter(int sampleRate, int channels = 2);

    // Limits frames of sound in place, one buffer per channel; what comes out
    // is what went in lookaheadFrames() earlier. Channels beyond the ones it
    // was made for are left as they are.
    void process(float* const* channels, int channelCount, int frames);

    int lookaheadFrames() const { return lookahead_; }
    // The gain applied to the last frame: 1 while nothing is limited.
    float gain() const { return gain_; }
    const Figures& figures() const { return figures_; }

private:
    // The least gain that the frames in the look-ahead need.
    float neededGain(float gain);
    // Held, then released towards `needed`.
    float heldGain(float needed);
    // Averaged over the look-ahead: the glide.
    float smoothGain(float held);

    int channels_;
    int lookahead_;
    int window_; // the look-ahead and the frame that comes in
    int hold_;
    float release_;
    std::int64_t frame_ = 0;

    // The sound on its way, a ring per channel.
    std::vector<float> delay_;
    int delayAt_ = 0;
    // The needed gains of the window that may still be its least, rising
    // from the oldest: a ring.
    std::vector<float> minGains_;
    std::vector<std::int64_t> minFrames_;
    int minFirst_ = 0;
    int minCount_ = 0;
    float held_ = 1.0f;
    int holdLeft_ = 0;
    // The held gains of the window, a ring, and their sum.
    std::vector<float> smoothing_;
    int smoothingAt_ = 0;
    double sum_ = 0.0;

    float gain_ = 1.0f;
    Figures figures_;
};
