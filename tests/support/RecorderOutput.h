#pragma once

#include "midi/MidiOutDevice.h"

#include <chrono>
#include <cstdint>
#include <vector>

// An output that keeps every short message in memory with the moment it was
// sent. Tests read it back instead of listening.
class RecorderOutput : public MidiOutDevice {
public:
    using Clock = std::chrono::steady_clock;

    struct Message {
        std::uint32_t message;
        Clock::time_point sentAt;
    };

    // failOpen: behave like a machine without a MIDI device (open returns 0).
    explicit RecorderOutput(bool failOpen = false) : failOpen_(failOpen) {}

    MidiHandle open() override {
        ++openCount_;
        if (failOpen_)
            return 0;
        open_ = true;
        return Handle;
    }
    void sendShortMessage(MidiHandle handle, std::uint32_t message) override {
        if (!open_ || handle != Handle || lost_)
            return;
        messages_.push_back({message, Clock::now()});
    }
    void close(MidiHandle handle) override {
        ++closeCount_;
        if (handle == Handle)
            open_ = false;
    }
    bool lost() const override { return lost_; }
    void prepare() override { ++prepareCount_; }

    // Behaves from now on like a port whose system went away: lost() answers
    // true and what is sent is dropped.
    void loseDevice() { lost_ = true; }

    const std::vector<Message>& messages() const { return messages_; }
    std::vector<std::uint32_t> packedMessages() const {
        std::vector<std::uint32_t> packed;
        packed.reserve(messages_.size());
        for (const auto& m : messages_)
            packed.push_back(m.message);
        return packed;
    }
    void clear() { messages_.clear(); }
    int openCount() const { return openCount_; }
    int closeCount() const { return closeCount_; }
    int prepareCount() const { return prepareCount_; }
    bool isOpen() const { return open_; }

private:
    static constexpr MidiHandle Handle = 0x4D4F; // any non-zero value

    bool failOpen_;
    bool open_ = false;
    bool lost_ = false;
    int openCount_ = 0;
    int closeCount_ = 0;
    int prepareCount_ = 0;
    std::vector<Message> messages_;
};
