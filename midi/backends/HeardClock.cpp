#include "midi/backends/HeardClock.h"

#include <algorithm>

namespace {

constexpr double NsPerSecond = 1e9;
// The delay in whole half milliseconds, up from what is needed (a few
// microseconds of rounding over are not a step).
constexpr std::int64_t Step = 500'000;
constexpr std::int64_t Slack = 20'000;

} // namespace

HeardClock::HeardClock(int rate, std::int64_t expectedLatencyNs, std::int64_t requestNs,
                       std::int64_t marginNs)
    : rate_(std::max(rate, 1)), expectedNs_(expectedLatencyNs), requestNs_(requestNs),
      marginNs_(marginNs) {}

std::int64_t HeardClock::heardAt(std::int64_t frames) const {
    return static_cast<std::int64_t>(heardBaseNs_ +
                                     static_cast<double>(frames) * NsPerSecond / rate_);
}

std::int64_t HeardClock::write(std::int64_t nowNs, std::int64_t latencyNs) {
    const double written = static_cast<double>(framesWritten_) * NsPerSecond / rate_;
    if (latencyNs >= 0) {
        const double base = static_cast<double>(nowNs + latencyNs) - written;
        if (!measured_) {
            heardBaseNs_ = base;
            measured_ = true;
            measuredFrames_ = 0;
            reports_ = 1;
        } else {
            // A mean of the reports over the first second, then a slow
            // follower that weighs a report by the frames since the last.
            ++reports_;
            const double weight =
                measuredFrames_ < SettleSeconds * rate_
                    ? 1.0 / reports_
                    : (measuredFrames_ - reportedFrames_) / (FollowSeconds * rate_);
            heardBaseNs_ += (base - heardBaseNs_) * std::min(weight, 1.0);
        }
        reportedFrames_ = measuredFrames_;
    } else if (!measured_) {
        const std::int64_t latency = latencyNs_ >= 0 ? latencyNs_ : expectedNs_;
        heardBaseNs_ = static_cast<double>(nowNs + latency) - written;
    }
    const std::int64_t heard = heardAt(framesWritten_);
    if (measured_)
        latencyNs_ = heard - nowNs;

    // A message handed over just after the last write is played by this one.
    // Not after an under-run, a move or a resume: the gap before this write
    // spans the silence, which says nothing of the wait between writes.
    const bool acrossGap = gapBefore_;
    gapBefore_ = false;
    if (lastWriteNs_ >= 0 && !acrossGap) {
        if (nowNs - windowStartNs_ >= WindowNs) {
            previousNeedNs_ = needNs_;
            needNs_ = 0;
            windowStartNs_ = nowNs;
        }
        needNs_ = std::max(needNs_, heard - lastWriteNs_);
    } else {
        windowStartNs_ = nowNs;
    }
    lastWriteNs_ = nowNs;
    return heard;
}

void HeardClock::wrote(std::int64_t frames) {
    framesWritten_ += frames;
    measuredFrames_ += static_cast<double>(frames);
}

void HeardClock::restart() {
    framesWritten_ = 0;
    lastWriteNs_ = -1;
    measured_ = false;
    gapBefore_ = false;
}

void HeardClock::remeasure() {
    measured_ = false;
    gapBefore_ = true;
}

void HeardClock::expect(std::int64_t latencyNs) {
    expectedNs_ = latencyNs;
}

std::int64_t HeardClock::delayNs() const {
    const std::int64_t need = std::max(needNs_, previousNeedNs_);
    const std::int64_t delay = (need > 0 ? need : expectedNs_ + requestNs_) + marginNs_;
    return (delay - Slack + Step - 1) / Step * Step;
}
