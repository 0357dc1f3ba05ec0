#include "midi/backends/PeakLimiter.h"

#include <algorithm>
#include <cmath>

PeakLimiter::PeakLimiter(int sampleRate)
    // Recovers about two thirds of the way to full level per release time.
    : release_(1.0f -
               std::exp(-1.0f / (ReleaseSeconds * static_cast<float>(std::max(sampleRate, 1))))) {}

void PeakLimiter::process(float* const* channels, int channelCount, int frames) {
    for (int frame = 0; frame < frames; ++frame) {
        float peak = 0.0f;
        for (int channel = 0; channel < channelCount; ++channel)
            peak = std::max(peak, std::fabs(channels[channel][frame]));

        const float previous = gain_;
        gain_ += (1.0f - gain_) * release_;
        if (peak * gain_ > Ceiling)
            gain_ = Ceiling / peak;
        figures_.largestStep = std::max(figures_.largestStep, std::fabs(gain_ - previous));
        if (gain_ < 1.0f)
            for (int channel = 0; channel < channelCount; ++channel)
                channels[channel][frame] *= gain_;
        figures_.leastGain = std::min(figures_.leastGain, gain_);
        for (int channel = 0; channel < channelCount; ++channel)
            if (std::fabs(channels[channel][frame]) >= AtCeiling)
                ++figures_.atCeiling;
    }
    figures_.samples += static_cast<std::int64_t>(frames) * channelCount;
}
