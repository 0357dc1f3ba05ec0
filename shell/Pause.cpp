#include "shell/Pause.h"

#include "shell/Clock.h"

#include <cmath>

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
        if (elapsedSince(newest.start, clock_.secondsSinceMidnight()) < newest.seconds)
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
    // Never early: round up to the timer's millisecond.
    const int milliseconds = remaining > 0 ? static_cast<int>(std::ceil(remaining * 1000.0)) : 0;
    timer_.start(milliseconds);
}
