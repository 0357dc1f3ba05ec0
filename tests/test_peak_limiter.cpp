// The limiter that keeps the synthesiser's output below full scale, without
// clipping it.

#include "midi/backends/PeakLimiter.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

constexpr int Rate = 44100;

std::vector<float> sine(double amplitude, double frequency, int frames) {
    std::vector<float> wave(frames);
    for (int i = 0; i < frames; ++i)
        wave[i] =
            static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * frequency * i / Rate));
    return wave;
}

// One second of a test sound: a steady tone; a click over a quiet tone; or
// 40 harmonics that start at once, a tenth of a second in.
std::vector<float> testSound(const QString& shape, double amplitude, double frequency) {
    std::vector<float> sound(Rate);
    for (int i = 0; i < Rate; ++i) {
        const double phase = 2.0 * std::numbers::pi * frequency * i / Rate;
        double value = 0.0;
        if (shape == QLatin1String("sine")) {
            value = amplitude * std::sin(phase);
        } else if (shape == QLatin1String("click")) {
            value = i == Rate / 2 ? amplitude : 0.01 * std::sin(phase);
        } else if (i >= Rate / 10) {
            for (int harmonic = 1; harmonic <= 40; ++harmonic)
                value += std::sin(harmonic * phase + harmonic) / harmonic;
            value *= amplitude / 3.0; // the sum peaks near 3
        }
        sound[static_cast<std::size_t>(i)] = static_cast<float>(value);
    }
    return sound;
}

float peakOf(const std::vector<float>& sound) {
    float peak = 0.0f;
    for (float s : sound)
        peak = std::max(peak, std::fabs(s));
    return peak;
}

} // namespace

class TestPeakLimiter : public QObject {
    Q_OBJECT

private slots:
    void soundBelowTheCeilingPassesUnchanged_data() {
        QTest::addColumn<double>("amplitude");
        QTest::newRow("quiet") << 0.05;
        QTest::newRow("a ten-note piano chord") << 0.72;
        QTest::newRow("just under the ceiling") << 0.979;
    }
    void soundBelowTheCeilingPassesUnchanged() {
        QFETCH(double, amplitude);
        const auto original = sine(amplitude, 440.0, Rate / 10);
        auto left = original;
        auto right = original;
        float* channels[] = {left.data(), right.data()};
        PeakLimiter limiter(Rate);
        limiter.process(channels, 2, static_cast<int>(left.size()));
        // Only later, by the look-ahead: silence first.
        const auto lookahead = static_cast<std::size_t>(limiter.lookaheadFrames());
        QVERIFY(lookahead > 0);
        std::vector<float> delayed(lookahead, 0.0f);
        delayed.insert(delayed.end(), original.begin(), original.end() - lookahead);
        QVERIFY(left == delayed);
        QVERIFY(right == delayed);
        QCOMPARE(limiter.gain(), 1.0f);
    }

    void loudSoundStaysBelowTheCeiling_data() {
        QTest::addColumn<double>("amplitude");
        QTest::addColumn<int>("blockFrames");
        QTest::newRow("1.5 times full scale, whole") << 1.5 << Rate;
        QTest::newRow("8 times full scale, whole") << 8.0 << Rate;
        QTest::newRow("8 times full scale, driver periods") << 8.0 << 1024;
        QTest::newRow("8 times full scale, single frames") << 8.0 << 1;
    }
    void loudSoundStaysBelowTheCeiling() {
        QFETCH(double, amplitude);
        QFETCH(int, blockFrames);
        auto left = sine(amplitude, 220.0, Rate);
        auto right = sine(amplitude / 2, 330.0, Rate);
        PeakLimiter limiter(Rate);
        for (int start = 0; start < Rate; start += blockFrames) {
            float* channels[] = {left.data() + start, right.data() + start};
            limiter.process(channels, 2, std::min(blockFrames, Rate - start));
        }
        // Never full scale; at the ceiling give or take the float rounding.
        for (float peak : {peakOf(left), peakOf(right)}) {
            QVERIFY2(peak < 1.0f, qPrintable(QString::number(peak)));
            QVERIFY2(peak <= PeakLimiter::Ceiling * 1.00001f, qPrintable(QString::number(peak)));
        }
        // Turned down, not cut off: the tail is still near the ceiling.
        const std::vector<float> tail(left.end() - Rate / 10, left.end());
        QVERIFY(peakOf(tail) > 0.8f * PeakLimiter::Ceiling);
    }

