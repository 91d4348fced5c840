#pragma once
// The mapped view moved down to foundation/, where the native container reads through it too.

#include "foundation/MappedFile.h"
