#include "foundation/TimeStamp.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <string>

#include "foundation/Numeric.h"
#include "foundation/PreciseClock.h"

namespace {

// 1899-12-30 on the absolute day scale 365 x year + leap days (0001-01-01 is day 366).
constexpr long kSerialOrigin = 693959;
// Whole day values are clamped to this range before they become integers: it covers years 1 to
// about 10950, far beyond the 9999 that dates may reach, and keeps absurd values defined.
constexpr double kMinWholeDays = 1.0 - kSerialOrigin;
constexpr double kMaxWholeDays = 4000000.0 - kSerialOrigin;

constexpr int kDaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

// Rounds half away from zero after clamping into the 32-bit range the stored values came from.
long RoundClamped(double s)
{
    if (!(s >= -2147483647.0)) {
        s = -2147483647.0;
    } else if (s > 2147483646.0) {
        s = 2147483646.0;
    }
    long n = static_cast<long>(s);
    if (s >= 0.0) {
        if (n + 0.5 <= s) {
            ++n;
        }
    } else if (n - 0.5 >= s) {
        --n;
    }
    return n;
}

long YearStart(long year)
{
    return 365 * year + (year - 1) / 4 - (year - 1) / 100 + (year - 1) / 400 + 1;
}

// Splits a day value into the absolute day number and the seconds of the day. The time of day
// counts away from zero (OLE convention); a time that rounds up to 24:00 belongs to the next day.
void SplitSerial(double days, long& absoluteDay, long& secondOfDay)
{
    double whole = 0.0;
    const double dayFraction = std::modf(days, &whole);
    whole = std::clamp(std::isnan(whole) ? 0.0 : whole, kMinWholeDays, kMaxWholeDays);
    absoluteDay = static_cast<long>(whole) + kSerialOrigin;
    secondOfDay = RoundClamped(std::fabs(dayFraction) * KST_SECONDS_PER_DAY);
    if (secondOfDay >= 86400) {
        secondOfDay -= 86400;
        ++absoluteDay;
    }
}

void AbsoluteDayToDate(long absoluteDay, int16_t& year, int16_t& month, int16_t& day)
{
    long y = static_cast<long>(absoluteDay * 0.0027378507871321013);
    while (absoluteDay >= YearStart(y + 1)) {
        ++y;
    }
    while (y > 0 && absoluteDay < YearStart(y)) {
        --y;
    }
    const long dayOfYear = absoluteDay - YearStart(y);  // 0-based
    const bool leap = IsLeapYear(static_cast<int>(y));
    int m = 11;
    while (m > 0 && dayOfYear < kDaysBeforeMonth[m] + ((leap && m >= 2) ? 1 : 0)) {
        --m;
    }
    year = static_cast<int16_t>(y);
    month = static_cast<int16_t>(m + 1);
    day = static_cast<int16_t>(dayOfYear - kDaysBeforeMonth[m] - ((leap && m >= 2) ? 1 : 0) + 1);
}

// "%.Nf" without the locale: always '.' as decimal point.
std::string FixedText(double value, int decimals)
{
    char buffer[400];
    const int precision = std::clamp(decimals, 0, 30);
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    return result.ec == std::errc() ? std::string(buffer, result.ptr) : std::string("0");
}

std::recursive_mutex& TimeFormatMutex()
{
    static std::recursive_mutex mutex;
    return mutex;
}

CKSTString Strftime(const std::tm& tm, const char* format)
{
    char buffer[256];
    const size_t length = std::strftime(buffer, sizeof buffer, format, &tm);
    buffer[length] = '\0';
    return CKSTString(buffer);
}

// strftime under LC_TIME = localeName; the setting found on entry is back before the lock goes.
CKSTString StrftimeUnderLocale(const std::tm& tm, const char* format, const char* localeName)
{
    CKSTTimeFormatLock lock;
    const char* current = std::setlocale(LC_TIME, nullptr);
    const std::string saved = current ? current : "C";
    std::setlocale(LC_TIME, localeName);
    CKSTString text = Strftime(tm, format);
    std::setlocale(LC_TIME, saved.c_str());
    return text;
}

}  // namespace

