#pragma once
// Channels built from literal tables for the channel tests.

#include "data/Channel.h"

#include <cstdint>
#include <vector>

namespace kst_test {

inline CKSTChannel Equidistant(double t0, double dt, const std::vector<double>& values,
                               const std::vector<uint32_t>& missing = {})
{
    CKSTChannel c;
    c.SetT0(t0);
    c.SetDt(dt);
    for (size_t i = 0; i < values.size(); ++i) {
        bool isMissing = false;
        for (uint32_t m : missing) {
            isMissing = isMissing || m == i;
        }
        c.AppendValue(values[i], isMissing);
    }
    return c;
}

inline CKSTChannel TimeVector(const std::vector<double>& times, const std::vector<double>& values)
{
    CKSTChannel c;
    c.SetTimeBaseType(CKSTChannel::kTimeVector);
    for (size_t i = 0; i < times.size(); ++i) {
        c.AppendTimeValue(times[i], values[i]);
    }
    return c;
}

inline std::vector<double> Values(const CKSTChannel& c)
{
    return c.GetCount() == 0 ? std::vector<double>()
                             : std::vector<double>(c.GetValues(), c.GetValues() + c.GetCount());
}

inline std::vector<double> Times(const CKSTChannel& c)
{
    std::vector<double> times;
    for (uint32_t i = 0; i < c.GetCount(); ++i) {
        times.push_back(c.GetTimeAt(i));
    }
    return times;
}

// Indexes of the samples flagged missing.
inline std::vector<uint32_t> MissingIndexes(const CKSTChannel& c)
{
    std::vector<uint32_t> missing;
    for (uint32_t i = 0; i < c.GetCount(); ++i) {
        if (c.GetMissingFlags()[i]) {
            missing.push_back(i);
        }
    }
    return missing;
}

// Sample times in seconds after a reference stamp: what must survive a move of the origin.
inline std::vector<double> AbsoluteTimes(const CKSTChannel& c, const CKSTTimeStamp& reference)
{
    const double origin = (c.GetStartTimeStamp() - reference).GetSeconds();
    std::vector<double> times;
    for (uint32_t i = 0; i < c.GetCount(); ++i) {
        times.push_back(origin + c.GetTimeAt(i));
    }
    return times;
}

}  // namespace kst_test
