// Reading MAT files from disk: as the program writes them (a structure of an "XData" and a
// "YData" column per channel, many small ones) and as array writers such as scipy's write them
// (one plain matrix per variable). The first read in the process (cold) is printed beside the
// best of several, with a memcpy of the output's bytes into fresh memory in the same run as the
// reference. The files stay behind for another reader to be timed on them, e.g.
//   python3 -c "import scipy.io,sys; scipy.io.loadmat(sys.argv[1])" <file>
//   mat_file_bench [folder]

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchReport.h"
#include "data/DataSet.h"
#include "formats/MatFile.h"

namespace {

constexpr int kRuns = 5;
constexpr uint32_t kOwnChannels = 4000;
constexpr uint32_t kOwnSamples = 1000;
constexpr uint32_t kArrays = 400;
constexpr uint32_t kArrayRows = 20000;

bool WriteOwnFile(const std::string& path)
{
    CKSTChannelList channels;
    for (uint32_t c = 0; c < kOwnChannels; ++c) {
        CKSTChannel& channel = *channels.GetAt(channels.AddNew());
        channel.SetName(CKSTString("ch") + CKSTString::FormatInt(static_cast<int>(c)));
        channel.SetDt(0.001);
        for (uint32_t i = 0; i < kOwnSamples; ++i) {
            channel.AppendValue(static_cast<double>((i * 7919u + c) % 1000) * 0.01, false);
        }
    }
    CKSTMatFile file;
    return file.OpenWrite(path.c_str()) == 0 && file.WriteChannels(channels, false) == 0 &&
           file.Close() == 0;
}

void Append32(std::vector<uint8_t>& bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

// Plain double columns named a0, a1, ..., each element as an array writer lays it out.
bool WriteArrayFile(const std::string& path)
{
    std::string text = "MATLAB 5.0 MAT-file Platform: posix, Created on: Thu Dec 10 12:00:00 2026";
    text.resize(116, ' ');
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.resize(124, 0);
    bytes.push_back(0);
    bytes.push_back(1);
    bytes.push_back('I');
    bytes.push_back('M');
    for (uint32_t a = 0; a < kArrays; ++a) {
        const std::string name = "a" + std::to_string(a);
        const uint32_t namePadded = static_cast<uint32_t>((name.size() + 7) / 8 * 8);
        const uint32_t data = kArrayRows * 8;
        Append32(bytes, 14);
        Append32(bytes, 16 + 16 + 8 + namePadded + 8 + data);
        for (const uint32_t word : {6u, 8u, 6u, 0u, 5u, 8u, kArrayRows, 1u}) {
            Append32(bytes, word);
        }
        Append32(bytes, 1);
        Append32(bytes, static_cast<uint32_t>(name.size()));
        bytes.insert(bytes.end(), name.begin(), name.end());
        bytes.resize(bytes.size() + namePadded - name.size(), 0);
        Append32(bytes, 9);
        Append32(bytes, data);
        for (uint32_t i = 0; i < kArrayRows; ++i) {
            const double value = static_cast<double>((i + a) % 977) * 0.5;
            const auto* raw = reinterpret_cast<const uint8_t*>(&value);
            bytes.insert(bytes.end(), raw, raw + 8);
        }
    }
    FILE* out = std::fopen(path.c_str(), "wb");
    return out != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() &&
           std::fclose(out) == 0;
}

// Bytes of the channels' values and times.
size_t OutputBytes(const CKSTDataSet& set)
{
    size_t bytes = 0;
    for (int i = 0; i < set.GetChannels().GetCount(); ++i) {
        const CKSTChannel& channel = *set.GetChannels().GetAt(i);
        const bool times = channel.GetTimeBaseType() == CKSTChannel::kTimeVector;
        bytes += size_t{channel.GetCount()} * 8 * (times ? 2 : 1);
    }
    return bytes;
}

// Seconds of one read of the file; negative when it fails.
double ReadOnce(const std::string& path, size_t& output)
{
    CKSTDataSet set;
    CKSTMatFile file;
    kst::bench::Stopwatch watch;
    if (file.OpenRead(path.c_str()) != 0 || file.Read(set, nullptr, false) != 0) {
        return -1.0;
    }
    const double seconds = watch.Seconds();
    output = OutputBytes(set);
    return seconds;
}

bool Measure(const char* name, const std::string& path)
{
    size_t output = 0;
    const double cold = ReadOnce(path, output);
    const double best = kst::bench::BestSeconds(kRuns, [&] { return ReadOnce(path, output); });
    if (cold < 0.0 || best < 0.0 || output == 0) {
        std::fprintf(stderr, "%s: read failed\n", name);
        return false;
    }
    const double fresh = kst::bench::FreshCopySeconds(output, kRuns);
    const std::string prefix(name);
    kst::bench::Report((prefix + "_output").c_str(), static_cast<double>(output) / 1e6, "MB");
    kst::bench::Report((prefix + "_read_cold").c_str(), cold, "s");
    kst::bench::Report((prefix + "_read_best").c_str(), best, "s");
    kst::bench::Report((prefix + "_fresh_memcpy_of_output").c_str(), fresh, "s");
    kst::bench::Report((prefix + "_read_cold_vs_fresh_memcpy").c_str(), cold / fresh, "x");
    kst::bench::Report((prefix + "_read_best_vs_fresh_memcpy").c_str(), best / fresh, "x");
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? std::string(argv[1]) + "/" : std::string();
    const std::string own = folder + "mat_bench_own.mat";
    const std::string arrays = folder + "mat_bench_arrays.mat";
    if (!WriteOwnFile(own) || !WriteArrayFile(arrays)) {
        std::fprintf(stderr, "cannot write the files\n");
        return 1;
    }
    const bool ok = Measure("mat_own_structures", own) && Measure("mat_plain_arrays", arrays);
    return ok ? 0 : 1;
}
