#include "formats/MatFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <type_traits>
#include <vector>

#include "data/MeasurementFile.h"
#include "formats/FormatFactory.h"
#include "formats/FormatTestSupport.h"
#include "formats/SplitDecodeSupport.h"
#include "foundation/ErrorCodes.h"

using kst_test::Bytes;

namespace {

// Hand-built MAT images, in either byte order.
class MatImage {
public:
    explicit MatImage(bool big = false, const char* mark = nullptr) : m_big(big), m_bytes(big)
    {
        std::string text = "MATLAB 5.0 MAT-file, Platform: TEST, Created on: Tue Mar  4 09:05:07 2008";
        text.resize(116, ' ');
        m_bytes.Text(text.c_str()).Zeros(8).U16(0x0100);
        m_bytes.Text(mark != nullptr ? mark : (big ? "MI" : "IM"));
    }

    Bytes New() const { return Bytes(m_big); }

    // A matrix element: flags (class), dimensions, name, then the body bytes.
    Bytes Matrix(uint8_t arrayClass, uint32_t rows, uint32_t columns, const char* name,
                 const Bytes& body) const
    {
        Bytes content = New();
        content.U32(6).U32(8).U32(arrayClass).U32(0);
        content.U32(5).U32(8).U32(rows).U32(columns);
        const uint32_t n = static_cast<uint32_t>(std::strlen(name));
        content.U32(1).U32(n).Text(name).Zeros((8 - n % 8) % 8);
        content.Raw(body.Data().data(), body.Size());
        Bytes element = New();
        element.U32(14).U32(static_cast<uint32_t>(content.Size()));
        element.Raw(content.Data().data(), content.Size());
        return element;
    }

    // Numeric data of a data type, padded to 8 bytes.
    template <typename T>
    Bytes Data(uint32_t type, std::vector<T> values) const
    {
        Bytes b = New();
        b.U32(type).U32(static_cast<uint32_t>(values.size() * sizeof(T)));
        for (T v : values) {
            if constexpr (sizeof(T) == 8) {
                b.F64(static_cast<double>(v));
            } else if constexpr (std::is_same_v<T, float>) {
                b.F32(v);
            } else if constexpr (sizeof(T) == 4) {
                b.U32(static_cast<uint32_t>(v));
            } else if constexpr (sizeof(T) == 2) {
                b.U16(static_cast<uint16_t>(v));
            } else {
                b.U8(static_cast<uint8_t>(v));
            }
        }
        b.Zeros((8 - b.Size() % 8) % 8);
        return b;
    }

    Bytes Doubles(uint32_t rows, uint32_t columns, const char* name,
                  std::vector<double> values) const
    {
        return Matrix(6, rows, columns, name, Data<double>(9, values));
    }

    // A 1 x 1 structure with the fields given as matrix elements with empty names.
    Bytes Struct(const char* name, std::vector<const char*> fields, std::vector<Bytes> values,
                 uint32_t fieldLength = 32) const
    {
        Bytes body = New();
        // The field name length as a small element.
        if (m_big) {
            body.U16(4).U16(5);
        } else {
            body.U16(5).U16(4);
        }
        body.U32(fieldLength);
        const uint32_t namesSize = static_cast<uint32_t>(fields.size()) * fieldLength;
        body.U32(1).U32(namesSize);
        for (const char* f : fields) {
            body.Text(f).Zeros(fieldLength - std::strlen(f));
        }
        body.Zeros((8 - namesSize % 8) % 8);
        for (const Bytes& v : values) {
            body.Raw(v.Data().data(), v.Size());
        }
        return Matrix(2, 1, 1, name, body);
    }

    Bytes Cell(uint32_t rows, uint32_t columns, const char* name, std::vector<Bytes> items) const
    {
        Bytes body = New();
        for (const Bytes& v : items) {
            body.Raw(v.Data().data(), v.Size());
        }
        return Matrix(1, rows, columns, name, body);
    }

