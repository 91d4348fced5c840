#pragma once
// The settings of text-table import and export, kept by the application for its load and save
// dialogs and handed to the text reader and writers (or none, for their defaults).

#include <cstdint>

#include "foundation/KeywordMap.h"
#include "foundation/String.h"

// Dialects of text tables.
enum TextFileFormat : int32_t {
    KST_TEXT_NONE = 0,           // reading: detect the dialect
    KST_TEXT_CSV_TIME = 1,       // date and time in two columns
    KST_TEXT_CSV_DATETIME = 2,   // date and time combined in one column
    KST_TEXT_TEXT = 3,           // fixed-width value fields
    KST_TEXT_SPLASH = 4,         // file and interval preamble, three time columns
    KST_TEXT_BDATA = 5,          // "@"-separated with counter channels
    KST_TEXT_IDL_LOGGER = 6,     // logger export with an identification header of 8 lines
    KST_TEXT_CSV_SECONDS = 7,    // one relative-time column in seconds
    KST_TEXT_DASYLAB = 8,        // text export of DASYLab
    KST_TEXT_TORAN = 9,          // partner dialect with "BUND"/"BAND" words
    KST_TEXT_RUNTIME = 10,       // first column hours:minutes:seconds of run time
};

// Separator choices of the record.
enum : int32_t {
    KST_TEXT_SEPARATOR_COMMA = 0,
    KST_TEXT_SEPARATOR_SEMICOLON = 1,
    KST_TEXT_SEPARATOR_TAB = 2,
    KST_TEXT_SEPARATOR_AUTO = 3,  // reading only
};

// Date orders of the reader; 0 leaves the order to the reader.
enum : int32_t {
    KST_TEXT_DATE_AUTO = 0,
    KST_TEXT_DATE_DDMMYY = 1,
    KST_TEXT_DATE_MMDDYY = 2,
    KST_TEXT_DATE_YYMMDD = 3,
    KST_TEXT_DATE_YYDDMM = 4,
};

class CKSTTextFormat {
public:
    int32_t formatCode = KST_TEXT_CSV_TIME;
    // Reading: 1 a first column that rises strictly becomes the time axis, 0 never.
    int32_t xAxis = 1;
    // Writing: group, name and unit lines.
    uint8_t writeHeader = 1;
    int32_t readSeparator = KST_TEXT_SEPARATOR_AUTO;
    int32_t writeSeparator = KST_TEXT_SEPARATOR_COMMA;
    // Writing with TAB: 1 ".", 0 ",".
    int32_t decimalMark = 1;
    int32_t dateFormat = KST_TEXT_DATE_AUTO;
    // TEXT dialect: values right-aligned to this width.
    int16_t columnWidth = 0;
    int16_t valueDecimals = 3;
    // Writing: each channel reduced to the means of blocks of this many samples when above 1.
    int32_t averageCount = 0;
    // Writing: every channel gets a value at every time of the table.
    uint8_t interpolate = 0;
    int16_t timeDecimals = 0;
    // Reading: channels that received no sample are dropped.
    uint8_t removeEmptyColumns = 1;
    uint8_t suppressGroupNames = 0;
    // Reading: number of header lines, -1 to find it.
    int16_t headerLines = -1;
    // Writing, combined date and time: the title of the time column in the name line.
    CKSTString timeColumnTitle;

    // A dialect the reader treats in its own way; the writing dialects leave reading to the
    // detection.
    bool NamesReadingDialect() const;

    // Keywords of the format codes for stored settings (codes 2 and 10 have none).
    static const CKSTKeywordMap& FormatNames();
    // "NONE" 0, "AUTO" 1.
    static const CKSTKeywordMap& AutoNames();
};
