#include "app/OnlineControl.h"

#include <algorithm>

#include "app/CommandLine.h"
#include "data/Channel.h"
#include "data/DataSet.h"
#include "data/DocFile.h"
#include "foundation/ErrorCodes.h"
#include "foundation/FileReplace.h"

namespace {

constexpr uint32_t kAllBuffers = 0xFFFFFFFFu;
constexpr double kAppendPeriodSeconds = 60.0;
// Hold starts this far above the limit, so that trimming gets its chance first.
constexpr double kHoldFactor = 1.25;
// Trimming keeps this much beyond the last sample, so no channel loses its newest samples.
constexpr double kTrimSlackSeconds = 10.0;

bool IsControllerKind(int32_t kind)
{
    return kind == KST_SOURCE_CONTROLLER_BUFDES || kind == KST_SOURCE_CONTROLLER ||
           kind == KST_SOURCE_CONTROLLER_2;
}

bool IsKnownKind(int32_t kind)
{
    return kind >= KST_SOURCE_NODE && kind <= KST_SOURCE_CONTROLLER_2;
}

// The serial master has no pause flag; every other client stops reading while held.
bool HoldEndsTick(int32_t kind)
{
    return kind != KST_SOURCE_SERIAL_MASTER;
}

double SecondsBetween(const CKSTTimeStamp& from, const CKSTTimeStamp& to)
{
    return (to - from).GetSeconds();
}

}  // namespace

CKSTOnlineControl::Clock CKSTOnlineControl::s_clock = &CKSTTimeStamp::NowPrecise;

CKSTOnlineControl::CKSTOnlineControl(IKSTOnlineHost& host) : m_host(host) {}

CKSTOnlineControl::~CKSTOnlineControl() = default;

int CKSTOnlineControl::ConnectSource(const CKSTString& address, int port, bool triggered,
                                     double pollInterval, int sourceKind, int backTimeMode,
                                     int bufferType, int bufferIndex, int nonErasing,
                                     const CKSTString& recordingFile, double backTime,
                                     double memoryLimit, bool selectChannels, bool passiveFtp,
                                     bool reconnecting)
{
    if (!reconnecting) {
        m_host.NewDocument();
        // A new recording appends on its first tick.
        m_lastAppend = CKSTTimeStamp();
    }
    m_args.address = address;
    m_args.port = port;
    m_args.triggered = triggered;
    m_args.pollInterval = pollInterval;
    m_args.backTimeMode = backTimeMode;
    m_args.bufferType = bufferType;
    m_args.bufferIndex = static_cast<uint32_t>(bufferIndex);
    m_args.nonErasing = nonErasing;
    m_args.backTime = backTime;
    m_dMemoryLimit = memoryLimit;
    m_args.passiveFtp = passiveFtp;
    m_nSourceKind = sourceKind;
    m_strRecordingFile = recordingFile;
    m_bAlignStarts = false;
    // Only a controller reads several buffers; every other source reads its first one.
    if (!IsControllerKind(sourceKind) && sourceKind != KST_SOURCE_CONTROLLER_PROBE &&
        m_args.bufferIndex == kAllBuffers) {
        m_args.bufferIndex = 0;
    }

    CloseSources();
    int result = m_host.OpenSources(m_nSourceKind, m_args, selectChannels, m_sources);
    if (result != KST_OK) {
        m_sources.clear();
        return result;
    }
    if (!reconnecting) {
        int channelCount = 0;
        for (const auto& source : m_sources) {
            channelCount += source->GetChannelCount();
        }
        CKSTDataSet* data = m_host.GetOnlineData();
        result = data ? BuildOnlineChannels(*data, channelCount) : KST_ERR_FILE_NOT_OPEN;
        if (result != KST_OK) {
            // The view stays offline: no client may go on reading for nobody.
            CloseSources();
            return result;
        }
    }
    m_host.ArmOnlineTimer(static_cast<uint32_t>(m_dUpdateInterval * 1000.0));
    m_dRate = 0.0;
    m_bOnline = true;
    m_bHold = false;
    m_host.RefreshStatus();
    return KST_OK;
}

