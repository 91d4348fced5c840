#include "elements/ValueDialogMapping.h"

#include <cmath>

namespace {

constexpr uint32_t kAlignmentCodes[] = {6, 12, 9};
constexpr uint32_t kTitleSides[] = {0, 3, 1, 2};
constexpr int kOperatorCount = 5;

CKSTString SplitRatioText(double ratio)
{
    return CKSTString::FormatFixed(ratio, 2, '.');
}

CKSTString ThresholdText(double threshold)
{
    CKSTString text;
    text.AppendDouble(threshold);
    return text;
}

// Digits only, at most the bound; a longer run of digits than any bound needs is refused
// before it is read.
void TakeBoundedDigits(const CKSTString& text, int32_t maximum, int32_t& target)
{
    if (text.IsEmpty() || text.GetLength() > 9 || !text.IsDigits()) {
        return;
    }
    const int32_t value = text.ToLong();
    if (value <= maximum) {
        target = value;
    }
}

// A number with '.' as its only decimal mark; the text as shown keeps the exact value it was
// rounded from.
bool ReadNumber(const CKSTString& text, const CKSTString& shown, double& value)
{
    if (text.IsEmpty() || text == shown || !text.IsNumber(false)) {
        return false;
    }
    value = text.ToDouble(false);
    return std::isfinite(value);
}

void TakeSplitRatio(const CKSTString& text, double& target)
{
    double ratio = 0.0;
    if (ReadNumber(text, SplitRatioText(target), ratio) && ratio >= 0.0 && ratio <= 1.0) {
        target = ratio;
    }
}

void TakeThreshold(const CKSTString& text, double& target)
{
    double threshold = 0.0;
    if (ReadNumber(text, ThresholdText(target), threshold)) {
        target = threshold;
    }
}

// A changed font no longer is the layout's pooled font at the old index.
void TakeFont(const CKSTFontDesc& font, CKSTFontDesc& target, int16_t& index)
{
    if (font != target) {
        target = font;
        index = -1;
    }
}

void TakeTitle(const KstValueDialogFields& fields, CKSTValueElementSettings& s)
{
    s.m_Title = fields.title;
    TakeFont(fields.titleFont, s.m_TitleFont, s.m_TitleFontIndex);
    s.m_TitleTextColor = fields.titleTextColour;
    s.m_TitleBackColor = fields.titleBackColour;
    s.m_TitleAlignment = KstAlignmentCodeOfIndex(fields.titleAlignment);
    s.m_TitleSide = KstTitleSideOfIndex(fields.titlePosition);
}

}  // namespace

int KstAlignmentIndexOfCode(uint32_t code)
{
    switch (code) {
        case 0:
        case 5:
        case 6:
        case 7:
            return 0;
        case 1:
        case 8:
        case 9:
        case 10:
            return 2;
        default:
            return 1;
    }
}

uint32_t KstAlignmentCodeOfIndex(int index)
{
    return index >= 0 && index < 3 ? kAlignmentCodes[index] : 6;
}

int KstTitlePositionIndexOfSide(uint32_t side)
{
    for (int i = 0; i < 4; ++i) {
        if (kTitleSides[i] == side) {
            return i;
        }
    }
    return 0;
}

uint32_t KstTitleSideOfIndex(int index)
{
    return index >= 0 && index < 4 ? kTitleSides[index] : 0;
}

int KstOperatorIndexOfCode(uint32_t code)
{
    return code < kOperatorCount ? static_cast<int>(code) : 0;
}

uint32_t KstOperatorCodeOfIndex(int index)
{
    return index >= 0 && index < kOperatorCount ? static_cast<uint32_t>(index) : 0;
}

