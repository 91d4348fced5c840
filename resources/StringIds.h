#pragma once
// Ids of the program's texts (German id; the English text has id + 1000), generated from the
// string table in strings/AllStrings.inc. Load them with LoadResString.

enum KstStringId : int {
#define KST_STRING(name, id, german, english) name = id,
#include "strings/AllStrings.inc"
#undef KST_STRING
};
