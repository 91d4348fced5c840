#include "panels/FileTypeBoxes.h"

#include "resources/ResourceIds.h"

namespace {

const KstFileTypeBox kBoxes[kKstFileTypeBoxCount] = {
    {IDC_FILETYPES_QLD, ".qld ", 0, 0},         {IDC_FILETYPES_ZRW, ".zrw ", 1, 1},
    {IDC_FILETYPES_DAT, ".dat ", 2, 2},         {IDC_FILETYPES_RAW, ".raw ", 3, 3},
    {IDC_FILETYPES_DDF_DDB, ".ddf/.ddb ", 4, 5}, {IDC_FILETYPES_MAT_FIG, ".mat/.fig ", 6, 7},
    {IDC_FILETYPES_WAV, ".wav ", 8, 8},         {IDC_FILETYPES_DBL, ".dbl ", 9, 9},
    {IDC_FILETYPES_FLT, ".flt ", 10, 10},       {IDC_FILETYPES_BBL, ".bbl ", 11, 11},
    {IDC_FILETYPES_ASC, ".asc ", 12, 12},       {IDC_FILETYPES_CSV, ".csv ", 13, 13},
    {IDC_FILETYPES_LOG, ".log ", 14, 14},       {IDC_FILETYPES_TXT, ".txt ", 15, 15},
};

}  // namespace

const KstFileTypeBox& KstFileTypeBoxAt(int index)
{
    return kBoxes[index];
}

int KstFileTypeBoxOfFlag(int flag)
{
    for (int i = 0; i < kKstFileTypeBoxCount; ++i) {
        if (flag >= kBoxes[i].firstFlag && flag <= kBoxes[i].lastFlag) {
            return i;
        }
    }
    return -1;
}
