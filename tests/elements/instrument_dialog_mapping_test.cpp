// The bar and meter dialogs' fields: every option lands in its own field and back, and a choice
// outside a list keeps what the window had.
#include "elements/InstrumentDialogMapping.h"

#include <gtest/gtest.h>

namespace {

KstInstrumentOptions DistinctOptions()
{
    KstInstrumentOptions options;
    options.font.m_height = -17;
    options.textColour = 0x000001;
    options.windowColour = 0x000002;
    options.plotColour = 0x000003;
    options.barColour = 0x000004;
    options.gradient = 1;
    options.showGroup = true;
    options.title = true;
    options.titleAlign = 2;
    options.style = 1;
    options.showValue = 1;
    options.titleText = "Rack:u";
    options.scaleAngle = 123.5;
    return options;
}

TEST(InstrumentDialogMappingTest, FieldsShowEveryOptionAndGiveItBack)
{
    const KstInstrumentOptions options = DistinctOptions();
    const KstInstrumentFields fields = KstInstrumentFieldsFromOptions(options);
    EXPECT_EQ(fields.title, "Rack:u");
    EXPECT_EQ(fields.titlePosition, 1);
    EXPECT_EQ(fields.alignment, 2);
    EXPECT_EQ(fields.displayType, 1);
    EXPECT_EQ(fields.gradient, 1);
    EXPECT_EQ(fields.showGroup, 1);
    EXPECT_EQ(fields.showValue, 1);
    EXPECT_EQ(fields.textColour, 0x000001u);
    EXPECT_EQ(fields.titleBackColour, 0x000002u);
    EXPECT_EQ(fields.backColour, 0x000003u);
    EXPECT_EQ(fields.barColour, 0x000004u);
    EXPECT_EQ(fields.font.m_height, -17);
    EXPECT_DOUBLE_EQ(fields.scaleAngle, 123.5);

    KstInstrumentOptions back;
    KstInstrumentOptionsFromFields(fields, back);
    EXPECT_TRUE(back.font == options.font);
    EXPECT_EQ(back.textColour, options.textColour);
    EXPECT_EQ(back.windowColour, options.windowColour);
    EXPECT_EQ(back.plotColour, options.plotColour);
    EXPECT_EQ(back.barColour, options.barColour);
    EXPECT_EQ(back.gradient, 1);
    EXPECT_TRUE(back.showGroup);
    EXPECT_TRUE(back.title);
    EXPECT_EQ(back.titleAlign, 2);
    EXPECT_EQ(back.style, 1);
    EXPECT_EQ(back.showValue, 1);
    EXPECT_DOUBLE_EQ(back.scaleAngle, 123.5);
}

TEST(InstrumentDialogMappingTest, TitleTextIsShownOnly)
{
    KstInstrumentFields fields = KstInstrumentFieldsFromOptions(DistinctOptions());
    fields.title = "typed";
    KstInstrumentOptions back = DistinctOptions();
    KstInstrumentOptionsFromFields(fields, back);
    EXPECT_EQ(back.titleText, "Rack:u");
}

TEST(InstrumentDialogMappingTest, ChoicesOutsideTheListsKeepTheWindowsValues)
{
    struct Case {
        int index;
        bool titleBefore;
        bool title;      // title position list: 0 "Title top", 1 no title
        int alignment;   // before: 1
        int style;       // before: 0
    };
    const Case cases[] = {
        {-1, true, true, 1, 0},  {-1, false, false, 1, 0}, {0, true, false, 0, 0},
        {1, false, true, 1, 1},  {2, false, false, 2, 0},  {3, true, true, 1, 0},
    };
    for (const Case& c : cases) {
        KstInstrumentOptions options;
        options.title = c.titleBefore;
        options.titleAlign = 1;
        options.style = 0;
        KstInstrumentFields fields = KstInstrumentFieldsFromOptions(options);
        fields.titlePosition = c.index;
        fields.alignment = c.index;
        fields.displayType = c.index;
        KstInstrumentOptionsFromFields(fields, options);
        EXPECT_EQ(options.title, c.title) << c.index << c.titleBefore;
        EXPECT_EQ(options.titleAlign, c.alignment) << c.index;
        EXPECT_EQ(options.style, c.style) << c.index;
    }
}

}  // namespace
