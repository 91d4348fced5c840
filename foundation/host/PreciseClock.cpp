#include "foundation/PreciseClock.h"

#include <chrono>

namespace {

using Steady = std::chrono::steady_clock;

int64_t CounterFrequency()
{
    return Steady::period::den / Steady::period::num;
}

uint64_t CounterValue()
{
    return static_cast<uint64_t>(Steady::now().time_since_epoch().count());
}

uint32_t MillisecondTimer()
{
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now().time_since_epoch());
    return static_cast<uint32_t>(ms.count());
}

void LocalNow(KstLocalTime& now)
{
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
    const time_t seconds = static_cast<time_t>(ms / 1000);
    std::tm local{};
    KstToLocalTime(seconds, local);
    now.year = local.tm_year + 1900;
    now.month = local.tm_mon + 1;
    now.day = local.tm_mday;
    now.hour = local.tm_hour;
    now.minute = local.tm_min;
    now.second = local.tm_sec;
    now.milliseconds = static_cast<int>(ms % 1000);
}

}  // namespace

const KstClockSource& KstSystemClockSource()
{
    static const KstClockSource source{CounterFrequency, CounterValue, MillisecondTimer, LocalNow};
    return source;
}

bool KstToLocalTime(time_t value, std::tm& out)
{
    return localtime_r(&value, &out) != nullptr;
}
