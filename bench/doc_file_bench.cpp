// Writing and reading a native document of 10^7 samples: raw and packed channels, in memory and
// through a file, against a plain memcpy of the same sample bytes as the ceiling.

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "BenchReport.h"
#include "data/ChannelList.h"
#include "data/DocFile.h"

namespace {

constexpr uint32_t kSamples = 10000000;
constexpr int kChannels = 4;

void Fill(CKSTChannelList& list)
{
    std::mt19937_64 random(1);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    const uint32_t per = kSamples / kChannels;
    for (int c = 0; c < kChannels; ++c) {
        CKSTChannel* channel = list.GetAt(list.AddNew());
        channel->SetName(("c" + std::to_string(c)).c_str());
        channel->SetSampleType(5);
        channel->SetDt(1e-3);
        channel->SetCapacity(per);
        for (uint32_t i = 0; i < per; ++i) {
            double v = 0.0;
            switch (c) {
                case 0:  // raw doubles
                    v = noise(random);
                    break;
                case 1:  // 12-bit converter codes: direct packed
                    v = static_cast<double>(random() % 4096) * 0.25;
                    break;
                case 2:  // counter: difference packed
                    v = static_cast<double>(i);
                    break;
                default:  // slowly varying codes: segments
                    v = static_cast<double>((i / 100000) * 1000 + random() % 16);
                    break;
            }
            channel->AppendValue(v, false);
        }
    }
}

double Rate(double seconds)
{
    return static_cast<double>(kSamples) * sizeof(double) / 1e6 / seconds;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string path = argc > 1 ? argv[1] : "doc_file_bench.qld";
    CKSTChannelList list;
    Fill(list);

    std::vector<double> source(kSamples, 1.0);
    std::vector<double> target(kSamples);
    kst::bench::Stopwatch copyWatch;
    std::memcpy(target.data(), source.data(), kSamples * sizeof(double));
    const double copySeconds = copyWatch.Seconds();
    kst::bench::Report("memcpy_ceiling", Rate(copySeconds), "MB/s");

    CKSTDocFile memory;
    memory.OpenMemoryWrite();
    kst::bench::Stopwatch writeWatch;
    if (memory.WriteChannels(list, true) != 0) {
        std::fprintf(stderr, "write failed\n");
        return 1;
    }
    kst::bench::Report("doc_write_memory", Rate(writeWatch.Seconds()), "MB/s");
    CKSTMemBuffer image;
    memory.GetMemory(image);
    memory.Close();
    kst::bench::Report("doc_image_size", image.GetSize() / 1e6, "MB");

    CKSTDocFile reader;
    reader.SetMemory(image);
    reader.OpenMemoryRead();
    CKSTChannelList back;
    kst::bench::Stopwatch readWatch;
    if (reader.ReadChannels(back, nullptr, false, nullptr) != 0) {
        std::fprintf(stderr, "read failed\n");
        return 1;
    }
    kst::bench::Report("doc_read_memory", Rate(readWatch.Seconds()), "MB/s");

    CKSTDocFile file;
    kst::bench::Stopwatch fileWriteWatch;
    if (file.OpenWrite(path.c_str()) != 0 || file.WriteChannels(list, true) != 0 ||
        file.Close() != 0) {
        std::fprintf(stderr, "file write failed\n");
        return 1;
    }
    kst::bench::Report("doc_write_file", Rate(fileWriteWatch.Seconds()), "MB/s");
    kst::bench::Stopwatch fileReadWatch;
    if (file.OpenRead(path.c_str()) != 0 || file.ReadChannels(back, nullptr, false, nullptr) != 0) {
        std::fprintf(stderr, "file read failed\n");
        return 1;
    }
    file.Close();
    kst::bench::Report("doc_read_file", Rate(fileReadWatch.Seconds()), "MB/s");
    std::remove(path.c_str());

    for (int c = 0; c < kChannels; ++c) {
        const CKSTChannel& a = *list.GetAt(c);
        const CKSTChannel& b = *back.GetAt(c);
        if (a.GetCount() != b.GetCount() ||
            std::memcmp(a.GetValues(), b.GetValues(), a.GetCount() * sizeof(double)) != 0) {
            std::fprintf(stderr, "channel %d differs after the round trip\n", c);
            return 1;
        }
    }
    return 0;
}
