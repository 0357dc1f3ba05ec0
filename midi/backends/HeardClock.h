#pragma once

#include <cstdint>

// When the frames of a sound server's stream are heard, and how long after its
// hand-off a message must be played to be heard on time. Plain arithmetic on
// steady-clock nanoseconds, fed by the stream's writes; no server needed.
//
// Before each write the server says how long the next frame written will take
// to be heard (its latency). Those reports wander by a millisecond or two
// while the sound keeps its pace, so they are averaged over the first second
// of a measurement and then followed slowly, fast enough for a sound card's
// clock drift. A write that has no report yet is taken to be heard after the
// latency last measured.
//
// The delay covers the worst the last two seconds have shown: a message
// handed over just after a write waits for the next one (the gap between
// writes), whose first frame is heard its latency later; a gap across an
// under-run, a move or a resume is no such wait. A margin comes on top.
// Before anything is measured the delay is `expectedLatencyNs` plus the
// request period and the margin.
class HeardClock {
public:
    static constexpr double SettleSeconds = 1.0;
    static constexpr double FollowSeconds = 20.0;
    // The delay takes the largest need of the current and the previous window.
    static constexpr std::int64_t WindowNs = 1'000'000'000;

    HeardClock(int rate, std::int64_t expectedLatencyNs, std::int64_t requestNs,
               std::int64_t marginNs);

    // A write starts at `nowNs`, the server reporting `latencyNs` (negative:
    // no report). Returns when its first frame will be heard.
    std::int64_t write(std::int64_t nowNs, std::int64_t latencyNs);
    // The write gave the stream `frames` frames.
    void wrote(std::int64_t frames);
    // A new stream: frames count from 0 again. The delay is kept.
    void restart();
    // The frames already written are heard at another time than measured (an
    // under-run, a move to another device, a resume): measured afresh at once.
    void remeasure();
    // The server was asked for another latency.
    void expect(std::int64_t latencyNs);

    // From a message's hand-off to its sound.
    std::int64_t delayNs() const;
    // Last measured: from a write to the sound of its first frame; -1 before any.
    std::int64_t latencyNs() const { return latencyNs_; }

private:
    std::int64_t heardAt(std::int64_t frames) const;

    int rate_;
    std::int64_t expectedNs_;
    std::int64_t requestNs_;
    std::int64_t marginNs_;

    std::int64_t framesWritten_ = 0;
    // Where frame 0 of the stream is heard, smoothed over the reports.
    double heardBaseNs_ = 0;
    double measuredFrames_ = 0; // frames written since measuring afresh
    double reportedFrames_ = 0; // of them, at the last report
    int reports_ = 0;           // since measuring afresh
    bool measured_ = false;
    std::int64_t latencyNs_ = -1;

    std::int64_t lastWriteNs_ = -1;
    bool gapBefore_ = false; // measured afresh since the last write
    std::int64_t windowStartNs_ = 0;
    std::int64_t needNs_ = 0;         // the largest need of the current window
    std::int64_t previousNeedNs_ = 0; // and of the window before
};
