#pragma once
// RIFF WAVE files: 8- and 16-bit PCM read into one channel per file channel; one or two
// channels written as 16-bit PCM. Also the check whether channels can be played or exported as
// 16-bit sound as they are, and the conversion that makes them so, which the sound player uses.

#include <cstdint>
#include <vector>

#include "data/ChannelList.h"
#include "data/DataSet.h"
#include "formats/StreamFormatFile.h"

class CKSTByteReader;

class CKSTWavFile : public CKSTStreamFormatFile {
public:
    CKSTWavFile();

    [[nodiscard]] int Read(CKSTDataSet& dataSet, const CKSTChannelList* selection, bool textFlag) override;
    [[nodiscard]] int Write(const CKSTDataSet& dataSet, const CKSTTextFormat* textSettings) override;
    // One channel gives a mono file, more give a stereo file of the first two. Values are
    // written as they are, saturated into 16 bits. KST_ERR_SOUND_UNSUITABLE when the first
    // channel has no usable sample interval.
    [[nodiscard]] int WriteChannels(const CKSTChannelList& channels, bool textFlag) override;

    // The chunks after the RIFF header into the list, which is emptied first.
    [[nodiscard]] int ReadHeader(CKSTChannelList& channels);

    // 1 when the channels can be written as 16-bit PCM unchanged, KST_ERR_SOUND_UNSUITABLE
    // (count, intervals, time vectors) or KST_ERR_SOUND_RANGE (values).
    [[nodiscard]] static int CheckExport(const CKSTChannelList& channels);
    static bool CanExport(const CKSTChannelList& channels) { return CheckExport(channels) == 1; }
    // Copies of the first two channels into out, converted so that they can be played: time
    // vectors made equidistant, a second channel resampled to the first's interval when they
    // differ, intervals above 10 ms taken as 10 ms and values scaled into the 16-bit range. The
    // source channels stay as they are.
    static void ToPcm(const CKSTChannelList& source, CKSTChannelList& out);

    // `bytes` of interleaved PCM samples of 8 or 16 bits from the reader's position appended to
    // the channels: sample i goes to channel i mod count, so a partial last frame gives its
    // samples to the first channels. A long run is decoded on several threads (see
    // KstDecodeGrain). Returns the samples read, fewer than the bytes hold when the stream ends
    // early.
    static uint64_t AppendSamples(CKSTByteReader& in, uint32_t bytes, uint16_t bits,
                                  const std::vector<CKSTChannel*>& channels);

    // Samples per second for a sample interval, rounded; 0 when it cannot be told (dt not
    // positive, or a rate beyond 32 bits).
    static uint32_t GetSampleRate(double dt);
    // A value as a 16-bit sample: truncated toward zero, saturated, NaN as 0.
    static int16_t ToSample(double value);

protected:
    // KST_ERR_NOT_WAV when the file does not start with "RIFF", a size and "WAVE".
    [[nodiscard]] int ReadHead(const CKSTString& path) override;

private:
    void ReadData(CKSTByteReader& in, CKSTChannelList& channels, uint32_t size,
                  uint16_t channelCount, uint16_t bits, uint32_t sampleRate);
};