    MatImage& Add(const Bytes& element)
    {
        m_bytes.Raw(element.Data().data(), element.Size());
        return *this;
    }
    Bytes& Image() { return m_bytes; }

private:
    bool m_big;
    Bytes m_bytes;
};

struct ReadResult {
    int open = 0;
    int read = 0;
    CKSTDataSet dataSet;
};

void ReadImage(const Bytes& image, ReadResult& out)
{
    CKSTMatFile file;
    out.open = file.SetMemory(image.Buffer());
    if (out.open == KST_OK) {
        out.read = file.Read(out.dataSet, nullptr, false);
    }
}

std::vector<double> Values(const CKSTChannel& channel)
{
    return std::vector<double>(channel.GetValues(), channel.GetValues() + channel.GetCount());
}

struct Expected {
    const char* name;
    std::vector<double> values;
};

void ExpectChannels(const CKSTChannelList& channels, const std::vector<Expected>& expected)
{
    ASSERT_EQ(channels.GetCount(), static_cast<int>(expected.size()));
    for (int i = 0; i < channels.GetCount(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(channels.GetAt(i)->GetName(), expected[i].name);
        EXPECT_EQ(Values(*channels.GetAt(i)), expected[i].values);
    }
}

// Every class of numeric matrix the reader takes, rows and columns as channels, a structure and
// a cell.
MatImage EveryClass(bool big)
{
    MatImage m(big);
    m.Add(m.Doubles(1, 3, "row", {1, 2, 3}));
    // A 2 x 3 matrix stored column by column: the rows are the channels.
    m.Add(m.Doubles(2, 3, "wide", {1, 4, 2, 5, 3, 6}));
    m.Add(m.Doubles(3, 2, "tall", {1, 2, 3, 4, 5, 6}));
    // Doubles that another writer stored in small integer types, signed and unsigned.
    m.Add(m.Matrix(6, 1, 3, "packed", m.Data<int16_t>(3, {-300, 0, 300})));
    m.Add(m.Matrix(6, 3, 1, "bytes", m.Data<uint8_t>(2, {200, 1, 2})));
    m.Add(m.Matrix(8, 1, 2, "int8", m.Data<int8_t>(1, {-5, 5})));
    m.Add(m.Matrix(12, 1, 2, "int32", m.Data<int32_t>(5, {-70000, 70000})));
    m.Add(m.Matrix(7, 1, 2, "single", m.Data<float>(7, {0.5f, -1.25f})));
    m.Add(m.Doubles(0, 0, "empty", {}));
    m.Add(m.Matrix(4, 1, 5, "text", m.Data<uint16_t>(4, {'h', 'e', 'l', 'l', 'o'})));
    m.Add(m.Struct("s", {"a", "b", "c", "d", "e"},
                   {m.Doubles(1, 1, "", {1}), m.Doubles(1, 1, "", {2}), m.Doubles(1, 1, "", {3}),
                    m.Doubles(1, 1, "", {4}), m.Doubles(1, 1, "", {5})}));
    m.Add(
        m.Cell(1, 3, "c",
               {m.Doubles(1, 1, "", {7}), m.Doubles(1, 2, "", {8, 9}), m.Doubles(1, 1, "", {10})}));
    return m;
}

TEST(MatFileTest, ReadsHandBuiltElementsInBothByteOrders)
{
    for (bool big : {false, true}) {
        SCOPED_TRACE(big ? "big-endian" : "little-endian");
        MatImage m = EveryClass(big);
        ReadResult r;
        ReadImage(m.Image(), r);
        ASSERT_EQ(r.open, KST_OK);
        ASSERT_EQ(r.read, KST_OK);
        float single = -1.25f;
        ExpectChannels(r.dataSet.GetChannels(),
                       {{"row", {1, 2, 3}},
                        {"wide1", {1, 2, 3}},
                        {"wide2", {4, 5, 6}},
                        {"tall1", {1, 2, 3}},
                        {"tall2", {4, 5, 6}},
                        {"packed", {-300, 0, 300}},
                        {"bytes", {200, 1, 2}},
                        {"int8", {-5, 5}},
                        {"int32", {-70000, 70000}},
                        {"single", {0.5, single}},
                        {"a", {1}},
                        {"b", {2}},
                        {"c", {3}},
                        {"d", {4}},
                        {"e", {5}},
                        {"c", {7}},
                        {"c", {8, 9}},
                        {"c", {10}}});
        EXPECT_EQ(r.dataSet.GetChannels().GetAt(0)->GetStartTimeStamp(),
                  CKSTTimeStamp(2008, 3, 4, 9, 5, 7));
    }
}

// A missing sample, then a last element without its padding: one int8 in a small element, then
// the file ends.
MatImage GapsAndUnpaddedEnd()
{
    MatImage m;
    m.Add(m.Doubles(1, 3, "gaps", {1, std::nan(""), 3}));
    Bytes body = m.New();
    body.U16(1).U16(1).U8(42).Zeros(3);
    m.Add(m.Matrix(8, 1, 1, "last", body));
    return m;
}

TEST(MatFileTest, MissingSamplesPaddingAndBounds)
{
    MatImage m = GapsAndUnpaddedEnd();
    ReadResult r;
    ReadImage(m.Image(), r);
    ASSERT_EQ(r.read, KST_OK);
    ExpectChannels(r.dataSet.GetChannels(), {{"gaps", {1, 0, 3}}, {"last", {42}}});
    const CKSTChannel& gaps = *r.dataSet.GetChannels().GetAt(0);
    EXPECT_TRUE(gaps.IsMissing(1));
    EXPECT_FALSE(gaps.IsMissing(0));

    // A real part that claims more than its element holds is read as far as the element goes.
    MatImage over;
    Bytes data = over.New();
    data.U32(9).U32(8000).F64(1).F64(2);
    over.Add(over.Matrix(6, 1, 1000, "over", data));
    over.Add(over.Doubles(1, 1, "next", {5}));
    ReadResult o;
    ReadImage(over.Image(), o);
    ASSERT_EQ(o.read, KST_OK);
    ExpectChannels(o.dataSet.GetChannels(), {{"over", {1, 2}}, {"next", {5}}});

    // Found by fuzzing: a 3 x 5 matrix whose real part holds only two values fills two of its
    // row channels.
    MatImage shortWide;
    shortWide.Add(shortWide.Doubles(3, 5, "w", {1, 2}));
    ReadResult w;
    ReadImage(shortWide.Image(), w);
    ASSERT_EQ(w.read, KST_OK);
    ExpectChannels(w.dataSet.GetChannels(), {{"w1", {1}}, {"w2", {2}}});
}

// Matrices stored across their channels whose real part ends early. A complete one has fewer
// channels than samples in each; one cut short keeps at most as many channels as the square root
// of its stored elements, not one channel per element, and says so when it leaves elements out.
TEST(MatFileTest, MatrixCutShortAcrossItsChannels)
{
    struct Case {
        const char* what;
        uint32_t rows;
        uint32_t columns;
        size_t stored;
        int expected;
        size_t channels;
        size_t samples;  // of the first channel
    };
    const Case cases[] = {
        {"half of a wide matrix", 4, 100, 200, KST_OK, 4, 50},
        {"as many elements as rows", 400, 401, 400, KST_ERR_END_OF_DATA, 20, 1},
        {"fewer elements than rows", 400, 401, 150, KST_ERR_END_OF_DATA, 13, 1},
        {"whole", 20, 21, 420, KST_OK, 20, 21},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<int8_t> values(c.stored);
        for (size_t e = 0; e < values.size(); ++e) {
            values[e] = static_cast<int8_t>(e % 100);
        }
        MatImage m;
        m.Add(m.Matrix(8, c.rows, c.columns, "m", m.Data<int8_t>(1, values)));
        ReadResult r;
        ReadImage(m.Image(), r);
        EXPECT_EQ(r.read, c.expected);
        const CKSTChannelList& channels = r.dataSet.GetChannels();
        ASSERT_EQ(channels.GetCount(), static_cast<int>(c.channels));
        // Element e belongs to row e mod rows, whichever channels are kept.
        for (int i = 0; i < channels.GetCount(); ++i) {
            const CKSTChannel& channel = *channels.GetAt(i);
            ASSERT_GE(channel.GetCount(), i == 0 ? c.samples : 1u);
            for (uint32_t k = 0; k < channel.GetCount(); ++k) {
                ASSERT_EQ(channel.GetValue(k), static_cast<double>(values[k * c.rows + i])) << i;
            }
        }
        EXPECT_EQ(channels.GetAt(0)->GetCount(), c.samples);
    }
}

// Matrices larger than one read block: element e of a matrix stored across its channels
// belongs to channel e mod rows, a column may end inside a block, and a missing sample far
// from the start keeps its place.
struct LargeMatrix {
    uint32_t rows;
    uint32_t columns;
    size_t missingAt;
};
const LargeMatrix kLargeMatrices[] = {{3, 10001, 25000}, {10001, 2, 12345}, {1, 20000, 19999}};

// Element e is e / 2 - 7, NaN at missingAt.
std::vector<double> LargeMatrixValues(uint32_t rows, uint32_t columns, size_t missingAt)
{
    std::vector<double> values(size_t{rows} * columns);
    for (size_t e = 0; e < values.size(); ++e) {
        values[e] = static_cast<double>(e) * 0.5 - 7.0;
    }
    values[missingAt] = std::nan("");
    return values;
}

TEST(MatFileTest, LargeMatricesAcrossReadBlocks)
{
    using Case = LargeMatrix;
    for (const Case& c : kLargeMatrices) {
        SCOPED_TRACE(c.rows);
        const size_t total = size_t{c.rows} * c.columns;
        const std::vector<double> values = LargeMatrixValues(c.rows, c.columns, c.missingAt);
        for (bool big : {false, true}) {
            MatImage m(big);
            m.Add(m.Doubles(c.rows, c.columns, "m", values));
            ReadResult r;
            ReadImage(m.Image(), r);
            ASSERT_EQ(r.read, KST_OK);
            const CKSTChannelList& channels = r.dataSet.GetChannels();
            const bool byColumns = c.rows >= c.columns;
            const uint32_t count = std::min(c.rows, c.columns);
            const uint32_t length = std::max(c.rows, c.columns);
            ASSERT_EQ(channels.GetCount(), static_cast<int>(count));
            for (size_t e = 0; e < total; ++e) {
                const CKSTChannel& channel =
                    *channels.GetAt(static_cast<int>(byColumns ? e / length : e % count));
                const uint32_t i = static_cast<uint32_t>(byColumns ? e % length : e / count);
                ASSERT_EQ(channel.GetCount(), length);
                ASSERT_EQ(channel.IsMissing(i), e == c.missingAt) << e;
                ASSERT_EQ(channel.GetValue(i), e == c.missingAt ? 0.0 : values[e]) << e;
            }
        }
    }
}

// Every class in both byte orders, missing samples, large matrices along and across their
// channels with a missing sample far in, and runs of NaN in floats: the same channels whether
// the decoding runs on one thread or is split over several.
TEST(MatFileTest, SplitDecodingGivesTheSameChannels)
{
    struct Case {
        std::string what;
        MatImage image;
    };
    std::vector<Case> cases;
    for (bool big : {false, true}) {
        const std::string order = big ? " big-endian" : " little-endian";
        cases.push_back({"every class" + order, EveryClass(big)});
        for (const LargeMatrix& c : kLargeMatrices) {
            MatImage m(big);
            m.Add(m.Doubles(c.rows, c.columns, "m",
                            LargeMatrixValues(c.rows, c.columns, c.missingAt)));
            cases.push_back(
                {std::to_string(c.rows) + " x " + std::to_string(c.columns) + order, m});
        }
        std::vector<float> singles(30001);
        for (size_t i = 0; i < singles.size(); ++i) {
            singles[i] = i % 7000 < 3 ? std::nanf("") : static_cast<float>(i) * 0.25f;
        }
        MatImage floats(big);
        floats.Add(floats.Matrix(7, 30001, 1, "f", floats.Data<float>(7, singles)));
        cases.push_back({"singles with runs of NaN" + order, floats});
    }
    cases.push_back({"gaps and an unpadded end", GapsAndUnpaddedEnd()});
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        kst_test::ExpectSameSplitOrNot<CKSTMatFile>(c.image.Image().Data(), "split.mat");
    }
}

// Channels as the program writes them, time vectors and equidistant ones, written to a file and
// read back from it and from its image: bit for bit what was written, either way.
TEST(MatFileTest, WrittenFileReadsBackBitForBitFromDiskAndMemory)
{
    CKSTChannelList written;
    for (int c = 0; c < 40; ++c) {
        CKSTChannel& channel = *written.GetAt(written.AddNew());
        channel.SetName(CKSTString("c") + CKSTString::FormatInt(c));
        if (c % 2 == 0) {
            channel.SetTimeBaseType(CKSTChannel::kTimeVector);
        }
        for (int k = 0; k < 300 + c; ++k) {
            const double value = std::ldexp(static_cast<double>(k * 7919 % 1013) - 500.0, -c);
            if (c % 2 == 0) {
                channel.AppendTimeValue(k * 0.25 + (k % 3) * 0.01, value);
            } else {
                channel.AppendValue(value, false);
            }
        }
    }
    TempFolder folder;
    const CKSTString path = folder.Path("written.mat");
    CKSTMatFile writer;
    ASSERT_EQ(writer.OpenWrite(path), KST_OK);
    ASSERT_EQ(writer.WriteChannels(written, false), KST_OK);
    ASSERT_EQ(writer.Close(), KST_OK);

    CKSTDataSet fromDisk;
    CKSTMatFile reader;
    ASSERT_EQ(reader.OpenRead(path), KST_OK);
    ASSERT_EQ(reader.Read(fromDisk, nullptr, false), KST_OK);
    const CKSTChannelList& channels = fromDisk.GetChannels();
    ASSERT_EQ(channels.GetCount(), written.GetCount());
    for (int c = 0; c < written.GetCount(); ++c) {
        SCOPED_TRACE(c);
        const CKSTChannel& expected = *written.GetAt(c);
        const CKSTChannel& actual = *channels.GetAt(c);
        ASSERT_EQ(actual.GetCount(), expected.GetCount());
        for (uint32_t k = 0; k < expected.GetCount(); ++k) {
            ASSERT_EQ(actual.IsMissing(k), expected.IsMissing(k)) << k;
            ASSERT_TRUE(kst_test::SameBits(&expected.GetValues()[k], &actual.GetValues()[k], 1));
            const double times[] = {expected.GetTimeAt(k), actual.GetTimeAt(k)};
            ASSERT_TRUE(kst_test::SameBits(&times[0], &times[1], 1)) << k;
        }
    }

    std::ifstream in(folder.Native("written.mat"), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    CKSTMemBuffer image;
    image.Write(bytes.data(), 1, static_cast<uint32_t>(bytes.size()));
    CKSTDataSet fromImage;
    CKSTMatFile imageReader;
    ASSERT_EQ(imageReader.SetMemory(image), KST_OK);
    ASSERT_EQ(imageReader.Read(fromImage, nullptr, false), KST_OK);
    kst_test::ExpectSameChannels(channels, fromImage.GetChannels());
}

TEST(MatFileTest, PairsXDataWithYDataOfTheSameStructureOnly)
{
    MatImage m;
    m.Add(m.Struct("good", {"XData", "YData"},
                   {m.Doubles(3, 1, "", {0, 0.5, 1.0}), m.Doubles(3, 1, "", {7, 8, 9})}));
    m.Add(m.Struct("counts", {"XData", "YData"},
                   {m.Doubles(3, 1, "", {0, 1, 2}), m.Doubles(2, 1, "", {7, 8})}));
    m.Add(m.Struct("onlyx", {"XData"}, {m.Doubles(2, 1, "", {0, 1})}));
    m.Add(m.Struct("onlyy", {"YData"}, {m.Doubles(2, 1, "", {3, 4})}));
    ReadResult r;
    ReadImage(m.Image(), r);
    ASSERT_EQ(r.read, KST_OK);
    ExpectChannels(r.dataSet.GetChannels(), {{"good", {7, 8, 9}},
                                             {"XData", {0, 1, 2}},
                                             {"YData", {7, 8}},
                                             {"XData", {0, 1}},
                                             {"YData", {3, 4}}});
    const CKSTChannel& good = *r.dataSet.GetChannels().GetAt(0);
    EXPECT_EQ(good.GetTimeBaseType(), CKSTChannel::kEquidistant);
    EXPECT_DOUBLE_EQ(good.GetDt(), 0.5);
}

// A structure's XData and YData become one time vector, with or without missing samples in
// YData: the same times, values and attributes either way, the missing sample marked.
TEST(MatFileTest, PairedChannelWithAndWithoutMissingSamples)
{
    const std::vector<double> times = {0, 0.5, 1.0, 2.0};
    MatImage m;
    m.Add(m.Struct("whole", {"XData", "YData"},
                   {m.Doubles(4, 1, "", times), m.Doubles(4, 1, "", {7, 8, 9, 10})}));
    m.Add(m.Struct("gap", {"XData", "YData"},
                   {m.Doubles(4, 1, "", times), m.Doubles(4, 1, "", {7, std::nan(""), 9, 10})}));
    ReadResult r;
    ReadImage(m.Image(), r);
    ASSERT_EQ(r.read, KST_OK);
    ExpectChannels(r.dataSet.GetChannels(), {{"whole", {7, 8, 9, 10}}, {"gap", {7, 0, 9, 10}}});
    for (int c = 0; c < 2; ++c) {
        SCOPED_TRACE(c);
        const CKSTChannel& xy = *r.dataSet.GetChannels().GetAt(c);
        ASSERT_EQ(xy.GetTimeBaseType(), CKSTChannel::kTimeVector);
        EXPECT_EQ(std::vector<double>(xy.GetTimes(), xy.GetTimes() + 4), times);
        EXPECT_TRUE(xy.AreTimesAscending());
        EXPECT_EQ(xy.GetStartTimeStamp(), r.dataSet.GetChannels().GetAt(0)->GetStartTimeStamp());
        for (uint32_t k = 0; k < 4; ++k) {
            EXPECT_EQ(xy.IsMissing(k), c == 1 && k == 1) << k;
        }
    }
}

TEST(MatFileTest, RefusesWhatItCannotRead)
{
    MatImage compressed;
    compressed.Image().U32(15).U32(8).Zeros(8);
    Bytes notMat;
    notMat.Text("MATRIX 5.0").Zeros(118);
    MatImage badMark(false, "XX");
    MatImage threeDims;
    Bytes dims = threeDims.New();
    dims.U32(6).U32(8).U32(6).U32(0).U32(5).U32(12).U32(1).U32(1).U32(1).U32(0);
    threeDims.Image().U32(14).U32(static_cast<uint32_t>(dims.Size())).Raw(dims.Data().data(), dims.Size());
    MatImage unknownClass;
    unknownClass.Add(unknownClass.Matrix(16, 1, 1, "x", unknownClass.Data<double>(9, {1})));
    MatImage deep;
    Bytes nested = deep.Doubles(1, 1, "", {1});
    for (int i = 0; i < 40; ++i) {
        nested = deep.Cell(1, 1, "", {nested});
    }
    deep.Add(nested);
    struct Case {
        const char* what;
        Bytes image;
        int open;
        int read;
    } cases[] = {
        {"compressed", compressed.Image(), KST_OK, KST_ERR_MAT_UNSUPPORTED},
        {"not MATLAB", notMat, KST_ERR_NOT_MAT, 0},
        {"short header", Bytes().Text("MATLAB 5"), KST_ERR_MAT_UNSUPPORTED, 0},
        {"byte-order mark", badMark.Image(), KST_ERR_MAT_UNSUPPORTED, 0},
        {"three dimensions", threeDims.Image(), KST_OK, KST_ERR_MAT_UNSUPPORTED},
        {"unknown class", unknownClass.Image(), KST_OK, KST_ERR_MAT_UNSUPPORTED},
        {"nested too deep", deep.Image(), KST_OK, KST_ERR_MAT_UNSUPPORTED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ReadResult r;
        ReadImage(c.image, r);
        EXPECT_EQ(r.open, c.open);
        if (c.open == KST_OK) {
            EXPECT_EQ(r.read, c.read);
        }
    }
}

TEST(MatFileTest, HeaderDates)
{
    struct Case {
        const char* header;
        bool valid;
        CKSTTimeStamp stamp;
    } cases[] = {
        {"MATLAB 5.0 MAT-file, Created on: Tue Mar 4 9:05:07 2008", true,
         CKSTTimeStamp(2008, 3, 4, 9, 5, 7)},
        {"MATLAB 5.0 MAT-file, Created on: Tue Mar  4 09:05:07 2008   ", true,
         CKSTTimeStamp(2008, 3, 4, 9, 5, 7)},
        {"MATLAB 5.0 MAT-file, Created on: Sun Dec 31 23:59:59 1999", true,
         CKSTTimeStamp(1999, 12, 31, 23, 59, 59)},
        {"MATLAB 5.0 MAT-file, Created on: Tue Foo 4 9:05:07 2008", false, {}},
        {"MATLAB 5.0 MAT-file, Created on: Fri Feb 30 9:05:07 2008", false, {}},
        {"MATLAB 5.0 MAT-file, Created on: Tue Mar 4 9:05 2008", false, {}},
        {"MATLAB 5.0 MAT-file, Platform: GLNXA64", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.header);
        CKSTTimeStamp stamp;
        ASSERT_EQ(CKSTMatFile::ParseHeaderDate(c.header, stamp), c.valid);
        if (c.valid) {
            EXPECT_EQ(stamp, c.stamp);
        }
    }
    const CKSTTimeStamp stamp(2008, 3, 4, 9, 5, 7);
    EXPECT_EQ(CKSTMatFile::FormatHeaderDate(stamp), "Tue Mar 4 9:5:7 2008");
    CKSTTimeStamp back;
    ASSERT_TRUE(CKSTMatFile::ParseHeaderDate(
        CKSTString("Created on: ") + CKSTMatFile::FormatHeaderDate(stamp), back));
    EXPECT_EQ(back, stamp);
}

TEST(MatFileTest, VariableNames)
{
    std::set<std::string> used;
    const std::string long70(70, 'a');
    struct Case {
        const char* name;
        std::string expected;
    } cases[] = {
        {"Motor speed", "Motor_speed"}, {"1st", "x1st"},   {"", "x"},
        {"a-b/c", "a_b_c"},             {"a", "a"},        {"a", "a_2"},
        {"a", "a_3"},                   {"_x", "x_x"},     {long70.c_str(), std::string(63, 'a')},
        {long70.c_str(), std::string(61, 'a') + "_2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(std::string(CKSTMatFile::MakeVariableName(c.name, used).c_str()), c.expected);
    }
}

TEST(MatFileTest, WrittenChannelsReadBack)
{
    KstInstallFormats();
    CKSTChannelList list;
    for (int c = 0; c < 2; ++c) {
        CKSTChannel& channel = *list.GetAt(list.AddNew());
        channel.SetName(c == 0 ? "Motor speed" : "Motor speed");
        channel.SetDt(0.01);
        channel.SetStartTimeStamp(CKSTTimeStamp(2020, 5, 6, 7, 8, 9));
        for (int k = 0; k < 1000; ++k) {
            channel.AppendValue(k * (c + 1) - 300.5, false);
        }
    }
    list.GetAt(list.AddNew())->SetName("empty");
    CKSTMeasurementFile file;
    ASSERT_EQ(file.OpenMemory(KST_FILE_MATLAB), KST_OK);
    ASSERT_EQ(file.Write(list), KST_OK);
    CKSTMemBuffer image;
    ASSERT_EQ(file.SaveToMemory(image), KST_OK);
    ASSERT_EQ(file.Close(), KST_OK);
    ASSERT_EQ(CKSTMeasurementFile::DetectType(image), KST_FILE_MATLAB);
    ASSERT_EQ(file.OpenMemory(KST_FILE_MATLAB), KST_OK);
    ASSERT_EQ(file.LoadFromMemory(image), KST_OK);
    CKSTDataSet back;
    ASSERT_EQ(file.ReadChannels(back), KST_OK);
    const CKSTChannelList& channels = back.GetChannels();
    ASSERT_EQ(channels.GetCount(), 2);
    const char* names[] = {"Motor_speed", "Motor_speed_2"};
    for (int c = 0; c < 2; ++c) {
        const CKSTChannel& channel = *channels.GetAt(c);
        EXPECT_EQ(channel.GetName(), names[c]);
        EXPECT_EQ(channel.GetTimeBaseType(), CKSTChannel::kEquidistant);
        EXPECT_NEAR(channel.GetDt(), 0.01, 1e-12);
        EXPECT_EQ(channel.GetStartTimeStamp(), CKSTTimeStamp(2020, 5, 6, 7, 8, 9));
        ASSERT_EQ(channel.GetCount(), 1000u);
        for (int k = 0; k < 1000; ++k) {
            ASSERT_EQ(channel.GetValue(k), k * (c + 1) - 300.5);
        }
    }
    CKSTMatFile closed;
    EXPECT_EQ(closed.WriteChannels(list, false), KST_ERR_FILE_NOT_OPEN);
}

}  // namespace
