#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

class Clock;

// The program's wait. A wait that starts while another is running finishes
// first, exactly as waits nested on the call stack would: the newest wait runs
// its full time, then older ones whose time is up follow, newest first. The
// waits are kept in a list serviced by one precise timer from the main event
// loop, so the stack never grows with them and the processor sleeps meanwhile.
class Pause : public QObject {
    Q_OBJECT

public:
    explicit Pause(const Clock& clock, QObject* parent = nullptr);

    // Waits `seconds` (measured on the clock, across midnight) and then runs
    // `then`. While `then` runs (a modal box, say), the waits below it hold.
    void wait(double seconds, std::function<void()> then);

    // Runs what is due now. The timer calls it; tests with a clock of their
    // own call it after moving the clock.
    void serviceDue();

    // Drops every wait: what was waiting never runs.
    void stop();

    std::size_t pending() const { return waits_.size(); }

private:
    struct Wait {
        double start;
        double seconds;
        std::function<void()> then;
    };

    void arm();

    const Clock& clock_;
    QTimer timer_;
    std::vector<Wait> waits_;
    bool running_ = false;
    bool stopped_ = false;
};
