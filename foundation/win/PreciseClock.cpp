#include "foundation/PreciseClock.h"

#include <windows.h>

#include <mmsystem.h>  // needs windows.h first

namespace {

int64_t CounterFrequency()
{
    LARGE_INTEGER frequency;
    return QueryPerformanceFrequency(&frequency) ? frequency.QuadPart : 0;
}

uint64_t CounterValue()
{
    LARGE_INTEGER value;
    QueryPerformanceCounter(&value);
    return static_cast<uint64_t>(value.QuadPart);
}

uint32_t MillisecondTimer()
{
    return timeGetTime();
}

void LocalNow(KstLocalTime& now)
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    now.year = st.wYear;
    now.month = st.wMonth;
    now.day = st.wDay;
    now.hour = st.wHour;
    now.minute = st.wMinute;
    now.second = st.wSecond;
    now.milliseconds = st.wMilliseconds;
}

}  // namespace

const KstClockSource& KstSystemClockSource()
{
    static const KstClockSource source{CounterFrequency, CounterValue, MillisecondTimer, LocalNow};
    return source;
}

bool KstToLocalTime(time_t value, std::tm& out)
{
    return localtime_s(&out, &value) == 0;
}
