#include "foundation/TimeStamp.h"

#include <windows.h>

CKSTTimeStamp::CKSTTimeStamp(const FILETIME& fileTime)
{
    SYSTEMTIME st;
    if (FileTimeToSystemTime(&fileTime, &st)) {
        m_days = DateToSerial(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
    }
}
