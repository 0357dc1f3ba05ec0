#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
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
// order they were sent: a ring of fixed size with one producer (the thread that
// sends, the window's) and one consumer (the render thread). Neither side locks,
// allocates or frees; each waits for nothing but a copy.
class TimedMessages {
public:
    // A power of two, so that the counters wrap around with the ring.
    static constexpr std::size_t Capacity = 4096;
    static_assert((Capacity & (Capacity - 1)) == 0);

    // From the producer. False when full: the message is dropped.
    bool push(const TimedMessage& message);
    // From the producer: the next push would be dropped.
    bool full() const;
    // From the consumer: appends what is waiting to `into`, oldest first, as
    // far as its capacity goes; `into` never grows, the rest waits here.
    void takeAll(std::vector<TimedMessage>& into);
    // From any thread; a snapshot.
    bool empty() const;

private:
    std::array<TimedMessage, Capacity> slots_{};
    // Messages ever pushed and ever taken; each written by one side only.
    alignas(64) std::atomic<std::size_t> pushed_{0};
    alignas(64) std::atomic<std::size_t> taken_{0};
};
