#include "midi/backends/fluidsynth/SynthWorker.h"

#include <system_error>
#include <utility>

SynthWorker::~SynthWorker() {
    stop();
}

void SynthWorker::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

std::uint64_t SynthWorker::run(std::function<void()> job) {
    std::unique_lock lock(mutex_);
    const std::uint64_t ticket = ++issued_;
    // Stopped: nobody is there to run it.
    if (stopping_)
        return ticket;
    if (!thread_.joinable()) {
        try {
            thread_ = std::thread([this] { serve(); });
        } catch (const std::system_error&) {
            // No thread to spare: the job runs on the caller's, which only
            // makes this call slower.
            lock.unlock();
            job();
            lock.lock();
            completed_.store(ticket, std::memory_order_release);
            changed_.notify_all();
            return ticket;
        }
    }
    jobs_.push_back(std::move(job));
    changed_.notify_all();
    return ticket;
}

void SynthWorker::waitFor(std::uint64_t ticket) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return done(ticket) || stopping_; });
}

void SynthWorker::serve() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || !jobs_.empty(); });
        // Jobs still queued when stopping are dropped: nobody waits for them.
        if (stopping_)
            return;
        auto job = std::move(jobs_.front());
        jobs_.pop_front();
        lock.unlock();
        job();
        lock.lock();
        completed_.fetch_add(1, std::memory_order_release);
        changed_.notify_all();
    }
}
