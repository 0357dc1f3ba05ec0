#include "shell/Pause.h"

#include "shell/Clock.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace {

// The timer counts whole milliseconds and is armed for the whole ones left;
// a rest up to this long is slept off when it fires, on the spot.
constexpr double FinalWait = 0.002;

} // namespace

Pause::Pause(const Clock& clock, QObject* parent) : QObject(parent), clock_(clock) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &Pause::serviceDue);
}

void Pause::wait(double seconds, std::function<void()> then) {
    if (stopped_)
        return;
    waits_.push_back({clock_.secondsSinceMidnight(), seconds, std::move(then)});
    arm();
}

void Pause::serviceDue() {
    if (running_ || stopped_)
        return;
    while (!waits_.empty()) {
        const Wait& newest = waits_.back();
        double remaining =
            newest.seconds - elapsedSince(newest.start, clock_.secondsSinceMidnight());
        if (remaining > 0 && remaining <= FinalWait) {
            std::this_thread::sleep_for(std::chrono::duration<double>(remaining));
            remaining = newest.seconds - elapsedSince(newest.start, clock_.secondsSinceMidnight());
        }
        if (remaining > 0)
            break;
        std::function<void()> then = std::move(waits_.back().then);
        waits_.pop_back();
        running_ = true;
        then();
        running_ = false;
        if (stopped_)
            return;
    }
    arm();
}

void Pause::stop() {
    stopped_ = true;
    timer_.stop();
    waits_.clear();
}

void Pause::arm() {
    if (running_ || waits_.empty()) {
        timer_.stop();
        return;
    }
    const Wait& newest = waits_.back();
    const double remaining =
        newest.seconds - elapsedSince(newest.start, clock_.secondsSinceMidnight());
    // The whole milliseconds left (at least one); serviceDue() sleeps off the
    // rest, so that the note is neither early nor up to a millisecond late.
    const int milliseconds =
        remaining > 0 ? std::max(1, static_cast<int>(std::floor(remaining * 1000.0))) : 0;
    timer_.start(milliseconds);
}
