#include "panels/AsciiDialogMapping.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

// A decimal integer at the start of the text after blanks, with an optional sign.
bool ParseLeadingInteger(const CKSTString& text, int64_t& value)
{
    const char* p = text.c_str();
    const char* end = p + std::strlen(p);
    while (p < end && (*p == ' ' || *p == '\t')) {
        ++p;
    }
    if (p < end && *p == '+') {
        ++p;
    }
    const std::from_chars_result r = std::from_chars(p, end, value);
    return r.ec == std::errc();
}

void SetShort(const CKSTString& text, int16_t& field)
{
    int16_t value = 0;
    if (KstParseShort(text, value)) {
        field = value;
    }
}

}  // namespace

bool KstParseShort(const CKSTString& text, int16_t& value)
{
    int64_t wide = 0;
    if (!ParseLeadingInteger(text, wide) || wide < std::numeric_limits<int16_t>::min() ||
        wide > std::numeric_limits<int16_t>::max()) {
        return false;
    }
    value = static_cast<int16_t>(wide);
    return true;
}

// ---- Load ---------------------------------------------------------------------------------------

void KstLoadAsciiFieldsFromSettings(const CKSTTextFormat& settings, KstLoadAsciiFields& fields)
{
    switch (settings.readSeparator) {
        case KST_TEXT_SEPARATOR_COMMA:
            fields.separatorIndex = KstLoadAsciiFields::kSeparatorComma;
            break;
        case KST_TEXT_SEPARATOR_SEMICOLON:
            fields.separatorIndex = KstLoadAsciiFields::kSeparatorSemicolon;
            break;
        case KST_TEXT_SEPARATOR_TAB:
            fields.separatorIndex = KstLoadAsciiFields::kSeparatorTab;
            break;
        case KST_TEXT_SEPARATOR_AUTO:
            fields.separatorIndex = KstLoadAsciiFields::kSeparatorAuto;
            break;
        default:
            break;
    }
    if (settings.xAxis == 0) {
        fields.xAxisIndex = 1;
    } else if (settings.xAxis == 1) {
        fields.xAxisIndex = 0;
    }
    if (settings.dateFormat >= KST_TEXT_DATE_AUTO && settings.dateFormat <= KST_TEXT_DATE_YYDDMM) {
        fields.dateFormatIndex = settings.dateFormat;
    }
    fields.headerLines = settings.headerLines >= 0 ? CKSTString::FormatInt(settings.headerLines)
                                                   : CKSTString("auto");
    fields.removeEmptyColumns = settings.removeEmptyColumns ? 1 : 0;
    fields.suppressGroupNames = settings.suppressGroupNames ? 1 : 0;
}

void KstLoadAsciiSettingsFromFields(const KstLoadAsciiFields& fields, CKSTTextFormat& settings)
{
    static const int32_t kSeparators[] = {KST_TEXT_SEPARATOR_AUTO, KST_TEXT_SEPARATOR_SEMICOLON,
                                          KST_TEXT_SEPARATOR_COMMA, KST_TEXT_SEPARATOR_TAB};
    if (fields.separatorIndex >= 0 && fields.separatorIndex <= 3) {
        settings.readSeparator = kSeparators[fields.separatorIndex];
    }
    if (fields.xAxisIndex == 0 || fields.xAxisIndex == 1) {
        settings.xAxis = fields.xAxisIndex == 0 ? 1 : 0;
    }
    if (fields.dateFormatIndex >= 0 && fields.dateFormatIndex <= KST_TEXT_DATE_YYDDMM) {
        settings.dateFormat = fields.dateFormatIndex;
    }
    // A text that is no 16-bit number keeps the count the record had.
    if (fields.headerLines == "auto") {
        settings.headerLines = -1;
    } else {
        SetShort(fields.headerLines, settings.headerLines);
    }
    settings.removeEmptyColumns = fields.removeEmptyColumns ? 1 : 0;
    settings.suppressGroupNames = fields.suppressGroupNames ? 1 : 0;
}

// ---- Save ---------------------------------------------------------------------------------------

