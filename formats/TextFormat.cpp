#include "formats/TextFormat.h"

bool CKSTTextFormat::NamesReadingDialect() const
{
    return formatCode == KST_TEXT_IDL_LOGGER || formatCode == KST_TEXT_DASYLAB ||
           formatCode == KST_TEXT_TORAN || formatCode == KST_TEXT_RUNTIME;
}

const CKSTKeywordMap& CKSTTextFormat::FormatNames()
{
    static const CKSTKeywordMap names("NONE", KST_TEXT_NONE, "CSV_TIME", KST_TEXT_CSV_TIME,
                                      "TEXT", KST_TEXT_TEXT, "SPLASH", KST_TEXT_SPLASH, "BDATA",
                                      KST_TEXT_BDATA, "IDL_LOGGER", KST_TEXT_IDL_LOGGER,
                                      "CSV_SECONDS", KST_TEXT_CSV_SECONDS, "DASYLAB",
                                      KST_TEXT_DASYLAB, "TORAN", KST_TEXT_TORAN, nullptr);
    return names;
}

const CKSTKeywordMap& CKSTTextFormat::AutoNames()
{
    static const CKSTKeywordMap names("NONE", 0, "AUTO", 1, nullptr);
    return names;
}
