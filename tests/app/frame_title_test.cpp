#include <gtest/gtest.h>

#include "app/FrameTitle.h"

namespace {

TEST(FrameTitle, FileNameCommandLineFileAndProduct)
{
    const struct {
        const char* path;
        int32_t usage;
        const char* commandLineFile;
        const char* title;
    } cases[] = {
        {"", 0, "", "Talvenor - Vizuve 2.49"},
        {"C:\\data\\run.qld", 0, "", "run.qld - Talvenor - Vizuve 2.49"},
        {"run.qld", 1, "", "run.qld - Talvenor - Vizuve 2.49"},
        {"C:\\data\\run.qld", 1, "C:\\x\\start.qld",
         "run.qld (start.qld) - Talvenor - Vizuve 2.49"},
        // "Ever" applies the standard settings anyway: the start file is not named.
        {"C:\\data\\run.qld", 2, "C:\\x\\start.qld", "run.qld - Talvenor - Vizuve 2.49"},
        {"", 0, "start.qld", " (start.qld) - Talvenor - Vizuve 2.49"},
        {"C:\\data\\", 0, "", "Talvenor - Vizuve 2.49"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(
            KstFrameTitle(c.path, c.usage, c.commandLineFile, "Talvenor - Vizuve", "2.49").c_str(),
            c.title)
            << c.path << " " << c.usage << " " << c.commandLineFile;
    }
}

}  // namespace
