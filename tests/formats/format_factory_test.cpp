#include "formats/FormatFactory.h"

#include <gtest/gtest.h>

#include "data/MeasurementFile.h"

namespace {

TEST(FormatFactoryTest, OnlyForeignTypesGetAnObject)
{
    const int32_t notForeign[] = {KST_FILE_NONE,    KST_FILE_NATIVE,  KST_FILE_NATIVE_ZRW,
                                  KST_FILE_RAW_F64, KST_FILE_RAW_F32, KST_FILE_RECORD,
                                  KST_FILE_BMP,     KST_FILE_GIF,     KST_FILE_JPEG,
                                  -1,               16};
    for (int32_t type : notForeign) {
        SCOPED_TRACE(type);
        EXPECT_EQ(KstCreateFormatFile(type), nullptr);
    }
}

}  // namespace
