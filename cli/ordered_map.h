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
    window = std::max<std::size_t>(window, threads);
    std::vector<Result> ring(window);
    std::vector<char> ready(window, 0);
    std::mutex m;
    std::condition_variable work_cv, done_cv;
    std::size_t next_claim = 0, next_consume = 0;
    bool stop = false;
    std::exception_ptr failure;

    auto worker = [&] {
        try {
            auto work = make_worker();
            while (true) {
                std::size_t k;
                {
                    std::unique_lock lock(m);
                    work_cv.wait(lock, [&] {
                        return stop || next_claim >= items || next_claim < next_consume + window;
                    });
                    if (stop || next_claim >= items) return;
                    k = next_claim++;
                }
                work(k, ring[k % window]);
                {
                    std::lock_guard lock(m);
                    ready[k % window] = 1;
                }
                done_cv.notify_all();
            }
        } catch (...) {
            {
                std::lock_guard lock(m);
                if (!failure) failure = std::current_exception();
                stop = true;
            }
            work_cv.notify_all();
            done_cv.notify_all();
        }
    };
    std::vector<std::thread> pool;
    pool.reserve(threads);
    for (unsigned t = 0; t < threads; ++t) pool.emplace_back(worker);

    try {
        for (std::size_t k = 0; k < items; ++k) {
            const std::size_t slot = k % window;
            {
                std::unique_lock lock(m);
                done_cv.wait(lock, [&] { return ready[slot] != 0 || failure; });
                if (failure) break;
            }
            const bool go_on = consume(k, ring[slot]);
            {
                std::lock_guard lock(m);
                ready[slot] = 0;
                ++next_consume;
                if (!go_on) stop = true;
            }
            work_cv.notify_all();
            if (!go_on) break;
        }
    } catch (...) {
        std::lock_guard lock(m);
        if (!failure) failure = std::current_exception();
    }
    {
        std::lock_guard lock(m);
        stop = true;
    }
    work_cv.notify_all();
    for (std::thread& t : pool) t.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace aqvis::cli
