#include "framework/CodePage.h"

#include "framework/Seams.h"

UINT KstActiveCodePage()
{
    return KstSeams().activeCodePage();
}

CKSTString KstCodePageWarning(UINT codePage)
{
    CKSTString text;
    text.Format(
        "Windows runs this program with code page %u, but its texts use code page %u "
        "(Western European). Umlauts, the micro sign and other special characters may be shown "
        "and saved wrongly.",
        codePage, KST_PROGRAM_CODE_PAGE);
    return text;
}

bool KstCheckCodePage(HWND owner)
{
    const UINT codePage = KstActiveCodePage();
    if (codePage == KST_PROGRAM_CODE_PAGE) {
        return true;
    }
    KstMessageBox(owner, KstCodePageWarning(codePage).c_str(), nullptr, MB_OK | MB_ICONWARNING,
                  KST_IDP_CODE_PAGE);
    return false;
}
