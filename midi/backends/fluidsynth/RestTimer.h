#pragma once

#include <cstdint>

// Asleep at rest: a sink closes its stream a few seconds after its source last
// sounded, so that nothing runs and nothing is left in the server, and opens
// it again for the next message. Closing is left to a thread other than the
// render thread, asked once at a time; a message that came meanwhile keeps the
// stream open, or opens it again. This counts the silence on the render thread.
class RestTimer {
public:
    static constexpr double IdleSeconds = 3.0;

    explicit RestTimer(int rate) : idleFrames_(static_cast<std::int64_t>(IdleSeconds * rate)) {}

    // After a block of `frames`: true while the silence has lasted long enough.
    bool played(int frames, bool sounding) {
        quietFrames_ = sounding ? 0 : quietFrames_ + frames;
        return quietFrames_ > idleFrames_;
    }
    // The stream was opened again.
    void restart() { quietFrames_ = 0; }

private:
    std::int64_t idleFrames_;
    std::int64_t quietFrames_ = 0;
};
