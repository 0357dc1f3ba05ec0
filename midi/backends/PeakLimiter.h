#pragma once

// Keeps the synthesiser's output below full scale. Sound under the ceiling
// passes unchanged; louder sound is turned down at once, by the same amount on
// every channel, and the level comes back smoothly once it has passed.
class PeakLimiter {
public:
    static constexpr float Ceiling = 0.98f; // -0.2 dBFS
    static constexpr float ReleaseSeconds = 0.25f;

    explicit PeakLimiter(int sampleRate);

    // Limits frames of sound in place, one buffer per channel.
    void process(float* const* channels, int channelCount, int frames);

    // The gain applied to the last frame: 1 while nothing is limited.
    float gain() const { return gain_; }

private:
    float release_;
    float gain_ = 1.0f;
};
