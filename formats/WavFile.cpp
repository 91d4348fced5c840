#include "formats/WavFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "formats/ByteStream.h"
#include "foundation/ErrorCodes.h"

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint32_t kFmtSize = 16;
// Sound needs at least 100 samples per second.
constexpr double kMaxSoundInterval = 0.01;
constexpr double kRangeLow = 7000.0;
constexpr double kRangeHigh = 32768.0;
constexpr double kPeak = 30000.0;
// Raw sample types of the channel record.
constexpr uint16_t kSampleOneByte = 1;
constexpr uint16_t kSampleTwoBytes = 2;

bool IdIs(const char id[4], const char* text)
{
    return std::memcmp(id, text, 4) == 0;
}

// Values scaled into +-30000 around their mean. The factor is the smaller of 30000/|min| and
// 30000/|max| as measured before the mean is removed, but never so large that a value moved
// by the mean leaves that range; a flat channel becomes silence.
void ScaleToPcm(CKSTChannel& channel)
{
    const double minimum = channel.GetMinValue();
    const double maximum = channel.GetMaxValue();
    if (minimum >= -32767.0 && minimum <= -kRangeLow && maximum >= kRangeLow &&
        maximum <= kRangeHigh) {
        return;
    }
    const double mean = channel.GetMeanValue();
    channel.SubtractFromValues(mean);
    const double spread = std::max(std::fabs(minimum - mean), std::fabs(maximum - mean));
    double factor = std::min(std::fabs(kPeak / minimum), std::fabs(kPeak / maximum));
    if (spread > 0.0 && std::isfinite(spread)) {
        factor = std::min(factor, kPeak / spread);
    } else {
        factor = 0.0;
    }
    channel.MultiplyValues(factor);
}

// One sample; 8-bit samples are unsigned around 128.
template <typename Sample>
double Widen(const uint8_t* p)
{
    Sample s;
    std::memcpy(&s, p, sizeof s);
    return sizeof(Sample) == 1 ? static_cast<double>(s) - 128.0 : static_cast<double>(s);
}

// n samples of one channel, every `step`-th one from p.
template <typename Sample>
void DecodeSamples(const uint8_t* p, uint32_t step, double* out, uint32_t n)
{
    const size_t stride = size_t{step} * sizeof(Sample);
    for (uint32_t i = 0; i < n; ++i) {
        out[i] = Widen<Sample>(p + i * stride);
    }
}

// n frames of two channels in one pass, both samples of a frame as it is loaded.
template <typename Sample>
void DecodeStereo(const uint8_t* p, double* left, double* right, uint32_t n)
{
    for (uint32_t i = 0; i < n; ++i) {
        left[i] = Widen<Sample>(p + i * 2 * sizeof(Sample));
        right[i] = Widen<Sample>(p + (i * 2 + 1) * sizeof(Sample));
    }
}

// Samples first .. first + n - 1 of the data into the rooms of the `count` channels.
template <typename Sample>
void DecodeBlock(const uint8_t* p, uint64_t first, uint32_t n, double* const* outs, uint32_t count)
{
    if (count != 2) {
        for (uint32_t k = 0; k < count && k < n; ++k) {
            const uint64_t sample = first + k;
            DecodeSamples<Sample>(p + size_t{k} * sizeof(Sample), count,
                                  outs[sample % count] + sample / count,
                                  (n - k + count - 1) / count);
        }
        return;
    }
    // A block may start or end inside a frame.
    uint32_t done = 0;
    if (first % 2 != 0 && n > 0) {
        outs[1][first / 2] = Widen<Sample>(p);
        done = 1;
    }
    const uint64_t frame = (first + done) / 2;
    const uint32_t frames = (n - done) / 2;
    DecodeStereo<Sample>(p + size_t{done} * sizeof(Sample), outs[0] + frame, outs[1] + frame,
                         frames);
    if ((n - done) % 2 != 0) {
        outs[0][frame + frames] = Widen<Sample>(p + (size_t{done} + 2 * frames) * sizeof(Sample));
    }
}

}  // namespace

CKSTWavFile::CKSTWavFile() : CKSTStreamFormatFile(9) {}

int CKSTWavFile::ReadHead(const CKSTString&)
{
    char head[12];
    if (m_stream.Read(head, sizeof head) != sizeof head || !IdIs(head, "RIFF") ||
        !IdIs(head + 8, "WAVE")) {
        return KST_ERR_NOT_WAV;
    }
    return KST_OK;
}

int CKSTWavFile::Read(CKSTDataSet& dataSet, const CKSTChannelList*, bool)
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    dataSet.Clear(false);
    const int result = ReadHeader(dataSet.GetChannels());
    dataSet.SetName(m_stream.GetPath());
    return result;
}

