#pragma once
// Sets TZ for the duration of a test and restores the previous setting. Wine takes its zone
// from TZ when it starts, which the test environment pins to UTC as well.

#include <cstdlib>
#include <ctime>
#include <string>

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
    {
        const char* old = std::getenv("TZ");
        m_had = old != nullptr;
        m_old = old ? old : "";
        Set(zone);
    }
    ~ScopedTimeZone() { m_had ? Set(m_old.c_str()) : Set(nullptr); }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    static void Set(const char* zone)
    {
#ifdef _WIN32
        _putenv_s("TZ", zone ? zone : "");
        _tzset();
#else
        zone ? setenv("TZ", zone, 1) : unsetenv("TZ");
        tzset();
#endif
    }
    bool m_had = false;
    std::string m_old;
};
