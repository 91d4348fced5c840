#pragma once
// The check boxes of the file-types dialog and the association flags each one stands for.
struct KstFileTypeBox {
    int controlId;
    const char* label;  // followed by the text "Files" of the language
    int firstFlag;
    int lastFlag;  // the same as firstFlag for a box of one extension
};

constexpr int kKstFileTypeBoxCount = 14;
const KstFileTypeBox& KstFileTypeBoxAt(int index);
// The box that stands for flag `flag` (0..15).
int KstFileTypeBoxOfFlag(int flag);
