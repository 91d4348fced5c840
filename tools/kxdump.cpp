// kxdump: prints the records and channels of a native container as canonical text, one item a
// line, numbers in their shortest exact form, so that two files can be compared with diff.
//
//   kxdump FILE                 dump FILE
//   kxdump --generate FILE [N]  write a document of a generated data set (N samples a channel)

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "data/ChannelList.h"
#include "data/DataSet.h"
#include "data/DocFile.h"
#include "data/settings/CurveWndSettings.h"
#include "foundation/HeaderInfoList.h"

namespace {

std::string Number(double v)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    return std::string(buffer, result.ptr);
}

std::string Quoted(const CKSTString& text)
{
    std::string out = "\"";
    for (int i = 0; i < text.GetLength(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

const char* ClassOf(uint8_t tag)
{
    if (IsFixedSizeTag(tag)) {
        return "single";
    }
    if (IsLengthPrefixedTag(tag)) {
        return "block";
    }
    if (IsPropertyTag(tag)) {
        return "property";
    }
    return IsKnownTag(tag) ? "record" : "unknown";
}

// The records one after the other as the framing delimits them. Process-block brackets carry
// an id byte instead of a length.
void DumpRecords(const CKSTDocImage& image)
{
    CKSTDocReader reader = image.GetRecords();
    uint8_t tag;
    while (true) {
        const size_t at = reader.GetPosition();
        if (reader.ReadTag(tag) != 0) {
            break;
        }
        std::printf("record @%zu tag %u %s", at, tag, ClassOf(tag));
        bool ok = true;
        if (IsBlockBracketTag(tag)) {
            uint8_t id = 0;
            ok = reader.ReadU8(id);
            std::printf(" id %u", id);
        } else if (IsFixedSizeTag(tag)) {
            uint32_t index = 0;
            ok = reader.ReadCount8(index) && reader.Skip(GetFixedTagSize(tag));
            std::printf(" index %u size %u", index, GetFixedTagSize(tag));
        } else {
            uint32_t index = 0;
            if (IsLengthPrefixedTag(tag)) {
                ok = reader.ReadCount8(index);
                std::printf(" index %u", index);
            }
            uint32_t length = 0;
            ok = ok && reader.ReadCount16(length);
            std::printf(" length %u", length);
            ok = ok && reader.Skip(length);
        }
        std::printf("%s\n", ok ? "" : " (cut off)");
        if (!ok) {
            break;
        }
    }
}

void DumpHeader(const CKSTHeaderInfoList& header)
{
    for (int i = 0; i < header.GetCount(true); ++i) {
        const CKSTHeaderInfoItem& item = header.GetItem(i);
        std::printf("property %s type %d%s = %s\n", Quoted(item.m_name).c_str(), item.m_type,
                    item.m_hidden ? " hidden" : "", Quoted(item.GetValueText()).c_str());
    }
}

void DumpChannel(int index, const CKSTChannel& c)
{
    const CKSTTimeStamp start = c.GetStartTimeStamp();
    std::printf("channel %d name %s group %s unit %s time-unit %s comment %s\n", index,
                Quoted(c.GetName()).c_str(), Quoted(c.GetGroup()).c_str(),
                Quoted(c.GetUnit()).c_str(), Quoted(c.GetTimeUnit()).c_str(),
                Quoted(c.GetComment()).c_str());
    std::printf("  kind %u sample-type %u count %u start %s+%s dt %s t0 %s\n", c.GetTimeBaseType(),
                c.GetSampleType(), c.GetCount(), Number(start.GetSerialDays()).c_str(),
                Number(start.GetFraction()).c_str(), Number(c.GetDt()).c_str(),
                Number(c.GetT0()).c_str());
    for (int32_t k = 1; k < c.GetValueTextCount(); ++k) {
        std::printf("  text %d %s\n", k, Quoted(c.GetValueText(k)).c_str());
    }
    for (uint32_t i = 0; i < c.GetCount(); ++i) {
        if (c.IsMissing(i)) {
            std::printf("  %u %s missing\n", i, Number(c.GetTimeAt(i)).c_str());
        } else {
            std::printf("  %u %s %s\n", i, Number(c.GetTimeAt(i)).c_str(),
                        Number(c.GetValues()[i]).c_str());
        }
    }
}

int Dump(const char* path)
{
    CKSTDocFile file;
    int result = file.OpenRead(path);
    if (result != 0) {
        std::fprintf(stderr, "kxdump: %s: cannot open as a container (%d)\n", path, result);
        return 1;
    }
    CKSTDocImage image;
    result = file.LoadImage(image);
    if (result != 0) {
        std::fprintf(stderr, "kxdump: %s: cannot read (%d)\n", path, result);
        return 1;
    }
    std::printf("container %zu bytes\n", image.GetSize());
    DumpRecords(image);

    CKSTCurveWndSettings settings;
    uint8_t settingsNewer = 0;
    const int settingsResult = file.ReadCurveWndSettingsAll(settings, &settingsNewer);
    std::printf("settings %s, %d curves\n", settingsResult == 0 ? "found" : "none",
                static_cast<int>(settings.m_Curves.size()));
    CKSTHeaderInfoList header;
    const int headerResult = ReadKxdPropertyList(file, header, nullptr);
    if (headerResult != 0) {
        std::printf("property list error %d\n", headerResult);
    }
    DumpHeader(header);
    CKSTChannelList channels;
    uint8_t newer = 0;
    const int channelResult = file.ReadChannels(channels, nullptr, false, &newer);
    std::printf("channels %d result %d newer-kinds %u\n", channels.GetCount(), channelResult,
                (newer | settingsNewer) != 0 ? 1u : 0u);
    for (int i = 0; i < channels.GetCount(); ++i) {
        DumpChannel(i, *channels.GetAt(i));
    }
    return 0;
}

int Generate(const char* path, uint32_t n)
{
    CKSTDataSet dataSet;
    CKSTCurveWndSettings settings;
    settings.AddCurveForChannel("sine", "demo", "V");
    settings.AddCurveForChannel("counter", "demo", "");
    dataSet.SetWindowSettings(settings);
    dataSet.GetHeader().SetString("Title", "generated");
    dataSet.GetHeader().SetString("Comment", "kxdump --generate");

    CKSTChannelList& channels = dataSet.GetChannels();
    CKSTChannel* sine = channels.GetAt(channels.AddNew());
    sine->SetName("sine");
    sine->SetGroup("demo");
    sine->SetUnit("V");
    sine->SetSampleType(5);
    sine->SetDt(0.001);
    sine->SetStartTimeStamp(CKSTTimeStamp(2024, 1, 2, 3, 4, 5.0));
    CKSTChannel* counter = channels.GetAt(channels.AddNew());
    counter->CopyFrom(*sine);
    counter->SetName("counter");
    counter->SetUnit("");
    CKSTChannel* state = channels.GetAt(channels.AddNew());
    state->CopyFrom(*sine);
    state->SetName("state");
    state->AddValueText("off", false);
    state->AddValueText("on", false);
    for (uint32_t i = 0; i < n; ++i) {
        // Codes of a 12-bit converter, so the sine packs; every 97th sample is lost.
        const double code = std::floor(2047.5 + 2047.0 * std::sin(i * 0.01));
        sine->AppendValue(i % 97 == 96 ? 0.0 : code * 0.005, i % 97 == 96);
        counter->AppendValue(i, false);
        state->AppendValue((i / 50) % 2 + 1, false);
    }

    CKSTDocFile file;
    int result = file.OpenWrite(path);
    if (result == 0) {
        result = file.WriteDataSet(dataSet, true);
    }
    const int closed = file.Close();
    if (result == 0) {
        result = closed;
    }
    if (result != 0) {
        std::fprintf(stderr, "kxdump: %s: cannot write (%d)\n", path, result);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--generate") != 0) {
        return Dump(argv[1]);
    }
    if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "--generate") == 0) {
        uint32_t n = 1000;
        if (argc == 4) {
            const char* end = argv[3] + std::strlen(argv[3]);
            if (std::from_chars(argv[3], end, n).ptr != end) {
                std::fprintf(stderr, "kxdump: bad sample count %s\n", argv[3]);
                return 2;
            }
        }
        return Generate(argv[2], n);
    }
    std::fprintf(stderr, "usage: kxdump FILE | kxdump --generate FILE [SAMPLES]\n");
    return 2;
}