int CKSTOnlineControl::BuildOnlineChannels(CKSTDataSet& data, int channelCount)
{
    data.Clear(true);
    CKSTChannelList& channels = data.GetChannels();
    CKSTChannel scratch;
    for (const auto& source : m_sources) {
        const int count = source->GetChannelCount();
        for (int i = 0; i < count; ++i) {
            scratch.Reset();
            // A channel the source cannot describe keeps its place, empty, so indices stay aligned.
            static_cast<void>(source->GetChannelInfo(i, scratch));
            channels.AddCopy(scratch);
        }
    }
    m_bAlignStarts = m_args.bufferIndex == kAllBuffers;
    m_host.ShowOnlineData(data);

    const bool recording = !m_strRecordingFile.IsEmpty();
    if (recording) {
        m_recordingChannels.DeleteAll();
        for (int i = 0; i < std::max(channelCount, channels.GetCount()); ++i) {
            m_recordingChannels.AddNew();
        }
    }
    if (m_bAlignStarts) {
        AlignStarts(data);
    }
    if (recording && CreateRecording(data) != KST_OK) {
        // The stream goes on unrecorded, so its data are unsaved; the user is told why.
        m_strRecordingFile.Empty();
        m_recordingChannels.DeleteAll();
        m_host.ShowError(KST_ONL_RECORDING_NOT_CREATED, false);
    }
    if (m_strRecordingFile.IsEmpty()) {
        m_host.SetLiveDataModified(true);
    }
    return KST_OK;
}

int CKSTOnlineControl::CreateRecording(const CKSTDataSet& data)
{
    CKSTDocFile file;
    int result = file.OpenWrite(m_strRecordingFile);
    if (result != KST_OK) {
        return result;
    }
    result = file.WriteDataSet(data, false);
    const int closed = file.Close();
    if (result == KST_OK) {
        result = closed;
    }
    if (result != KST_OK) {
        // A head the appends could not extend into a readable recording.
        KstDeleteFile(m_strRecordingFile);
    }
    return result;
}

void CKSTOnlineControl::AlignStarts(CKSTDataSet& data)
{
    CKSTChannelList& channels = data.GetChannels();
    CKSTTimeStamp earliest = CKSTChannel::FarFutureTimeStamp();
    for (int i = 0; i < channels.GetCount(); ++i) {
        earliest = std::min(earliest, channels.GetAt(i)->GetStartTimeStamp());
    }
    for (int i = 0; i < channels.GetCount(); ++i) {
        CKSTChannel& channel = *channels.GetAt(i);
        if (!(earliest < channel.GetStartTimeStamp())) {
            continue;
        }
        const double delay = SecondsBetween(earliest, channel.GetStartTimeStamp());
        channel.SetT0(delay);
        channel.SetStartTimeStamp(earliest);
        if (i < m_recordingChannels.GetCount()) {
            m_recordingChannels.GetAt(i)->SetT0(delay);
            m_recordingChannels.GetAt(i)->SetStartTimeStamp(earliest);
        }
    }
}

int CKSTOnlineControl::PollOnlineData()
{
    CKSTDataSet* data = m_host.GetOnlineData();
    if (!data) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    CKSTChannelList& channels = data->GetChannels();
    const bool recording = !m_strRecordingFile.IsEmpty();

    if (m_args.triggered) {
        // Each tick of the oscilloscope shows only the newest block.
        for (int i = 0; i < channels.GetCount(); ++i) {
            channels.GetAt(i)->FreeData(true, false);
        }
    }

    const bool viewingOlderData = m_host.IsViewingOlderData();
    m_bHold = viewingOlderData && m_dMemoryLimit > 0.0 &&
              channels.GetMemorySizeMB() > kHoldFactor * m_dMemoryLimit;
    for (const auto& source : m_sources) {
        source->SetPause(m_bHold);
    }
    if (m_bHold && HoldEndsTick(m_nSourceKind)) {
        return KST_OK;
    }

    if (!IsKnownKind(m_nSourceKind)) {
        return KST_ONL_UNKNOWN_KIND;
    }
    bool complete = false;
    int result = CopyNewSamples(*data, recording, complete);
    if (result != KST_OK || !complete) {
        return result;
    }

    if (!m_args.triggered) {
        if (m_dMemoryLimit > 0.0 && !viewingOlderData) {
            TrimToMemoryLimit(*data);
        }
    } else {
        result = ApplyTrigger();
        if (result != KST_OK) {
            return result;
        }
    }

    if (recording) {
        const CKSTTimeStamp now = s_clock();
        if (SecondsBetween(m_lastAppend, now) > kAppendPeriodSeconds) {
            result = AppendRecording();
            if (result != KST_OK) {
                return result;
            }
            m_lastAppend = now;
        }
    }
    m_host.RefreshDisplays();
    return KST_OK;
}