CKSTTimeFormatLock::CKSTTimeFormatLock() : m_lock(TimeFormatMutex()) {}

CKSTTimeFormatLock::~CKSTTimeFormatLock() = default;

double DateToSerial(int year, int month, int day, int hour, int minute, int second)
{
    const int64_t y = year;
    int64_t serial = 365 * y + (y - 1) / 4 - (y - 1) / 100 + (y - 1) / 400 - kSerialOrigin;
    if (month >= 2 && month <= 12) {
        serial += kDaysBeforeMonth[month - 1];
        if (month >= 3 && IsLeapYear(year)) {
            ++serial;
        }
    }
    serial += day;
    const double t =
        (static_cast<double>(hour) * 3600.0 + minute * 60.0 + second) * KST_ONE_SECOND_DAYS;
    const double base = static_cast<double>(serial);
    const double days = serial < 0 ? base - t : base + t;
    return RoundDaysToSecond(days);
}

void SerialToDateTime(double days, int16_t& year, int16_t& month, int16_t& day, int16_t& hour,
                      int16_t& minute, int16_t& second)
{
    long absoluteDay = 0, secondOfDay = 0;
    SplitSerial(days, absoluteDay, secondOfDay);
    AbsoluteDayToDate(absoluteDay, year, month, day);
    hour = static_cast<int16_t>(secondOfDay / 3600);
    minute = static_cast<int16_t>(secondOfDay % 3600 / 60);
    second = static_cast<int16_t>(secondOfDay % 60);
}

void SerialToDate(double days, int16_t& year, int16_t& month, int16_t& day, int16_t* dayOfWeek)
{
    long absoluteDay = 0, secondOfDay = 0;
    SplitSerial(days, absoluteDay, secondOfDay);
    AbsoluteDayToDate(absoluteDay, year, month, day);
    if (dayOfWeek) {
        *dayOfWeek = static_cast<int16_t>((absoluteDay - 1) % 7);
    }
}

void SerialToTime(double days, int16_t& hour, int16_t& minute, int16_t& second)
{
    long absoluteDay = 0, secondOfDay = 0;
    SplitSerial(days, absoluteDay, secondOfDay);
    hour = static_cast<int16_t>(secondOfDay / 3600);
    minute = static_cast<int16_t>(secondOfDay % 3600 / 60);
    second = static_cast<int16_t>(secondOfDay % 60);
}

double RoundDaysToSecond(double days)
{
    double whole = 0.0;
    const double dayFraction = std::modf(days, &whole);
    return RoundClamped(dayFraction * KST_SECONDS_PER_DAY) * KST_ONE_SECOND_DAYS + whole;
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool IsValidDateTime(int year, int month, int day, int hour, int minute, int second)
{
    static const int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 100 || year > 9999 || month < 1 || month > 12) {
        return false;
    }
    const int monthDays = kMonthDays[month - 1] + ((month == 2 && IsLeapYear(year)) ? 1 : 0);
    return day >= 1 && day <= monthDays && hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 &&
           second >= 0 && second <= 59;
}

// ---------------------------------------------------------------------------------------------
// CKSTTimeSpan

CKSTTimeSpan::CKSTTimeSpan(double seconds)
{
    double whole = 0.0;
    m_fraction = std::modf(seconds, &whole);
    if (std::fabs(m_fraction - 1.0) < 1e-13) {
        whole += 1.0;
        m_fraction = 0.0;
    }
    m_days = whole * KST_ONE_SECOND_DAYS;
}

CKSTTimeSpan::CKSTTimeSpan(int32_t days, int16_t hours, int16_t minutes, double seconds)
{
    double whole = 0.0;
    m_fraction = std::modf(seconds, &whole);
    if (std::fabs(m_fraction - 1.0) < 1e-13) {
        whole += 1.0;
        m_fraction = 0.0;
    }
    m_days = (whole + (minutes + hours * 60.0) * 60.0) * KST_ONE_SECOND_DAYS + days;
}

CKSTTimeSpan CKSTTimeSpan::FromFields(double days, double fraction)
{
    CKSTTimeSpan span;
    span.m_days = days;
    span.m_fraction = fraction;
    return span;
}

