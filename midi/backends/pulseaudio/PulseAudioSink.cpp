#include "midi/backends/pulseaudio/PulseAudioSink.h"

#include "midi/backends/fluidsynth/TimedMessages.h"
#include "midi/backends/pulseaudio/RenderPriority.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <system_error>
#include <utility>

namespace {

constexpr std::size_t FrameBytes = 2 * sizeof(float);

std::uint32_t bytesOf(int milliseconds, int rate) {
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(rate) * milliseconds / 1000) *
           FrameBytes;
}

constexpr std::int64_t NsPerMs = 1'000'000;

// A total latency of latencyMs (with PA_STREAM_ADJUST_LATENCY the server's own
// buffering is counted in it), asked for RequestMs at a time.
pa_buffer_attr bufferAttributes(int latencyMs, int rate) {
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.tlength = bytesOf(latencyMs, rate);
    attributes.prebuf = bytesOf(PulseAudioSink::RequestMs, rate);
    attributes.minreq = bytesOf(PulseAudioSink::RequestMs, rate);
    attributes.fragsize = static_cast<std::uint32_t>(-1);
    return attributes;
}

int framesOf(std::uint32_t bytes) {
    return static_cast<int>(bytes / FrameBytes);
}

// Holds the mainloop's lock for a scope, from a thread other than the mainloop's.
class MainloopLock {
public:
    explicit MainloopLock(pa_threaded_mainloop* mainloop) : mainloop_(mainloop) {
        pa_threaded_mainloop_lock(mainloop_);
    }
    ~MainloopLock() { pa_threaded_mainloop_unlock(mainloop_); }
    MainloopLock(const MainloopLock&) = delete;
    MainloopLock& operator=(const MainloopLock&) = delete;

private:
    pa_threaded_mainloop* mainloop_;
};

} // namespace

void PulseAudioSink::ReleaseMainloop::operator()(pa_threaded_mainloop* mainloop) const {
    pa_threaded_mainloop_stop(mainloop);
    pa_threaded_mainloop_free(mainloop);
}

void PulseAudioSink::ReleaseContext::operator()(pa_context* context) const {
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
}

void PulseAudioSink::ReleaseStream::operator()(pa_stream* stream) const {
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    pa_stream_set_underflow_callback(stream, nullptr, nullptr);
    pa_stream_set_moved_callback(stream, nullptr, nullptr);
    pa_stream_set_suspended_callback(stream, nullptr, nullptr);
    pa_stream_disconnect(stream);
    pa_stream_unref(stream);
}

PulseAudioSink::PulseAudioSink(AudioSource& source, int rate, std::string clientName)
    : source_(source), rate_(rate), clientName_(std::move(clientName)),
      clock_(rate, LatencyMs * NsPerMs, RequestMs * NsPerMs, MarginMs * NsPerMs), rest_(rate) {
    figures_.rate = rate;
    figures_.asleep = true;
    figures_.delayMs = static_cast<double>(clock_.delayNs()) / 1e6;
}

std::unique_ptr<PulseAudioSink> PulseAudioSink::connect(AudioSource& source, int rate,
                                                        const std::string& clientName) {
    std::unique_ptr<PulseAudioSink> sink(new PulseAudioSink(source, rate, clientName));
    sink->mainloop_.reset(pa_threaded_mainloop_new());
    if (!sink->mainloop_ || pa_threaded_mainloop_start(sink->mainloop_.get()) < 0)
        return nullptr;
    sink->retryAt_ = std::chrono::steady_clock::now();
    try {
        sink->connector_ = std::thread([self = sink.get()] { self->keepConnected(); });
    } catch (const std::system_error&) {
        return nullptr;
    }
    return sink;
}

PulseAudioSink::~PulseAudioSink() {
    {
        std::lock_guard lock(connectGuard_);
        stopping_ = true;
    }
    connectChanged_.notify_all();
    if (connector_.joinable())
        connector_.join();
    if (priorityRequest_.joinable())
        priorityRequest_.join();
    if (!mainloop_)
        return;
    {
        MainloopLock lock(mainloop_.get());
        stream_.reset();
        context_.reset();
    }
    mainloop_.reset();
}

