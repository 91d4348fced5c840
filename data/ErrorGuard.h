#pragma once
// Formats and readers may throw (index errors as plain ints, allocation failures); the file
// objects' callers only ever see error codes.

#include <new>

#include "foundation/ErrorCodes.h"

template <class Operation>
int KstGuarded(Operation&& operation) noexcept
{
    try {
        return operation();
    } catch (int code) {
        return code < 0 ? code : KST_ERR_INDEX;
    } catch (const std::bad_alloc&) {
        return KST_ERR_TOO_LARGE;
    } catch (...) {
        return KST_ERR_BAD_HEADER;
    }
}
