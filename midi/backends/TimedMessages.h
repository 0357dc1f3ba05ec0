#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

// Nanoseconds on the steady clock.
std::int64_t steadyNanoseconds();

// A short message with the moment it was handed over and, for a program
// change, the ticket of the instrument load it waits for (0: none).
struct TimedMessage {
    std::uint32_t message = 0;
    std::int64_t sentNs = 0;
    std::uint64_t loadTicket = 0;
};

// Messages on their way from the sending thread to the render thread, in the
// order they were sent. Never blocks either side for longer than a copy.
class TimedMessages {
public:
    static constexpr std::size_t Capacity = 4096;

    // False when full: the message is dropped.
    bool push(const TimedMessage& message);
    // Appends everything waiting to `into`.
    void takeAll(std::vector<TimedMessage>& into);
    bool empty() const { return count_.load() == 0; }

private:
    std::mutex mutex_;
    std::vector<TimedMessage> waiting_;
    std::atomic<std::size_t> count_{0};
};
