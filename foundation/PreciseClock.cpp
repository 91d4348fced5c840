#include "foundation/PreciseClock.h"

#include <cmath>

CKSTPreciseClock::CKSTPreciseClock(const KstClockSource& source) : m_source(source)
{
    const int64_t frequency = m_source.counterFrequency();
    m_useCounter = frequency >= 1000 && frequency <= 1000000000;
    if (m_useCounter) {
        m_frequency = static_cast<double>(frequency);
        m_wrapPeriod = 18446744073709551616.0 / m_frequency;
    } else {
        m_wrapPeriod = 4294967.296;
    }
}

CKSTPreciseClock& CKSTPreciseClock::Process()
{
    static CKSTPreciseClock clock(KstSystemClockSource());
    return clock;
}

double CKSTPreciseClock::ReadRawClock() const
{
    if (m_useCounter) {
        return static_cast<double>(m_source.counterValue()) / m_frequency;
    }
    return m_source.millisecondTimer() * 0.001;
}

double CKSTPreciseClock::PreciseSecondsLocked()
{
    // Read under the lock: a reading taken before another thread's wrap but stored after it
    // would count that wrap a second time.
    const double reading = ReadRawClock();
    if (reading < m_lastReading - 1000.0) {
        m_wrapOffset += m_wrapPeriod;
    }
    m_lastReading = reading;
    return m_wrapOffset + reading;
}

double CKSTPreciseClock::PreciseSeconds()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return PreciseSecondsLocked();
}

CKSTTimeStamp CKSTPreciseClock::Now()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_anchored) {
        KstLocalTime now;
        m_source.localNow(now);
        const double wallDays =
            DateToSerial(now.year, now.month, now.day, now.hour, now.minute, now.second) +
            now.milliseconds * 0.001 * KST_ONE_SECOND_DAYS;
        m_anchorDays = wallDays - PreciseSecondsLocked() * KST_ONE_SECOND_DAYS;
        m_anchored = true;
    }
    const double total = PreciseSecondsLocked() + m_anchorDays * KST_SECONDS_PER_DAY;
    double whole = 0.0;
    const double fraction = std::modf(total, &whole);
    return CKSTTimeStamp(whole * KST_ONE_SECOND_DAYS, fraction);
}
