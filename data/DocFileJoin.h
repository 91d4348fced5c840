#pragma once
// After a channel scan a time-vector channel takes the times stored under its time-base index.

#include "data/Channel.h"

namespace kst_doc {

// The channel's times become the values of the times channel (none: no times); the count is
// the smaller of both.
void JoinTimes(CKSTChannel& channel, const CKSTChannel* times);

}  // namespace kst_doc
