#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/MeasurementFile.h"
#include "FamosImage.h"
#include "formats/FamosFile.h"
#include "formats/FormatFactory.h"
#include "foundation/ErrorCodes.h"
#include "support/TempFolder.h"
#include "support/ChannelBuilders.h"

using namespace famos_test;

namespace {

std::string WriteImage(const CKSTDataSet& set)
{
    CKSTFamosFile file;
    EXPECT_EQ(file.OpenMemoryWrite(), KST_OK);
    EXPECT_EQ(file.Write(set, nullptr), KST_OK);
    CKSTMemBuffer image;
    EXPECT_EQ(file.GetMemory(image), KST_OK);
    return std::string(reinterpret_cast<const char*>(image.GetData()), image.GetSize());
}

CKSTChannel* Add(CKSTDataSet& set, const CKSTChannel& channel, const char* name)
{
    CKSTChannel* added = set.GetChannels().GetAt(set.GetChannels().AddCopy(channel));
    added->SetName(name);
    return added;
}

const char kHead[] = "|CF,2,1,1;|CK,1,3,1,1;\r\n|NO,1,13,1,6,Kestro,0,;\r\n";

TEST(FamosWriteTest, EmptyListGivesTheHeadAndAnEmptyDataKey)
{
    CKSTDataSet set;
    EXPECT_EQ(WriteImage(set), std::string(kHead) + "|CS,1,2,1,;\r\n");
}

// Every byte as the key rules give it, for a grid channel in a group with a colour, a time
// vector of the same group and a text key.
TEST(FamosWriteTest, GoldenImageOfAGridChannelATimeVectorAndATextKey)
{
    CKSTDataSet set;
    CKSTChannel* grid = Add(set, kst_test::Equidistant(0.0, 0.5, {0.0, 0.5, 1.0}), "3 phase-U");
    grid->SetGroup("Motor");
    grid->SetUnit("V");
    grid->SetComment("c,1");
    grid->SetColor(0x336699);
    grid->SetStartTimeStamp(CKSTTimeStamp(2021, 3, 4, 5, 6, 7.75));
    CKSTChannel* xy = Add(set, kst_test::TimeVector({0.0, 0.25}, {1.0, 2.0}), "T");
    xy->SetGroup("Motor");
    xy->SetUnit("A");
    set.GetHeader().SetString("Station", "A12");

    std::string expected = kHead;
    expected += "|CB,1,12,1,5,Motor,0,;\r\n";
    expected += "|CG,1,5,1,1,1;\r\n|CD,1,15,0.5,1,1,s,0,0,0;\r\n|NT,1,14,4,3,2021,5,6,7;\r\n";
    expected += "|CC,1,3,1,1;\r\n|CP,1,16,1,2,3,16,0,0,1,0;\r\n";
    expected += "|Cb,1,22,1,0,1,1,0,6,0,6,1,0,0,;\r\n|CR,1,13,1,0.5,0,1,1,V;\r\n";
    expected += "|ND,1,14,153,102,51,0,0;\r\n|CN,1,25,1,0,0,10,_3_phase_U,3,c,1;\r\n";
    expected += "|CG,1,5,2,3,2;\r\n|NT,1,16,30,12,1899,0,0,0;\r\n";
    expected += "|CC,1,3,1,1;\r\n|CP,1,16,2,2,3,16,0,0,1,0;\r\n";
    expected += "|Cb,1,22,1,0,2,1,6,4,0,4,1,0,0,;\r\n|CR,1,11,1,1,1,1,1,A;\r\n";
    expected += "|CN,1,12,1,0,0,1,T,0,;\r\n";
    expected += "|CC,1,3,2,1;\r\n|CP,1,16,3,8,8,64,0,0,1,0;\r\n";
    expected += "|Cb,1,25,1,0,3,1,10,16,0,16,1,0,0,;\r\n|CR,1,11,0,0,0,1,1,s;\r\n";
    expected += "|CS,1,28,1," + LittleEndian<uint16_t>({0, 1, 2}) + LittleEndian<uint16_t>({0, 1}) +
                LittleEndian<double>({0.0, 0.25}) + ";\r\n";
    expected += "|CT,1,20,0,7,Station,3,A12,0,;\r\n";
    EXPECT_EQ(WriteImage(set), expected);
}

TEST(FamosWriteTest, KeyNames)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"3 phase-U", "_3_phase_U"},
        {"a,b;c:d\"e+f(g)h*i/j^k=l{m}n[o]p<q>r|s", "a_b_c_d_e_f_g_h_i_j_k_l_m_n_o_p_q_r_s"},
        {"plain_name", "plain_name"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Text(CKSTFamosFile::MakeKeyName(c.in)), c.out) << c.in;
    }
}

struct RoundTripCase {
    const char* name;
    uint16_t storedType;
    std::vector<double> values;
    uint16_t readSampleType;
    bool asFloat;
};

