#pragma once
// Shared by the benchmark programs: a wall-clock stopwatch, the one output format,
// "name: value unit", so figures from different programs can be collected by a script, and
// the cold and warm figures of a read beside a fresh-memory memcpy.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <sys/mman.h>
#endif

namespace kst::bench {

class Stopwatch {
public:
    Stopwatch() : m_start(std::chrono::steady_clock::now()) {}
    double Seconds() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    }

private:
    std::chrono::steady_clock::time_point m_start;
};

// A step that must succeed for the figures to mean anything: a failure ends the program.
inline void RequireOk(int result, const char* what)
{
    if (result != 0) {
        std::fprintf(stderr, "%s failed: %d\n", what, result);
        std::exit(1);
    }
}

inline void Report(const char* name, double value, const char* unit)
{
    std::printf("%s: %.6g %s\n", name, value, unit);
    std::fflush(stdout);
}

// The times of repeated runs of one measurement. The first run is the cold one: later runs may
// find the pages an earlier run freed still mapped (glibc raises its mmap threshold to a freed
// block's size, so arrays under 32 MiB then come from heap pages already touched), which a read
// of a document just opened never does.
struct RunTimes {
    double cold = 0.0;
    double best = 0.0;
    double median = 0.0;
};

// Times `runs` calls of work(); work may narrow what is timed by returning its own figure
// instead of a negative one.
template <typename Work>
RunTimes TimeRuns(int runs, Work work)
{
    std::vector<double> seconds;
    for (int i = 0; i < runs; ++i) {
        Stopwatch watch;
        const double own = work();
        seconds.push_back(own >= 0.0 ? own : watch.Seconds());
    }
    RunTimes times;
    if (seconds.empty()) {
        return times;
    }
    times.cold = seconds.front();
    std::sort(seconds.begin(), seconds.end());
    times.best = seconds.front();
    times.median = seconds[seconds.size() / 2];
    return times;
}

// Seconds of the fastest of `runs` calls of work (see TimeRuns).
template <typename Work>
double BestSeconds(int runs, Work work)
{
    return runs > 0 ? TimeRuns(runs, work).best : std::numeric_limits<double>::infinity();
}

// Pages straight from the system, never touched: what a reader's new arrays cost on first
// touch, whatever the C library's allocator keeps for reuse.
class FreshPages {
public:
    explicit FreshPages(size_t bytes) : m_bytes(bytes)
    {
#ifdef _WIN32
        m_data = VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
#else
        m_data = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        m_data = m_data == MAP_FAILED ? nullptr : m_data;
#endif
    }
    ~FreshPages()
    {
        if (m_data != nullptr) {
#ifdef _WIN32
            VirtualFree(m_data, 0, MEM_RELEASE);
#else
            munmap(m_data, m_bytes);
#endif
        }
    }
    FreshPages(const FreshPages&) = delete;
    FreshPages& operator=(const FreshPages&) = delete;
    unsigned char* GetData() const { return static_cast<unsigned char*>(m_data); }

private:
    void* m_data = nullptr;
    size_t m_bytes;
};

// Seconds of the fastest memcpy of `bytes` into pages fresh from the system, as a reader's
// channels are: the cost of producing that much new memory, page faults included, which a
// reader on one thread cannot go below. Every run gets new pages, so the best run is as cold
// as the first. The source is warm.
inline double FreshCopySeconds(size_t bytes, int runs)
{
    std::vector<unsigned char> source(bytes, 1);
    double sink = 0.0;
    const double best = BestSeconds(runs, [&] {
        Stopwatch watch;
        FreshPages target(bytes);
        if (target.GetData() == nullptr) {
            return std::numeric_limits<double>::infinity();
        }
        std::memcpy(target.GetData(), source.data(), bytes);
        const double seconds = watch.Seconds();
        sink += target.GetData()[bytes / 2];
        return seconds;
    });
    return sink > 0.0 ? best : std::numeric_limits<double>::infinity();
}

// One read measured cold and warm against a fresh-memory memcpy of its output: the rates over
// `bytes` (the input) and the ratios memcpy seconds / read seconds, cold and best.
inline void ReportRuns(const std::string& name, double bytes, const RunTimes& times,
                       double freshCopySeconds)
{
    const auto rate = [bytes](double seconds) { return bytes / 1e6 / seconds; };
    Report((name + "_cold").c_str(), rate(times.cold), "MB/s");
    Report((name + "_best").c_str(), rate(times.best), "MB/s");
    Report((name + "_median").c_str(), rate(times.median), "MB/s");
    Report((name + "_fresh_memcpy_of_output").c_str(), rate(freshCopySeconds), "MB/s");
    Report((name + "_cold_vs_fresh_memcpy").c_str(), freshCopySeconds / times.cold, "ratio");
    Report((name + "_best_vs_fresh_memcpy").c_str(), freshCopySeconds / times.best, "ratio");
}

}  // namespace kst::bench
