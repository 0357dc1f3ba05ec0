#include "midi/backends/fluidsynth/TimedMessages.h"

#include <algorithm>
#include <chrono>

std::int64_t steadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool TimedMessages::full() const {
    return pushed_.load(std::memory_order_relaxed) - taken_.load(std::memory_order_acquire) >=
           Capacity;
}

bool TimedMessages::push(const TimedMessage& message) {
    if (full())
        return false;
    const std::size_t pushed = pushed_.load(std::memory_order_relaxed);
    slots_[pushed % Capacity] = message;
    // The slot is written before the consumer can see it counted.
    pushed_.store(pushed + 1, std::memory_order_release);
    return true;
}

void TimedMessages::takeAll(std::vector<TimedMessage>& into) {
    const std::size_t taken = taken_.load(std::memory_order_relaxed);
    const std::size_t waiting = pushed_.load(std::memory_order_acquire) - taken;
    const std::size_t count = std::min(waiting, into.capacity() - into.size());
    for (std::size_t i = 0; i < count; ++i)
        into.push_back(slots_[(taken + i) % Capacity]);
    // The slots are read before the producer can write them again.
    taken_.store(taken + count, std::memory_order_release);
}

bool TimedMessages::empty() const {
    return pushed_.load(std::memory_order_acquire) == taken_.load(std::memory_order_acquire);
}