    // Loud sound turned down without clipping: never over the ceiling, and at
    // it for little more than the tips of the loudest waves (clipping leaves
    // 5 to 12 % of these tones there), the gain gliding down over the
    // look-ahead instead of jumping, and the loudest peak still reaching
    // the ceiling.
    void loudSoundIsTurnedDownWithoutClipping_data() {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<double>("amplitude");
        QTest::addColumn<double>("frequency");
        QTest::newRow("tone of 220 Hz, 8 times full scale") << "sine" << 8.0 << 220.0;
        QTest::newRow("low tone of 55 Hz, 1.5 times full scale") << "sine" << 1.5 << 55.0;
        QTest::newRow("tone of 1 kHz, 3 times full scale") << "sine" << 3.0 << 1000.0;
        QTest::newRow("click, 5 times full scale, over a quiet tone") << "click" << 5.0 << 440.0;
        QTest::newRow("40 harmonics of 110 Hz at once, 6 times full scale")
            << "chord" << 6.0 << 110.0;
    }
    void loudSoundIsTurnedDownWithoutClipping() {
        QFETCH(QString, shape);
        QFETCH(double, amplitude);
        QFETCH(double, frequency);
        auto sound = testSound(shape, amplitude, frequency);
        PeakLimiter limiter(Rate);
        // A frame at a time, to see the gain of each.
        float largestStep = 0.0f;
        for (std::size_t i = 0; i < sound.size(); ++i) {
            const float before = limiter.gain();
            float* frame[] = {sound.data() + i};
            limiter.process(frame, 1, 1);
            largestStep = std::max(largestStep, std::fabs(limiter.gain() - before));
        }
        const auto atCeiling = std::count_if(sound.begin(), sound.end(), [](float s) {
            return std::fabs(s) >= PeakLimiter::AtCeiling;
        });
        const double share = static_cast<double>(atCeiling) / static_cast<double>(sound.size());
        const float peak = peakOf(sound);

        QVERIFY2(peak <= PeakLimiter::Ceiling, qPrintable(QString::number(peak)));
        QVERIFY2(peak > 0.9f * PeakLimiter::Ceiling, qPrintable(QString::number(peak)));
        QVERIFY2(share < 0.015, qPrintable(QStringLiteral("%1 %").arg(100.0 * share)));
        // From full level to none would take the whole look-ahead.
        const float glide = 1.0f / static_cast<float>(limiter.lookaheadFrames() + 1);
        QVERIFY2(
            largestStep <= glide * 1.001f,
            qPrintable(QStringLiteral("%1 per frame, more than %2").arg(largestStep).arg(glide)));
        // What the benchmark reports is what came out.
        QCOMPARE(limiter.figures().atCeiling, static_cast<std::int64_t>(atCeiling));
        QCOMPARE(limiter.figures().samples, static_cast<std::int64_t>(sound.size()));
        QCOMPARE(limiter.figures().largestStep, largestStep);
    }

    void bothChannelsAreTurnedDownAlike() {
        auto loud = sine(4.0, 440.0, Rate / 10);
        auto quiet = sine(0.1, 440.0, Rate / 10);
        float* channels[] = {loud.data(), quiet.data()};
        PeakLimiter limiter(Rate);
        limiter.process(channels, 2, static_cast<int>(loud.size()));
        // The quiet channel keeps its place in the stereo picture.
        for (std::size_t i = 0; i < loud.size(); i += 97)
            if (std::fabs(quiet[i]) > 0.01f)
                QVERIFY(std::fabs(loud[i] / quiet[i] - 40.0f) < 0.01f);
    }

    void levelComesBackAfterALoudPassage() {
        auto burst = sine(4.0, 440.0, Rate / 10);
        auto after = sine(0.5, 440.0, 2 * Rate);
        PeakLimiter limiter(Rate);
        float* burstChannels[] = {burst.data()};
        limiter.process(burstChannels, 1, static_cast<int>(burst.size()));
        QVERIFY(limiter.gain() < 0.3f);

        float* afterChannels[] = {after.data()};
        limiter.process(afterChannels, 1, Rate / 100);
        QVERIFY(limiter.gain() < 0.9f); // no jump back to full level
        limiter.process(afterChannels, 1, 2 * Rate);
        QVERIFY(limiter.gain() > 0.99f);
    }

    void nothingToProcess() {
        PeakLimiter limiter(0); // a rate of 0 must not divide by zero
        limiter.process(nullptr, 0, 0);
        float silence[4] = {};
        float* channels[] = {silence};
        limiter.process(channels, 1, 4);
        QCOMPARE(limiter.gain(), 1.0f);
        QCOMPARE(silence[0], 0.0f);
    }
};

QTEST_GUILESS_MAIN(TestPeakLimiter)
#include "test_peak_limiter.moc"
