#include <gtest/gtest.h>

#include <functional>

#include "data/settings/ProcessLayout.h"
#include "data/settings/SettingsFields.h"

namespace {

CKSTProcessLayout TwoElementLayout()
{
    CKSTProcessLayout layout;
    CKSTElementSnapshot& text = layout.AddEntry(KST_ELEMENT_TEXT);
    text.m_Left = 10;
    text.m_Top = 10;
    text.m_Right = 110;
    text.m_Bottom = 40;
    text.m_TextSettings->m_Text = "Title";
    CKSTElementSnapshot& sheet = layout.AddEntry(KST_ELEMENT_VALUE_SHEET);
    sheet.m_Right = 200;
    sheet.m_Bottom = 100;
    sheet.m_ValueSheetSettings->m_Rows.resize(2);
    return layout;
}

TEST(ProcessLayout, PoolsEqualFontsAndPicturesOnce)
{
    CKSTProcessLayout layout;
    CKSTFontDesc font;
    EXPECT_EQ(layout.AddFont(font), 0);
    EXPECT_EQ(layout.AddFont(font), 0);
    font.m_weight = 700;
    EXPECT_EQ(layout.AddFont(font), 1);
    EXPECT_EQ(layout.m_Fonts.size(), 2u);

    CKSTRasterImage picture;
    picture.Create(2, 1);
    picture.SetPixel(0, 0, 1);
    picture.SetPixel(1, 0, 2);
    EXPECT_EQ(layout.AddPicture(picture), 0);
    EXPECT_EQ(layout.AddPicture(picture), 0);
    picture.SetPixel(1, 0, 3);
    EXPECT_EQ(layout.AddPicture(picture), 1);
}

TEST(ProcessLayout, CopyIsDeepAndLeavesIdsBehind)
{
    CKSTProcessLayout source = TwoElementLayout();
    source.m_GridStepX = 17;
    source.m_Entries[0]->m_Id = 42;
    source.m_Entries[0]->m_Selected = 1;
    source.AddFont(CKSTFontDesc());

    CKSTProcessLayout copy(source);
    EXPECT_EQ(copy.m_GridStepX, 17);
    EXPECT_EQ(copy.m_Fonts.size(), 1u);
    ASSERT_EQ(copy.m_Entries.size(), 2u);
    EXPECT_EQ(copy.m_Entries[0]->m_Id, 0u);
    EXPECT_EQ(copy.m_Entries[0]->m_Selected, 0);
    EXPECT_EQ(copy.m_Entries[1]->m_ValueSheetSettings->m_Rows.size(), 2u);
    EXPECT_TRUE(copy.IsEqual(source));

    copy.m_Entries[0]->m_TextSettings->m_Text = "Changed";
    EXPECT_EQ(source.m_Entries[0]->m_TextSettings->m_Text, "Title");

    // Assignment replaces what the target held.
    CKSTProcessLayout target = TwoElementLayout();
    target.AddEntry(KST_ELEMENT_VIDEO);
    target = source;
    EXPECT_EQ(target.m_Entries.size(), 2u);
}

// The field list sees what the layout comparison leaves out as well.
TEST(ProcessLayout, FieldListSeesEveryPart)
{
    const CKSTProcessLayout reference = TwoElementLayout();
    EXPECT_TRUE(KstSameFields(reference, CKSTProcessLayout(reference)));
    const std::pair<const char*, std::function<void(CKSTProcessLayout&)>> changes[] = {
        {"header", [](CKSTProcessLayout& l) { l.m_GridStepX = 1; }},
        {"font table", [](CKSTProcessLayout& l) { l.AddFont(CKSTFontDesc()); }},
        {"id", [](CKSTProcessLayout& l) { l.m_Entries[0]->m_Id = 7; }},
        {"text record",
         [](CKSTProcessLayout& l) { l.m_Entries[0]->m_TextSettings->m_Font.m_weight = 1; }},
        {"record missing", [](CKSTProcessLayout& l) { l.m_Entries[0]->m_TextSettings.reset(); }},
        {"value sheet row",
         [](CKSTProcessLayout& l) { l.m_Entries[1]->m_ValueSheetSettings->m_Rows[1].m_Kind = 1; }},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.first);
        CKSTProcessLayout changed(reference);
        change.second(changed);
        EXPECT_FALSE(KstSameFields(reference, changed));
    }
}

TEST(ProcessLayout, Equality)
{
    struct Case {
        const char* name;
        std::function<void(CKSTProcessLayout&)> change;
        bool equal;
    } cases[] = {
        {"unchanged", [](CKSTProcessLayout&) {}, true},
        {"header only", [](CKSTProcessLayout& l) { l.m_BackgroundColor = 0x123456; }, true},
        {"corners swapped",
         [](CKSTProcessLayout& l) { std::swap(l.m_Entries[0]->m_Left, l.m_Entries[0]->m_Right); },
         true},
        {"moved by one pixel", [](CKSTProcessLayout& l) { l.m_Entries[0]->m_Left += 1; }, false},
        {"text record", [](CKSTProcessLayout& l) { l.m_Entries[0]->m_TextSettings->m_Frame = 1; },
         false},
        {"value sheet rows",
         [](CKSTProcessLayout& l) { l.m_Entries[1]->m_ValueSheetSettings->m_Rows.clear(); }, true},
        {"value sheet font index",
         [](CKSTProcessLayout& l) { l.m_Entries[1]->m_ValueSheetSettings->m_FontIndex = 0; },
         false},
        {"record missing", [](CKSTProcessLayout& l) { l.m_Entries[0]->m_TextSettings.reset(); },
         false},
        {"kind", [](CKSTProcessLayout& l) { l.m_Entries[0]->m_Kind = KST_ELEMENT_RESERVED; },
         false},
        {"one more entry", [](CKSTProcessLayout& l) { l.AddEntry(KST_ELEMENT_RESERVED); }, false},
    };
    const CKSTProcessLayout reference = TwoElementLayout();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTProcessLayout changed(reference);
        c.change(changed);
        EXPECT_EQ(changed.IsEqual(reference), c.equal);
        EXPECT_EQ(reference.IsEqual(changed), c.equal);
    }

    // Pictures compare by their index alone; reserved kinds by kind and rectangle.
    CKSTElementSnapshot a;
    CKSTElementSnapshot b;
    a.m_Kind = b.m_Kind = KST_ELEMENT_PICTURE;
    a.m_PictureSettings = std::make_unique<CKSTPictureElementSettings>();
    b.m_PictureSettings = std::make_unique<CKSTPictureElementSettings>();
    b.m_PictureSettings->m_Picture.Create(1, 1);
    EXPECT_TRUE(a.IsEqual(b));
    b.m_PictureSettings->m_PictureIndex = 0;
    EXPECT_FALSE(a.IsEqual(b));
    a.m_Kind = b.m_Kind = 11;
    EXPECT_TRUE(a.IsEqual(b));
}

}  // namespace
