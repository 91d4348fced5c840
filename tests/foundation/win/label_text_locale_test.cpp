#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "foundation/LabelText.h"

namespace {

// Labels keep '.' as decimal character under a locale that writes ','.
TEST(LabelTextLocale, DecimalPointUnderAGermanLocale)
{
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    ASSERT_TRUE(std::setlocale(LC_ALL, "german-austrian"));
    CKSTString number, suffix, duration;
    FormatScaledNumber(0.0015, 2, false, "V", -3, 2, number, suffix);
    FormatDuration(1.25, 2, 100, 0, 60, false, duration);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_STREQ("1.50", number.c_str());
    EXPECT_STREQ(" 00:00:01.25", duration.c_str());
}

}  // namespace
