#include "midi/backends/fluidsynth/FluidSynthRenderer.h"

#include "midi/backends/SynthCommand.h"

#include <algorithm>
#include <cmath>

namespace {

// Frames rendered in one go at most; longer requests are split.
constexpr int ChunkFrames = 1024;

bool selectsBank(int controller) {
    return controller == 0 || controller == 32;
}

} // namespace

FluidSynthRenderer::FluidSynthRenderer(fluid_synth_t* synth, int rate, SynthWorker& worker)
    : synth_(synth), worker_(worker), limiter_(rate), pins_(synth), left_(ChunkFrames),
      right_(ChunkFrames) {
    due_.reserve(TimedMessages::Capacity);
    // The loading channel of the percussion channel loads drum kits.
    fluid_synth_set_channel_type(synth_, 9 + LoadingChannelOffset, CHANNEL_TYPE_DRUM);
}

void FluidSynthRenderer::send(std::uint32_t message) {
    // Dropped here, a message asks nothing of the worker either; nobody else
    // fills the queue meanwhile.
    if (incoming_.full())
        return;
    TimedMessage timed{message, steadyNanoseconds(), 0};
    const auto command = synthCommandFor(message);
    if (command && command->kind == SynthCommand::Kind::ProgramChange) {
        // The instrument's samples are read on the worker, into a loading
        // channel, and pinned; the change itself, on time, then finds them.
        const int channel = command->channel;
        const int program = command->data1;
        const std::uint64_t change = ++changesSent_[static_cast<std::size_t>(channel)];
        timed.loadTicket = worker_.run(
            [this, channel, program, change] { prepareChange(channel, program, change); });
    } else if (command && command->kind == SynthCommand::Kind::ControlChange &&
               selectsBank(command->data1)) {
        // The loading channel chooses in the bank that the channel will have.
        const int channel = command->channel + LoadingChannelOffset;
        const int controller = command->data1;
        const int value = command->data2;
        worker_.run([this, channel, controller, value] {
            std::lock_guard lock(synthGuard_);
            if (usable_.load())
                fluid_synth_cc(synth_, channel, controller, value);
        });
    }
    incoming_.push(timed);
}

void FluidSynthRenderer::prepareChange(int channel, int program, std::uint64_t change) {
    std::lock_guard lock(synthGuard_);
    if (!usable_.load())
        return;
    const int loading = channel + LoadingChannelOffset;
    fluid_synth_program_change(synth_, loading, program);
    for (int played = 0; played < PinnedPresets::Channels; ++played)
        pins_.played(played, changesPlayed_[static_cast<std::size_t>(played)].load(
                                 std::memory_order_acquire));
    pins_.pinChange(channel, change, loading);
    pins_.release();
}

void FluidSynthRenderer::setLoaded(bool usable) {
    if (usable) {
        std::lock_guard lock(synthGuard_);
        pins_.pinStartingPresets();
    }
    usable_.store(usable);
    loaded_.store(true);
}

void FluidSynthRenderer::play(const TimedMessage& message) {
    const auto command = synthCommandFor(message.message);
    if (!command)
        return;
    switch (command->kind) {
    case SynthCommand::Kind::NoteOn:
        fluid_synth_noteon(synth_, command->channel, command->data1, command->data2);
        break;
    case SynthCommand::Kind::ControlChange:
        fluid_synth_cc(synth_, command->channel, command->data1, command->data2);
        break;
    case SynthCommand::Kind::ProgramChange:
        // The instrument is pinned: selecting it reads nothing, and the one
        // it replaces keeps its samples.
        fluid_synth_program_change(synth_, command->channel, command->data1);
        changesPlayed_[static_cast<std::size_t>(command->channel)].fetch_add(
            1, std::memory_order_release);
        break;
    }
}

void FluidSynthRenderer::renderFrames(float* stereo, int frames) {
    while (frames > 0) {
        const int chunk = std::min(frames, ChunkFrames);
        std::fill_n(left_.data(), chunk, 0.0f);
        std::fill_n(right_.data(), chunk, 0.0f);
        // Reverb and chorus go into the same two buffers as the dry voices.
        float* planar[] = {left_.data(), right_.data()};
        if (fluid_synth_process(synth_, chunk, 2, planar, 2, planar) != FLUID_OK) {
            std::fill_n(left_.data(), chunk, 0.0f);
            std::fill_n(right_.data(), chunk, 0.0f);
        }
        // Silence too goes through: it carries the look-ahead's sound out.
        limiter_.process(planar, 2, chunk);
        for (int i = 0; i < chunk; ++i) {
            stereo[2 * i] = left_[static_cast<std::size_t>(i)];
            stereo[2 * i + 1] = right_[static_cast<std::size_t>(i)];
        }
        stereo += 2 * chunk;
        frames -= chunk;
    }
}

bool FluidSynthRenderer::renderAudio(float* stereo, int frames, const RenderTiming& timing) {
    // A new delay only between phrases: messages already waiting keep the
    // one they were given, and so keep their rhythm.
    if (due_.empty())
        delayNs_ = timing.delayNs;
    incoming_.takeAll(due_);
    if (timing.immediate && !due_.empty()) {
        // Offline nobody listens in real time: wait for the instruments.
        for (auto it = due_.rbegin(); it != due_.rend(); ++it)
            if (it->loadTicket) {
                worker_.waitFor(it->loadTicket);
                break;
            }
    }
    // While the worker is inside the synthesiser, messages wait for the next
    // call; the voices sound on meanwhile.
    std::unique_lock guard(synthGuard_, std::defer_lock);
    if (timing.immediate)
        guard.lock();
    else
        (void)guard.try_lock();
    const bool playing = guard.owns_lock() && loaded_.load();
    if (playing && !usable_.load())
        due_.clear();

    const double framesPerNs = timing.rate / 1e9;
    std::size_t next = 0;
    int done = 0;
    while (done < frames) {
        int until = frames;
        if (playing && next < due_.size()) {
            const TimedMessage& message = due_[next];
            if (message.loadTicket && !worker_.done(message.loadTicket)) {
                // Its instrument is still loading: it and all after it wait.
            } else {
                int at = 0;
                if (!timing.immediate) {
                    // The limiter lets the sound out its look-ahead later.
                    const double offset =
                        static_cast<double>(message.sentNs + delayNs_ - timing.firstFrameHeardNs) *
                            framesPerNs -
                        limiter_.lookaheadFrames();
                    at = static_cast<int>(std::clamp(std::floor(offset), -1.0, 1e9));
                }
                if (at <= done) {
                    if (at < 0)
                        late_.fetch_add(1);
                    play(message);
                    ++next;
                    continue;
                }
                until = std::min(frames, at);
            }
        }
        renderFrames(stereo + 2 * done, until - done);
        done = until;
    }
    due_.erase(due_.begin(), due_.begin() + static_cast<std::ptrdiff_t>(next));

    if (!guard.owns_lock())
        return true;
    if (!loaded_.load())
        return true;
    return !due_.empty() || !incoming_.empty() || fluid_synth_get_active_voice_count(synth_) > 0;
}