TEST(FamosWriteTest, RoundTripsByStorageType)
{
    std::vector<double> wide;
    for (int i = 0; i <= 70000; ++i) {
        wide.push_back(i * 0.25 - 3.0);
    }
    const std::vector<double> offGrid = {std::sqrt(2.0), std::acos(-1.0), std::exp(1.0), 1e-7};
    const RoundTripCase cases[] = {
        {"digital word", 0, {0, 1, 5, 40000, 65535}, 0, false},
        {"16-bit grid", 5, {0.0, 0.5, 1000.0, 999.5}, 2, false},
        {"32-bit grid", 5, wide, 3, false},
        {"32-bit float", 4, offGrid, 4, true},
        {"64-bit float", 5, offGrid, 5, false},
    };
    for (const RoundTripCase& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTDataSet set;
        CKSTChannel* channel = Add(set, kst_test::Equidistant(0.0, 1e-3, c.values), "ch");
        channel->SetStoredSampleType(c.storedType);
        CKSTDataSet back;
        ASSERT_EQ(ReadImage(WriteImage(set), back), KST_OK);
        ASSERT_EQ(back.GetChannels().GetCount(), 1);
        const CKSTChannel& read = *back.GetChannels().GetAt(0);
        EXPECT_EQ(read.GetSampleType(), c.readSampleType);
        ASSERT_EQ(read.GetCount(), c.values.size());
        for (size_t i = 0; i < c.values.size(); ++i) {
            const double expected =
                c.asFloat ? static_cast<double>(static_cast<float>(c.values[i])) : c.values[i];
            ASSERT_NEAR(read.GetValues()[i], expected, std::fabs(expected) * 1e-12) << i;
        }
    }
}

TEST(FamosWriteTest, RoundTripOfDescriptionsGroupsColoursAndTimeVectors)
{
    CKSTDataSet set;
    CKSTChannel* a = Add(set, kst_test::Equidistant(0.25, 0.01, {1.5, -2.5, 3.5}), "Speed");
    a->SetGroup("Drive");
    a->SetUnit("m/s");
    a->SetTimeUnit("s");
    a->SetComment("front, left");
    a->SetColor(0x0000FF);
    a->SetStartTimeStamp(CKSTTimeStamp(2022, 12, 31, 23, 59, 58.0));
    CKSTChannel* b = Add(set, kst_test::TimeVector({0.0, 0.1, 0.35}, {std::sqrt(2.0), 2, 3}), "XY");
    b->SetGroup("Other");
    b->SetTimeUnit("ms");
    Add(set, kst_test::Equidistant(0.0, 1.0, {}), "empty");
    CKSTChannel* c = Add(set, kst_test::Equidistant(0.0, 1.0, {7}), "Torque");
    c->SetGroup("Drive");

    CKSTDataSet back;
    ASSERT_EQ(ReadImage(WriteImage(set), back), KST_OK);
    const CKSTChannelList& read = back.GetChannels();
    ASSERT_EQ(read.GetCount(), 3);
    EXPECT_EQ(Text(read.GetAt(0)->GetName()), "Speed");
    EXPECT_EQ(Text(read.GetAt(0)->GetGroup()), "Drive");
    EXPECT_EQ(Text(read.GetAt(0)->GetUnit()), "m/s");
    EXPECT_EQ(Text(read.GetAt(0)->GetComment()), "front, left");
    EXPECT_EQ(read.GetAt(0)->GetColor(), 0x0000FF);
    EXPECT_EQ(read.GetAt(0)->GetStartTimeStamp(), CKSTTimeStamp(2022, 12, 31, 23, 59, 58.0));
    EXPECT_DOUBLE_EQ(read.GetAt(0)->GetDt(), 0.01);
    EXPECT_DOUBLE_EQ(read.GetAt(0)->GetT0(), 0.25);
    EXPECT_EQ(Values(*read.GetAt(0)), (std::vector<double>{1.5, -2.5, 3.5}));

    const CKSTChannel& xy = *read.GetAt(1);
    EXPECT_EQ(Text(xy.GetGroup()), "Other");
    EXPECT_EQ(xy.GetTimeBaseType(), CKSTChannel::kTimeVector);
    EXPECT_EQ(Text(xy.GetTimeUnit()), "ms");
    EXPECT_EQ(kst_test::Times(xy), (std::vector<double>{0.0, 0.1, 0.35}));
    EXPECT_EQ(Values(xy), (std::vector<double>{std::sqrt(2.0), 2, 3}));
    EXPECT_EQ(read.GetAt(1)->GetColor(), -1);

    EXPECT_EQ(Text(read.GetAt(2)->GetName()), "Torque");
    EXPECT_EQ(Text(read.GetAt(2)->GetGroup()), "Drive");
}

// "%.6G" and 32-bit floats would write 100000 (or 100001) and 1234.57.
TEST(FamosWriteTest, ScalingAndOriginsReadBackToTheSameDouble)
{
    std::vector<double> values;
    for (int k = 0; k < 10; ++k) {
        values.push_back(100000.5 + k);
    }
    CKSTDataSet set;
    Add(set, kst_test::Equidistant(1234.5678, 1.0 / 3.0, values), "precise");
    CKSTDataSet back;
    ASSERT_EQ(ReadImage(WriteImage(set), back), KST_OK);
    ASSERT_EQ(back.GetChannels().GetCount(), 1);
    const CKSTChannel& read = *back.GetChannels().GetAt(0);
    EXPECT_EQ(read.GetSampleType(), 2);
    EXPECT_EQ(Values(read), values);
    EXPECT_EQ(read.GetT0(), 1234.5678);
    EXPECT_EQ(read.GetDt(), 1.0 / 3.0);
}