void CKSTTimeSpan::Add(const CKSTTimeSpan& other)
{
    m_days += other.m_days;
    m_fraction += other.m_fraction;
    while (m_fraction >= 1.0) {
        m_days += KST_ONE_SECOND_DAYS;
        m_fraction -= 1.0;
    }
    m_days = RoundDaysToSecond(m_days);
}

void CKSTTimeSpan::GetParts(int32_t& days, int16_t& hours, int16_t& minutes, double& seconds,
                            bool withFraction) const
{
    double whole = 0.0;
    const double dayFraction = std::modf(m_days, &whole);
    whole = std::clamp(std::isnan(whole) ? 0.0 : whole, -2147483647.0, 2147483646.0);
    long rest = RoundClamped(dayFraction * KST_SECONDS_PER_DAY);
    // A rest that rounds to a full day is a day, not a 24th hour.
    if (rest >= 86400 || rest <= -86400) {
        whole += rest > 0 ? 1.0 : -1.0;
        rest += rest > 0 ? -86400 : 86400;
    }
    days = static_cast<int32_t>(whole);
    hours = static_cast<int16_t>(rest / 3600);
    minutes = static_cast<int16_t>(rest % 3600 / 60);
    seconds = static_cast<double>(rest % 60) + (withFraction ? m_fraction : 0.0);
}

void CKSTTimeSpan::GetPartsInt(int32_t& days, int16_t& hours, int16_t& minutes,
                               int16_t& seconds) const
{
    double s = 0.0;
    GetParts(days, hours, minutes, s, false);
    seconds = static_cast<int16_t>(s);
}

int32_t CKSTTimeSpan::GetDays() const
{
    int32_t days = 0;
    int16_t hours = 0, minutes = 0;
    double seconds = 0.0;
    GetParts(days, hours, minutes, seconds, false);
    return days;
}

double CKSTTimeSpan::GetSeconds() const
{
    return RoundToExponent(m_days * KST_SECONDS_PER_DAY, 0) + m_fraction;
}

// ---------------------------------------------------------------------------------------------
// CKSTTimeStamp: construction and parts

CKSTTimeStamp::CKSTTimeStamp(double days) : m_days(RoundDaysToSecond(days)) {}

CKSTTimeStamp::CKSTTimeStamp(double days, double fraction)
    : m_days(RoundDaysToSecond(days)), m_fraction(fraction)
{
}

CKSTTimeStamp::CKSTTimeStamp(time_t value)
{
    std::tm local{};
    if (!KstToLocalTime(value, local)) {
        return;
    }
    m_days = DateToSerial(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                          local.tm_min, local.tm_sec);
    if (local.tm_isdst > 0) {
        m_days = RoundDaysToSecond(m_days - 3600.0 * KST_ONE_SECOND_DAYS);
    }
}

CKSTTimeStamp::CKSTTimeStamp(int year, int month, int day, int hour, int minute, double seconds)
{
    SetDateTime(year, month, day, hour, minute, seconds);
}

CKSTTimeStamp CKSTTimeStamp::FromOleDate(double date)
{
    CKSTTimeStamp stamp;
    stamp.m_days = date;
    return stamp;
}

void CKSTTimeStamp::SetDateTime(int year, int month, int day, int hour, int minute, double seconds)
{
    const double whole = std::trunc(seconds);
    m_days = DateToSerial(year, month, day, hour, minute, static_cast<int>(RoundClamped(whole)));
    m_fraction = seconds - whole;
}

void CKSTTimeStamp::SetFromDays(double days)
{
    double wholeDays = 0.0;
    const double daySeconds = std::modf(days, &wholeDays) * KST_SECONDS_PER_DAY;
    double wholeSeconds = 0.0;
    double rest = std::modf(daySeconds, &wholeSeconds);
    rest = RoundClamped(rest * 100000.0) * 1e-5;
    if (rest == 1.0) {
        wholeSeconds += 1.0;
        rest = 0.0;
    } else if (rest == -1.0) {
        wholeSeconds -= 1.0;
        rest = 0.0;
    }
    m_days = RoundDaysToSecond(wholeSeconds * KST_ONE_SECOND_DAYS + wholeDays);
    m_fraction = rest;
}

