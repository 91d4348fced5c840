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

// n samples of one channel, every `step`-th one from p; 8-bit samples are unsigned around 128.
template <typename Sample>
void DecodeSamples(const uint8_t* p, uint32_t step, double* out, uint32_t n)
{
    const size_t stride = size_t{step} * sizeof(Sample);
    for (uint32_t i = 0; i < n; ++i) {
        Sample s;
        std::memcpy(&s, p + i * stride, sizeof s);
        out[i] = sizeof(Sample) == 1 ? static_cast<double>(s) - 128.0 : static_cast<double>(s);
    }
}

}  // namespace

CKSTWavFile::CKSTWavFile() : CKSTForeignFile(9) {}

int CKSTWavFile::OpenRead(const CKSTString& path)
{
    const int result = m_file.Open(path, KST_OPEN_READ);
    if (result != KST_OK) {
        return result;
    }
    char head[12];
    if (m_file.Read(head, sizeof head) != sizeof head || !IdIs(head, "RIFF") ||
        !IdIs(head + 8, "WAVE")) {
        m_file.Close();
        return KST_ERR_NOT_WAV;
    }
    return KST_OK;
}

int CKSTWavFile::OpenWrite(const CKSTString& path)
{
    return m_file.Open(path, KST_OPEN_WRITE);
}

int CKSTWavFile::OpenMemoryWrite()
{
    return m_file.OpenMemoryWrite();
}

int CKSTWavFile::GetMemory(CKSTMemBuffer& buffer)
{
    m_file.GetMemory(buffer);
    return KST_OK;
}

int CKSTWavFile::SetMemory(const CKSTMemBuffer& buffer)
{
    m_file.Close();
    m_file.SetMemory(buffer);
    int result = m_file.OpenMemoryRead();
    if (result != KST_OK) {
        return result;
    }
    char head[12];
    if (m_file.Read(head, sizeof head) != sizeof head || !IdIs(head, "RIFF") ||
        !IdIs(head + 8, "WAVE")) {
        m_file.Close();
        return KST_ERR_NOT_WAV;
    }
    return KST_OK;
}

int CKSTWavFile::Close()
{
    return m_file.Close();
}

int CKSTWavFile::Read(CKSTDataSet& dataSet, const CKSTChannelList*, bool)
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    dataSet.Clear(false);
    const int result = ReadHeader(dataSet.GetChannels());
    dataSet.SetName(m_file.GetPath());
    return result;
}

int CKSTWavFile::ReadHeader(CKSTChannelList& channels)
{
    if (!IsOpen()) {
        return KST_ERR_FILE_NOT_OPEN;
    }
    channels.DeleteAll();
    CKSTByteReader in(m_file);
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
    const uint32_t bytesPerSample = bits / 8;
    const uint32_t samples = size / bytesPerSample;
    const uint32_t frames = samples / channelCount;
    channels.DeleteAll();
    const CKSTTimeStamp written = m_file.GetWriteTime();
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
        // A partial last frame gives its samples to the first channels.
        channel->SetCapacity(frames + (c < samples % channelCount ? 1 : 0));
        targets[c] = channel;
    }

    std::vector<uint8_t> chunk(64 * 1024);
    const uint32_t chunkSamples = static_cast<uint32_t>(chunk.size()) / bytesPerSample;
    uint32_t left = samples;
    uint32_t c = 0;
    while (left > 0) {
        const uint32_t wanted = std::min(left, chunkSamples);
        if (!in.Read(chunk.data(), static_cast<size_t>(wanted) * bytesPerSample)) {
            break;
        }
        // Each channel takes every channelCount-th sample of the chunk, which is still in the
        // cache for the next channel.
        for (uint32_t k = 0; k < channelCount && k < wanted; ++k) {
            const uint8_t* p = chunk.data() + static_cast<size_t>(k) * bytesPerSample;
            const uint32_t n = (wanted - k + channelCount - 1) / channelCount;
            targets[(c + k) % channelCount]->AppendDecoded(n, [&](double* out) {
                if (bytesPerSample == 1) {
                    DecodeSamples<uint8_t>(p, channelCount, out, n);
                } else {
                    DecodeSamples<int16_t>(p, channelCount, out, n);
                }
            });
        }
        c = (c + wanted) % channelCount;
        left -= wanted;
    }
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

    CKSTByteWriter out(m_file);
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
