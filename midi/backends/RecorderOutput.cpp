#include "midi/backends/RecorderOutput.h"

MidiHandle RecorderOutput::open() {
    ++openCount_;
    if (failOpen_)
        return 0;
    open_ = true;
    return Handle;
}

void RecorderOutput::sendShortMessage(MidiHandle handle, std::uint32_t message) {
    if (!open_ || handle != Handle || lost_)
        return;
    messages_.push_back({message, Clock::now()});
}

void RecorderOutput::close(MidiHandle handle) {
    ++closeCount_;
    if (handle == Handle)
        open_ = false;
}

std::vector<std::uint32_t> RecorderOutput::packedMessages() const {
    std::vector<std::uint32_t> packed;
    packed.reserve(messages_.size());
    for (const auto& m : messages_)
        packed.push_back(m.message);
    return packed;
}