void CKSTTimeStamp::SetFromFixedText(const CKSTString& text)
{
    auto field = [&text](int start, int count) {
        return start < text.GetLength() ? text.Mid(start, count).ToLong() : 0;
    };
    SetFields(field(0, 4), field(5, 2), field(8, 2), field(11, 2), field(14, 2), field(17, 2));
    m_fraction = 0.0;
}

void CKSTTimeStamp::SetFields(int year, int month, int day, int hour, int minute, int second)
{
    m_days = DateToSerial(year, month, day, hour, minute, second);
}

int16_t CKSTTimeStamp::GetYear() const
{
    int16_t y, m, d;
    SerialToDate(m_days, y, m, d);
    return y;
}

int16_t CKSTTimeStamp::GetMonth() const
{
    int16_t y, m, d;
    SerialToDate(m_days, y, m, d);
    return m;
}

int16_t CKSTTimeStamp::GetDay() const
{
    int16_t y, m, d;
    SerialToDate(m_days, y, m, d);
    return d;
}

int16_t CKSTTimeStamp::GetDayOfWeek() const
{
    int16_t y, m, d, w = 0;
    SerialToDate(m_days, y, m, d, &w);
    return w;
}

int16_t CKSTTimeStamp::GetHour() const
{
    int16_t h, m, s;
    SerialToTime(m_days, h, m, s);
    return h;
}

int16_t CKSTTimeStamp::GetMinute() const
{
    int16_t h, m, s;
    SerialToTime(m_days, h, m, s);
    return m;
}

int16_t CKSTTimeStamp::GetSecond() const
{
    int16_t h, m, s;
    SerialToTime(m_days, h, m, s);
    return s;
}

double CKSTTimeStamp::GetSecondsOfDay() const
{
    int16_t h, m, s;
    SerialToTime(m_days, h, m, s);
    return (h * 60.0 + m) * 60.0 + s + m_fraction;
}

double CKSTTimeStamp::GetSeconds() const
{
    return RoundToExponent(m_days * KST_SECONDS_PER_DAY, 0) + m_fraction;
}

std::tm CKSTTimeStamp::ToTm() const
{
    int16_t year, month, day, hour, minute, second, dayOfWeek = 0;
    SerialToDateTime(m_days, year, month, day, hour, minute, second);
    SerialToDate(m_days, year, month, day, &dayOfWeek);
    std::tm tm{};
    tm.tm_sec = second;
    tm.tm_min = minute;
    tm.tm_hour = hour;
    tm.tm_mday = day;
    tm.tm_mon = month - 1;
    tm.tm_year = year - 1900;
    // strftime's %a, %A and %j read these; mktime ignores them.
    tm.tm_wday = dayOfWeek;
    tm.tm_yday = static_cast<int>(DateToSerial(year, month, day, 0, 0, 0) -
                                  DateToSerial(year, 1, 1, 0, 0, 0));
    tm.tm_isdst = 0;
    return tm;
}

time_t CKSTTimeStamp::ToTimeT() const
{
    std::tm tm = ToTm();
    const time_t value = std::mktime(&tm);
    return value == static_cast<time_t>(-1) ? 0 : value;
}

void CKSTTimeStamp::ReplaceField(int field, int value)
{
    int16_t parts[6];
    SerialToDateTime(m_days, parts[0], parts[1], parts[2], parts[3], parts[4], parts[5]);
    int fields[6] = {parts[0], parts[1], parts[2], parts[3], parts[4], parts[5]};
    fields[field] = value;
    SetFields(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]);
}

void CKSTTimeStamp::SetYear(int year)
{
    ReplaceField(0, year);
}

void CKSTTimeStamp::SetMonth(int month)
{
    ReplaceField(1, month);
}

void CKSTTimeStamp::SetDay(int day)
{
    ReplaceField(2, day);
}

void CKSTTimeStamp::SetHour(int hour)
{
    ReplaceField(3, hour);
}

