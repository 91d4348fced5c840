// Reading and writing a numeric CSV table of about 55 MB (one time column, eight values):
// the reader through the measurement-file object against std::from_chars over the same fields
// and a memchr line count of the same bytes, the header analysis alone, the reader's peak
// memory against the file and channel sizes, and the writer against memcpy of its output. The
// same table with one empty field in every value column (channels with a gap) is read too, and a
// table of about 10 MB, below the size that is split over threads, on its first read and at its
// best against std::from_chars over its fields and a fresh memcpy of its channels' values.

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
// The kernel32 entry of the memory counters; no psapi library to link.
#define PSAPI_VERSION 2
// clang-format off
#include <windows.h>
#include <psapi.h>
// clang-format on
#else
#include <sys/resource.h>
#endif

#include "BenchReport.h"
#include "data/DataSet.h"
#include "data/MeasurementFile.h"
#include "formats/FormatFactory.h"
#include "formats/TextDataFile.h"
#include "foundation/ParallelFor.h"

namespace {

constexpr int kLines = 700000;
// About 10 MB of the same lines.
constexpr int kSmallLines = 120000;
constexpr int kValues = 8;
constexpr int kRuns = 3;

double PeakBytes()
{
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PeakWorkingSetSize);
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) * 1024.0;
#endif
}

double CurrentBytes()
{
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.WorkingSetSize);
#else
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(statm);
    }
    return static_cast<double>(resident) * 4096.0;
#endif
}

// Written line by line so that no image of the whole file stays in memory. With gaps, the
// second data line has no values.
size_t Generate(const std::string& path, bool gaps = false, int lines = kLines)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return 0;
    }
    std::string line = "time";
    for (int c = 0; c < kValues; ++c) {
        line += ",c" + std::to_string(c);
    }
    line += "\n[s]";
    for (int c = 0; c < kValues; ++c) {
        line += ",[V]";
    }
    line += "\n";
    size_t size = std::fwrite(line.data(), 1, line.size(), file);
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> value(-1000.0, 1000.0);
    char text[64];
    for (int i = 0; i < lines; ++i) {
        line.clear();
        line.append(
            text,
            std::to_chars(text, text + sizeof text, i * 0.01, std::chars_format::fixed, 2).ptr);
        for (int c = 0; c < kValues; ++c) {
            line.push_back(',');
            const double v = value(random);
            if (!gaps || i != 1) {
                line.append(
                    text,
                    std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, 4).ptr);
            }
        }
        line.push_back('\n');
        size += std::fwrite(line.data(), 1, line.size(), file);
    }
    std::fclose(file);
    return size;
}

std::string Load(const std::string& path)
{
    std::string image;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[1 << 16];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
            image.append(buffer, n);
        }
        std::fclose(file);
    }
    return image;
}

double Rate(size_t bytes, double seconds)
{
    return static_cast<double>(bytes) / 1e6 / seconds;
}

// Seconds of the fastest std::from_chars pass over the fields below the two header lines.
double FromCharsSeconds(const std::string& image, double& sum)
{
    double best = 1e30;
    for (int run = 0; run < kRuns; ++run) {
        kst::bench::Stopwatch watch;
        sum = 0.0;
        const char* p = std::strchr(image.data(), '\n') + 1;
        p = std::strchr(p, '\n') + 1;
        const char* end = image.data() + image.size();
        while (p < end) {
            double v = 0.0;
            const std::from_chars_result r = std::from_chars(p, end, v);
            sum += v;
            p = r.ptr + 1;
        }
        best = std::min(best, watch.Seconds());
    }
    return best;
}

