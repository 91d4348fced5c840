#include "data/DocFileJoin.h"

#include <algorithm>
#include <cstring>

namespace kst_doc {

void JoinTimes(CKSTChannel& channel, const CKSTChannel* times)
{
    const uint32_t available = times != nullptr ? times->GetCount() : 0;
    const uint32_t n = std::min(channel.GetCount(), available);
    if (n < channel.GetCount()) {
        channel.SetCapacity(n);
    }
    if (n == 0) {
        return;
    }
    // The arrays are the channel's own; SetTimeAt would judge the order against the zeros
    // still standing in the later slots.
    std::memcpy(const_cast<double*>(channel.GetTimes()), times->GetValues(), sizeof(double) * n);
    channel.RescanAscending();
}

}  // namespace kst_doc
