// Reading a 100 MB UniversalDataBinFile of four float channels with day-count stamps, as the
// program writes it, from disk and as a memory image, against memcpy of the same bytes in the
// same run. The reads, which pay for the channels' fresh arrays, are shown cold (first run),
// best and median beside a memcpy into fresh memory of their output; the decoder alone is
// measured appending the same records to channels whose arrays are already there.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BenchReport.h"
#include "data/DataSet.h"
#include "formats/UdbfFile.h"
#include "foundation/ParallelFor.h"

namespace {

constexpr int kChannels = 4;
constexpr uint32_t kRecordBytes = 8 + kChannels * 4;
constexpr uint32_t kRecords = 100 * 1000 * 1000 / kRecordBytes;
constexpr int kRuns = 3;

double Rate(double seconds, size_t bytes)
{
    return static_cast<double>(bytes) / 1e6 / seconds;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string path = argc > 1 ? argv[1] : "udbf_bench.dat";
    {
        CKSTChannelList channels;
        for (int c = 0; c < kChannels; ++c) {
            CKSTChannel* channel = channels.GetAt(channels.AddNew());
            channel->SetName(("c" + std::to_string(c)).c_str());
            channel->SetSampleType(4);
            channel->SetDt(1e-3);
            channel->SetStartTimeStamp(CKSTTimeStamp(2024, 1, 2, 3, 4, 5.0));
            channel->SetCapacity(kRecords);
            for (uint32_t i = 0; i < kRecords; ++i) {
                channel->AppendValue(std::sin(i * 0.001 + c), false);
            }
        }
        CKSTUdbfFile writer;
        if (writer.OpenWrite(path.c_str()) != 0 || writer.WriteChannels(channels) != 0 ||
            writer.Close() != 0) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    CKSTMemBuffer image;
    {
        CKSTDataFile file;
        if (file.Open(path.c_str(), KST_OPEN_READ) != 0 || file.LoadFileToMemory() != 0) {
            std::fprintf(stderr, "cannot load %s\n", path.c_str());
            return 1;
        }
        image = file.GetMemoryBuffer();
    }
    const size_t bytes = image.GetSize();
    kst::bench::Report("udbf_file_size", bytes / 1e6, "MB");

    std::vector<uint8_t> target(bytes, 1);
    double copy = 1e9;
    for (int run = 0; run < 5; ++run) {
        kst::bench::Stopwatch watch;
        std::memcpy(target.data(), image.GetData(), bytes);
        copy = std::min(copy, watch.Seconds());
    }
    kst::bench::Report("udbf_memcpy", Rate(copy, bytes), "MB/s");
    // The channels' values, 8 bytes per sample, are fresh memory on every read.
    const double freshCopy =
        kst::bench::FreshCopySeconds(static_cast<size_t>(kRecords) * kChannels * 8, kRuns);
    kst::bench::Report("udbf_fresh_memcpy_of_output", Rate(freshCopy, bytes), "MB/s");

    bool ok = true;
    const kst::bench::RunTimes fromFile = kst::bench::TimeRuns(kRuns, [&] {
        CKSTDataSet set;
        CKSTUdbfFile file;
        kst::bench::Stopwatch watch;
        ok = ok && file.Open(path.c_str()) == 0 && file.Read(set, nullptr, false) == 0;
        const double seconds = watch.Seconds();
        const CKSTChannel* last = set.GetChannels().GetAt(kChannels - 1);
        ok = ok && last != nullptr && last->GetCount() == kRecords &&
             last->GetTimeBaseType() == CKSTChannel::kEquidistant;
        return seconds;
    });
    if (!ok) {
        std::fprintf(stderr, "read failed or gave the wrong channels\n");
        return 1;
    }
    kst::bench::Report("udbf_read_file", Rate(fromFile.best, bytes), "MB/s");
    kst::bench::Report("udbf_read_file_vs_memcpy", copy / fromFile.best * 100.0, "%");
    kst::bench::ReportRuns("udbf_read_file", static_cast<double>(bytes), fromFile, freshCopy);

    const kst::bench::RunTimes fromMemory = kst::bench::TimeRuns(kRuns, [&] {
        CKSTDataSet set;
        CKSTUdbfFile file;
        kst::bench::Stopwatch watch;
        ok = ok && file.SetMemory(image) == 0 && file.Read(set, nullptr, false) == 0;
        return watch.Seconds();
    });
    if (!ok) {
        std::fprintf(stderr, "memory read failed\n");
        return 1;
    }
    kst::bench::Report("udbf_read_memory", Rate(fromMemory.best, bytes), "MB/s");
    kst::bench::Report("udbf_read_memory_vs_memcpy", copy / fromMemory.best * 100.0, "%");
    kst::bench::ReportRuns("udbf_read_memory", static_cast<double>(bytes), fromMemory, freshCopy);

    CKSTUdbfFile decoder;
    CKSTDataSet warm;
    if (decoder.SetMemory(image) != 0 || decoder.Read(warm, nullptr, false) != 0) {
        std::fprintf(stderr, "memory read failed\n");
        return 1;
    }
    std::vector<CKSTChannel*> targets;
    for (int c = 0; c < warm.GetChannels().GetCount(); ++c) {
        targets.push_back(warm.GetChannels().GetAt(c));
    }
    auto bestDecode = [&]() {
        double best = 1e9;
        for (int run = 0; run < kRuns; ++run) {
            for (CKSTChannel* channel : targets) {
                channel->FreeData(false, false);
            }
            kst::bench::Stopwatch watch;
            if (decoder.AppendRecords(targets, nullptr, nullptr, -1.0, 0) != 0 ||
                targets.back()->GetCount() != kRecords) {
                return -1.0;
            }
            best = std::min(best, watch.Seconds());
        }
        return best;
    };
    const double decode = bestDecode();
    // The same decode kept on the calling thread, as the memcpy it is compared with.
    KstSetParallelLimits(1, 0);
    const double decodeOneThread = bestDecode();
    KstSetParallelLimits(0, 0);
    if (decode < 0.0 || decodeOneThread < 0.0) {
        std::fprintf(stderr, "decoding failed\n");
        return 1;
    }
    kst::bench::Report("udbf_decode", Rate(decode, bytes), "MB/s");
    kst::bench::Report("udbf_decode_vs_memcpy", copy / decode * 100.0, "%");
    kst::bench::Report("udbf_decode_one_thread_vs_memcpy", copy / decodeOneThread * 100.0, "%");

    double fresh = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        CKSTChannelList arrays;
        kst::bench::Stopwatch watch;
        for (int c = 0; c < kChannels; ++c) {
            CKSTChannel* channel = arrays.GetAt(arrays.AddNew());
            channel->SetCapacity(kRecords);
        }
        fresh = std::min(fresh, watch.Seconds());
    }
    kst::bench::Report("udbf_fresh_channel_arrays", Rate(fresh, bytes), "MB/s");
    std::remove(path.c_str());
    return 0;
}