// The small table read through the measurement-file object: its first read and the best of
// several, against from_chars over the same fields and a fresh memcpy of the values read.
bool ReportSmallTable(const std::string& path)
{
    const size_t size = Generate(path, false, kSmallLines);
    double first = 0.0;
    double best = 1e30;
    for (int run = 0; run < 2 * kRuns; ++run) {
        CKSTDataSet dataSet;
        CKSTMeasurementFile file;
        kst::bench::Stopwatch watch;
        if (file.Open(path.c_str()) != 0 || file.ReadChannels(dataSet) != 0 ||
            dataSet.GetChannels().GetCount() != kValues ||
            dataSet.GetChannels().GetAt(0)->GetCount() != kSmallLines) {
            std::fprintf(stderr, "small table read failed\n");
            return false;
        }
        file.Close();
        const double seconds = watch.Seconds();
        first = run == 0 ? seconds : first;
        best = std::min(best, seconds);
    }
    double sum = 0.0;
    const double parse = FromCharsSeconds(Load(path), sum);
    std::remove(path.c_str());
    kst::bench::Report("small_file_size", static_cast<double>(size) / 1e6, "MB");
    kst::bench::Report("small_from_chars_fields", Rate(size, parse), "MB/s");
    kst::bench::Report("small_text_read_first", Rate(size, first), "MB/s");
    kst::bench::Report("small_text_read", Rate(size, best), "MB/s");
    kst::bench::Report("small_text_read_vs_from_chars", parse / best, "ratio");
    kst::bench::Report("small_text_read_first_vs_from_chars", parse / first, "ratio");
    // The channels' values are fresh memory on every read, as for the large table.
    const double fresh =
        kst::bench::FreshCopySeconds(static_cast<size_t>(kSmallLines) * kValues * 8, kRuns);
    kst::bench::Report("small_fresh_memcpy_of_read_output", Rate(size, fresh), "MB/s");
    kst::bench::Report("small_text_read_vs_fresh_memcpy", fresh / best, "ratio");
    return sum != 12345.678;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string path = argc > 1 ? argv[1] : "text_table_bench.csv";
    const size_t size = Generate(path);
    if (size == 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    kst::bench::Report("file_size", static_cast<double>(size) / 1e6, "MB");
    KstInstallFormats();

    // The reader, first, so that its peak is not hidden by the references' buffers.
    const double baseline = CurrentBytes();
    double readBest = 1e30;
    double channelBytes = 0.0;
    double peakGrowth = 0.0;
    for (int run = 0; run < kRuns; ++run) {
        CKSTDataSet dataSet;
        CKSTMeasurementFile file;
        kst::bench::Stopwatch watch;
        if (file.Open(path.c_str()) != 0 || file.ReadChannels(dataSet) != 0) {
            std::fprintf(stderr, "read failed\n");
            return 1;
        }
        kst::bench::RequireOk(file.Close(), "file.Close");
        readBest = std::min(readBest, watch.Seconds());
        if (run == 0) {
            peakGrowth = PeakBytes() - baseline;
            channelBytes = static_cast<double>(dataSet.GetChannels().GetMemorySize());
            if (dataSet.GetChannels().GetCount() != kValues ||
                dataSet.GetChannels().GetAt(0)->GetCount() != kLines) {
                std::fprintf(stderr, "unexpected channels\n");
                return 1;
            }
        }
    }

    // The same read kept on the calling thread, as from_chars is.
    KstSetParallelLimits(1, 0);
    double oneThreadBest = 1e30;
    for (int run = 0; run < kRuns; ++run) {
        CKSTDataSet dataSet;
        CKSTMeasurementFile file;
        kst::bench::Stopwatch watch;
        if (file.Open(path.c_str()) != 0 || file.ReadChannels(dataSet) != 0) {
            std::fprintf(stderr, "read on one thread failed\n");
            return 1;
        }
        kst::bench::RequireOk(file.Close(), "file.Close");
        oneThreadBest = std::min(oneThreadBest, watch.Seconds());
    }
    KstSetParallelLimits(0, 0);

    // Channels with a gap leave the dense path after their first sample.
    const std::string gapPath = path + ".gaps.csv";
    const size_t gapSize = Generate(gapPath, true);
    double gapBest = 1e30;
    for (int run = 0; run < kRuns; ++run) {
        CKSTDataSet dataSet;
        CKSTMeasurementFile file;
        kst::bench::Stopwatch watch;
        if (file.Open(gapPath.c_str()) != 0 || file.ReadChannels(dataSet) != 0 ||
            dataSet.GetChannels().GetCount() != kValues ||
            dataSet.GetChannels().GetAt(0)->GetCount() != kLines) {
            std::fprintf(stderr, "read with gaps failed\n");
            return 1;
        }
        kst::bench::RequireOk(file.Close(), "file.Close");
        gapBest = std::min(gapBest, watch.Seconds());
    }
    std::remove(gapPath.c_str());

    if (!ReportSmallTable(path + ".small.csv")) {
        return 1;
    }

    const std::string image = Load(path);
    double lineBest = 1e30;
    size_t lines = 0;
    double sum = 0.0;
    const double parseBest = FromCharsSeconds(image, sum);
    for (int run = 0; run < kRuns; ++run) {
        kst::bench::Stopwatch lineWatch;
        lines = 0;
        for (const char *p = image.data(), *end = p + image.size();;) {
            const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
            if (lf == nullptr) {
                break;
            }
            ++lines;
            p = static_cast<const char*>(lf) + 1;
        }
        lineBest = std::min(lineBest, lineWatch.Seconds());
    }

    CKSTTextDataFile header;
    CKSTMemBuffer buffer;
    buffer.Write(image.data(), 1, static_cast<uint32_t>(image.size()));
    kst::bench::RequireOk(header.SetMemory(buffer), "header.SetMemory");
    double headerBest = 1e30;
    for (int run = 0; run < kRuns; ++run) {
        CKSTHeaderInfoList info;
        kst::bench::Stopwatch watch;
        kst::bench::RequireOk(header.ReadHeaderInfo(info), "header.ReadHeaderInfo");
        headerBest = std::min(headerBest, watch.Seconds());
    }
    buffer.Free();

    kst::bench::Report("memchr_lines", Rate(size, lineBest), "MB/s");
    kst::bench::Report("from_chars_fields", Rate(size, parseBest), "MB/s");
    kst::bench::Report("text_read", Rate(size, readBest), "MB/s");
    kst::bench::Report("text_read_vs_from_chars", Rate(size, readBest) / Rate(size, parseBest),
                       "ratio");
    kst::bench::Report("text_read_one_thread_vs_from_chars",
                       Rate(size, oneThreadBest) / Rate(size, parseBest), "ratio");
    kst::bench::Report("text_read_vs_memchr", Rate(size, readBest) / Rate(size, lineBest), "ratio");
    // The channels' values are fresh memory on every read.
    const double freshRead =
        kst::bench::FreshCopySeconds(static_cast<size_t>(kLines) * kValues * 8, kRuns);
    kst::bench::Report("fresh_memcpy_of_read_output", Rate(size, freshRead), "MB/s");
    kst::bench::Report("text_read_vs_fresh_memcpy", freshRead / readBest, "ratio");
    kst::bench::Report("text_read_gaps", Rate(gapSize, gapBest), "MB/s");
    kst::bench::Report("text_read_gaps_vs_from_chars",
                       Rate(gapSize, gapBest) / Rate(size, parseBest), "ratio");
    kst::bench::Report("header_analysis", headerBest * 1e3, "ms");
    kst::bench::Report("read_peak_growth", peakGrowth / 1e6, "MB");
    kst::bench::Report("file_plus_twice_channels", (size + 2.0 * channelBytes) / 1e6, "MB");
    kst::bench::Report("read_peak_vs_budget", peakGrowth / (size + 2.0 * channelBytes), "ratio");

    // The writer: the table read back, written with four decimals into memory and to a file.
    CKSTDataSet dataSet;
    {
        CKSTMeasurementFile file;
        kst::bench::RequireOk(file.Open(path.c_str()), "file.Open");
        kst::bench::RequireOk(file.ReadChannels(dataSet), "file.ReadChannels");
    }
    CKSTTextFormat settings;
    settings.formatCode = KST_TEXT_CSV_SECONDS;
    settings.valueDecimals = 4;
    settings.timeDecimals = 2;
    double writeBest = 1e30;
    double fileBest = 1e30;
    size_t written = 0;
    const std::string outPath = path + ".out.csv";
    for (int run = 0; run < kRuns; ++run) {
        CKSTTextDataFile writer;
        kst::bench::RequireOk(writer.OpenMemoryWrite(), "writer.OpenMemoryWrite");
        kst::bench::Stopwatch watch;
        if (writer.WriteByFormat(dataSet, settings, nullptr) != 0) {
            std::fprintf(stderr, "write failed\n");
            return 1;
        }
        writeBest = std::min(writeBest, watch.Seconds());
        CKSTMemBuffer out;
        kst::bench::RequireOk(writer.GetMemory(out), "writer.GetMemory");
        written = out.GetSize();

        CKSTTextDataFile toFile;
        kst::bench::RequireOk(toFile.OpenWrite(outPath.c_str()), "toFile.OpenWrite");
        kst::bench::Stopwatch fileWatch;
        if (toFile.WriteByFormat(dataSet, settings, nullptr) != 0 || toFile.Close() != 0) {
            std::fprintf(stderr, "file write failed\n");
            return 1;
        }
        fileBest = std::min(fileBest, fileWatch.Seconds());
    }
    std::vector<char> copy(written);
    double copyBest = 1e30;
    for (int run = 0; run < kRuns; ++run) {
        kst::bench::Stopwatch watch;
        std::memcpy(copy.data(), image.data(), std::min(written, image.size()));
        copyBest = std::min(copyBest, watch.Seconds());
    }
    kst::bench::Report("memcpy_output", Rate(written, copyBest), "MB/s");
    kst::bench::Report("text_write_memory", Rate(written, writeBest), "MB/s");
    kst::bench::Report("text_write_file", Rate(written, fileBest), "MB/s");
    kst::bench::Report("text_write_vs_memcpy", Rate(written, writeBest) / Rate(written, copyBest),
                       "ratio");
    const double freshWrite = kst::bench::FreshCopySeconds(written, kRuns);
    kst::bench::Report("fresh_memcpy_output", Rate(written, freshWrite), "MB/s");
    kst::bench::Report("text_write_vs_fresh_memcpy", freshWrite / writeBest, "ratio");
    std::remove(outPath.c_str());
    std::remove(path.c_str());
    return sum == 12345.678 && lines == 0 ? 2 : 0;
}