PulseAudioSink::Answer PulseAudioSink::firstAnswer() {
    std::unique_lock lock(connectGuard_);
    // The connecting thread answers Silent itself once AnswerLimit has passed.
    connectChanged_.wait(lock, [&] { return answer_ != Answer::Waiting || stopping_; });
    return answer_;
}

void PulseAudioSink::giveUp() {
    {
        std::lock_guard lock(connectGuard_);
        givenUp_ = true;
        connectWanted_ = false;
        attemptPending_ = false;
    }
    connectChanged_.notify_all();
    MainloopLock lock(mainloop_.get());
    connected_.store(false);
    closeStream();
    context_.reset();
}

// The connecting thread: connects at retryAt_ when a connection is wanted,
// and counts an attempt the server has not answered within AnswerLimit as
// lost. Neither the window's thread nor the render thread ever waits for a
// server.
void PulseAudioSink::keepConnected() {
    std::unique_lock lock(connectGuard_);
    while (!stopping_) {
        if (connectWanted_) {
            if (connectChanged_.wait_until(lock, retryAt_,
                                           [&] { return stopping_ || !connectWanted_; }))
                continue;
            connectWanted_ = false;
            lock.unlock();
            {
                MainloopLock mainloop(mainloop_.get());
                connectNow();
            }
            lock.lock();
        } else if (attemptPending_) {
            // A server that takes the connection and never answers is as good
            // as none.
            if (!connectChanged_.wait_until(lock, attemptDeadline_, [&] {
                    return stopping_ || connectWanted_ || !attemptPending_;
                }))
                retryLater(Answer::Silent);
        } else {
            connectChanged_.wait(lock,
                                 [&] { return stopping_ || connectWanted_ || attemptPending_; });
        }
    }
}

// Under the mainloop's lock.
void PulseAudioSink::connectNow() {
    // An attempt given up for silence that the server took meanwhile is kept.
    if (context_ && pa_context_get_state(context_.get()) == PA_CONTEXT_READY)
        return;
    {
        std::lock_guard lock(connectGuard_);
        if (givenUp_ || stopping_)
            return;
        attemptPending_ = true;
        attemptDeadline_ = std::chrono::steady_clock::now() + AnswerLimit;
    }
    // What was left of the lost connection goes first.
    connected_.store(false);
    closeStream();
    context_.reset(
        pa_context_new(pa_threaded_mainloop_get_api(mainloop_.get()), clientName_.c_str()));
    if (context_) {
        pa_context_set_state_callback(context_.get(), &PulseAudioSink::contextChanged, this);
        // Never start a server: only one that runs is wanted.
        if (pa_context_connect(context_.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0)
            return;
    }
    std::lock_guard lock(connectGuard_);
    // Unless the context's own failure has already asked for the next one.
    if (attemptPending_)
        retryLater(Answer::Refused);
}

// Under connectGuard_.
void PulseAudioSink::retryLater(Answer why) {
    attemptPending_ = false;
    if (answer_ == Answer::Waiting)
        answer_ = why;
    if (!givenUp_) {
        connectWanted_ = true;
        retryAt_ = std::chrono::steady_clock::now() + retryAfter_;
        retryAfter_ = std::min(retryAfter_ * 2, LastRetry);
    }
    connectChanged_.notify_all();
}

void PulseAudioSink::contextChanged(pa_context* context, void* data) {
    auto* self = static_cast<PulseAudioSink*>(data);
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY) {
        {
            std::lock_guard lock(self->connectGuard_);
            self->attemptPending_ = false;
            // Connected: no other attempt is to come, even if this one was
            // given up for silence before the server took it.
            self->connectWanted_ = false;
            if (self->answer_ == Answer::Waiting)
                self->answer_ = Answer::Ready;
            self->retryAfter_ = FirstRetry;
            self->connectChanged_.notify_all();
        }
        self->connected_.store(true);
        std::atomic_thread_fence(std::memory_order_seq_cst); // see wake()
        // Messages sent while there was no connection play now.
        if (self->asleep_.load() && self->source_.hasWork())
            self->openStream();
    } else if (!PA_CONTEXT_IS_GOOD(state)) {
        // The server refused, or went away (restarted, crashed): the stream
        // went with it and is closed on the next turn of the loop; a new
        // connection is made after a while.
        self->connected_.store(false);
        if (self->stream_)
            self->sleepSoon();
        std::lock_guard lock(self->connectGuard_);
        self->retryLater(Answer::Refused);
    }
}

