#include "midi/backends/TimedMessages.h"

#include <chrono>

std::int64_t steadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool TimedMessages::push(const TimedMessage& message) {
    std::lock_guard lock(mutex_);
    if (waiting_.size() >= Capacity)
        return false;
    waiting_.push_back(message);
    count_.store(waiting_.size());
    return true;
}

void TimedMessages::takeAll(std::vector<TimedMessage>& into) {
    if (count_.load() == 0)
        return;
    std::lock_guard lock(mutex_);
    into.insert(into.end(), waiting_.begin(), waiting_.end());
    waiting_.clear();
    count_.store(0);
}