void CKSTTimeStamp::SetMinute(int minute)
{
    ReplaceField(4, minute);
}

void CKSTTimeStamp::SetSecond(int second)
{
    ReplaceField(5, second);
}

// ---------------------------------------------------------------------------------------------
// Arithmetic and comparison

CKSTTimeStamp& CKSTTimeStamp::operator+=(const CKSTTimeSpan& span)
{
    m_days += span.GetSerialDays();
    m_fraction += span.GetFraction();
    while (m_fraction >= 1.0) {
        m_days += KST_ONE_SECOND_DAYS;
        m_fraction -= 1.0;
    }
    while (m_fraction < 0.0) {
        m_days -= KST_ONE_SECOND_DAYS;
        m_fraction += 1.0;
    }
    m_days = RoundDaysToSecond(m_days);
    return *this;
}

CKSTTimeStamp& CKSTTimeStamp::SubtractSpan(const CKSTTimeSpan& span)
{
    return *this += CKSTTimeSpan::FromFields(-span.GetSerialDays(), -span.GetFraction());
}

CKSTTimeStamp& CKSTTimeStamp::AddSeconds(double seconds)
{
    return *this += CKSTTimeSpan(seconds);
}

CKSTTimeStamp& CKSTTimeStamp::SubtractSeconds(double seconds)
{
    return SubtractSpan(CKSTTimeSpan(seconds));
}

CKSTTimeStamp CKSTTimeStamp::operator+(const CKSTTimeSpan& span) const
{
    CKSTTimeStamp copy = *this;
    return copy += span;
}

CKSTTimeStamp CKSTTimeStamp::operator+(double seconds) const
{
    CKSTTimeStamp copy = *this;
    return copy.AddSeconds(seconds);
}

CKSTTimeStamp CKSTTimeStamp::operator-(double seconds) const
{
    CKSTTimeStamp copy = *this;
    return copy.SubtractSeconds(seconds);
}

CKSTTimeSpan CKSTTimeStamp::operator-(const CKSTTimeStamp& other) const
{
    double days = m_days - other.m_days;
    double fraction = m_fraction - other.m_fraction;
    while (fraction < 0.0) {
        days -= KST_ONE_SECOND_DAYS;
        fraction += 1.0;
    }
    return CKSTTimeSpan::FromFields(RoundDaysToSecond(days), fraction);
}

void CKSTTimeStamp::RoundToSecond()
{
    if (m_fraction >= 0.5) {
        m_days += KST_ONE_SECOND_DAYS;
    }
    m_fraction = 0.0;
    m_days = RoundDaysToSecond(m_days);
}

void CKSTTimeStamp::RoundFraction()
{
    if (FixedText(m_fraction, 6)[0] == '1') {
        m_days = RoundDaysToSecond(m_days + KST_ONE_SECOND_DAYS);
        m_fraction = 0.0;
    }
}

bool CKSTTimeStamp::operator<(const CKSTTimeStamp& other) const
{
    const double d = m_days - other.m_days;
    if (d > 1e-6) {
        return false;
    }
    if (d < -1e-6) {
        return true;
    }
    return m_fraction < other.m_fraction;
}

bool CKSTTimeStamp::operator<=(const CKSTTimeStamp& other) const
{
    const double d = m_days - other.m_days;
    if (d > 1e-6) {
        return false;
    }
    if (d < -1e-6) {
        return true;
    }
    return m_fraction <= other.m_fraction;
}

bool CKSTTimeStamp::operator>(const CKSTTimeStamp& other) const
{
    const double d = m_days - other.m_days;
    if (d > 1e-6) {
        return true;
    }
    if (d < -1e-6) {
        return false;
    }
    return m_fraction > other.m_fraction;
}

bool CKSTTimeStamp::operator==(const CKSTTimeStamp& other) const
{
    return std::fabs(m_days - other.m_days) < 1e-6 && m_fraction == other.m_fraction;
}

// ---------------------------------------------------------------------------------------------
// Clocks

