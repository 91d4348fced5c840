// The host build has no platform fonts: descriptions are plain data there.
#include "foundation/FontDesc.h"

KstFontHandle CKSTFontDesc::CreatePlatformFont(const CKSTFontDesc&, bool)
{
    return nullptr;
}

void CKSTFontDesc::DeletePlatformFont(KstFontHandle) {}