int CKSTWavFile::ReadHeader(CKSTChannelList& channels)
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    channels.DeleteAll();
    CKSTByteReader in(m_stream);
    bool haveFormat = false;
    uint16_t channelCount = 0;
    uint16_t bits = 0;
    uint32_t sampleRate = 0;
    for (;;) {
        char id[4];
        uint32_t size = 0;
        if (!in.Read(id, 4) || !in.ReadU32(size)) {
            break;
        }
        // Chunks are padded to even sizes; other writers leave an odd size in the field.
        const uint64_t padded = static_cast<uint64_t>(size) + (size & 1u);
        if (IdIs(id, "fmt ")) {
            uint16_t tag = 0;
            uint16_t blockAlign = 0;
            uint32_t byteRate = 0;
            if (size < kFmtSize || !in.ReadU16(tag) || !in.ReadU16(channelCount) ||
                !in.ReadU32(sampleRate) || !in.ReadU32(byteRate) || !in.ReadU16(blockAlign) ||
                !in.ReadU16(bits)) {
                return KST_ERR_WAV_NOT_PCM;
            }
            if (tag != kFormatPcm || (bits != 8 && bits != 16) || channelCount == 0 ||
                sampleRate == 0) {
                return KST_ERR_WAV_NOT_PCM;
            }
            haveFormat = true;
            in.Skip(padded - kFmtSize);
        } else if (IdIs(id, "data")) {
            // Samples mean nothing without the format that comes before them.
            if (!haveFormat) {
                return KST_ERR_WAV_NOT_PCM;
            }
            const uint32_t held = static_cast<uint32_t>(std::min<uint64_t>(size, in.Remaining()));
            // Channels without a single sample in the file are more than it can describe.
            if (channelCount > 2 && held / (bits / 8u) < channelCount) {
                return KST_ERR_WAV_NOT_PCM;
            }
            ReadData(in, channels, held, channelCount, bits, sampleRate);
            if (size & 1u) {
                in.Skip(1);
            }
        } else {
            in.Skip(padded);
        }
    }
    channels.MakeUniqueNames();
    return KST_OK;
}

void CKSTWavFile::ReadData(CKSTByteReader& in, CKSTChannelList& channels, uint32_t size,
                           uint16_t channelCount, uint16_t bits, uint32_t sampleRate)
{
    channels.DeleteAll();
    const CKSTTimeStamp written = m_stream.GetWriteTime();
    std::vector<CKSTChannel*> targets(channelCount);
    for (uint16_t c = 0; c < channelCount; ++c) {
        CKSTChannel* channel = channels.GetAt(channels.AddNew());
        channel->SetTimeBaseType(CKSTChannel::kEquidistant);
        channel->SetT0(0.0);
        channel->SetDt(1.0 / sampleRate);
        channel->SetTimeUnit("s");
        channel->SetStartTimeStamp(written);
        channel->SetSampleType(bits == 8 ? kSampleOneByte : kSampleTwoBytes);
        if (channelCount == 1) {
            channel->SetName("Mono");
        } else if (channelCount == 2) {
            channel->SetName(c == 0 ? "Left" : "Right");
        }
        targets[c] = channel;
    }
    AppendSamples(in, size, bits, targets);
}

uint64_t CKSTWavFile::AppendSamples(CKSTByteReader& in, uint32_t bytes, uint16_t bits,
                                    const std::vector<CKSTChannel*>& channels)
{
    const uint32_t count = static_cast<uint32_t>(channels.size());
    const uint32_t bytesPerSample = bits / 8;
    if (count == 0 || (bytesPerSample != 1 && bytesPerSample != 2)) {
        return 0;
    }
    const uint32_t samples = bytes / bytesPerSample;
    auto share = [&](uint32_t c, uint64_t n) {
        return static_cast<uint32_t>(n / count + (c < n % count ? 1 : 0));
    };
    // Each channel gets room for exactly its samples at once.
    std::vector<uint32_t> shares(count);
    for (uint32_t c = 0; c < count; ++c) {
        shares[c] = share(c, samples);
    }
    std::vector<uint32_t> before;
    std::vector<double*> outs;
    const bool fresh = KstAppendRooms(channels, shares, before, outs);
    const uint64_t got =
        in.DecodeRun(samples, bytesPerSample, bytesPerSample, KstDecodeGrain(fresh, samples),
                     [&](const uint8_t* raw, uint64_t first, uint32_t n) {
                         if (bytesPerSample == 1) {
                             DecodeBlock<uint8_t>(raw, first, n, outs.data(), count);
                         } else {
                             DecodeBlock<int16_t>(raw, first, n, outs.data(), count);
                         }
                     });
    for (uint32_t c = 0; c < count; ++c) {
        KstKeepSamples(*channels[c], before[c] + share(c, got));
    }
    return got;
}

int CKSTWavFile::Write(const CKSTDataSet& dataSet, const CKSTTextFormat*)
{
    return WriteChannels(dataSet.GetChannels(), false);
}

uint32_t CKSTWavFile::GetSampleRate(double dt)
{
    if (!(dt > 0.0) || !std::isfinite(dt)) {
        return 0;
    }
    const double rate = std::round(1.0 / dt);
    if (!(rate >= 1.0) || rate > 4294967295.0) {
        return 0;
    }
    return static_cast<uint32_t>(rate);
}

