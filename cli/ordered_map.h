#pragma once
// An ordered parallel map: items 0, 1, 2, ... are computed by worker threads
// in any order and handed, in order, to a consumer on the calling thread.
// A worker never runs more than `window` items ahead of the consumer, so the
// memory held is `window` results whatever the number of items.

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace aqvis::cli {

// Each worker calls make_worker() once and then work(k, result) for the items
// it takes; consume(k, result) is called for k = 0, 1, ... on this thread and
// returns false to stop early (items being computed are finished and
// dropped).  With one thread everything runs on this thread.  An exception
// from a worker or the consumer stops the map and is thrown again here once
// every worker has ended.
// What the workers and the consumer share: the ring of results and who may
// take which item.
template <class Result>
class OrderedRing {
public:
    OrderedRing(std::size_t items, std::size_t window) : items_(items), window_(window), ring_(window), ready_(window, 0) {}

    // The next item for a worker, or false when there is none to take.
    bool Claim(std::size_t& k)
    {
        std::unique_lock lock(m_);
        work_cv_.wait(lock, [&] { return stop_ || next_claim_ >= items_ || next_claim_ < next_consume_ + window_; });
        if (stop_ || next_claim_ >= items_) return false;
        k = next_claim_++;
        return true;
    }
    Result& Slot(std::size_t k) { return ring_[k % window_]; }
    void Done(std::size_t k)
    {
        {
            std::lock_guard lock(m_);
            ready_[k % window_] = 1;
        }
        done_cv_.notify_all();
    }
    // Waits for item k; false once something failed.
    bool Wait_Ready(std::size_t k)
    {
        std::unique_lock lock(m_);
        done_cv_.wait(lock, [&] { return ready_[k % window_] != 0 || failure_; });
        return !failure_;
    }
    void Consumed(std::size_t k, bool go_on)
    {
        {
            std::lock_guard lock(m_);
            ready_[k % window_] = 0;
            ++next_consume_;
            if (!go_on) stop_ = true;
        }
        work_cv_.notify_all();
    }
    // Stops every worker; the first failure is kept.
    void Stop(std::exception_ptr failure = nullptr)
    {
        {
            std::lock_guard lock(m_);
            if (failure && !failure_) failure_ = failure;
            stop_ = true;
        }
        work_cv_.notify_all();
        done_cv_.notify_all();
    }
    void Rethrow() const
    {
        if (failure_) std::rethrow_exception(failure_);
    }

private:
    const std::size_t items_, window_;
    std::vector<Result> ring_;
    std::vector<char> ready_;
    std::mutex m_;
    std::condition_variable work_cv_, done_cv_;
    std::size_t next_claim_ = 0, next_consume_ = 0;
    bool stop_ = false;
    std::exception_ptr failure_;
};

template <class Result, class MakeWorker, class Consume>
void Ordered_Map(std::size_t items, unsigned threads, std::size_t window, MakeWorker make_worker,
                 Consume consume)
{
    threads = static_cast<unsigned>(std::clamp<std::size_t>(threads, 1, std::max<std::size_t>(items, 1)));
    if (threads <= 1) {
        auto work = make_worker();
        Result r;
        for (std::size_t k = 0; k < items; ++k) {
            work(k, r);
            if (!consume(k, r)) return;
        }
        return;
    }
    OrderedRing<Result> ring(items, std::max<std::size_t>(window, threads));
    auto worker = [&] {
        try {
            auto work = make_worker();
            for (std::size_t k; ring.Claim(k);) {
                work(k, ring.Slot(k));
                ring.Done(k);
            }
        } catch (...) {
            ring.Stop(std::current_exception());
        }
    };
    std::vector<std::thread> pool;
    pool.reserve(threads);
    for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker);
    try {
        for (std::size_t k = 0; k < items && ring.Wait_Ready(k); ++k) {
            const bool go_on = consume(k, ring.Slot(k));
            ring.Consumed(k, go_on);
            if (!go_on) break;
        }
    } catch (...) {
        ring.Stop(std::current_exception());
    }
    ring.Stop();
    for (std::thread& t : pool) t.join();
    ring.Rethrow();
}

}  // namespace aqvis::cli
