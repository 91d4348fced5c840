// Reading a 100 MB WAV file (16-bit stereo), a 100 MB MAT file of doubles and a DASYLab file of
// 100 MB of float samples in four channels through their readers, against memcpy of the same
// number of bytes in the same run. Best of several runs. The WAV and MAT decoders are also
// measured alone, decoding the same bytes from memory into channels whose arrays are already
// there.
//   sound_file_bench [folder for the two temporary files]

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BenchReport.h"
#include "data/DataSet.h"
#include "formats/ByteStream.h"
#include "formats/DasylabFile.h"
#include "formats/MatFile.h"
#include "formats/WavFile.h"
#include "foundation/ParallelFor.h"

namespace {

constexpr uint32_t kBytes = 100u * 1000u * 1000u;
constexpr int kRuns = 5;

double Rate(double seconds)
{
    return kBytes / 1e6 / seconds;
}

template <typename F>
double Best(F run)
{
    double best = 1e300;
    for (int i = 0; i < kRuns; ++i) {
        kst::bench::Stopwatch watch;
        if (!run()) {
            return -1.0;
        }
        best = std::min(best, watch.Seconds());
    }
    return best;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}

void Put16(std::vector<uint8_t>& out, uint16_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

std::vector<uint8_t> WavImage()
{
    std::vector<uint8_t> out;
    out.reserve(kBytes + 44);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    Put32(out, kBytes + 36);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(out, 16);
    Put16(out, 1);
    Put16(out, 2);
    Put32(out, 48000);
    Put32(out, 48000 * 4);
    Put16(out, 4);
    Put16(out, 16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    Put32(out, kBytes);
    for (uint32_t i = 0; i < kBytes / 2; ++i) {
        Put16(out, static_cast<uint16_t>(i * 7919u));
    }
    return out;
}

// Two 6,250,000 x 1 double columns, as another writer stores a recording.
std::vector<uint8_t> MatImage()
{
    const uint32_t rows = kBytes / 8 / 2;
    std::vector<uint8_t> out;
    out.reserve(kBytes + 256);
    std::string header = "MATLAB 5.0 MAT-file, Platform: bench, Created on: Mon Jan 1 0:0:0 2024";
    header.resize(124, ' ');
    out.insert(out.end(), header.begin(), header.end());
    Put16(out, 0x0100);
    out.insert(out.end(), {'I', 'M'});
    Put32(out, 14);
    Put32(out, 16 + 16 + 8 + 8 + 8 + kBytes);
    Put32(out, 6);
    Put32(out, 8);
    Put32(out, 6);
    Put32(out, 0);
    Put32(out, 5);
    Put32(out, 8);
    Put32(out, rows);
    Put32(out, 2);
    Put32(out, 1);
    Put32(out, 4);
    out.insert(out.end(), {'d', 'a', 't', 'a', 0, 0, 0, 0});
    Put32(out, 9);
    Put32(out, kBytes);
    for (uint32_t i = 0; i < kBytes / 8; ++i) {
        const double v = i * 0.001;
        uint8_t b[8];
        std::memcpy(b, &v, 8);
        out.insert(out.end(), b, b + 8);
    }
    return out;
}

// Seconds of the best decode of an image's last kBytes bytes, from memory, into the channels
// that reading the image gave: their arrays are there already.
template <typename Reader, typename Decode>
double DecodeSeconds(const std::vector<uint8_t>& bytes, Decode decode)
{
    CKSTMemBuffer image;
    image.Write(bytes.data(), 1, static_cast<uint32_t>(bytes.size()));
    Reader reader;
    CKSTDataSet set;
    if (reader.SetMemory(image) != 0 || reader.Read(set, nullptr, false) != 0) {
        return -1.0;
    }
    std::vector<CKSTChannel*> channels;
    for (int c = 0; c < set.GetChannels().GetCount(); ++c) {
        channels.push_back(set.GetChannels().GetAt(c));
    }
    CKSTDataFile stream;
    stream.SetMemory(image);
    image.Free();
    kst::bench::RequireOk(stream.OpenMemoryRead(), "stream.OpenMemoryRead");
    bool ok = true;
    const double best = kst::bench::BestSeconds(kRuns, [&] {
        for (CKSTChannel* channel : channels) {
            channel->FreeData(false, false);
        }
        stream.Seek(static_cast<int64_t>(bytes.size() - kBytes), SEEK_SET);
        CKSTByteReader in(stream);
        kst::bench::Stopwatch watch;
        ok = decode(in, channels) && ok;
        return watch.Seconds();
    });
    return ok ? best : -1.0;
}

// Four channels of 6,250,000 float samples each, as the program writes them.
bool WriteDasylab(const std::string& path)
{
    constexpr int kChannels = 4;
    constexpr uint32_t kSamples = kBytes / 4 / kChannels;
    CKSTChannelList channels;
    for (int c = 0; c < kChannels; ++c) {
        CKSTChannel* channel = channels.GetAt(channels.AddNew());
        channel->SetName(("c" + std::to_string(c)).c_str());
        channel->SetDt(1e-3);
        channel->SetCapacity(kSamples);
        for (uint32_t i = 0; i < kSamples; ++i) {
            channel->AppendValue(static_cast<double>((i * 7919u + c) % 1000u), false);
        }
    }
    CKSTDasylabFile file;
    return file.OpenWrite(path.c_str()) == 0 && file.WriteChannels(channels, false) == 0 &&
           file.Close() == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? std::string(argv[1]) + "/" : std::string();
    const std::string wavPath = folder + "sound_file_bench.wav";
    const std::string matPath = folder + "sound_file_bench.mat";
    const std::string dasylabPath = folder + "sound_file_bench.ddf";
    if (!WriteFile(wavPath, WavImage()) || !WriteFile(matPath, MatImage()) ||
        !WriteDasylab(dasylabPath)) {
        std::fprintf(stderr, "cannot write the bench files\n");
        return 1;
    }

    std::vector<uint8_t> source(kBytes, 1);
    std::vector<uint8_t> target(kBytes, 0);
    const double copy = Best([&] {
        std::memcpy(target.data(), source.data(), kBytes);
        return target[kBytes / 2] == 1;
    });
    kst::bench::Report("memcpy_100MB", Rate(copy), "MB/s");
    // A second ceiling: the channels hold a double and a missing flag per sample, 4.5 times the
    // bytes of 16-bit samples, in memory that is new on every read; filling that much fresh
    // memory costs its page faults.
    const double fresh = Best([&] {
        std::vector<double> values(kBytes / 2);
        std::vector<uint8_t> missing(kBytes / 2);
        return values[kBytes / 4] == 0.0 && missing[kBytes / 4] == 0;
    });
    kst::bench::Report("fresh_channel_memory_for_100MB_wav", Rate(fresh), "MB/s");

    // The whole reads also cold (first run) and median, beside a memcpy into fresh memory of
    // their output.
    bool readsOk = true;
    const kst::bench::RunTimes wavTimes = kst::bench::TimeRuns(kRuns, [&] {
        CKSTWavFile file;
        CKSTDataSet dataSet;
        kst::bench::Stopwatch watch;
        const bool ok = file.OpenRead(wavPath.c_str()) == 0 &&
                        file.Read(dataSet, nullptr, false) == 0 &&
                        dataSet.GetChannels().GetCount() == 2 && file.Close() == 0;
        readsOk = readsOk && ok;
        return watch.Seconds();
    });
    const double wav = wavTimes.best;
    kst::bench::Report("wav_read_100MB", Rate(wav), "MB/s");
    kst::bench::Report("wav_read_vs_memcpy", copy / wav, "ratio");
    kst::bench::Report("wav_read_vs_fresh_channel_memory", fresh / wav, "ratio");
    // Each reader's channel values, 8 bytes per sample, copied into fresh memory.
    const double wavFresh = kst::bench::FreshCopySeconds(size_t{kBytes} / 2 * 8, kRuns);
    kst::bench::Report("wav_fresh_memcpy_of_output", Rate(wavFresh), "MB/s");
    kst::bench::Report("wav_read_vs_fresh_memcpy", wavFresh / wav, "ratio");
    kst::bench::ReportRuns("wav_read", kBytes, wavTimes, wavFresh);

    const double mat = Best([&] {
        CKSTMatFile file;
        CKSTDataSet dataSet;
        return file.OpenRead(matPath.c_str()) == 0 && file.Read(dataSet, nullptr, false) == 0 &&
               dataSet.GetChannels().GetCount() == 2 && file.Close() == 0;
    });
    kst::bench::Report("mat_read_100MB", Rate(mat), "MB/s");
    kst::bench::Report("mat_read_vs_memcpy", copy / mat, "ratio");
    const double matFresh = kst::bench::FreshCopySeconds(kBytes, kRuns);
    kst::bench::Report("mat_fresh_memcpy_of_output", Rate(matFresh), "MB/s");
    kst::bench::Report("mat_read_vs_fresh_memcpy", matFresh / mat, "ratio");

    auto wavDecoder = [](CKSTByteReader& in, auto& channels) {
        return CKSTWavFile::AppendSamples(in, kBytes, 16, channels) == kBytes / 2 &&
               channels[1]->GetCount() == kBytes / 4;
    };
    const std::vector<uint8_t> wavImage = WavImage();
    const double wavDecode = DecodeSeconds<CKSTWavFile>(wavImage, wavDecoder);
    kst::bench::Report("wav_decode_100MB", Rate(wavDecode), "MB/s");
    kst::bench::Report("wav_decode_vs_memcpy", copy / wavDecode, "ratio");

    auto matDecoder = [](CKSTByteReader& in, auto& channels) {
        constexpr uint32_t kRows = kBytes / 8 / 2;
        return CKSTMatFile::AppendMatrix(in, 9, kRows, 2, kBytes / 8, channels) == kBytes / 8 &&
               channels[1]->GetCount() == kRows;
    };
    const std::vector<uint8_t> matImage = MatImage();
    const double matDecode = DecodeSeconds<CKSTMatFile>(matImage, matDecoder);
    kst::bench::Report("mat_decode_100MB", Rate(matDecode), "MB/s");
    kst::bench::Report("mat_decode_vs_memcpy", copy / matDecode, "ratio");

    // The decoders kept on the calling thread, as the memcpy they are compared with.
    KstSetParallelLimits(1, 0);
    const double wavOneThread = DecodeSeconds<CKSTWavFile>(wavImage, wavDecoder);
    const double matOneThread = DecodeSeconds<CKSTMatFile>(matImage, matDecoder);
    KstSetParallelLimits(0, 0);
    kst::bench::Report("wav_decode_one_thread_vs_memcpy", copy / wavOneThread, "ratio");
    kst::bench::Report("mat_decode_one_thread_vs_memcpy", copy / matOneThread, "ratio");

    const kst::bench::RunTimes dasylabTimes = kst::bench::TimeRuns(kRuns, [&] {
        CKSTDasylabFile file;
        CKSTDataSet dataSet;
        kst::bench::Stopwatch watch;
        const bool ok =
            file.OpenRead(dasylabPath.c_str()) == 0 && file.Read(dataSet, nullptr, false) == 0 &&
            dataSet.GetChannels().GetCount() == 4 &&
            dataSet.GetChannels().GetAt(3)->GetCount() == kBytes / 16 && file.Close() == 0;
        readsOk = readsOk && ok;
        return watch.Seconds();
    });
    const double dasylab = dasylabTimes.best;
    kst::bench::Report("dasylab_read_100MB", Rate(dasylab), "MB/s");
    kst::bench::Report("dasylab_read_vs_memcpy", copy / dasylab, "ratio");
    const double dasylabFresh = kst::bench::FreshCopySeconds(size_t{kBytes} / 4 * 8, kRuns);
    kst::bench::Report("dasylab_fresh_memcpy_of_output", Rate(dasylabFresh), "MB/s");
    kst::bench::Report("dasylab_read_vs_fresh_memcpy", dasylabFresh / dasylab, "ratio");
    kst::bench::ReportRuns("dasylab_read", kBytes, dasylabTimes, dasylabFresh);

    std::remove(wavPath.c_str());
    std::remove(matPath.c_str());
    std::remove(dasylabPath.c_str());
    std::remove(CKSTDasylabFile::CompanionPath(dasylabPath.c_str(), true).c_str());
    return readsOk && mat > 0 && wavDecode > 0 && matDecode > 0 ? 0 : 1;
}
