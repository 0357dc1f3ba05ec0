#include "shell/Clock.h"

#include <QTime>

#include <cmath>

namespace {
constexpr double SecondsPerDay = 86400.0;
}

SystemClock::SystemClock()
    : anchorSeconds_(QTime::currentTime().msecsSinceStartOfDay() / 1000.0),
      anchor_(std::chrono::steady_clock::now()) {}

double SystemClock::secondsSinceMidnight() const {
    const std::chrono::duration<double> since = std::chrono::steady_clock::now() - anchor_;
    return std::fmod(anchorSeconds_ + since.count(), SecondsPerDay);
}

double elapsedSince(double start, double now) {
    double elapsed = now - start;
    if (now < start)
        elapsed += SecondsPerDay;
    return elapsed;
}
