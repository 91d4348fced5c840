#include "foundation/ParallelFor.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Beyond this the page faults of one process stop getting cheaper.
constexpr unsigned kThreadCap = 8;

std::atomic<unsigned> s_maxThreads{0};
std::atomic<size_t> s_minGrain{0};

}  // namespace

unsigned KstParallelThreadsFor(size_t count, size_t grain)
{
    const size_t forced = s_minGrain.load();
    grain = std::max<size_t>(forced != 0 ? forced : grain, 1);
    // Asked once: under Wine the question is a round trip to the server, which readers of many
    // small blocks would otherwise pay for every block.
    static const unsigned hardware =
        std::clamp(std::thread::hardware_concurrency(), 1u, kThreadCap);
    unsigned limit = s_maxThreads.load();
    if (limit == 0) {
        limit = hardware;
    }
    return static_cast<unsigned>(std::clamp<size_t>(count / grain, 1, limit));
}

void KstParallelFor(size_t count, size_t grain, const std::function<void(size_t, size_t)>& work)
{
    if (count == 0) {
        return;
    }
    const unsigned threads = KstParallelThreadsFor(count, grain);
    if (threads <= 1) {
        work(0, count);
        return;
    }
    std::mutex failureLock;
    std::exception_ptr failure;
    auto run = [&](size_t begin, size_t end) {
        try {
            work(begin, end);
        } catch (...) {
            std::lock_guard<std::mutex> lock(failureLock);
            if (!failure) {
                failure = std::current_exception();
            }
        }
    };
    auto rangeBegin = [&](unsigned k) {
        return count / threads * k + std::min<size_t>(k, count % threads);
    };
    std::vector<std::thread> started;
    std::vector<unsigned> leftOver;
    for (unsigned k = 1; k < threads; ++k) {
        try {
            started.emplace_back(run, rangeBegin(k), rangeBegin(k + 1));
        } catch (const std::exception&) {
            leftOver.push_back(k);
        }
    }
    run(0, rangeBegin(1));
    for (unsigned k : leftOver) {
        run(rangeBegin(k), rangeBegin(k + 1));
    }
    for (std::thread& thread : started) {
        thread.join();
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void KstSetParallelLimits(unsigned maxThreads, size_t minGrain)
{
    s_maxThreads = maxThreads;
    s_minGrain = minGrain;
}