TEST(FamosWriteTest, HeaderEntriesVisibleHiddenAndOfOtherTypes)
{
    CKSTDataSet set;
    Add(set, kst_test::Equidistant(0.0, 1.0, {1}), "a");
    CKSTHeaderInfoList& header = set.GetHeader();
    header.SetString("Station", "A12");
    header.SetString("Comment", "first, second", true);
    header.SetString("Secret", "s", true);
    header.SetDouble("Gain", 2.5);
    header.SetString("Test Bench", "3");

    CKSTDataSet back;
    ASSERT_EQ(ReadImage(WriteImage(set), back), KST_OK);
    const CKSTHeaderInfoList& read = back.GetHeader();
    ASSERT_EQ(read.GetCount(true), 3);
    CKSTString text;
    EXPECT_GE(read.GetString("Station", text), 0);
    EXPECT_EQ(Text(text), "A12");
    EXPECT_GE(read.GetString("Comment", text, true), 0);
    EXPECT_EQ(Text(text), "first, second");
    EXPECT_GE(read.GetString("Test_Bench", text), 0);
    EXPECT_EQ(Text(text), "3");
    EXPECT_FALSE(read.Has("Secret", true));
    EXPECT_FALSE(read.Has("Gain", true));
}

TEST(FamosWriteTest, TheCallersChannelsStayAsTheyWere)
{
    CKSTDataSet set;
    CKSTChannel* channel = Add(set, kst_test::Equidistant(0.0, 1.0, {1, 2, 3}), "a");
    channel->SetStoredSampleType(5);
    channel->SetSourceFile("original.qld");
    WriteImage(set);
    EXPECT_EQ(channel->GetStoredSampleType(), 5);
    EXPECT_EQ(Text(channel->GetSourceFile()), "original.qld");
    EXPECT_EQ(Values(*channel), (std::vector<double>{1, 2, 3}));
}

// Codes beyond what the number format holds are clamped, not wrapped.
TEST(FamosWriteTest, DigitalWordsAreClampedIntoSixteenBits)
{
    CKSTDataSet set;
    Add(set, kst_test::Equidistant(0.0, 1.0, {-5, 70000, 12.9, std::nan("")}), "w")
        ->SetStoredSampleType(0);
    CKSTDataSet back;
    ASSERT_EQ(ReadImage(WriteImage(set), back), KST_OK);
    EXPECT_EQ(Values(*back.GetChannels().GetAt(0)), (std::vector<double>{0, 65535, 12, 0}));
}

TEST(FamosWriteTest, FileThroughTheMeasurementFileObject)
{
    KstInstallFormats();
    TempFolder folder;
    CKSTDataSet set;
    Add(set, kst_test::Equidistant(0.0, 0.1, {1, 2, 3}), "a");
    CKSTMeasurementFile out;
    ASSERT_EQ(out.OpenWrite(folder.Path("m.dat"), KST_FILE_FAMOS), KST_OK);
    ASSERT_EQ(out.WriteDataSet(set), KST_OK);
    ASSERT_EQ(out.Close(), KST_OK);

    CKSTMeasurementFile in;
    ASSERT_EQ(in.Open(folder.Path("m.dat")), KST_OK);
    EXPECT_EQ(in.GetType(), KST_FILE_FAMOS);
    CKSTDataSet back;
    ASSERT_EQ(in.ReadChannels(back), KST_OK);
    ASSERT_EQ(back.GetChannels().GetCount(), 1);
    EXPECT_EQ(Values(*back.GetChannels().GetAt(0)), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(Text(back.GetChannels().GetAt(0)->GetSourceFile()),
              Text(folder.Path("m.dat").SlashesToBackslashes()));
}

TEST(FamosWriteTest, WritesToAFullDeviceAreReported)
{
#ifdef _WIN32
    const CKSTString device = "Z:\\dev\\full";
#else
    const CKSTString device = "/dev/full";
#endif
    for (size_t samples : {size_t{3}, size_t{100000}}) {
        SCOPED_TRACE(samples);
        CKSTFamosFile file;
        if (file.OpenWrite(device) != KST_OK) {
            GTEST_SKIP() << "no always-full device reachable";
        }
        CKSTDataSet set;
        std::vector<double> values(samples);
        for (size_t i = 0; i < values.size(); ++i) {
            values[i] = std::sin(static_cast<double>(i));
        }
        Add(set, kst_test::Equidistant(0.0, 1.0, values), "a");
        const int written = file.Write(set, nullptr);
        // Also the bytes the C library still buffers: the writer pushes them out itself.
        EXPECT_EQ(written, KST_ERR_SHORT_TRANSFER);
        static_cast<void>(file.Close());  // the write has failed already
    }
}

}  // namespace
