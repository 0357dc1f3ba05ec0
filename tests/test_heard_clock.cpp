// When a stream's frames are heard, and the delay a message is given, from
// made-up latency reports.

#include "midi/backends/HeardClock.h"

#include <QTest>

#include <cstdint>
#include <functional>

namespace {

constexpr int Rate = 48000;
constexpr std::int64_t Ms = 1'000'000;
constexpr std::int64_t RequestNs = 5 * Ms;
constexpr int RequestFrames = Rate / 200;
constexpr std::int64_t MarginNs = 2 * Ms;

// A stream asked for its frames every 5 ms, from `startNs` on for `seconds`.
// `report` gives the server's latency report for a write's moment (negative:
// none) and `late` how much later than its turn the write comes. Returns the
// heard time the clock gave the last write, minus that write's moment.
struct Stream {
    HeardClock clock{Rate, 20 * Ms, RequestNs, MarginNs};
    std::int64_t nowNs = 1'000 * Ms;

    std::int64_t play(double seconds, const std::function<std::int64_t(std::int64_t)>& report,
                      const std::function<std::int64_t(std::int64_t)>& late = nullptr) {
        std::int64_t ahead = 0;
        const auto writes = static_cast<int>(seconds * 200);
        for (int i = 0; i < writes; ++i) {
            const std::int64_t at = nowNs + (late ? late(nowNs) : 0);
            ahead = clock.write(at, report(at)) - at;
            clock.wrote(RequestFrames);
            nowNs += RequestNs;
        }
        return ahead;
    }
};

} // namespace

class TestHeardClock : public QObject {
    Q_OBJECT

private slots:
    // Before any report a write is taken to be heard after the latency asked
    // for, and the delay covers it and a request.
    void withoutReportsTheLatencyAskedForCounts() {
        Stream stream;
        QCOMPARE(stream.clock.delayNs(), 27 * Ms);
        QCOMPARE(stream.play(0.01, [](std::int64_t) { return -1; }), 20 * Ms);
    }

    // Reports that wander by a millisecond around 15 ms: the frames keep their
    // pace (heard 15 ms after their write on average), and the delay covers
    // the worst report, the wait for the next write and the margin.
    void wanderingReportsAreAveraged_data() {
        QTest::addColumn<std::int64_t>("wanderNs");
        QTest::newRow("steady") << std::int64_t{0};
        QTest::newRow("a millisecond either way") << Ms;
    }

    void wanderingReportsAreAveraged() {
        QFETCH(std::int64_t, wanderNs);
        Stream stream;
        int turn = 0;
        const std::int64_t ahead = stream.play(
            3.0, [&](std::int64_t) { return 15 * Ms + (++turn % 2 ? wanderNs : -wanderNs); });
        QVERIFY2(std::abs(ahead - 15 * Ms) < Ms / 4, qPrintable(QString::number(ahead)));
        const std::int64_t delay = stream.clock.delayNs();
        QVERIFY2(delay >= 15 * Ms + RequestNs + MarginNs && delay <= 23 * Ms,
                 qPrintable(QString::number(delay)));
    }

    // After an under-run, or a move to another device, the server's reports
    // jump: followed at once once measured afresh, and slowly otherwise (the
    // follower ignores a jump as it ignores wander).
    void aJumpIsFollowedAtOnceOnlyWhenMeasuredAfresh_data() {
        QTest::addColumn<bool>("afresh");
        QTest::newRow("under-run or move") << true;
        QTest::newRow("wander") << false;
    }

    void aJumpIsFollowedAtOnceOnlyWhenMeasuredAfresh() {
        QFETCH(bool, afresh);
        Stream stream;
        stream.play(3.0, [](std::int64_t) { return 15 * Ms; });
        const std::int64_t delayBefore = stream.clock.delayNs();
        if (afresh)
            stream.clock.remeasure();
        const std::int64_t ahead = stream.play(0.5, [](std::int64_t) { return 55 * Ms; });
        if (afresh) {
            QVERIFY2(std::abs(ahead - 55 * Ms) < Ms, qPrintable(QString::number(ahead)));
            QVERIFY(stream.clock.delayNs() >= 55 * Ms + RequestNs);
        } else {
            QVERIFY2(ahead < 20 * Ms, qPrintable(QString::number(ahead)));
        }
        QVERIFY(stream.clock.delayNs() >= delayBefore);
    }

    // A write that comes late takes its frames from the buffer, not from
    // their time: nothing moves. A latency measured higher raises the delay,
    // which two seconds after it came down again is back where it was.
    void aHigherLatencyRaisesTheDelayForAWhile() {
        Stream stream;
        const auto report = [](std::int64_t) { return 15 * Ms; };
        stream.play(2.0, report);
        const std::int64_t usual = stream.clock.delayNs();
        const std::int64_t lateAt = stream.nowNs + 100 * Ms;
        const std::int64_t ahead =
            stream.play(0.5, report, [&](std::int64_t at) { return at == lateAt ? 4 * Ms : 0; });
        QVERIFY2(std::abs(ahead - 15 * Ms) < Ms / 10, qPrintable(QString::number(ahead)));
        QCOMPARE(stream.clock.delayNs(), usual);

        stream.clock.remeasure();
        stream.play(0.2, [](std::int64_t) { return 35 * Ms; });
        QCOMPARE(stream.clock.delayNs(), usual + 20 * Ms);
        stream.clock.remeasure();
        stream.play(2.5, report);
        QCOMPARE(stream.clock.delayNs(), usual);
    }

    // A stall that ran the stream dry: the write after it, measured afresh,
    // comes long after the one before, yet later messages wait no longer.
    void aStallDoesNotRaiseTheDelay() {
        Stream stream;
        const auto report = [](std::int64_t) { return 15 * Ms; };
        stream.play(2.0, report);
        const std::int64_t usual = stream.clock.delayNs();
        stream.nowNs += 150 * Ms;
        stream.clock.remeasure();
        const std::int64_t ahead = stream.play(0.5, report);
        QVERIFY2(std::abs(ahead - 15 * Ms) < Ms / 10, qPrintable(QString::number(ahead)));
        QCOMPARE(stream.clock.delayNs(), usual);
    }

    // A new stream counts its frames from 0 and keeps the delay; its first
    // write, before any report, is heard after the latency last measured.
    void aNewStreamKeepsWhatWasMeasured() {
        Stream stream;
        stream.play(2.0, [](std::int64_t) { return 15 * Ms; });
        const std::int64_t delay = stream.clock.delayNs();
        stream.clock.restart();
        stream.nowNs += 10'000 * Ms;
        QCOMPARE(stream.clock.delayNs(), delay);
        const std::int64_t ahead = stream.play(0.005, [](std::int64_t) { return -1; });
        QVERIFY2(std::abs(ahead - 15 * Ms) < Ms / 4, qPrintable(QString::number(ahead)));
    }
};

QTEST_APPLESS_MAIN(TestHeardClock)
#include "test_heard_clock.moc"