// `complete` stays false when a triggered client has no block yet.
int CKSTOnlineControl::CopyNewSamples(CKSTDataSet& data, bool recording, bool& complete)
{
    CKSTChannelList& channels = data.GetChannels();
    const int n = channels.GetCount();
    int k = 0;
    for (const auto& source : m_sources) {
        if (!source->IsOpen()) {
            return KST_ERR_FILE_NOT_OPEN;
        }
        const int error = source->GetLastError();
        if (error != KST_OK) {
            return error;
        }
        if (m_args.triggered && !source->IsBlockReady()) {
            return KST_OK;
        }
        const int count = source->GetChannelCount();
        for (int j = 0; j < count && k < n; ++j, ++k) {
            CKSTChannel& target = *channels.GetAt(k);
            CKSTChannel* record =
                recording && k < m_recordingChannels.GetCount() ? m_recordingChannels.GetAt(k)
                                                                : nullptr;
            // The first samples bring the client's own origin; the aligned one must stay.
            const double t0 = target.GetT0();
            const CKSTTimeStamp start = target.GetStartTimeStamp();
            static_cast<void>(source->GetChannelData(j, target, record));  // nothing new is no error
            if (m_bAlignStarts) {
                target.SetT0(t0);
                target.SetStartTimeStamp(start);
                if (record) {
                    record->SetT0(t0);
                    record->SetStartTimeStamp(start);
                }
            }
        }
        source->RequestNext();
    }
    m_bAlignStarts = false;
    if (!m_sources.empty()) {
        m_dRate = m_sources.front()->GetThroughput();
    }
    complete = true;
    return KST_OK;
}

void CKSTOnlineControl::TrimToMemoryLimit(CKSTDataSet& data)
{
    CKSTChannelList& channels = data.GetChannels();
    const double used = channels.GetMemorySizeMB();
    if (!(used > m_dMemoryLimit)) {
        return;
    }
    const CKSTTimeStamp first = data.GetStartTimeStamp();
    const CKSTTimeStamp last = data.GetEndTimeStamp();
    const CKSTTimeStamp second = data.GetNextSampleTimeStamp(first);
    const double keep = SecondsBetween(first, last) * m_dMemoryLimit / used;
    for (int i = 0; i < channels.GetCount(); ++i) {
        CKSTChannel& channel = *channels.GetAt(i);
        if (channel.GetCount() == 0) {
            continue;
        }
        const CKSTTimeStamp end = channel.GetLastSampleTimeStamp();
        if (!(SecondsBetween(first, end) > keep)) {
            continue;
        }
        // At least the first sample goes, so that every trim makes room.
        const CKSTTimeStamp from = std::max(end - keep, second);
        channel.CutBetweenTimeStamps(from, end + kTrimSlackSeconds);
    }
}

int CKSTOnlineControl::ApplyTrigger()
{
    CKSTDataSet* data = m_host.GetOnlineData();
    if (!data) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    CKSTChannelList& channels = data->GetChannels();
    const int n = channels.GetCount();
    if (m_nTriggerChannel >= static_cast<uint32_t>(n)) {
        return KST_ONL_TRIGGER_RANGE;
    }
    const CKSTChannel& trigger = *channels.GetAt(static_cast<int>(m_nTriggerChannel));
    const int64_t i1 = trigger.FindNextCrossingIndex(m_dTriggerLevel, 1, CKSTChannel::kCrossEither);
    int64_t i3 = 0;
    if (i1 != 0) {
        const CKSTChannel& first = *channels.GetAt(0);
        const uint32_t i2 = first.FindNextCrossingIndex(first.GetMaxValue() / 2.0,
                                                        static_cast<uint32_t>(i1) + 1,
                                                        CKSTChannel::kCrossEither);
        // No further crossing gives -1: no full period has arrived yet.
        i3 = static_cast<int64_t>(trigger.FindNextCrossingIndex(m_dTriggerLevel, i2 + 1,
                                                                CKSTChannel::kCrossEither)) -
             1;
    }
    if (i1 == 0 || i3 - i1 < 2) {
        for (int j = 0; j < n; ++j) {
            channels.GetAt(j)->FreeData(true, false);
        }
        return KST_OK;
    }
    for (int j = 0; j < n; ++j) {
        channels.GetAt(j)->CutIndexRange(static_cast<uint32_t>(i1), static_cast<uint32_t>(i3 + 1));
    }
    if (m_bInterpolate && m_nInterpolationFactor >= 1) {
        CKSTChannel& first = *channels.GetAt(0);
        first.InterpolateSteps();
        first.Resample(first.GetSampleInterval() / m_nInterpolationFactor, false);
        // Only a set with a third channel has one to smooth.
        if (n > 2) {
            CKSTChannel& third = *channels.GetAt(2);
            third.InterpolateSinc(third.GetSampleInterval() / m_nInterpolationFactor);
        }
    }
    return KST_OK;
}

