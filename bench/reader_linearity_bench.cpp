// Inputs built to make a reader or writer do far more work than their size suggests, each timed
// at two sizes, n and 2n, in the same run: doubling the input should at most double the time.
// Best of several runs; a row whose run takes seconds is run fewer times.

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "BenchReport.h"
#include "data/DataSet.h"
#include "data/KeyFile.h"
#include "formats/FamosFile.h"
#include "formats/MatFile.h"
#include "formats/TextDataFile.h"
#include "foundation/MemBuffer.h"
#include "tests/support/HostileInputs.h"

namespace {

constexpr int kRuns = 3;
// A run longer than this is not repeated.
constexpr double kLongRun = 2.0;

CKSTMemBuffer Buffer(const std::string& bytes)
{
    CKSTMemBuffer buffer;
    buffer.Write(bytes.data(), 1, static_cast<uint32_t>(bytes.size()));
    buffer.SetPosition(0);
    return buffer;
}

// Seconds of the fastest run of work(), or a negative figure when a run fails.
double Best(const std::function<bool()>& work)
{
    double best = 1e300;
    for (int run = 0; run < kRuns; ++run) {
        kst::bench::Stopwatch watch;
        if (!work()) {
            return -1.0;
        }
        best = std::min(best, watch.Seconds());
        if (best > kLongRun) {
            break;
        }
    }
    return best;
}

// A reader of a file image: true when it read the image as the row expects.
using ReadImage = std::function<bool(const CKSTMemBuffer&)>;

bool ReadFamos(const CKSTMemBuffer& image)
{
    CKSTFamosFile file;
    CKSTDataSet set;
    return file.SetMemory(image) == 0 && file.Read(set) == 0 && set.GetChannels().GetCount() > 0;
}

// The cut-short matrix is read as far as its shape allows, then refused.
bool ReadMat(const CKSTMemBuffer& image)
{
    CKSTMatFile file;
    CKSTDataSet set;
    return file.SetMemory(image) == 0 && file.Read(set, nullptr, false) != 0 &&
           set.GetChannels().GetCount() > 0;
}

bool ReadText(const CKSTMemBuffer& image)
{
    CKSTTextDataFile file;
    CKSTDataSet set;
    return file.SetMemory(image) == 0 && file.Read(set, nullptr, false) == 0 &&
           set.GetChannels().GetCount() > 0;
}

struct Row {
    const char* name;
    // The input at scale n.
    std::function<std::string(int n)> make;
    int n;
    ReadImage read;
};

// Prints <name>_n, <name>_2n and their ratio; false when a read failed.
bool Report(const char* name, double small, double large)
{
    if (small < 0.0 || large < 0.0) {
        std::fprintf(stderr, "%s: read failed\n", name);
        return false;
    }
    kst::bench::Report((std::string(name) + "_n").c_str(), small, "s");
    kst::bench::Report((std::string(name) + "_2n").c_str(), large, "s");
    kst::bench::Report((std::string(name) + "_2n_vs_n").c_str(), large / small, "x");
    return true;
}

double TimeKeyFileWrite(int sections)
{
    const CKSTHeaderInfoList list = kst_hostile::KeyFileSections(sections);
    return Best([&] {
        CKSTKeyFile file;
        return file.OpenMemoryWrite() == 0 && file.Write(list, true) == 0;
    });
}

}  // namespace

int main()
{
    const std::vector<Row> rows = {
        {"famos_v1_channels", kst_hostile::FamosVersion1Channels, 2500, ReadFamos},
        {"famos_v2_data_keys", kst_hostile::FamosVersion2ManyDataKeys, 1000, ReadFamos},
        {"famos_shared_buffer",
         [](int n) { return kst_hostile::FamosSharedBuffer(n, 4096); }, 1000, ReadFamos},
        {"mat_cut_short_matrix",
         [](int n) { return kst_hostile::MatCutShortMatrix(static_cast<uint32_t>(n)); },
         1 << 22, ReadMat},
        {"text_two_digit_years",
         [](int n) { return kst_hostile::TwoDigitYearTable(static_cast<size_t>(n)); }, 1 << 20,
         ReadText},
    };
    bool ok = true;
    for (const Row& row : rows) {
        double seconds[2];
        for (int scale = 1; scale <= 2; ++scale) {
            const CKSTMemBuffer image = Buffer(row.make(row.n * scale));
            seconds[scale - 1] = Best([&] { return row.read(image); });
        }
        ok = Report(row.name, seconds[0], seconds[1]) && ok;
    }
    ok = Report("key_file_write_sections", TimeKeyFileWrite(8000), TimeKeyFileWrite(16000)) && ok;
    return ok ? 0 : 1;
}
