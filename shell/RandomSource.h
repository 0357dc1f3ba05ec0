#pragma once

// A uniform random number generator seeded from the time of day.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void seed(double secondsSinceMidnight) = 0;
    // A number from 0 inclusive to 1 exclusive.
    virtual double draw() = 0;
};