int16_t CKSTWavFile::ToSample(double value)
{
    if (std::isnan(value)) {
        return 0;
    }
    return static_cast<int16_t>(std::clamp(std::trunc(value), -32768.0, 32767.0));
}

int CKSTWavFile::WriteChannels(const CKSTChannelList& channels, bool)
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    if (channels.GetCount() == 0) {
        return KST_OK;
    }
    const int channelCount = std::min(channels.GetCount(), 2);
    const CKSTChannel* first = channels.GetAt(0);
    const CKSTChannel* second = channelCount == 2 ? channels.GetAt(1) : nullptr;
    const uint32_t rate = GetSampleRate(first->GetSampleInterval());
    if (rate == 0) {
        return KST_ERR_SOUND_UNSUITABLE;
    }
    const uint32_t frames = first->GetCount();
    const uint64_t dataSize = static_cast<uint64_t>(frames) * 2u * channelCount;
    if (dataSize + 36 > UINT32_MAX) {
        return KST_ERR_TOO_LARGE;
    }
    const uint16_t blockAlign = static_cast<uint16_t>(2 * channelCount);
    const uint64_t byteRate = static_cast<uint64_t>(rate) * blockAlign;

    CKSTByteWriter out(m_stream);
    out.Text("RIFF");
    out.U32(static_cast<uint32_t>(dataSize + 36));
    out.Text("WAVEfmt ");
    out.U32(kFmtSize);
    out.U16(kFormatPcm);
    out.U16(static_cast<uint16_t>(channelCount));
    out.U32(rate);
    // The field cannot hold more; players take the rate and block align.
    out.U32(static_cast<uint32_t>(std::min<uint64_t>(byteRate, UINT32_MAX)));
    out.U16(blockAlign);
    out.U16(16);
    out.Text("data");
    out.U32(static_cast<uint32_t>(dataSize));

    const double* values = first->GetValues();
    int16_t frame[2];
    for (uint32_t i = 0; i < frames; ++i) {
        frame[0] = ToSample(values[i]);
        if (second != nullptr) {
            frame[1] = ToSample(second->GetValue(i));
        }
        out.Bytes(frame, 2u * channelCount);
    }
    return out.Finish();
}

int CKSTWavFile::CheckExport(const CKSTChannelList& channels)
{
    const int count = channels.GetCount();
    if (count == 0 || count > 2) {
        return KST_ERR_SOUND_UNSUITABLE;
    }
    if (count == 2 &&
        channels.GetAt(0)->GetSampleInterval() != channels.GetAt(1)->GetSampleInterval()) {
        return KST_ERR_SOUND_UNSUITABLE;
    }
    for (int i = 0; i < count; ++i) {
        const CKSTChannel& channel = *channels.GetAt(i);
        const double dt = channel.GetSampleInterval();
        if (channel.GetTimeBaseType() != CKSTChannel::kEquidistant || !(dt <= kMaxSoundInterval) ||
            GetSampleRate(dt) == 0) {
            return KST_ERR_SOUND_UNSUITABLE;
        }
    }
    for (int i = 0; i < count; ++i) {
        const CKSTChannel& channel = *channels.GetAt(i);
        const double minimum = channel.GetMinValue();
        const double maximum = channel.GetMaxValue();
        if (!(minimum >= -32767.0 && minimum <= -kRangeLow) ||
            !(maximum >= kRangeLow && maximum <= kRangeHigh)) {
            return KST_ERR_SOUND_RANGE;
        }
    }
    return 1;
}

void CKSTWavFile::ToPcm(const CKSTChannelList& source, CKSTChannelList& out)
{
    out.DeleteAll();
    const int count = std::min(source.GetCount(), 2);
    for (int i = 0; i < count; ++i) {
        CKSTChannel& channel = *out.GetAt(out.AddCopy(*source.GetAt(i)));
        if (channel.GetTimeBaseType() == CKSTChannel::kTimeVector) {
            channel.ConvertToEquidistant(false, false);
        }
    }
    if (count == 2) {
        // Both must share one interval: the coarser channel is resampled to the finer one so
        // that its samples keep their times.
        CKSTChannel& a = *out.GetAt(0);
        CKSTChannel& b = *out.GetAt(1);
        const double dtA = a.GetSampleInterval();
        const double dtB = b.GetSampleInterval();
        if (dtA > 0.0 && dtB > 0.0 && dtA != dtB) {
            (dtA > dtB ? a : b).Resample(std::min(dtA, dtB), false);
        }
    }
    for (int i = 0; i < count; ++i) {
        CKSTChannel& channel = *out.GetAt(i);
        if (channel.GetSampleInterval() > kMaxSoundInterval) {
            channel.SetDt(kMaxSoundInterval);
        }
        ScaleToPcm(channel);
    }
}
