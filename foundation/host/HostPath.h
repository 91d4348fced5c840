#pragma once
// The program's paths on the host: a backslash is taken as the separator.
#include <algorithm>
#include <string>

#include "foundation/String.h"

inline std::string KstHostPath(const CKSTString& path)
{
    std::string p(path.c_str());
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
}
