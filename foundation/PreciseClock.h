#pragma once
// The clock sources of the time stamps and the precise clock that stamps online samples: a
// high-resolution counter unwrapped into running seconds and anchored once to the wall clock.

#include <cstdint>
#include <ctime>
#include <mutex>

#include "foundation/TimeStamp.h"

struct KstLocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milliseconds = 0;
};

// The platform's clocks. The real ones come from KstSystemClockSource (defined per platform);
// tests hand a CKSTPreciseClock their own.
struct KstClockSource {
    int64_t (*counterFrequency)();   // counts per second of the high-resolution counter
    uint64_t (*counterValue)();      // wraps at 2^64
    uint32_t (*millisecondTimer)();  // wraps at 2^32 ms
    void (*localNow)(KstLocalTime& now);
};

const KstClockSource& KstSystemClockSource();
// Thread-safe localtime; false when the value cannot be converted.
bool KstToLocalTime(time_t value, std::tm& out);

class CKSTPreciseClock {
public:
    explicit CKSTPreciseClock(const KstClockSource& source);
    CKSTPreciseClock(const CKSTPreciseClock&) = delete;
    CKSTPreciseClock& operator=(const CKSTPreciseClock&) = delete;

    // The one clock of the process, on the system sources.
    static CKSTPreciseClock& Process();

    // Seconds of the counter, or of the millisecond timer when the counter's frequency is
    // implausible (below 1 kHz or above 1 GHz); wraps with WrapPeriod.
    double ReadRawClock() const;
    double WrapPeriod() const { return m_wrapPeriod; }
    bool UsesCounter() const { return m_useCounter; }
    // Raw readings with every wrap seen so far added; never goes back by a wrap period even
    // when several threads read at once.
    double PreciseSeconds();
    // The first call fixes the anchor to the wall clock; later wall-clock changes do not move it.
    CKSTTimeStamp Now();

private:
    double PreciseSecondsLocked();

    const KstClockSource m_source;
    bool m_useCounter = false;
    double m_frequency = 0.0;
    double m_wrapPeriod = 0.0;
    std::mutex m_mutex;
    double m_wrapOffset = 0.0;
    double m_lastReading = 0.0;
    bool m_anchored = false;
    double m_anchorDays = 0.0;
};
