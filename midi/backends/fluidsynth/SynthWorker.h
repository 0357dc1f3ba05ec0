#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// Runs slow synthesiser jobs (reading the soundfont, loading an instrument's
// samples) one after the other on a thread of its own, so that neither the
// window's thread nor the render thread waits for a disk. Each job has a
// ticket; tickets complete in order.
class SynthWorker {
public:
    SynthWorker() = default;
    ~SynthWorker();
    SynthWorker(const SynthWorker&) = delete;
    SynthWorker& operator=(const SynthWorker&) = delete;

    // Queues a job and returns its ticket. Without a thread to spare the job
    // runs here and now.
    std::uint64_t run(std::function<void()> job);
    // Takes no lock, so that the render thread may ask: what the job with
    // `ticket` did is visible to the caller once this is true.
    bool done(std::uint64_t ticket) const {
        return completed_.load(std::memory_order_acquire) >= ticket;
    }
    // Waits until the job with `ticket` and all before it are done.
    void waitFor(std::uint64_t ticket);
    // Finishes the job under way, drops the rest and ends the thread.
    void stop();

private:
    void serve();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> jobs_;
    std::uint64_t issued_ = 0;
    // Written under `mutex_`, so that waitFor() misses no change; read without.
    std::atomic<std::uint64_t> completed_{0};
    bool stopping_ = false;
    std::thread thread_;
};