void KstSaveAsciiFieldsFromSettings(const CKSTTextFormat& settings, KstSaveAsciiFields& fields)
{
    switch (settings.writeSeparator) {
        case KST_TEXT_SEPARATOR_COMMA:
            fields.separatorIndex = KstSaveAsciiFields::kSeparatorComma;
            break;
        case KST_TEXT_SEPARATOR_SEMICOLON:
            fields.separatorIndex = KstSaveAsciiFields::kSeparatorSemicolon;
            break;
        case KST_TEXT_SEPARATOR_TAB:
            fields.separatorIndex = KstSaveAsciiFields::kSeparatorTab;
            break;
        default:
            break;
    }
    if (settings.decimalMark == 0) {
        fields.decimalMarkIndex = KstSaveAsciiFields::kMarkComma;
    } else if (settings.decimalMark == 1) {
        fields.decimalMarkIndex = KstSaveAsciiFields::kMarkPoint;
    }
    fields.valueDecimals = CKSTString::FormatInt(settings.valueDecimals);
    fields.timeDecimals = CKSTString::FormatInt(settings.timeDecimals);
    fields.interpolate = settings.interpolate ? 1 : 0;
    fields.average = settings.averageCount != 0 ? 1 : 0;
    fields.averageCount =
        settings.averageCount != 0 ? CKSTString::FormatInt(settings.averageCount) : CKSTString("2");
    if (!KstAverageCountValid(fields.averageCount)) {
        fields.averageCount = "2";
    }
    switch (settings.formatCode) {
        case KST_TEXT_CSV_TIME:
            fields.timeInfo = KstSaveAsciiFields::kTimeSeparated;
            break;
        case KST_TEXT_CSV_DATETIME:
            fields.timeInfo = KstSaveAsciiFields::kTimeCombined;
            break;
        default:
            fields.timeInfo = KstSaveAsciiFields::kTimeSeconds;
            break;
    }
}

void KstSaveAsciiSettingsFromFields(const KstSaveAsciiFields& fields, CKSTTextFormat& settings)
{
    switch (fields.timeInfo) {
        case KstSaveAsciiFields::kTimeSeparated:
            settings.formatCode = KST_TEXT_CSV_TIME;
            break;
        case KstSaveAsciiFields::kTimeCombined:
            settings.formatCode = KST_TEXT_CSV_DATETIME;
            break;
        default:
            settings.formatCode = KST_TEXT_CSV_SECONDS;
            break;
    }
    switch (fields.separatorIndex) {
        case KstSaveAsciiFields::kSeparatorSemicolon:
            settings.writeSeparator = KST_TEXT_SEPARATOR_SEMICOLON;
            break;
        case KstSaveAsciiFields::kSeparatorTab:
            settings.writeSeparator = KST_TEXT_SEPARATOR_TAB;
            break;
        default:
            settings.writeSeparator = KST_TEXT_SEPARATOR_COMMA;
            break;
    }
    settings.decimalMark = fields.decimalMarkIndex == KstSaveAsciiFields::kMarkComma ? 0 : 1;
    SetShort(fields.valueDecimals, settings.valueDecimals);
    SetShort(fields.timeDecimals, settings.timeDecimals);
    if (fields.average) {
        int16_t count = 0;
        if (KstParseShort(fields.averageCount, count)) {
            settings.averageCount = count;
        }
    } else {
        settings.averageCount = 0;
    }
    settings.interpolate = fields.interpolate ? 1 : 0;
}

bool KstCoupleDecimalMark(KstSaveAsciiFields& fields)
{
    switch (fields.separatorIndex) {
        case KstSaveAsciiFields::kSeparatorSemicolon:
            fields.decimalMarkIndex = KstSaveAsciiFields::kMarkComma;
            return false;
        case KstSaveAsciiFields::kSeparatorComma:
            fields.decimalMarkIndex = KstSaveAsciiFields::kMarkPoint;
            return false;
        default:
            return true;
    }
}

bool KstAverageCountValid(const CKSTString& text)
{
    int16_t count = 0;
    return KstParseShort(text, count) && count >= 2;
}

CKSTString KstStepAverageCount(const CKSTString& text, int delta)
{
    int64_t count = 0;
    if (!ParseLeadingInteger(text, count)) {
        return text;
    }
    const int64_t stepped = count - delta;
    if (stepped < 2 || stepped > std::numeric_limits<int16_t>::max()) {
        return text;
    }
    return CKSTString::FormatInt(static_cast<int32_t>(stepped));
}
