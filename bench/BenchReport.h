#pragma once
// Shared by the benchmark programs: a wall-clock stopwatch and the one output format,
// "name: value unit", so figures from different programs can be collected by a script.

#include <chrono>
#include <cstdio>

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

inline void Report(const char* name, double value, const char* unit)
{
    std::printf("%s: %.6g %s\n", name, value, unit);
    std::fflush(stdout);
}

}  // namespace kst::bench
