#include "app/StatusTexts.h"

#include <algorithm>

#include "foundation/Colors.h"

int KstMessageNumber(const char* text)
{
    if (!text) {
        return 0;
    }
    const char* c = text;
    bool negative = false;
    if (*c == '-' || *c == '+') {
        negative = *c == '-';
        ++c;
    }
    // Far beyond any message number; longer digit runs stop there instead of overflowing.
    constexpr int64_t kLimit = 1000000000;
    int64_t value = 0;
    for (; *c >= '0' && *c <= '9'; ++c) {
        value = std::min(kLimit, value * 10 + (*c - '0'));
    }
    return static_cast<int>(negative ? -value : value);
}

int KstMessageStringId(int base, int number)
{
    return number >= 1 ? base + number - 1 : 0;
}

KstLockPane KstLockPaneFor(bool locked, bool hasPassword)
{
    if (locked) {
        return {KstLockIcon::Locked, false};
    }
    return hasPassword ? KstLockPane{KstLockIcon::Opened, false}
                       : KstLockPane{KstLockIcon::None, true};
}

CKSTString KstRateText(int32_t sourceKind, double rateKiloBytesPerSecond)
{
    // Kind 3: an acquisition controller read without its buffer description.
    CKSTString text = sourceKind == 3 ? "Polling: " : "Buffered: ";
    text += CKSTString::FormatFixed(rateKiloBytesPerSecond, 1);
    text += " kB/s";
    return text;
}

CKSTString KstMemoryText(uint64_t bytes)
{
    constexpr uint64_t kKiB = 1024;
    constexpr uint64_t kMiB = 1024 * 1024;
    CKSTString text = "Mem: ";
    if (bytes < kKiB) {
        text.AppendInt64(static_cast<int64_t>(bytes));
        text += " Bytes";
    } else if (bytes < kMiB) {
        text.AppendInt64(static_cast<int64_t>(bytes / kKiB));
        text += " kB";
    } else {
        const double mib = static_cast<double>(bytes) / static_cast<double>(kMiB);
        if (mib < 10.0) {
            text += CKSTString::FormatFixed(mib, 2);
        } else if (mib < 100.0) {
            text += CKSTString::FormatFixed(mib, 1);
        } else {
            text.AppendInt64(static_cast<int64_t>(bytes / kMiB));
        }
        text += " MB";
    }
    return text;
}

const char* KstMemoryColourPrefix(bool online, uint64_t bytes, double limitMiB)
{
    // Without a limit there is nothing to warn about.
    if (!online || !(limitMiB > 0.0)) {
        return "";
    }
    const double mib = static_cast<double>(bytes) / (1024.0 * 1024.0);
    if (mib > 1.25 * limitMiB) {
        return "WHITE|RED|";
    }
    if (mib > 1.05 * limitMiB) {
        return "BLACK|YELLOW|";
    }
    return "BLACK|GREEN|";
}

KstColouredText KstParseColouredText(const char* text)
{
    KstColouredText result;
    const CKSTString all(text);
    const int first = all.Find('|');
    const int second = first >= 0 ? all.Find('|', first + 1) : -1;
    if (second < 0) {
        result.text = all;
        return result;
    }
    result.coloured = true;
    result.foreground = ColorFromName(all.Left(first));
    result.background = ColorFromName(all.Mid(first + 1, second - first - 1));
    result.text = all.Mid(second + 1);
    return result;
}
