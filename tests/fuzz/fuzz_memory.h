#pragma once
// The fuzz targets run under a 2 GB allocation limit: opens that size their budget by the free
// memory see a machine with 256 MB free, so that a budget overrun is a finding, not the norm.
#include <cstdint>

#include "foundation/SystemMemory.h"

namespace {

[[maybe_unused]] const bool g_fuzzMemorySet = (
    KstAvailableMemory = [] { return uint64_t{256} << 20; }, true);

}  // namespace
