// Writing and reading the native document, one channel of 2.5 million samples per block
// encoding, and a mixed document of 10^7 samples through a file. Writes are compared with a
// memcpy of the same sample bytes in the same run (best of several runs) and with a memcpy of
// their output into fresh memory; reads, which fill new channel arrays, with a memcpy into fresh
// memory of their output, cold (first run), best and median, and on one thread.

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "BenchReport.h"
#include "data/ChannelList.h"
#include "data/DocFile.h"
#include "foundation/ParallelFor.h"

namespace {

constexpr uint32_t kSamples = 2500000;
constexpr int kRuns = 7;

// One channel whose values (and times) make the writer pick the named encoding.
struct Encoding {
    const char* name;
    std::function<void(CKSTChannel&, std::mt19937_64&)> fill;
};

void FillEquidistant(CKSTChannel& c, uint16_t sampleType,
                     const std::function<double(uint32_t)>& value)
{
    c.SetSampleType(sampleType);
    c.SetDt(1e-3);
    c.SetCapacity(kSamples);
    for (uint32_t i = 0; i < kSamples; ++i) {
        c.AppendValue(value(i), false);
    }
}

const Encoding kEncodings[] = {
    {"raw_f64",
     [](CKSTChannel& c, std::mt19937_64& r) {
         std::uniform_real_distribution<double> noise(-1.0, 1.0);
         FillEquidistant(c, 5, [&](uint32_t) { return noise(r); });
     }},
    {"raw_f32",  // floats over many binary orders of magnitude: on no grid
     [](CKSTChannel& c, std::mt19937_64& r) {
         std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
         FillEquidistant(c, 4, [&](uint32_t) {
             return static_cast<double>(std::ldexp(noise(r), static_cast<int>(r() % 40) - 20));
         });
     }},
    {"direct_packed",  // 12-bit converter codes
     [](CKSTChannel& c, std::mt19937_64& r) {
         FillEquidistant(c, 5, [&](uint32_t) { return static_cast<double>(r() % 4096) * 0.25; });
     }},
    {"difference_packed",  // a random walk of small steps
     [](CKSTChannel& c, std::mt19937_64& r) {
         double v = 0.0;
         FillEquidistant(c, 5, [&](uint32_t) { return v += static_cast<double>(r() % 16) - 8.0; });
     }},
    {"segments",  // slowly varying codes
     [](CKSTChannel& c, std::mt19937_64& r) {
         FillEquidistant(c, 5, [&](uint32_t i) {
             return static_cast<double>((i / 100000) * 1000 + r() % 16);
         });
     }},
    {"missing_runs",  // converter codes with ten samples missing in every thousand
     [](CKSTChannel& c, std::mt19937_64& r) {
         c.SetSampleType(5);
         c.SetDt(1e-3);
         c.SetCapacity(kSamples);
         for (uint32_t i = 0; i < kSamples; ++i) {
             const bool missing = i % 1000 >= 990;
             c.AppendValue(missing ? 0.0 : static_cast<double>(r() % 4096), missing);
         }
     }},
    {"time_vector",  // microsecond stamps with jitter, converter codes
     [](CKSTChannel& c, std::mt19937_64& r) {
         c.SetSampleType(5);
         c.SetCapacity(kSamples);
         for (uint32_t i = 0; i < kSamples; ++i) {
             const double t = static_cast<double>(i * 1000ull + r() % 300) * 1e-6;
             c.AppendTimeValue(t, static_cast<double>(r() % 4096));
         }
     }},
};

uint64_t SampleBytes(const CKSTChannel& c)
{
    return uint64_t{c.GetCount()} * (c.GetTimes() != nullptr ? 16 : 8);
}

bool SameSamples(const CKSTChannel& a, const CKSTChannel& b)
{
    const size_t n = a.GetCount();
    return a.GetCount() == b.GetCount() && a.GetTimeBaseType() == b.GetTimeBaseType() &&
           std::memcmp(a.GetValues(), b.GetValues(), n * sizeof(double)) == 0 &&
           (a.GetTimes() == nullptr ||
            std::memcmp(a.GetTimes(), b.GetTimes(), n * sizeof(double)) == 0) &&
           std::memcmp(a.GetMissingFlags(), b.GetMissingFlags(), n) == 0;
}

void ReportRate(const std::string& name, uint64_t bytes, double seconds, double memcpySeconds)
{
    kst::bench::Report(name.c_str(), static_cast<double>(bytes) / 1e6 / seconds, "MB/s");
    kst::bench::Report((name + "_vs_memcpy").c_str(), memcpySeconds / seconds, "ratio");
}

bool MeasureEncoding(const Encoding& encoding)
{
    std::mt19937_64 random(1);
    CKSTChannelList list;
    CKSTChannel& channel = *list.GetAt(list.AddNew());
    channel.SetName(encoding.name);
    encoding.fill(channel, random);
    const uint64_t bytes = SampleBytes(channel);

    std::vector<uint8_t> source(bytes, 1);
    std::vector<uint8_t> target(bytes, 0);
    const double memcpySeconds = kst::bench::BestSeconds(kRuns, [&] {
        std::memcpy(target.data(), source.data(), bytes);
        return -1.0;
    });

    CKSTMemBuffer image;
    bool ok = true;
    const double writeSeconds = kst::bench::BestSeconds(kRuns, [&] {
        CKSTDocFile memory;
        kst::bench::RequireOk(memory.OpenMemoryWrite(), "memory.OpenMemoryWrite");
        kst::bench::Stopwatch watch;
        ok = ok && memory.WriteChannels(list, true) == 0;
        const double seconds = watch.Seconds();
        memory.GetMemory(image);
        kst::bench::RequireOk(memory.Close(), "memory.Close");
        return seconds;
    });

    CKSTDocFile reader;
    reader.SetMemory(image);
    kst::bench::RequireOk(reader.OpenMemoryRead(), "reader.OpenMemoryRead");
    CKSTChannelList back;
    const kst::bench::RunTimes readTimes = kst::bench::TimeRuns(kRuns, [&] {
        back.DeleteAll();
        kst::bench::Stopwatch watch;
        ok = ok && reader.ReadChannels(back, nullptr, false, nullptr) == 0;
        return watch.Seconds();
    });
    // The same reads kept on the calling thread: what the threads gain.
    KstSetParallelLimits(1, 0);
    const kst::bench::RunTimes oneThread = kst::bench::TimeRuns(kRuns, [&] {
        back.DeleteAll();
        kst::bench::Stopwatch watch;
        ok = ok && reader.ReadChannels(back, nullptr, false, nullptr) == 0;
        return watch.Seconds();
    });
    KstSetParallelLimits(0, 0);
    kst::bench::RequireOk(reader.Close(), "reader.Close");
    if (!ok || back.GetCount() != 1 || !SameSamples(channel, *back.GetAt(0))) {
        std::fprintf(stderr, "%s: the round trip failed\n", encoding.name);
        return false;
    }
    const std::string name = encoding.name;
    kst::bench::Report(("memcpy_" + name).c_str(), bytes / 1e6 / memcpySeconds, "MB/s");
    kst::bench::ReportRuns("doc_read_" + name, static_cast<double>(bytes), readTimes,
                           kst::bench::FreshCopySeconds(bytes, kRuns));
    kst::bench::Report(("doc_read_" + name + "_one_thread_best").c_str(),
                       bytes / 1e6 / oneThread.best, "MB/s");
    ReportRate("doc_write_" + name, bytes, writeSeconds, memcpySeconds);
    // The stream's buffer is fresh memory on every write: the same bytes copied into fresh pages
    // are the bound of that part.
    kst::bench::Report(("doc_write_" + name + "_vs_fresh_memcpy_of_output").c_str(),
                       kst::bench::FreshCopySeconds(image.GetSize(), kRuns) / writeSeconds,
                       "ratio");
    kst::bench::Report(("doc_image_bytes_per_sample_" + name).c_str(),
                       static_cast<double>(image.GetSize()) / channel.GetCount(), "B");
    return true;
}

// Four encodings in one document of 10^7 samples, written to a file and read back.
bool MeasureFile(const std::string& path)
{
    CKSTChannelList list;
    for (const Encoding* e : {&kEncodings[0], &kEncodings[2], &kEncodings[3], &kEncodings[4]}) {
        std::mt19937_64 random(1);
        for (int copy = 0; copy < 1; ++copy) {
            e->fill(*list.GetAt(list.AddNew()), random);
        }
    }
    uint64_t bytes = 0;
    for (int c = 0; c < list.GetCount(); ++c) {
        bytes += SampleBytes(*list.GetAt(c));
    }
    std::vector<uint8_t> source(bytes, 1);
    std::vector<uint8_t> target(bytes, 0);
    const double memcpySeconds = kst::bench::BestSeconds(kRuns, [&] {
        std::memcpy(target.data(), source.data(), bytes);
        return -1.0;
    });
    bool ok = true;
    CKSTDocFile file;
    const double writeSeconds = kst::bench::BestSeconds(3, [&] {
        ok = ok && file.OpenWrite(path.c_str()) == 0 && file.WriteChannels(list, true) == 0 &&
             file.Close() == 0;
        return -1.0;
    });
    CKSTChannelList back;
    const kst::bench::RunTimes readTimes = kst::bench::TimeRuns(3, [&] {
        back.DeleteAll();
        kst::bench::Stopwatch watch;
        ok = ok && file.OpenRead(path.c_str()) == 0 &&
             file.ReadChannels(back, nullptr, false, nullptr) == 0;
        kst::bench::RequireOk(file.Close(), "file.Close");
        return watch.Seconds();
    });
    std::remove(path.c_str());
    for (int c = 0; ok && c < list.GetCount(); ++c) {
        ok = SameSamples(*list.GetAt(c), *back.GetAt(c));
    }
    if (!ok) {
        std::fprintf(stderr, "mixed document: the round trip through the file failed\n");
        return false;
    }
    ReportRate("doc_write_file_mixed", bytes, writeSeconds, memcpySeconds);
    kst::bench::ReportRuns("doc_read_file_mixed", static_cast<double>(bytes), readTimes,
                           kst::bench::FreshCopySeconds(bytes, 3));
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string path = argc > 1 ? argv[1] : "doc_file_bench.qld";
    for (const Encoding& encoding : kEncodings) {
        if (!MeasureEncoding(encoding)) {
            return 1;
        }
    }
    return MeasureFile(path) ? 0 : 1;
}