int CKSTOnlineControl::AppendRecording()
{
    CKSTDocFile file;
    int result = file.OpenAppend(m_strRecordingFile);
    if (result != KST_OK) {
        return result;
    }
    result = file.AppendNewSamples(m_recordingChannels);
    const int closed = file.Close();
    if (result == KST_OK) {
        result = closed;
    }
    // Samples that did not reach the file stay for the next append.
    if (result == KST_OK) {
        m_recordingChannels.FreeAllData();
    }
    return result;
}

void CKSTOnlineControl::CloseSources()
{
    m_sources.clear();
}

void CKSTOnlineControl::StopOnline(bool keepKind)
{
    m_host.KillOnlineTimer();
    m_bOnline = false;
    m_bHold = false;
    const int32_t kind = m_nSourceKind;
    if (!keepKind) {
        m_nSourceKind = KST_SOURCE_NONE;
    }
    CloseSources();
    if (!IsKnownKind(kind)) {
        return;
    }
    if (!keepKind) {
        if (CKSTDataSet* data = m_host.GetOnlineData()) {
            CKSTChannelList& channels = data->GetChannels();
            for (int i = 0; i < channels.GetCount(); ++i) {
                CKSTChannel& channel = *channels.GetAt(i);
                if (channel.GetTimeBaseType() == CKSTChannel::kTimeVector) {
                    channel.ConvertToEquidistant(false, false);
                }
            }
        }
    }
    m_host.RefreshStatus();
    m_host.EndOnlineDisplay();
}

void CKSTOnlineControl::StopLiveStream()
{
    if (m_bOnline) {
        EndLiveStream();
    }
}

void CKSTOnlineControl::EndLiveStream()
{
    m_host.BeginWait();
    const int recorded = m_strRecordingFile.IsEmpty() ? KST_OK : AppendRecording();
    StopOnline(false);
    if (recorded != KST_OK) {
        // The file lacks the newest samples: opening it would pass it off as the whole stream.
        m_host.SetLiveDataModified(true);
        m_host.EndWait();
        m_host.ShowError(KST_ONL_RECORDING_INCOMPLETE, false);
        return;
    }
    if (!m_strRecordingFile.IsEmpty()) {
        const bool modified = m_host.IsLiveDataModified();
        if (modified) {
            m_host.SetLiveDataModified(false);
        }
        m_host.OpenRecording(m_strRecordingFile, modified);
    }
    m_host.EndWait();
}

int CKSTOnlineControl::Reconnect()
{
    StopOnline(true);
    const CKSTOnlineArgs args = m_args;
    const CKSTString recordingFile = m_strRecordingFile;
    return ConnectSource(args.address, args.port, args.triggered, args.pollInterval,
                         m_nSourceKind, args.backTimeMode, args.bufferType,
                         static_cast<int>(args.bufferIndex), args.nonErasing, recordingFile,
                         args.backTime, m_dMemoryLimit, false, args.passiveFtp, true);
}

void CKSTOnlineControl::OnOnlineTimer()
{
    m_host.KillOnlineTimer();
    const bool heldBefore = m_bHold;
    int result = PollOnlineData();
    if (result == KST_OK) {
        m_host.RefreshStatus();
        if (IsControllerKind(m_nSourceKind) && m_args.nonErasing == 1) {
            StopLiveStream();
            return;
        }
        if (m_bHold && !heldBefore) {
            m_host.ShowError(KST_ONL_MEMORY_LIMIT, false);
        }
        m_host.ArmOnlineTimer(static_cast<uint32_t>(m_dUpdateInterval * 1000.0));
        return;
    }
    while (result == KST_ONL_DATA_LOST || result == KST_ERR_TIMEOUT) {
        if (m_host.ShowError(result, true) != kKstOnlineAnswerYes) {
            EndLiveStream();
            return;
        }
        result = Reconnect();
        if (result == KST_OK) {
            return;
        }
    }
    // Also after a failed reconnect, which left the stream half-stopped: the samples not yet
    // recorded are appended and the recording becomes the document.
    EndLiveStream();
    m_host.ShowError(result, false);
}
