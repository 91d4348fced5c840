#include "app/FrameTitle.h"

CKSTString KstFileNameOf(const CKSTString& path)
{
    return path.Mid(path.ReverseFind('\\') + 1);
}

CKSTString KstFrameTitle(const CKSTString& currentPath, int32_t settingsUsage,
                         const CKSTString& commandLineFile, const CKSTString& productName,
                         const CKSTString& version)
{
    CKSTString title = KstFileNameOf(currentPath);
    if (settingsUsage != 2 && !commandLineFile.IsEmpty()) {
        title += " (";
        title += KstFileNameOf(commandLineFile);
        title += ")";
    }
    if (!title.IsEmpty()) {
        title += " - ";
    }
    title += productName;
    title += ' ';
    title += version;
    return title;
}