void PulseAudioSink::wake() {
    // The message is in before the connection is looked at: either this sees
    // the connection made, or the server's answer sees the message waiting
    // and opens the stream for it.
    std::atomic_thread_fence(std::memory_order_seq_cst);
    if (!asleep_.load() || !connected_.load())
        return;
    MainloopLock lock(mainloop_.get());
    if (asleep_.load())
        openStream();
}

void PulseAudioSink::openStream() {
    if (!context_ || pa_context_get_state(context_.get()) != PA_CONTEXT_READY)
        return;
    const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, static_cast<std::uint32_t>(rate_), 2};
    stream_.reset(pa_stream_new(context_.get(), "Clavitone", &format, nullptr));
    if (!stream_)
        return;
    pa_stream_set_state_callback(stream_.get(), &PulseAudioSink::streamChanged, this);
    pa_stream_set_write_callback(stream_.get(), &PulseAudioSink::writeRequested, this);
    pa_stream_set_underflow_callback(stream_.get(), &PulseAudioSink::underflowed, this);
    pa_stream_set_moved_callback(stream_.get(), &PulseAudioSink::remeasure, this);
    pa_stream_set_suspended_callback(stream_.get(), &PulseAudioSink::remeasure, this);
    const pa_buffer_attr attributes = bufferAttributes(latencyMs_, rate_);
    // The server fits its own buffering into the latency asked for; the
    // latency to the sound is measured, interpolated between its reports.
    const auto flags = static_cast<pa_stream_flags_t>(
        PA_STREAM_ADJUST_LATENCY | PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE);
    if (pa_stream_connect_playback(stream_.get(), nullptr, &attributes, flags, nullptr, nullptr) <
        0) {
        stream_.reset();
        return;
    }
    clock_.restart();
    rest_.restart();
    lastWriteSounded_ = false;
    asleep_.store(false);
    figures_.asleep = false;
}

void PulseAudioSink::closeStream() {
    stream_.reset();
    asleep_.store(true);
    figures_.asleep = true;
}

void PulseAudioSink::streamChanged(pa_stream* stream, void* data) {
    auto* self = static_cast<PulseAudioSink*>(data);
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_READY)
        self->readBack();
    else if (state == PA_STREAM_FAILED) {
        // The next message tries a new stream.
        self->streamFailed_ = true;
        self->sleepSoon();
    }
}

void PulseAudioSink::readBack() {
    if (const pa_buffer_attr* granted = pa_stream_get_buffer_attr(stream_.get())) {
        figures_.bufferFrames = framesOf(granted->tlength);
        figures_.requestFrames = framesOf(granted->minreq);
        figures_.prebufFrames = framesOf(granted->prebuf);
    }
}

void PulseAudioSink::writeRequested(pa_stream*, std::size_t bytes, void* self) {
    static_cast<PulseAudioSink*>(self)->write(bytes);
}

