#pragma once
// After a channel scan: a time-vector channel takes the times stored under its time-base index,
// and regular time vectors become equidistant channels.

#include "data/Channel.h"

namespace kst_doc {

// The channel's times become the values of the times channel (none: no times); the count is
// the smaller of both.
void JoinTimes(CKSTChannel& channel, const CKSTChannel* times);

// An ascending time vector on a regular grid (gaps allowed) becomes equidistant; gaps become
// missing samples.
void MakeEquidistantIfRegular(CKSTChannel& channel);

}  // namespace kst_doc
