#pragma once

#include <cstdint>
#include <string>

// When the frames asked of a source will be heard, and how long after its
// hand-off a message is to be heard. Times are steady-clock nanoseconds.
struct RenderTiming {
    int rate = 44100;
    std::int64_t firstFrameHeardNs = 0;
    // Asked for; a source keeps the delay it has while messages wait, so
    // that a change comes between phrases.
    std::int64_t delayNs = 0;
    // Play every waiting message at the first frame (rendering offline).
    bool immediate = false;
};

// Sound made on demand: a sink asks for the next frames on a thread of its own.
class AudioSource {
public:
    virtual ~AudioSource() = default;
    // Fills `frames` frames of interleaved stereo. Returns false when nothing
    // sounds and nothing is waiting to: the sink may go to sleep.
    virtual bool renderAudio(float* stereo, int frames, const RenderTiming& timing) = 0;
    // Messages wait to be played.
    virtual bool hasWork() const = 0;
};

// What an audio sink was granted and measured, for the benchmark report.
struct AudioSinkFigures {
    int rate = 0;
    int bufferFrames = 0;    // target length of the stream's buffer
    int requestFrames = 0;   // least amount asked for at a time
    int prebufFrames = 0;    // filled before playing starts
    double latencyMs = -1;   // last measured: a frame written to the frame heard
    double delayMs = 0;      // hand-off of a message to its sound
    int underruns = 0;       // while sound was playing
    int silentUnderruns = 0; // while only silence was
    int sleeps = 0;
    bool asleep = false;
    std::string priority; // the render thread's scheduling
};

// Plays what a source renders.
class AudioSink {
public:
    virtual ~AudioSink() = default;
    // Something is waiting to be played: resume at once if asleep. Any thread.
    virtual void wake() = 0;
    virtual AudioSinkFigures figures() const = 0;
    virtual std::string name() const = 0;
};
