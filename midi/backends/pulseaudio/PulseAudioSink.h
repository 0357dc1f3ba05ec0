#pragma once

#include "midi/backends/HeardClock.h"
#include "midi/backends/fluidsynth/AudioSink.h"
#include "midi/backends/fluidsynth/RestTimer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

// Plays a source through a PulseAudio (or PipeWire) server with the
// asynchronous client API: our own stream, rendered in our own write callback
// on the client's mainloop thread (raised to real-time priority where
// granted). The stream asks for a small total latency, the server's own
// buffering included; the delay from a message's hand-off to its sound follows
// the latency measured (HeardClock), and changes only between phrases (the
// source keeps the one it has while messages wait). An under-run doubles the
// latency asked for; a minute without one halves it again.
//
// Asleep at rest: a few seconds after the source last sounded the stream is
// closed, so nothing runs and nothing is left in the server; wake() opens it
// again at once.
//
// Nobody waits for the server: the connection is made by a thread of the
// sink's own, and firstAnswer() tells whether the server took it within a
// time limit. A connection lost later (the server restarted or crashed) is
// made again with a back-off, and the next message sounds once the server is
// back.
class PulseAudioSink : public AudioSink {
public:
    static constexpr int LatencyMs = 20;     // asked for: from a write to its sound
    static constexpr int RequestMs = 5;      // asked for at a time
    static constexpr int MaxLatencyMs = 160; // grown to after under-runs
    static constexpr int MarginMs = 2;       // a message's time beyond what is measured
    // Without an under-run for that long, the latency asked for is halved.
    static constexpr std::chrono::seconds CalmTime{60};
    // A connection that the server has not taken by then is tried again.
    static constexpr std::chrono::milliseconds AnswerLimit{2000};
    // Waits before connecting again after a lost connection: the first,
    // doubling up to the last, which bounds the time from a server's return
    // to its next note.
    static constexpr std::chrono::milliseconds FirstRetry{250};
    static constexpr std::chrono::milliseconds LastRetry{1000};

    enum class Answer {
        Waiting, // the server has not answered yet
        Ready,   // the server took the connection
        Refused, // the server refused it, or went away
        Silent,  // the server did not answer within AnswerLimit
    };

    // Starts connecting to a running server (never starts one) and returns
    // at once; null only when the client library cannot run.
    static std::unique_ptr<PulseAudioSink> connect(AudioSource& source, int rate,
                                                   const std::string& clientName);
    ~PulseAudioSink() override;
    PulseAudioSink(const PulseAudioSink&) = delete;
    PulseAudioSink& operator=(const PulseAudioSink&) = delete;

    // The server's first answer; waits for it, AnswerLimit at most.
    Answer firstAnswer();
    // Stops connecting and drops the connection: another way out is taken.
    void giveUp();

    void wake() override;
    AudioSinkFigures figures() const override;
    std::string name() const override { return "pulseaudio"; }

private:
    // Released with their own functions; a context and a stream are
    // disconnected first.
    struct ReleaseMainloop {
        void operator()(pa_threaded_mainloop* mainloop) const;
    };
    struct ReleaseContext {
        void operator()(pa_context* context) const;
    };
    struct ReleaseStream {
        void operator()(pa_stream* stream) const;
    };

    PulseAudioSink(AudioSource& source, int rate, std::string clientName);
    void keepConnected();
    void connectNow();
    void retryLater(Answer why);
    void openStream();
    void closeStream();
    void write(std::size_t bytes);
    void underflow();
    void askLatency(int latencyMs);
    void readBack();
    void sleepSoon();

    static void contextChanged(pa_context* context, void* self);
    static void streamChanged(pa_stream* stream, void* self);
    static void writeRequested(pa_stream* stream, std::size_t bytes, void* self);
    static void underflowed(pa_stream* stream, void* self);
    static void remeasure(pa_stream* stream, void* self);

    AudioSource& source_;
    int rate_;
    std::string clientName_;
    // Declared so that the stream goes before its context, and both before
    // the mainloop.
    std::unique_ptr<pa_threaded_mainloop, ReleaseMainloop> mainloop_;
    std::unique_ptr<pa_context, ReleaseContext> context_;
    std::unique_ptr<pa_stream, ReleaseStream> stream_;
    std::atomic<bool> asleep_{true};
    std::atomic<bool> connected_{false}; // the context is ready

    // Mainloop thread (or under its lock).
    int latencyMs_ = LatencyMs;
    HeardClock clock_;
    RestTimer rest_;
    std::int64_t calmSinceNs_ = 0; // the last under-run, or change of latency
    bool sleepQueued_ = false;
    bool streamFailed_ = false;
    bool priorityRaised_ = false;
    bool lastWriteSounded_ = false; // the frames that ran out last held sound
    // Asks RealtimeKit for the render thread's priority, where the process
    // could not raise it itself.
    std::thread priorityRequest_;
    AudioSinkFigures figures_;

    // The connecting thread's state. Taken after the mainloop's lock, never
    // before it.
    std::mutex connectGuard_;
    std::condition_variable connectChanged_;
    Answer answer_ = Answer::Waiting;
    bool connectWanted_ = true;   // a connection is to be made at retryAt_
    bool attemptPending_ = false; // made, and not answered yet
    bool givenUp_ = false;
    bool stopping_ = false;
    std::chrono::steady_clock::time_point retryAt_;
    std::chrono::steady_clock::time_point attemptDeadline_;
    std::chrono::milliseconds retryAfter_ = FirstRetry;
    // Last: it uses everything above.
    std::thread connector_;
};
