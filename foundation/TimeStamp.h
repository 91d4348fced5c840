#pragma once
// Calendar time stamps on the OLE date scale (days since 1899-12-30 local time) with a separate
// sub-second part, the spans between them, and the date texts made from them.

#include <cstdint>
#include <ctime>
#include <limits>
#include <mutex>

#include "foundation/ErrorCodes.h"
#include "foundation/String.h"

#ifdef _WIN32
struct _FILETIME;
#endif

// The double nearest to 1/86400: seconds become days only by multiplying with it, so that every
// whole-second day value is produced the same way.
constexpr double KST_ONE_SECOND_DAYS = 1.1574074074074073e-5;
constexpr double KST_SECONDS_PER_DAY = 86400.0;

// Calendar conversion on the proleptic Gregorian calendar. Fields beyond their ranges roll over
// into the next unit; a month outside 2..12 counts as January.
double DateToSerial(int year, int month, int day, int hour, int minute, int second);
void SerialToDateTime(double days, int16_t& year, int16_t& month, int16_t& day, int16_t& hour,
                      int16_t& minute, int16_t& second);
// dayOfWeek: 0 Sunday .. 6 Saturday.
void SerialToDate(double days, int16_t& year, int16_t& month, int16_t& day,
                  int16_t* dayOfWeek = nullptr);
void SerialToTime(double days, int16_t& hour, int16_t& minute, int16_t& second);
double RoundDaysToSecond(double days);
bool IsLeapYear(int year);
bool IsValidDateTime(int year, int month, int day, int hour, int minute, int second);

// Splits non-negative seconds into whole seconds and microseconds (both truncated) for any
// struct with tv_sec and tv_usec; negative or NaN seconds give {0, 0} and
// KST_ERR_NEGATIVE_DURATION. Values beyond the fields' range are clamped to their maximum.
template <class Timeval>
int SecondsToTimeval(double seconds, Timeval& out)
{
    using Sec = decltype(out.tv_sec);
    out.tv_sec = 0;
    out.tv_usec = 0;
    if (!(seconds >= 0.0)) {
        return KST_ERR_NEGATIVE_DURATION;
    }
    constexpr double maxSec = static_cast<double>(std::numeric_limits<Sec>::max());
    if (seconds >= maxSec) {
        out.tv_sec = std::numeric_limits<Sec>::max();
        return KST_OK;
    }
    const Sec whole = static_cast<Sec>(seconds);
    out.tv_sec = whole;
    out.tv_usec = static_cast<decltype(out.tv_usec)>((seconds - static_cast<double>(whole)) * 1e6);
    return KST_OK;
}

// Serialises every change of the process's LC_TIME setting and every text made under it. It is
// recursive, so a caller holding it may still use the locale-dependent formatting below.
class CKSTTimeFormatLock {
public:
    CKSTTimeFormatLock();
    ~CKSTTimeFormatLock();
    CKSTTimeFormatLock(const CKSTTimeFormatLock&) = delete;
    CKSTTimeFormatLock& operator=(const CKSTTimeFormatLock&) = delete;

private:
    std::unique_lock<std::recursive_mutex> m_lock;
};

class CKSTTimeSpan {
public:
    CKSTTimeSpan() = default;
    explicit CKSTTimeSpan(double seconds);
    CKSTTimeSpan(int32_t days, int16_t hours, int16_t minutes, double seconds);
    // Raw fields: whole seconds of the span expressed in days, and the part below one second.
    static CKSTTimeSpan FromFields(double days, double fraction);

    void Add(const CKSTTimeSpan& other);

    // Whole days, then hours, minutes and seconds of the rest rounded to whole seconds.
    void GetParts(int32_t& days, int16_t& hours, int16_t& minutes, double& seconds,
                  bool withFraction) const;
    void GetPartsInt(int32_t& days, int16_t& hours, int16_t& minutes, int16_t& seconds) const;
    int32_t GetDays() const;
    double GetSeconds() const;

    double GetSerialDays() const { return m_days; }
    double GetFraction() const { return m_fraction; }

private:
    double m_days = 0.0;
    double m_fraction = 0.0;
};

