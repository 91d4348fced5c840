#pragma once
// The built-in demonstration node: three signals of period 10 s and amplitude 10 computed from
// the time of day, so that every client shows the same curve at the same moment.
#include <cstdint>

#include "foundation/TimeStamp.h"

class CKSTChannel;

namespace kst_node {

constexpr int kDemoFifoCount = 3;
constexpr double kDemoSampleInterval = 0.1;
// FIFO names in FIFO-index order.
extern const char* const kDemoFifoNames[kDemoFifoCount];
constexpr char kDemoUnit[] = "V";

// Value of FIFO 0 (sine), 1 (rectangle) or 2 (triangle) at `secondsOfDay` (fraction included);
// 0 for any other FIFO.
double DemoNodeValue(int32_t fifoIndex, double secondsOfDay);

// The demo FIFO's samples from number readCounter on (sample k lies at origin + k x dt) while
// their time is earlier than now, at most kFifoBufferSize per call like a real node's pass.
// `samples` becomes an equidistant channel starting at the first new sample; readCounter
// advances by the count appended.
void ReadDemoSamples(int32_t fifoIndex, const CKSTTimeStamp& origin, double dt,
                     const CKSTTimeStamp& now, int64_t& readCounter, CKSTChannel& samples);

}  // namespace kst_node
