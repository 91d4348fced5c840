#include "app/ViewRules.h"

#include <cmath>
#include <memory>

namespace {

constexpr unsigned kKeySpace = 0x20;
constexpr unsigned kKeyBackspace = 0x08;

bool IsFinite(double value)
{
    return std::isfinite(value);
}

}  // namespace

int KstFolderStepForKey(unsigned key)
{
    if (key == kKeySpace) {
        return 1;
    }
    if (key == kKeyBackspace) {
        return -1;
    }
    return 0;
}

KstCursorReport KstCursorReportTexts(int32_t left, int32_t top, int32_t right, int32_t bottom,
                                     const CKSTString& sizeLabel)
{
    KstCursorReport report;
    report.position = "Pos: ";
    report.position.AppendLong(left);
    report.position += ",";
    report.position.AppendLong(top);
    report.size = sizeLabel;
    report.size += ": ";
    // 64 bits: a rectangle spanning the whole coordinate range must not overflow.
    report.size.AppendInt64(static_cast<int64_t>(right) - left);
    report.size += "x";
    report.size.AppendInt64(static_cast<int64_t>(bottom) - top);
    return report;
}

bool KstIsValidSignal(const KstSignalRequest& request)
{
    return request.waveform >= KstSignalRequest::Sine &&
           request.waveform <= KstSignalRequest::Ramp && request.count >= 1 &&
           request.count <= kKstMaxSignalSamples && IsFinite(request.interval) &&
           request.interval > 0.0 && IsFinite(request.amplitude) &&
           IsFinite(request.frequency) && IsFinite(request.phase) && IsFinite(request.offset);
}

bool KstAppendSignal(const KstSignalRequest& request, CKSTDataSet& dataSet)
{
    if (!KstIsValidSignal(request)) {
        return false;
    }
    auto owned = std::make_unique<CKSTChannel>();
    CKSTChannel& channel = *owned;
    const auto n = static_cast<uint32_t>(request.count);
    const double dt = request.interval;
    switch (request.waveform) {
        case KstSignalRequest::Sine:
            channel.GenerateSine(n, dt, request.amplitude, request.frequency, request.phase);
            break;
        case KstSignalRequest::Square:
            channel.GenerateSquare(n, dt, request.amplitude, request.frequency, request.phase);
            break;
        case KstSignalRequest::Triangle:
            channel.GenerateTriangle(n, dt, request.amplitude, request.frequency, request.phase);
            break;
        case KstSignalRequest::Sawtooth:
            channel.GenerateSawtooth(n, dt, request.amplitude, request.frequency, request.phase);
            break;
        case KstSignalRequest::Constant:
            channel.GenerateConstant(request.amplitude, n, dt);
            break;
        default:
            // The ramp climbs to the amplitude over the whole length.
            channel.GenerateRamp(n, dt);
            channel.MultiplyValues(request.amplitude / static_cast<double>(request.count));
            break;
    }
    channel.SetName(request.name);
    channel.SetUnit(request.unit);
    if (request.offset != 0.0) {
        channel.AddToValues(request.offset);
    }
    CKSTChannelList& channels = dataSet.GetChannels();
    if (channels.GetCount() > 0) {
        channel.SetStartTimeStamp(dataSet.GetEarliestStartTimeStamp());
    }
    channels.AddPointer(owned.release(), true);
    return true;
}
