// Writes a starting corpus for the fuzz targets with the program's own writers, so that the
// seeds follow the formats as they change: make_fuzz_seeds <folder> creates <folder>/<target>/.
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "data/DataSet.h"
#include "data/DocFile.h"
#include "data/KeyFile.h"
#include "data/LayoutFile.h"
#include "data/RecordFile.h"
#include "foundation/HeaderInfoList.h"
#include "tests/support/HostileInputs.h"

namespace {

bool Save(const std::string& path, const CKSTMemBuffer& buffer)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    const bool ok = std::fwrite(buffer.GetData(), 1, buffer.GetSize(), f) == buffer.GetSize();
    return std::fclose(f) == 0 && ok;
}

// Channels that make the writers choose every block form: packed levels, differences, raw
// floats, missing runs and a time vector.
void FillDataSet(CKSTDataSet& dataSet)
{
    CKSTChannelList& list = dataSet.GetChannels();
    CKSTChannel* levels = list.GetAt(list.AddNew());
    levels->SetName("levels");
    levels->SetUnit("V");
    levels->SetDt(0.01);
    for (int i = 0; i < 40; ++i) {
        levels->AppendValue((i % 5) * 0.5, i == 7 || i == 8);
    }
    CKSTChannel* ramp = list.GetAt(list.AddNew());
    ramp->SetName("ramp");
    ramp->SetDt(0.01);
    for (int i = 0; i < 40; ++i) {
        ramp->AppendValue(1000.0 + i * 3.0, false);
    }
    CKSTChannel* noise = list.GetAt(list.AddNew());
    noise->SetName("noise");
    noise->SetSampleType(5);
    noise->SetDt(0.5);
    for (int i = 0; i < 16; ++i) {
        noise->AppendValue(i * 0.1234567 - (i % 3) * 7.25, false);
    }
    CKSTChannel* times = list.GetAt(list.AddNew());
    times->SetName("times");
    times->SetTimeBaseType(CKSTChannel::kTimeVector);
    for (int i = 0; i < 12; ++i) {
        times->AppendTimeValue(i * 0.25 + (i % 2) * 0.01, i * 2.0);
    }
    dataSet.GetHeader().Add(CKSTHeaderInfoItem("Comment", "seed"));
    dataSet.GetHeader().Add(CKSTHeaderInfoItem("Gain", 2.5));
    CKSTCurveWndSettings settings;
    settings.AddCurveForChannel("levels", "", "V");
    settings.AddCurveForChannel("ramp", "", "");
    dataSet.SetWindowSettings(settings);
}

CKSTMemBuffer BufferOf(const std::string& bytes)
{
    CKSTMemBuffer buffer;
    buffer.Write(bytes.data(), 1, static_cast<uint32_t>(bytes.size()));
    return buffer;
}

// Small ones of the inputs that once made a reader quadratic or made it create far more than
// the file held.
void AddHostileSeeds(std::vector<std::pair<std::string, CKSTMemBuffer>>& seeds)
{
    seeds.emplace_back("famos/version1_many_channels",
                       BufferOf(kst_hostile::FamosVersion1Channels(40)));
    seeds.emplace_back("famos/many_data_keys", BufferOf(kst_hostile::FamosVersion2ManyDataKeys(8)));
    seeds.emplace_back("famos/shared_buffer", BufferOf(kst_hostile::FamosSharedBuffer(20, 64)));
    seeds.emplace_back("mat_file/cut_short_matrix", BufferOf(kst_hostile::MatCutShortMatrix(300)));
    seeds.emplace_back("text_table/two_digit_years",
                       BufferOf(kst_hostile::TwoDigitYearTable(2000)));
    CKSTKeyFile file;
    CKSTMemBuffer sections;
    if (file.OpenMemoryWrite() == 0 && file.Write(kst_hostile::KeyFileSections(50), false) == 0) {
        file.GetMemory(sections);
        seeds.emplace_back("key_file/many_sections", sections);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds <folder>\n");
        return 2;
    }
    const std::string root = argv[1];
    CKSTDataSet dataSet;
    FillDataSet(dataSet);

    std::vector<std::pair<std::string, CKSTMemBuffer>> seeds;
    for (const bool share : {false, true}) {
        CKSTDocFile doc;
        CKSTMemBuffer image;
        if (doc.OpenMemoryWrite() != 0 || doc.WriteDataSet(dataSet, share) != 0) {
            std::fprintf(stderr, "make_fuzz_seeds: writing the container failed\n");
            return 1;
        }
        doc.GetMemory(image);
        seeds.emplace_back(share ? "doc_file/shared" : "doc_file/document", image);
        seeds.emplace_back(share ? "measurement_image/shared" : "measurement_image/document",
                           image);
        CKSTMemBuffer message;
        const uint8_t channel = 0;
        message.Write(&channel, 1, 1);
        message.Write(image.GetData(), 1, image.GetSize());
        seeds.emplace_back(share ? "doc_samples/shared" : "doc_samples/document", message);
    }

    CKSTDocFile nodeReply;
    CKSTHeaderInfoList replyList;
    replyList.SetLong("ErrorCode", 0);
    replyList.SetInt64("ReadCounter", 5);
    CKSTMemBuffer nodeMessage;
    if (nodeReply.OpenMemoryWrite() != 0 || WriteKxdPropertyList(nodeReply, replyList) != 0 ||
        nodeReply.WriteChannels(dataSet.GetChannels(), false) != 0) {
        std::fprintf(stderr, "make_fuzz_seeds: writing the node reply failed\n");
        return 1;
    }
    nodeReply.GetMemory(nodeMessage);
    seeds.emplace_back("node_message/fifo_values", nodeMessage);

    CKSTRecordFile record;
    CKSTMemBuffer records;
    CKSTDataSet equidistant;
    equidistant = dataSet;
    equidistant.GetChannels().RemoveAt(3);
    if (record.OpenMemoryWrite() != 0 || record.WriteBinaryRecordFile(equidistant) != 0) {
        std::fprintf(stderr, "make_fuzz_seeds: writing the record file failed\n");
        return 1;
    }
    record.GetMemory(records);
    seeds.emplace_back("record_file/records", records);
    seeds.emplace_back("measurement_image/records", records);

    CKSTMemBuffer raw;
    const CKSTChannel& ramp = *dataSet.GetChannels().GetAt(1);
    raw.Write(ramp.GetValues(), sizeof(double), ramp.GetCount());
    seeds.emplace_back("raw_file/ramp", raw);

    CKSTKeyFile layout;
    CKSTMemBuffer layoutText;
    if (layout.OpenMemoryWrite() != 0 ||
        SaveCurveWndLayout(layout, dataSet.GetWindowSettings(), false) != 0) {
        std::fprintf(stderr, "make_fuzz_seeds: writing the layout failed\n");
        return 1;
    }
    layout.GetMemory(layoutText);
    seeds.emplace_back("layout/two_curves", layoutText);
    seeds.emplace_back("key_file/layout", layoutText);

    AddHostileSeeds(seeds);
    for (const auto& [name, buffer] : seeds) {
        std::error_code error;
        std::filesystem::create_directories(root + "/" + name.substr(0, name.find('/')), error);
        if (error || !Save(root + "/" + name, buffer)) {
            std::fprintf(stderr, "make_fuzz_seeds: cannot write %s\n", name.c_str());
            return 1;
        }
    }
    return 0;
}
