// Reading a 100 MB FAMOS file of one 16-bit integer channel, from disk and from a memory image,
// against memcpy of the same bytes in the same run. A whole read pays for the channel's fresh,
// zeroed arrays (9 bytes per 2-byte sample): it is shown cold (first run), best and median
// beside a memcpy into fresh memory of its output. The widening alone is measured into a
// channel whose arrays are already there, and the bare cost of such arrays is printed beside it.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "BenchReport.h"
#include "data/DataSet.h"
#include "formats/FamosFile.h"
#include "foundation/ParallelFor.h"

namespace {

constexpr uint32_t kSamples = 50 * 1000 * 1000;  // 100 MB of int16
constexpr size_t kBytes = static_cast<size_t>(kSamples) * 2;
constexpr int kRuns = 3;

std::string Key(const std::string& name, const std::string& fields)
{
    return "|" + name + ",1," + std::to_string(fields.size()) + "," + fields + ";\r\n";
}

std::string Head()
{
    std::string head = "|CF,2,1,1;|CK,1,3,1,1;\r\n|CG,1,5,1,1,1;\r\n";
    head += Key("CD", "0.001,1,1,s,0,0,0");
    head += "|CC,1,3,1,1;\r\n";
    head += Key("CP", "1,2,4,16,0,0,1,0");
    const std::string bytes = std::to_string(kBytes);
    head += Key("Cb", "1,0,1,1,0," + bytes + ",0," + bytes + ",1,0,0,");
    head += Key("CR", "0,0,0,1,1,V");
    head += Key("CN", "0,0,0,1,a,0,");
    head += "|CS,1," + std::to_string(kBytes + 2) + ",1,";
    return head;
}

double Rate(double seconds)
{
    return static_cast<double>(kBytes) / 1e6 / seconds;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string path = argc > 1 ? argv[1] : "famos_bench.dat";
    std::vector<uint8_t> raw(kBytes);
    for (uint32_t i = 0; i < kSamples; ++i) {
        const int16_t v = static_cast<int16_t>((i * 7919u) & 0xFFFF);
        std::memcpy(&raw[static_cast<size_t>(i) * 2], &v, 2);
    }
    const std::string head = Head();
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr || std::fwrite(head.data(), 1, head.size(), out) != head.size() ||
        std::fwrite(raw.data(), 1, raw.size(), out) != raw.size() ||
        std::fwrite(";\r\n", 1, 3, out) != 3 || std::fclose(out) != 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }

    std::vector<uint8_t> target(kBytes, 1);
    double copy = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        kst::bench::Stopwatch watch;
        std::memcpy(target.data(), raw.data(), kBytes);
        copy = std::min(copy, watch.Seconds());
    }
    kst::bench::Report("famos_memcpy", Rate(copy), "MB/s");
    // The channel's values, 8 bytes per sample, are fresh memory on every read.
    const double freshCopy = kst::bench::FreshCopySeconds(static_cast<size_t>(kSamples) * 8, kRuns);
    kst::bench::Report("famos_fresh_memcpy_of_output", Rate(freshCopy), "MB/s");

    bool ok = true;
    const kst::bench::RunTimes fromFile = kst::bench::TimeRuns(kRuns, [&] {
        CKSTDataSet set;
        CKSTFamosFile file;
        kst::bench::Stopwatch watch;
        ok = ok && file.OpenRead(path.c_str()) == 0 && file.Read(set) == 0;
        const double seconds = watch.Seconds();
        const CKSTChannel* channel = set.GetChannels().GetAt(0);
        ok = ok && channel != nullptr && channel->GetCount() == kSamples &&
             channel->GetValues()[kSamples - 1] ==
                 static_cast<int16_t>(((kSamples - 1) * 7919u) & 0xFFFF);
        return seconds;
    });
    if (!ok) {
        std::fprintf(stderr, "read failed or gave the wrong samples\n");
        return 1;
    }
    kst::bench::Report("famos_read_int16_file", Rate(fromFile.best), "MB/s");
    kst::bench::Report("famos_read_int16_file_vs_memcpy", copy / fromFile.best * 100.0, "%");
    kst::bench::ReportRuns("famos_read_int16_file", static_cast<double>(kBytes), fromFile,
                           freshCopy);

    double fresh = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        CKSTChannel channel;
        kst::bench::Stopwatch watch;
        channel.SetCapacity(kSamples);
        fresh = std::min(fresh, watch.Seconds());
    }
    kst::bench::Report("famos_fresh_channel_arrays", Rate(fresh), "MB/s");

    CKSTMemBuffer samples;
    samples.Write(raw.data(), 1, static_cast<uint32_t>(raw.size()));
    CKSTDataFile stream;
    stream.SetMemory(samples);
    samples.Free();
    kst::bench::RequireOk(stream.OpenMemoryRead(), "stream.OpenMemoryRead");
    CKSTChannel warm;
    warm.SetCapacity(kSamples);
    auto bestWiden = [&]() {
        double best = 1e9;
        for (int run = 0; run < kRuns; ++run) {
            warm.FreeData(false, false);
            stream.Seek(0, SEEK_SET);
            kst::bench::Stopwatch watch;
            if (CKSTFamosFile::AppendRawSamplesI16(warm, stream, kSamples, 1.0, 0.0) != 0) {
                return -1.0;
            }
            best = std::min(best, watch.Seconds());
        }
        return best;
    };
    const double widen = bestWiden();
    // The same widening kept on the calling thread, as the memcpy it is compared with.
    KstSetParallelLimits(1, 0);
    const double widenOneThread = bestWiden();
    KstSetParallelLimits(0, 0);
    kst::bench::RequireOk(stream.Close(), "stream.Close");
    if (widen < 0.0 || widenOneThread < 0.0) {
        std::fprintf(stderr, "widening failed\n");
        return 1;
    }
    kst::bench::Report("famos_widen_int16", Rate(widen), "MB/s");
    kst::bench::Report("famos_widen_int16_vs_memcpy", copy / widen * 100.0, "%");
    kst::bench::Report("famos_widen_int16_one_thread_vs_memcpy", copy / widenOneThread * 100.0,
                       "%");

    CKSTMemBuffer image;
    image.Write(head.data(), 1, static_cast<uint32_t>(head.size()));
    image.Write(raw.data(), 1, static_cast<uint32_t>(raw.size()));
    image.Write(";\r\n", 1, 3);
    raw.clear();
    raw.shrink_to_fit();
    const kst::bench::RunTimes fromMemory = kst::bench::TimeRuns(kRuns, [&] {
        CKSTDataSet set;
        CKSTFamosFile file;
        kst::bench::Stopwatch watch;
        ok = ok && file.SetMemory(image) == 0 && file.Read(set) == 0;
        return watch.Seconds();
    });
    if (!ok) {
        std::fprintf(stderr, "memory read failed\n");
        return 1;
    }
    kst::bench::Report("famos_read_int16_memory", Rate(fromMemory.best), "MB/s");
    kst::bench::Report("famos_read_int16_memory_vs_memcpy", copy / fromMemory.best * 100.0, "%");
    kst::bench::ReportRuns("famos_read_int16_memory", static_cast<double>(kBytes), fromMemory,
                           freshCopy);
    std::remove(path.c_str());
    return 0;
}