class CKSTTimeStamp {
public:
    CKSTTimeStamp() = default;
    explicit CKSTTimeStamp(double days);
    CKSTTimeStamp(double days, double fraction);
    // Local time; a time in daylight saving time is stored one hour earlier, as stored files
    // expect (ToTimeT undoes it by converting as standard time).
    explicit CKSTTimeStamp(time_t value);
    CKSTTimeStamp(int year, int month, int day, int hour, int minute, double seconds);
#ifdef _WIN32
    // Calendar fields of the file time as they stand; milliseconds are dropped.
    explicit CKSTTimeStamp(const _FILETIME& fileTime);
#endif
    // An OLE date taken as it is, without rounding to whole seconds.
    static CKSTTimeStamp FromOleDate(double date);

    void SetDateTime(int year, int month, int day, int hour, int minute, double seconds);
    // The sub-second part keeps a resolution of 10 microseconds.
    void SetFromDays(double days);
    // "YYYY?MM?DD?hh?mm?ss" with any single separators; not checked (see IsFixedDateTimeText).
    void SetFromFixedText(const CKSTString& text);
    void SetZero()
    {
        m_days = m_fraction = 0.0;
    }

    int16_t GetYear() const;
    int16_t GetMonth() const;
    int16_t GetDay() const;
    int16_t GetDayOfWeek() const;
    int16_t GetHour() const;
    int16_t GetMinute() const;
    int16_t GetSecond() const;
    double GetSecondsOfDay() const;
    double GetSeconds() const;
    std::tm ToTm() const;
    time_t ToTimeT() const;

    double GetSerialDays() const
    {
        return m_days;
    }
    double GetFraction() const
    {
        return m_fraction;
    }

    void SetYear(int year);
    void SetMonth(int month);
    void SetDay(int day);
    void SetHour(int hour);
    void SetMinute(int minute);
    void SetSecond(int second);

    CKSTTimeStamp& operator+=(const CKSTTimeSpan& span);
    CKSTTimeStamp& operator-=(const CKSTTimeSpan& span)
    {
        return SubtractSpan(span);
    }
    CKSTTimeStamp& SubtractSpan(const CKSTTimeSpan& span);
    CKSTTimeStamp& AddSeconds(double seconds);
    CKSTTimeStamp& SubtractSeconds(double seconds);
    CKSTTimeStamp operator+(const CKSTTimeSpan& span) const;
    CKSTTimeStamp operator+(double seconds) const;
    CKSTTimeStamp operator-(double seconds) const;
    CKSTTimeSpan operator-(const CKSTTimeStamp& other) const;

    void RoundToSecond();
    void RoundFraction();

    // Stamps whose day values lie within 1e-6 day of each other are ordered by the fraction.
    bool operator<(const CKSTTimeStamp& other) const;
    bool operator<=(const CKSTTimeStamp& other) const;
    bool operator>(const CKSTTimeStamp& other) const;
    bool operator==(const CKSTTimeStamp& other) const;
    bool operator!=(const CKSTTimeStamp& other) const
    {
        return !(*this == other);
    }

    void SetNow();
    static CKSTTimeStamp Now();
    void SetNowPrecise();
    static CKSTTimeStamp NowPrecise();
    static CKSTString NowText();

    // Under the user's default LC_TIME locale and the time-format lock.
    CKSTString FormatDateLocale() const;
    CKSTString FormatTime(int decimals, bool noRounding = false) const;
    CKSTString Format(bool withFraction = false) const;
    // Under the current LC_TIME locale, without the lock; at most 255 characters.
    CKSTString FormatStrftime(const char* format) const;
    // Under the named LC_TIME locale ("german-austrian", "enu"), set and put back inside the
    // time-format lock so that no other thread formats under it meanwhile.
    CKSTString FormatStrftime(const char* format, const char* localeName) const;
    // Locale-independent texts.
    CKSTString FormatDateNumeric(bool usOrder) const;
    CKSTString FormatCompact() const;
    CKSTString FormatDateTimeMs() const;

private:
    void SetFields(int year, int month, int day, int hour, int minute, int second);
    // Sets one calendar field (0 year .. 5 second) and keeps the others.
    void ReplaceField(int field, int value);
    CKSTTimeStamp WithFractionRounded(int decimals, CKSTString& fractionText) const;

    double m_days = 0.0;
    double m_fraction = 0.0;
};

static_assert(sizeof(CKSTTimeStamp) == 16, "stored as two doubles in files");
static_assert(sizeof(CKSTTimeSpan) == 16, "same layout as a time stamp");