KstValueDialogFields KstValueFieldsFromSettings(const CKSTValueElementSettings& s)
{
    KstValueDialogFields f;
    f.title = s.m_Title;
    f.titleFont = s.m_TitleFont;
    f.titleTextColour = s.m_TitleTextColor;
    f.titleBackColour = s.m_TitleBackColor;
    f.titleTransparent = s.m_TitleTransparent != 0 ? 1 : 0;
    f.titlePosition = KstTitlePositionIndexOfSide(s.m_TitleSide);
    f.titleAlignment = KstAlignmentIndexOfCode(s.m_TitleAlignment);
    f.showGroup = s.m_ShowGroup != 0 ? 1 : 0;
    f.channel = s.m_ChannelName;
    f.valueFont = s.m_ValueFont;
    f.valueTextColour = s.m_ValueTextColor;
    f.valueBackColour = s.m_ValueBackColor;
    f.valueTransparent = s.m_ValueTransparent != 0 ? 1 : 0;
    f.valueAlignment = KstAlignmentIndexOfCode(s.m_ValueAlignment);
    f.showUnit = s.m_ShowUnit != 0 ? 1 : 0;
    f.frame = s.m_Frame != 0 ? 1 : 0;
    f.frameColour = s.m_FrameColor;
    f.frameWidth = CKSTString::FormatInt(s.m_FrameWidth);
    f.precision = CKSTString::FormatInt(s.m_Precision);
    f.splitRatio = SplitRatioText(s.m_SplitRatio);
    f.activeColour1 = s.m_LampActiveColor1;
    f.activeColour2 = s.m_LampActiveColor2;
    f.passiveColour = s.m_LampPassiveColor;
    f.operator1 = KstOperatorIndexOfCode(s.m_Operator1);
    f.operator2 = KstOperatorIndexOfCode(s.m_Operator2);
    f.threshold1 = ThresholdText(s.m_Threshold1);
    f.threshold2 = ThresholdText(s.m_Threshold2);
    return f;
}

void KstApplyValueFields(const KstValueDialogFields& f, CKSTValueElementSettings& s)
{
    s.m_FrameColor = f.frameColour;
    TakeBoundedDigits(f.frameWidth, KST_MAX_FRAME_WIDTH, s.m_FrameWidth);
    TakeTitle(f, s);
    s.m_TitleTransparent = f.titleTransparent != 0 ? 1 : 0;
    s.m_ValueTransparent = f.valueTransparent != 0 ? 1 : 0;
    s.m_ShowGroup = f.showGroup != 0 ? 1 : 0;
    s.m_ShowUnit = f.showUnit == 1 ? 1 : 0;
    s.m_Frame = f.frame == 1 ? 1 : 0;
    TakeSplitRatio(f.splitRatio, s.m_SplitRatio);
    TakeBoundedDigits(f.precision, KST_MAX_PRECISION, s.m_Precision);
    TakeFont(f.valueFont, s.m_ValueFont, s.m_ValueFontIndex);
    s.m_ValueTextColor = f.valueTextColour;
    s.m_ValueBackColor = f.valueBackColour;
    s.m_ValueAlignment = KstAlignmentCodeOfIndex(f.valueAlignment);
}

void KstApplyLampFields(const KstValueDialogFields& f, CKSTValueElementSettings& s)
{
    TakeTitle(f, s);
    s.m_TitleTransparent = f.titleTransparent != 0 ? 1 : 0;
    s.m_ValueTransparent = f.valueTransparent != 0 ? 1 : 0;
    s.m_Frame = f.frame == 1 ? 1 : 0;
    TakeSplitRatio(f.splitRatio, s.m_SplitRatio);
    TakeBoundedDigits(f.precision, KST_MAX_PRECISION, s.m_Precision);
    s.m_LampActiveColor1 = f.activeColour1;
    s.m_LampActiveColor2 = f.activeColour2;
    s.m_LampPassiveColor = f.passiveColour;
    s.m_ValueBackColor = f.valueBackColour;
    s.m_Operator1 = KstOperatorCodeOfIndex(f.operator1);
    s.m_Operator2 = KstOperatorCodeOfIndex(f.operator2);
    TakeThreshold(f.threshold1, s.m_Threshold1);
    TakeThreshold(f.threshold2, s.m_Threshold2);
}
