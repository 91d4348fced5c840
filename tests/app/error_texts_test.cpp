#include <gtest/gtest.h>

#include "app/ErrorTexts.h"
#include "resources/StringIds.h"

namespace {

TEST(ErrorTexts, OnlineTable)
{
    struct Case {
        int code;
        bool ask;
        bool shown;
        int id;
        KstMessageButtons buttons;
        bool prefix;
        int result;
    };
    using B = KstMessageButtons;
    const Case cases[] = {
        {0, true, false, 0, B::Ok, false, 0},
        {-1013, false, false, 0, B::Ok, false, 0},
        {-1414, true, true, 4557, B::YesNoStop, false, -1},
        {-1414, false, true, 4554, B::Ok, false, -1},
        {-1350, true, true, 4556, B::YesNoStop, false, -1},
        {-1350, false, true, 4552, B::Ok, false, -1},
        {-1348, true, true, 4563, B::Ok, false, -1},
        {-1347, false, true, 4550, B::Ok, false, -1},
        {-1355, true, true, 4558, B::Ok, false, -1},
        {-1327, false, true, 4558, B::Ok, false, -1},
        {-100, true, true, 4555, B::OkExclamation, false, -1},
        {-1330, false, true, 4914, B::OkExclamation, false, -1},
        {-1331, true, true, 4931, B::OkExclamation, false, -1},
        {-1360, true, true, 4548, B::Ok, true, -1},
        {-1360, false, true, 4551, B::Ok, true, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.code << " ask " << c.ask);
        const KstErrorMessage m = KstOnlineErrorMessage(c.code, c.ask);
        EXPECT_EQ(m.shown, c.shown);
        if (c.shown) {
            EXPECT_EQ(m.stringId, c.id);
            EXPECT_EQ(m.buttons, c.buttons);
            EXPECT_EQ(m.prefixCode, c.prefix);
            EXPECT_EQ(m.result, c.result);
        }
    }
}

TEST(ErrorTexts, FileTable)
{
    const struct {
        int code, id, result;
    } cases[] = {
        {-1201, 4506, -1}, {-1205, 4930, -1}, {-1206, 4510, -1}, {-1207, 4511, -1},
        {-1232, 4511, -1}, {-1210, 4514, 0},  {-1229, 4547, -1}, {-1230, 4547, -1},
        {-1237, 4565, -1}, {-1300, 4523, -1},
    };
    for (const auto& c : cases) {
        const KstErrorMessage m = KstFileErrorMessage(c.code);
        EXPECT_TRUE(m.shown) << c.code;
        EXPECT_EQ(m.stringId, c.id) << c.code;
        EXPECT_EQ(m.result, c.result) << c.code;
    }
    for (int code : {-1218, -1, 0, -1231}) {
        EXPECT_FALSE(KstFileErrorMessage(code).shown) << code;
        EXPECT_EQ(KstFileErrorMessage(code).result, 0);
    }
}

}  // namespace
