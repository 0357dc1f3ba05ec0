#include "midi/backends/PeakLimiter.h"

#include <algorithm>
#include <cmath>

namespace {

int framesOf(float seconds, int sampleRate) {
    return static_cast<int>(std::lround(seconds * static_cast<float>(sampleRate)));
}

// Within this of full level the gain is taken for full: the release would
// otherwise creep towards it for ever.
constexpr float FullLevel = 1.0f - 1e-6f;

} // namespace

PeakLimiter::PeakLimiter(int sampleRate, int channels)
    : channels_(std::max(channels, 0)), lookahead_(framesOf(LookaheadSeconds, sampleRate)),
      window_(lookahead_ + 1), hold_(framesOf(HoldSeconds, sampleRate)),
      // Recovers about two thirds of the way to full level per release time.
      release_(1.0f -
               std::exp(-1.0f / (ReleaseSeconds * static_cast<float>(std::max(sampleRate, 1))))),
      delay_(static_cast<std::size_t>(channels_) * static_cast<std::size_t>(lookahead_)),
      minGains_(static_cast<std::size_t>(window_)), minFrames_(static_cast<std::size_t>(window_)),
      smoothing_(static_cast<std::size_t>(window_), 1.0f), sum_(window_) {}

float PeakLimiter::neededGain(float gain) {
    // The oldest leaves once it is out of the window...
    if (minCount_ > 0 && minFrames_[static_cast<std::size_t>(minFirst_)] <= frame_ - window_) {
        minFirst_ = (minFirst_ + 1) % window_;
        --minCount_;
    }
    // ...and gains that a lower one after them outlasts can never be the
    // least again.
    while (minCount_ > 0) {
        const int last = (minFirst_ + minCount_ - 1) % window_;
        if (minGains_[static_cast<std::size_t>(last)] < gain)
            break;
        --minCount_;
    }
    const int next = (minFirst_ + minCount_) % window_;
    minGains_[static_cast<std::size_t>(next)] = gain;
    minFrames_[static_cast<std::size_t>(next)] = frame_;
    ++minCount_;
    return minGains_[static_cast<std::size_t>(minFirst_)];
}

float PeakLimiter::heldGain(float needed) {
    if (needed <= held_) {
        held_ = needed;
        holdLeft_ = hold_;
    } else if (holdLeft_ > 0) {
        --holdLeft_;
    } else {
        // Never above what is needed: it rises towards it.
        held_ += (needed - held_) * release_;
        if (held_ >= FullLevel && needed == 1.0f)
            held_ = 1.0f;
    }
    return held_;
}

float PeakLimiter::smoothGain(float held) {
    float& oldest = smoothing_[static_cast<std::size_t>(smoothingAt_)];
    sum_ += static_cast<double>(held) - oldest;
    oldest = held;
    if (++smoothingAt_ == window_) {
        smoothingAt_ = 0;
        // Summed afresh once per round, so that rounding never gathers.
        sum_ = 0.0;
        for (float value : smoothing_)
            sum_ += value;
    }
    // Each held gain in the window is at most what the frame coming out
    // needs, and so is their mean.
    return static_cast<float>(sum_ / window_);
}

void PeakLimiter::process(float* const* channels, int channelCount, int frames) {
    channelCount = std::min(channelCount, channels_);
    for (int frame = 0; frame < frames; ++frame, ++frame_) {
        float peak = 0.0f;
        for (int channel = 0; channel < channelCount; ++channel)
            peak = std::max(peak, std::fabs(channels[channel][frame]));

        const float needed = neededGain(peak > Ceiling ? Ceiling / peak : 1.0f);
        const float gain = smoothGain(heldGain(needed));
        figures_.leastGain = std::min(figures_.leastGain, gain);
        figures_.largestStep = std::max(figures_.largestStep, std::fabs(gain - gain_));
        gain_ = gain;

        for (int channel = 0; channel < channelCount; ++channel) {
            float& sample = channels[channel][frame];
            float out = sample;
            if (lookahead_ > 0) {
                float& delayed = delay_[static_cast<std::size_t>(channel * lookahead_ + delayAt_)];
                out = delayed;
                delayed = sample;
            }
            if (gain < 1.0f)
                // The clamp only takes off what rounding may have left.
                out = std::clamp(out * gain, -Ceiling, Ceiling);
            sample = out;
            if (std::fabs(out) >= AtCeiling)
                ++figures_.atCeiling;
        }
        if (lookahead_ > 0 && ++delayAt_ == lookahead_)
            delayAt_ = 0;
    }
    figures_.samples += static_cast<std::int64_t>(frames) * channelCount;
}
