// The limiter that keeps the synthesiser's output below full scale.

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
        QVERIFY(left == original);
        QVERIFY(right == original);
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

    void bothChannelsAreTurnedDownAlike() {
        auto loud = sine(4.0, 440.0, Rate / 10);
        auto quiet = sine(0.1, 440.0, Rate / 10);
        const auto quietBefore = quiet;
        float* channels[] = {loud.data(), quiet.data()};
        PeakLimiter limiter(Rate);
        limiter.process(channels, 2, static_cast<int>(loud.size()));
        // The quiet channel keeps its place in the stereo picture.
        for (std::size_t i = 0; i < loud.size(); i += 97)
            if (std::fabs(quietBefore[i]) > 0.05f)
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
