// MAT files of other writers (scipy's savemat, sox through libsndfile) read here, and files
// written here loaded by matio's matdump and scipy's loadmat.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "data/DataSet.h"
#include "formats/FormatTestSupport.h"
#include "formats/MatFile.h"
#include "formats/host/ToolSupport.h"
#include "foundation/ErrorCodes.h"

namespace {

using kst_test::FixtureDir;
using kst_test::FixtureS16;
using kst_test::HaveTool;
using kst_test::RunCommand;

int ReadFixture(const char* name, CKSTDataSet& dataSet)
{
    CKSTMatFile file;
    const int open = file.OpenRead((FixtureDir() + "/" + name).c_str());
    return open != KST_OK ? open : file.Read(dataSet, nullptr, false);
}

const CKSTChannel* Find(const CKSTChannelList& channels, const char* name)
{
    for (int i = 0; i < channels.GetCount(); ++i) {
        if (channels.GetAt(i)->GetName() == name) {
            return channels.GetAt(i);
        }
    }
    return nullptr;
}

std::vector<double> Values(const CKSTChannel& channel)
{
    return std::vector<double>(channel.GetValues(), channel.GetValues() + channel.GetCount());
}

TEST(MatToolsTest, ReadsEveryClassAndShapeOfScipy)
{
    ASSERT_TRUE(HaveTool("/usr/bin/python3"));
    ASSERT_FALSE(FixtureDir().empty());
    CKSTDataSet dataSet;
    ASSERT_EQ(ReadFixture("scipy_numeric_classes.mat", dataSet), KST_OK);
    const CKSTChannelList& channels = dataSet.GetChannels();
    const std::vector<double> sign = {-3, -2, -1, 0, 1, 2};
    const std::vector<double> unsign = {0, 1, 2, 250, 3, 4};
    for (const char* cls :
         {"double", "single", "int8", "int16", "int32", "uint8", "uint16", "uint32"}) {
        SCOPED_TRACE(cls);
        const std::vector<double>& v = std::string(cls).rfind("uint", 0) == 0 ? unsign : sign;
        const std::string base = cls;
        struct Shape {
            std::string name;
            std::vector<double> values;
        } shapes[] = {
            {base + "_row", v},
            {base + "_col", v},
            // 2 x 3: the rows are the channels.
            {base + "_mat1", {v[0], v[1], v[2]}},
            {base + "_mat2", {v[3], v[4], v[5]}},
        };
        for (const Shape& s : shapes) {
            const CKSTChannel* channel = Find(channels, s.name.c_str());
            ASSERT_NE(channel, nullptr) << s.name;
            EXPECT_EQ(Values(*channel), s.values) << s.name;
        }
    }
    EXPECT_EQ(channels.GetCount(), 8 * 4);
}

TEST(MatToolsTest, ReadsStructuresCellsAndSkipsWhatIsNotNumeric)
{
    ASSERT_FALSE(FixtureDir().empty());
    CKSTDataSet dataSet;
    ASSERT_EQ(ReadFixture("scipy_mixed.mat", dataSet), KST_OK);
    const CKSTChannelList& channels = dataSet.GetChannels();
    std::vector<std::string> names;
    for (int i = 0; i < channels.GetCount(); ++i) {
        names.emplace_back(channels.GetAt(i)->GetName().c_str());
    }
    // Text, sparse and empty matrices make no channel; the cells come row by row in the order
    // they are stored (column by column).
    EXPECT_EQ(names, (std::vector<std::string>{"withnan", "tall1", "tall2", "curve", "cells",
                                               "cells", "cells", "cells"}));
    ASSERT_EQ(channels.GetCount(), 8);
    EXPECT_TRUE(channels.GetAt(0)->IsMissing(1));
    EXPECT_EQ(channels.GetAt(0)->GetValue(2), 3.0);
    EXPECT_EQ(Values(*channels.GetAt(1)), (std::vector<double>{0, 2, 4, 6}));
    EXPECT_EQ(Values(*channels.GetAt(2)), (std::vector<double>{1, 3, 5, 7}));
    const CKSTChannel& curve = *channels.GetAt(3);
    EXPECT_EQ(Values(curve), (std::vector<double>{5, 6, 7, 8}));
    EXPECT_EQ(curve.GetTimeBaseType(), CKSTChannel::kEquidistant);
    EXPECT_DOUBLE_EQ(curve.GetDt(), 0.5);
    EXPECT_EQ(Values(*channels.GetAt(4)), (std::vector<double>{1, 2}));
    EXPECT_EQ(Values(*channels.GetAt(5)), (std::vector<double>{4}));
    EXPECT_EQ(Values(*channels.GetAt(6)), (std::vector<double>{3}));
    EXPECT_EQ(Values(*channels.GetAt(7)), (std::vector<double>{5, 6, 7}));

    CKSTDataSet compressed;
    EXPECT_EQ(ReadFixture("scipy_compressed.mat", compressed), KST_ERR_MAT_UNSUPPORTED);
}

TEST(MatToolsTest, ReadsSoxFiles)
{
    ASSERT_TRUE(HaveTool("sox"));
    ASSERT_FALSE(FixtureDir().empty());
    CKSTDataSet dataSet;
    ASSERT_EQ(ReadFixture("sox_s16_stereo_8000.mat", dataSet), KST_OK);
    const CKSTChannelList& channels = dataSet.GetChannels();
    ASSERT_EQ(channels.GetCount(), 3);
    EXPECT_EQ(Values(*Find(channels, "samplerate")), std::vector<double>{8000});
    for (int c = 0; c < 2; ++c) {
        const CKSTChannel* channel = Find(channels, c == 0 ? "wavedata1" : "wavedata2");
        ASSERT_NE(channel, nullptr);
        ASSERT_EQ(channel->GetCount(), 20u);
        for (int k = 0; k < 20; ++k) {
            EXPECT_EQ(channel->GetValue(k), FixtureS16(k, c));
        }
    }
}

TEST(MatToolsTest, WrittenFilesLoadInMatioAndScipy)
{
    ASSERT_TRUE(HaveTool("matdump")) << "matdump missing: run tools/install-deps.sh";
    ASSERT_TRUE(HaveTool("/usr/bin/python3"));
    CKSTChannelList list;
    const char* names[] = {"Motor speed", "1st", "Motor speed"};
    for (int c = 0; c < 3; ++c) {
        CKSTChannel& channel = *list.GetAt(list.AddNew());
        channel.SetName(names[c]);
        channel.SetDt(0.25);
        channel.SetT0(1.0);
        channel.SetStartTimeStamp(CKSTTimeStamp(2021, 1, 2, 3, 4, 5));
        for (int k = 0; k < 5 + c; ++k) {
            channel.AppendValue(k * 1.5 - c, false);
        }
    }
    const std::string path = kst_test::TempPath("written.mat");
    CKSTMatFile file;
    ASSERT_EQ(file.OpenWrite(path.c_str()), KST_OK);
    ASSERT_EQ(file.WriteChannels(list, false), KST_OK);
    ASSERT_EQ(file.Close(), KST_OK);

    int status = 0;
    const std::string whos = RunCommand("matdump -f whos " + path, status);
    EXPECT_EQ(status, 0) << whos;
    for (const char* variable : {"Motor_speed ", "x1st ", "Motor_speed_2 "}) {
        EXPECT_NE(whos.find(variable), std::string::npos) << whos;
    }
    EXPECT_NE(whos.find("mxSTRUCT_CLASS"), std::string::npos) << whos;
    const std::string y = RunCommand("matdump -d " + path + " x1st.YData", status);
    EXPECT_EQ(status, 0) << y;
    EXPECT_EQ(y, "-1 \n0.5 \n2 \n3.5 \n5 \n6.5 \n");
    const std::string x = RunCommand("matdump -d " + path + " x1st.XData", status);
    EXPECT_EQ(x, "1 \n1.25 \n1.5 \n1.75 \n2 \n2.25 \n");

    const std::string script = kst_test::TempPath("load.py");
    kst_test::Bytes text;
    text.Text(
        "import sys, scipy.io as sio\n"
        "d = sio.loadmat(sys.argv[1])\n"
        "print(d['__header__'].decode().rstrip())\n"
        "for k in sorted(x for x in d if not x.startswith('__')):\n"
        "    s = d[k][0, 0]\n"
        "    print(k, sorted(s.dtype.names), s['XData'].shape, list(s['XData'][:, 0]),"
        " list(s['YData'][:, 0]))\n");
    ASSERT_TRUE(text.Save(script));
    const std::string out = RunCommand("/usr/bin/python3 " + script + " " + path, status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_EQ(out,
              "MATLAB 5.0 MAT-file, Platform: PCWIN, Created on: Sat Jan 2 3:4:5 2021\n"
              "Motor_speed ['XData', 'YData'] (5, 1) [1.0, 1.25, 1.5, 1.75, 2.0] "
              "[0.0, 1.5, 3.0, 4.5, 6.0]\n"
              "Motor_speed_2 ['XData', 'YData'] (7, 1) [1.0, 1.25, 1.5, 1.75, 2.0, 2.25, 2.5] "
              "[-2.0, -0.5, 1.0, 2.5, 4.0, 5.5, 7.0]\n"
              "x1st ['XData', 'YData'] (6, 1) [1.0, 1.25, 1.5, 1.75, 2.0, 2.25] "
              "[-1.0, 0.5, 2.0, 3.5, 5.0, 6.5]\n");
    std::remove(path.c_str());
    std::remove(script.c_str());
}

TEST(MatToolsTest, WriteToAFullDeviceFails)
{
    CKSTChannelList list;
    CKSTChannel& channel = *list.GetAt(list.AddNew());
    channel.AppendValues(1.0, false, 10);
    CKSTMatFile small;
    ASSERT_EQ(small.OpenWrite("/dev/full"), KST_OK);
    const int write = small.WriteChannels(list, false);
    const int close = small.Close();
    EXPECT_TRUE(write == KST_ERR_SHORT_TRANSFER || close == KST_ERR_SHORT_TRANSFER);
    channel.AppendValues(1.0, false, 100000);
    CKSTMatFile large;
    ASSERT_EQ(large.OpenWrite("/dev/full"), KST_OK);
    EXPECT_EQ(large.WriteChannels(list, false), KST_ERR_SHORT_TRANSFER);
}

}  // namespace
