// The main of every test executable.
#include <gtest/gtest.h>

#include "support/TestProcess.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    kst_test::PrepareTestProcess();
    return RUN_ALL_TESTS();
}
