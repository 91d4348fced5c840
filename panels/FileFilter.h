#pragma once
// File-dialog filter lists in both languages, joined in the "text|pattern|...||" form the file
// dialogs take.
#include <cstddef>

#include "foundation/String.h"

struct KstFileFilter {
    const char* english;
    const char* german;
    const char* pattern;
};

template <size_t N>
CKSTString KstFilterString(const KstFileFilter (&filters)[N], bool english)
{
    CKSTString text;
    for (const KstFileFilter& filter : filters) {
        text += english ? filter.english : filter.german;
        text += '|';
        text += filter.pattern;
        text += '|';
    }
    text += '|';
    return text;
}
