#pragma once

#include <chrono>

// The time of day the program's waits are measured in: seconds since midnight,
// with fractions. It wraps to 0 at midnight.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double secondsSinceMidnight() const = 0;
};

// The real clock. It reads the local time of day once and then advances with
// the monotonic clock, so that a change of the system time (a time server,
// daylight saving) never stretches or cuts a wait.
class SystemClock : public Clock {
public:
    SystemClock();
    double secondsSinceMidnight() const override;

private:
    double anchorSeconds_;
    std::chrono::steady_clock::time_point anchor_;
};

// Seconds from `start` to `now`, both read from a Clock, across midnight.
double elapsedSince(double start, double now);