void PulseAudioSink::write(std::size_t bytes) {
    if (!priorityRaised_) {
        priorityRaised_ = true;
        figures_.priority = raiseRenderPriority();
        if (figures_.priority != "real-time") {
            // The answer comes over the system bus: not on this thread, which
            // holds the lock that the sending thread takes to wake the stream.
            priorityRequest_ = std::thread([this, thread = currentThreadId()] {
                if (raiseThroughRealtimeKit(thread).empty())
                    return;
                MainloopLock lock(mainloop_.get());
                figures_.priority = "real-time (RealtimeKit)";
            });
        }
    }
    pa_stream* stream = stream_.get();
    const std::int64_t now = steadyNanoseconds();
    if (latencyMs_ > LatencyMs && now - calmSinceNs_ > std::chrono::nanoseconds(CalmTime).count())
        askLatency(latencyMs_ / 2);
    // How long the first new frame takes to be heard.
    pa_usec_t latency = 0;
    int negative = 0;
    const std::int64_t reported = pa_stream_get_latency(stream, &latency, &negative) == 0
                                      ? (negative ? 0 : static_cast<std::int64_t>(latency) * 1000)
                                      : -1;
    RenderTiming timing;
    timing.rate = rate_;
    timing.firstFrameHeardNs = clock_.write(now, reported);
    timing.delayNs = clock_.delayNs();
    figures_.latencyMs = static_cast<double>(clock_.latencyNs()) / 1e6;
    figures_.delayMs = static_cast<double>(timing.delayNs) / 1e6;

    bool sounding = false;
    std::int64_t written = 0;
    while (bytes >= FrameBytes) {
        void* buffer = nullptr;
        std::size_t size = bytes;
        if (pa_stream_begin_write(stream, &buffer, &size) < 0 || buffer == nullptr)
            break;
        const int frames = framesOf(static_cast<std::uint32_t>(std::min(size, bytes)));
        if (frames <= 0) {
            pa_stream_cancel_write(stream);
            break;
        }
        sounding = source_.renderAudio(static_cast<float*>(buffer), frames, timing) || sounding;
        pa_stream_write(stream, buffer, static_cast<std::size_t>(frames) * FrameBytes, nullptr, 0,
                        PA_SEEK_RELATIVE);
        written += frames;
        clock_.wrote(frames);
        timing.firstFrameHeardNs += static_cast<std::int64_t>(frames) * 1'000'000'000 / rate_;
        bytes -= static_cast<std::size_t>(frames) * FrameBytes;
    }

    if (written > 0)
        lastWriteSounded_ = sounding;
    if (rest_.played(static_cast<int>(written), sounding))
        sleepSoon();
}

void PulseAudioSink::underflowed(pa_stream*, void* self) {
    static_cast<PulseAudioSink*>(self)->underflow();
}

void PulseAudioSink::remeasure(pa_stream*, void* self) {
    // Another device, or one that slept, hears the frames at another time:
    // measured afresh at once, not through the slow follower.
    static_cast<PulseAudioSink*>(self)->clock_.remeasure();
}

void PulseAudioSink::underflow() {
    // The silence the server played moved every later frame: measure afresh.
    clock_.remeasure();
    // Between phrases the stream plays silence, and silence that runs out is
    // heard as silence: nobody hears that gap, and a longer latency for it
    // would make every later note late for a minute.
    if (!lastWriteSounded_) {
        ++figures_.silentUnderruns;
        return;
    }
    ++figures_.underruns;
    calmSinceNs_ = steadyNanoseconds();
    // More room, whatever the render thread's priority: a real-time thread
    // may still be late, and so may the server. The delay follows the longer
    // latency once the phrase under way has been played.
    if (latencyMs_ < MaxLatencyMs)
        askLatency(std::min(MaxLatencyMs, latencyMs_ * 2));
}

void PulseAudioSink::askLatency(int latencyMs) {
    latencyMs_ = latencyMs;
    calmSinceNs_ = steadyNanoseconds();
    clock_.expect(latencyMs * NsPerMs);
    if (!stream_)
        return;
    const pa_buffer_attr attributes = bufferAttributes(latencyMs_, rate_);
    if (pa_operation* operation = pa_stream_set_buffer_attr(
            stream_.get(), &attributes,
            [](pa_stream* stream, int, void* self) {
                auto* sink = static_cast<PulseAudioSink*>(self);
                if (stream == sink->stream_.get())
                    sink->readBack();
            },
            this))
        pa_operation_unref(operation);
}

void PulseAudioSink::sleepSoon() {
    if (sleepQueued_)
        return;
    sleepQueued_ = true;
    // Not inside the stream's own callback: on the next turn of the loop.
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(mainloop_.get());
    api->defer_new(
        api,
        [](pa_mainloop_api* api, pa_defer_event* event, void* data) {
            api->defer_free(event);
            auto* self = static_cast<PulseAudioSink*>(data);
            self->sleepQueued_ = false;
            self->closeStream();
            ++self->figures_.sleeps;
            // A message that came meanwhile: its sender saw the stream awake
            // and did not wake it.
            if (self->source_.hasWork() && !self->streamFailed_)
                self->openStream();
            self->streamFailed_ = false;
        },
        this);
}

AudioSinkFigures PulseAudioSink::figures() const {
    MainloopLock lock(mainloop_.get());
    return figures_;
}
