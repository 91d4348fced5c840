#pragma once
// Runs a loop over [0, count) as contiguous ranges on several threads. Decoding large files is
// bound by first touches of the fresh pages it writes, which the system serves faster from
// several threads at once; each range writes only its own part of the output.

#include <algorithm>
#include <cstddef>
#include <functional>

// Threads KstParallelFor uses for `count` items when every range should hold at least `grain`
// items: 1 for small jobs, at most the hardware's threads and at most the limit below.
unsigned KstParallelThreadsFor(size_t count, size_t grain);

// Calls work(begin, end) once for each range, the first on the calling thread, and returns when
// all ranges are done. An exception thrown by a range is rethrown here after the others ended.
// A thread that cannot be started leaves its range to the calling thread.
void KstParallelFor(size_t count, size_t grain, const std::function<void(size_t, size_t)>& work);

// For tests: at most maxThreads threads (0: the hardware's), and a grain of minGrain items
// instead of the callers' when minGrain is not 0, so that small inputs are split too.
void KstSetParallelLimits(unsigned maxThreads, size_t minGrain);

// Samples per thread when a decode is split: a smaller share would not pay for starting a
// thread (milliseconds under Wine).
constexpr size_t kKstDecodeGrain = size_t{1} << 20;

// Items per thread for a decode of `count` items of `samplesPerItem` samples each. The first
// touches of fresh pages are what many threads make cheaper; arrays that held data before are
// bound by the memory's bandwidth, which two threads use fully while a third only adds its start.
inline size_t KstDecodeGrain(bool freshArrays, size_t count, size_t samplesPerItem = 1)
{
    const size_t grain = std::max<size_t>(1, kKstDecodeGrain / std::max<size_t>(samplesPerItem, 1));
    return freshArrays ? grain : std::max(grain, count / 2);
}