void CKSTTimeStamp::SetNow()
{
    KstLocalTime now;
    KstSystemClockSource().localNow(now);
    m_days = DateToSerial(now.year, now.month, now.day, now.hour, now.minute, now.second);
    m_fraction = now.milliseconds * 0.001;
}

CKSTTimeStamp CKSTTimeStamp::Now()
{
    CKSTTimeStamp stamp;
    stamp.SetNow();
    return stamp;
}

void CKSTTimeStamp::SetNowPrecise()
{
    *this = CKSTPreciseClock::Process().Now();
}

CKSTTimeStamp CKSTTimeStamp::NowPrecise()
{
    return CKSTPreciseClock::Process().Now();
}

CKSTString CKSTTimeStamp::NowText()
{
    return Now().FormatDateTimeMs();
}

// ---------------------------------------------------------------------------------------------
// Texts

// A copy whose fraction, printed with the given decimals, never reads as a full second: such a
// fraction is carried into the seconds. fractionText receives the digits with the leading "0"
// dropped (".25"); it stays empty for decimals <= 0.
CKSTTimeStamp CKSTTimeStamp::WithFractionRounded(int decimals, CKSTString& fractionText) const
{
    CKSTTimeStamp copy = *this;
    fractionText = CKSTString();
    if (decimals <= 0) {
        return copy;
    }
    std::string digits = FixedText(copy.m_fraction, decimals);
    if (digits[0] == '1') {
        copy.m_days = RoundDaysToSecond(copy.m_days + KST_ONE_SECOND_DAYS);
        copy.m_fraction = 0.0;
        digits = FixedText(0.0, decimals);
    }
    fractionText = CKSTString(digits.c_str() + 1);
    return copy;
}

CKSTString CKSTTimeStamp::FormatDateLocale() const
{
    return StrftimeUnderLocale(ToTm(), "%x", "");
}

CKSTString CKSTTimeStamp::FormatTime(int decimals, bool noRounding) const
{
    CKSTTimeStamp copy = *this;
    if (!noRounding) {
        copy.RoundFraction();
    }
    CKSTString fraction;
    copy = copy.WithFractionRounded(decimals, fraction);
    CKSTString text = StrftimeUnderLocale(copy.ToTm(), "%X", "");
    text += fraction;
    text.Replace(',', '.');
    return text;
}

CKSTString CKSTTimeStamp::Format(bool withFraction) const
{
    CKSTTimeStamp copy = *this;
    copy.RoundFraction();
    CKSTString text = StrftimeUnderLocale(copy.ToTm(), "%x %X", "");
    if (withFraction && copy.m_fraction != 0.0) {
        text += FixedText(copy.m_fraction, 6).c_str() + 1;
    }
    return text;
}

CKSTString CKSTTimeStamp::FormatStrftime(const char* format) const
{
    return Strftime(ToTm(), format ? format : "");
}

CKSTString CKSTTimeStamp::FormatStrftime(const char* format, const char* localeName) const
{
    return StrftimeUnderLocale(ToTm(), format ? format : "", localeName ? localeName : "");
}

CKSTString CKSTTimeStamp::FormatDateNumeric(bool usOrder) const
{
    int16_t y, m, d;
    SerialToDate(m_days, y, m, d);
    char buffer[32];
    if (usOrder) {
        std::snprintf(buffer, sizeof buffer, "%d/%d/%d", m, d, y);
    } else {
        std::snprintf(buffer, sizeof buffer, "%d.%d.%d", d, m, y);
    }
    return CKSTString(buffer);
}

CKSTString CKSTTimeStamp::FormatCompact() const
{
    int16_t y, mo, d, h, mi, s;
    SerialToDateTime(m_days, y, mo, d, h, mi, s);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%d-%02d-%02d_%02d-%02d-%02d", y, mo, d, h, mi, s);
    return CKSTString(buffer);
}

CKSTString CKSTTimeStamp::FormatDateTimeMs() const
{
    CKSTString fraction;
    const CKSTTimeStamp copy = WithFractionRounded(3, fraction);
    int16_t y, mo, d, h, mi, s;
    SerialToDateTime(copy.m_days, y, mo, d, h, mi, s);
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
    return CKSTString(buffer) + fraction;
}
