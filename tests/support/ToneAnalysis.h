#pragma once

// Listens to a recording: where sound starts, which pitches it holds and how
// its harmonics are balanced. Mono 16-bit samples at a known rate.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <vector>

namespace tone {

inline double noteFrequency(int note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

struct Recording {
    std::vector<std::int16_t> samples;
    int rate = 48000;

    std::size_t index(double seconds) const {
        if (seconds <= 0)
            return 0;
        return std::min(samples.size(), static_cast<std::size_t>(seconds * rate));
    }
    double seconds() const { return static_cast<double>(samples.size()) / rate; }

    // Root mean square level of [from, to) seconds, 0 to 1.
    double level(double from, double to) const {
        const std::size_t begin = index(from);
        const std::size_t end = index(to);
        if (end <= begin)
            return 0.0;
        double sum = 0.0;
        for (std::size_t i = begin; i < end; ++i)
            sum += static_cast<double>(samples[i]) * samples[i];
        return std::sqrt(sum / static_cast<double>(end - begin)) / 32768.0;
    }

    // Strength of `frequency` in [from, to) seconds: the magnitude of its
    // Fourier coefficient under a Hann window, normalised to the length.
    double strength(double frequency, double from, double to) const {
        const std::size_t begin = index(from);
        const std::size_t end = index(to);
        if (end <= begin + 1)
            return 0.0;
        const std::size_t n = end - begin;
        const double step = 2.0 * std::numbers::pi * frequency / rate;
        double re = 0.0;
        double im = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            const double window =
                0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) /
                                     static_cast<double>(n - 1));
            const double x = window * samples[begin + i] / 32768.0;
            re += x * std::cos(step * static_cast<double>(i));
            im -= x * std::sin(step * static_cast<double>(i));
        }
        return 2.0 * std::hypot(re, im) / static_cast<double>(n);
    }

    // Strength of a note: its fundamental and first two overtones together.
    double noteStrength(int note, double from, double to) const {
        const double f = noteFrequency(note);
        return strength(f, from, to) + strength(2 * f, from, to) + strength(3 * f, from, to);
    }

    // Where a new sound starts over the fading ones: the first moment at or
    // after `from` (and before `to`) where the level of the next 10 ms rises
    // above `factor` times the level of the 100 ms before `from`, and above
    // `floor`. Looked for every 2.5 ms. Negative when there is none.
    double onset(double from, double to, double factor = 1.8, double floor = 0.003) const {
        constexpr double Window = 0.010;
        constexpr double Hop = 0.0025;
        const double before = level(from - 0.1, from);
        const double threshold = std::max(floor, factor * before);
        to = std::min(to, seconds());
        for (double t = from; t + Window <= to; t += Hop)
            if (level(t, t + Window) > threshold)
                return t;
        return -1.0;
    }

    // Where `note` starts: the first rise of the level at or after `from`
    // (and before `to`) that brings the note's pitch. A rise is a moment where
    // the level of the next 10 ms is above `rise` times that of the 100 ms
    // before it, and above `floor`; looked for every 2.5 ms. A note struck as
    // loud as the one still sounding raises the level by the square root of
    // two only, hence a smaller factor than for a sound out of quiet. It
    // brings the note when, over the 100 ms after it, the note is more than
    // 3.6 times as strong as over the 100 ms before it, and a good part of
    // what sounds (a pure tone at the pitch has a strength of 0.7 times its
    // level). So sound that only comes back after a gap, at other pitches or
    // at those it had before, is not taken for the note.
    // Negative when there is none.
    double pitchOnset(int note, double from, double to, double rise = 1.5,
                      double floor = 0.003) const {
        constexpr double Window = 0.010;
        constexpr double Hop = 0.0025;
        constexpr double Span = 0.1;
        constexpr double Brings = 3.6;
        to = std::min(to, seconds());
        bool inRise = false;
        for (double t = from; t + Window <= to; t += Hop) {
            const double level = this->level(t, t + Window);
            const bool rising = level > floor && level > rise * this->level(t - 0.1, t);
            if (!rising || inRise) {
                inRise = rising;
                continue;
            }
            inRise = true;
            const double after = noteStrength(note, t, t + Span);
            const double before = noteStrength(note, t - Span, t);
            if (after > Brings * before && after > 0.1 * this->level(t, t + Span))
                return t;
        }
        return -1.0;
    }

    // The balance of the first `count` harmonics of `note`: each harmonic's
    // share of their sum, in decibels.
    std::vector<double> harmonicProfile(int note, double from, double to, int count = 6) const {
        std::vector<double> amplitudes;
        double sum = 0.0;
        for (int h = 1; h <= count; ++h) {
            amplitudes.push_back(strength(h * noteFrequency(note), from, to));
            sum += amplitudes.back();
        }
        for (double& a : amplitudes)
            a = 20.0 * std::log10(std::max(a / std::max(sum, 1e-12), 1e-6));
        return amplitudes;
    }
};

// Mean absolute difference of two harmonic profiles, in decibels.
inline double profileDistance(const std::vector<double>& a, const std::vector<double>& b) {
    double sum = 0.0;
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i)
        sum += std::abs(a[i] - b[i]);
    return n ? sum / static_cast<double>(n) : 0.0;
}

} // namespace tone
