#include "data/MeasurementFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "data/DocFile.h"
#include "foundation/ErrorCodes.h"
#include "foundation/SystemMemory.h"
#include "support/ChannelBuilders.h"
#include "support/TempFolder.h"

namespace {

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string Join(const std::vector<std::string>& parts)
{
    std::string text;
    for (const std::string& part : parts) {
        text += (text.empty() ? "" : " ") + part;
    }
    return text;
}

// --- Scripted format objects ---
//
// Each logs its calls as "<format>.<operation>". The readers check what real ones check first
// (FAMOS the "|CF," start, the UniversalDataBinFile its word after the first byte) and the
// others accept any file that exists, so the dispatch can be watched end to end.

enum class Throw { kNone, kCode, kBadAlloc };

struct Script {
    std::vector<std::string> log;
    int readChannels = 2;  // channels a successful read produces
    Throw throwOnRead = Throw::kNone;
    bool textLosesFile = false;  // the text object reports no open file after opening
};

Script g_script;

std::string FirstBytes(const CKSTString& path, size_t n)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    std::string bytes(n, '\0');
    in.read(&bytes[0], static_cast<std::streamsize>(n));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

bool Exists(const CKSTString& path)
{
    return std::ifstream(path.c_str(), std::ios::binary).good();
}

int ScriptedRead(const char* format, CKSTDataSet& dataSet)
{
    g_script.log.push_back(std::string(format) + ".Read");
    if (g_script.throwOnRead == Throw::kCode) {
        throw static_cast<int>(KST_ERR_INDEX);
    }
    if (g_script.throwOnRead == Throw::kBadAlloc) {
        throw std::bad_alloc();
    }
    dataSet.Clear(false);
    for (int i = 0; i < g_script.readChannels; ++i) {
        CKSTChannel channel = kst_test::Equidistant(0.0, 1.0, {1.0 * i, 2.0 * i});
        channel.SetName(("c" + std::to_string(i)).c_str());
        dataSet.GetChannels().AddCopy(channel);
    }
    return KST_OK;
}

// A scripted format object: every operation is logged and succeeds; a read opens any file that
// exists.
class FakeFormat : public IKSTMeasurementFile {
public:
    FakeFormat(int32_t type, const char* name) : IKSTMeasurementFile(type), m_name(name) {}

    int OpenRead(const CKSTString& path) override
    {
        Log("OpenRead");
        m_open = Exists(path);
        return m_open ? KST_OK : KST_ERR_OPEN_FAILED;
    }
    int OpenWrite(const CKSTString&) override { return Opened("OpenWrite"); }
    int OpenMemoryWrite() override { return Opened("OpenMemoryWrite"); }
    int GetMemory(CKSTMemBuffer& buffer) override
    {
        buffer.Free();
        return Log("GetMemory");
    }
    int SetMemory(const CKSTMemBuffer&) override { return Log("SetMemory"); }
    int Close() override
    {
        m_open = false;
        return Log("Close");
    }
    bool IsOpen() const override { return m_open && !g_script.textLosesFile; }
    int CheckOpen() const override { return IsOpen() ? KST_OK : KST_ERR_FILE_NOT_OPEN; }
    int Read(CKSTDataSet& dataSet, const CKSTChannelList*, bool) override
    {
        return ScriptedRead(m_name, dataSet);
    }
    int Write(const CKSTDataSet&, const CKSTTextFormat*) override { return Log("Write"); }
    int WriteChannels(const CKSTChannelList&, bool) override { return Log("WriteChannels"); }

protected:
    int Log(const char* operation)
    {
        g_script.log.push_back(std::string(m_name) + "." + operation);
        return KST_OK;
    }
    int Opened(const char* operation)
    {
        m_open = true;
        return Log(operation);
    }

    const char* m_name;
    bool m_open = false;
};

class FakeFamos : public FakeFormat {
public:
    FakeFamos() : FakeFormat(KST_FILE_FAMOS, "famos") {}
    int OpenRead(const CKSTString& path) override
    {
        const int result = FakeFormat::OpenRead(path);
        if (result != KST_OK) {
            return result;
        }
        return FirstBytes(path, 4) == "|CF," ? KST_OK : KST_ERR_NOT_FAMOS;
    }
};

class FakeUdbf : public FakeFormat {
public:
    explicit FakeUdbf(int32_t type) : FakeFormat(type, "udbf") {}
    // The first byte of the file is its byte-order flag, the format's word follows it.
    int OpenRead(const CKSTString& path) override
    {
        const int result = FakeFormat::OpenRead(path);
        if (result != KST_OK) {
            return result;
        }
        const std::string head = FirstBytes(path, 64);
        return head.find("UniversalDataBinFile") != std::string::npos && head[0] != 'U'
                   ? KST_OK
                   : KST_ERR_BAD_HEADER;
    }
    int SetMemory(const CKSTMemBuffer& buffer) override
    {
        SetType(buffer.GetSize() > 0 && buffer.GetData()[0] == 1 ? KST_FILE_UDBF_BIG
                                                                 : KST_FILE_UDBF_LITTLE);
        return Log("SetMemory");
    }
    int Read(CKSTDataSet& dataSet, const CKSTChannelList* selection, bool) override
    {
        // Selection is the reader's own business here: none of the channels go afterwards.
        const int result = ScriptedRead("udbf", dataSet);
        if (selection != nullptr) {
            Log("selection");
        }
        return result;
    }
    int ReadDataSet(CKSTDataSet& dataSet, const CKSTChannelList* selection, bool textFlag,
                    const CKSTTextFormat*) override
    {
        return Read(dataSet, selection, textFlag);
    }
    int ReadChannelList(CKSTChannelList& list, const CKSTTextFormat*) override
    {
        list.AddNew();
        return Log("ReadChannelList");
    }
};

std::unique_ptr<IKSTMeasurementFile> MakeFake(int32_t type)
{
    switch (type) {
        case KST_FILE_TEXT:
            return std::make_unique<FakeFormat>(type, "text");
        case KST_FILE_FAMOS:
            return std::make_unique<FakeFamos>();
        case KST_FILE_DASYLAB:
            return std::make_unique<FakeFormat>(type, "dasylab");
        case KST_FILE_MATLAB:
            return std::make_unique<FakeFormat>(type, "mat");
        case KST_FILE_UDBF_BIG:
        case KST_FILE_UDBF_LITTLE:
            return std::make_unique<FakeUdbf>(type);
        case KST_FILE_WAV:
            return std::make_unique<FakeFormat>(type, "wav");
        default:
            return nullptr;
    }
}

class MeasurementFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_script = Script();
        KstSetForeignFileFactory(MakeFake);
    }
    void TearDown() override { KstSetForeignFileFactory(nullptr); }

    // A data set of one equidistant channel starting at the stamp.
    static void FillDataSet(CKSTDataSet& dataSet, const std::vector<double>& values)
    {
        dataSet.Clear(false);
        CKSTChannel channel = kst_test::Equidistant(0.0, 0.5, values);
        channel.SetName("Druck");
        channel.SetUnit("bar");
        channel.SetStartTimeStamp(CKSTTimeStamp(2007, 3, 5, 10, 0, 0.0));
        dataSet.GetChannels().AddCopy(channel);
    }

    TempFolder m_folder;
};

const std::string kUdbfLittleEndian = std::string("\0\x00\x6B\0\x14", 5) + "UniversalDataBinFile";
const std::string kUdbfBigEndian = std::string("\x01\x00\x6B\0\x14", 5) + "UniversalDataBinFile";

// --- Opening by extension ---

TEST_F(MeasurementFileTest, OpenDispatchesByExtensionAndFirstBytes)
{
    struct Case {
        const char* file;
        std::string bytes;
        int result;
        int32_t type;
        std::vector<std::string> log;  // format calls during Open
    };
    const std::string text = "Zeit;Druck\n0;1\n";
    const Case cases[] = {
        {"doc.qld", "KESTRO-KXD", KST_OK, KST_FILE_NATIVE, {}},
        {"doc.KXD", "KESTRO-KXD", KST_OK, KST_FILE_NATIVE, {}},
        {"rec.zrw", "KESTRO-KXD", KST_OK, KST_FILE_NATIVE, {}},
        {"text.qld", text, KST_ERR_NOT_CONTAINER, KST_FILE_NONE, {}},
        {"famos.dat", "|CF,2,1,1;", KST_OK, KST_FILE_FAMOS, {"famos.OpenRead"}},
        {"famos.RAW", "|CF,2,1,1;", KST_OK, KST_FILE_FAMOS, {"famos.OpenRead"}},
        {"buffer.dat",
         kUdbfLittleEndian,
         KST_OK,
         KST_FILE_UDBF_BIG,
         {"famos.OpenRead", "famos.Close", "udbf.OpenRead"}},
        {"neither.raw",
         text,
         KST_ERR_BAD_HEADER,
         KST_FILE_NONE,
         {"famos.OpenRead", "famos.Close", "udbf.OpenRead", "udbf.Close"}},
        {"sound.wav", "RIFF", KST_OK, KST_FILE_WAV, {"wav.OpenRead"}},
        {"pair.ddf", "DTDF", KST_OK, KST_FILE_DASYLAB, {"dasylab.OpenRead"}},
        {"pair.Ddb", "", KST_OK, KST_FILE_DASYLAB, {"dasylab.OpenRead"}},
        {"m.mat", "MATLAB 5.0", KST_OK, KST_FILE_MATLAB, {"mat.OpenRead"}},
        {"m.fig", "MATLAB 5.0", KST_OK, KST_FILE_MATLAB, {"mat.OpenRead"}},
        {"samples.dbl", std::string(16, '\0'), KST_OK, KST_FILE_RAW_F64, {}},
        {"samples.flt", std::string(8, '\0'), KST_OK, KST_FILE_RAW_F32, {}},
        {"records.bbl", "", KST_OK, KST_FILE_RECORD, {}},
        {"table.csv", text, KST_OK, KST_FILE_TEXT, {"text.OpenRead"}},
        {"table.txt", text, KST_OK, KST_FILE_TEXT, {"text.OpenRead"}},
        {"picture.bmp", "BM\x36\x00", KST_ERR_PICTURE_FILE, KST_FILE_NONE, {}},
        {"picture.gif", "GIF89a", KST_ERR_PICTURE_FILE, KST_FILE_NONE, {}},
        {"picture.jpg", "\xFF\xD8\xFF\xE0", KST_ERR_PICTURE_FILE, KST_FILE_NONE, {}},
        {"picture.JPG", "\xFF\xD8\xFF\xE0", KST_ERR_PICTURE_FILE, KST_FILE_NONE, {}},
        {"table.jpg", text, KST_OK, KST_FILE_TEXT, {"text.OpenRead"}},
        {"table.gif", "GI", KST_OK, KST_FILE_TEXT, {"text.OpenRead"}},
        {"empty.bmp", "", KST_OK, KST_FILE_TEXT, {"text.OpenRead"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        m_folder.WriteFile(c.file, c.bytes);
        g_script.log.clear();
        CKSTMeasurementFile file;
        EXPECT_EQ(file.Open(m_folder.Path(c.file)), c.result);
        EXPECT_EQ(file.GetType(), c.type);
        EXPECT_EQ(Join(g_script.log), Join(c.log));
        EXPECT_EQ(file.CheckOpen(), c.result == KST_OK ? KST_OK : KST_ERR_UNKNOWN_FILE_TYPE);
    }
}

TEST_F(MeasurementFileTest, MissingFilesAndOddPaths)
{
    struct Case {
        const char* name;
        CKSTString path;
        int result;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {"missing container", m_folder.Path("none.qld"), KST_ERR_OPEN_FAILED, {}},
        {"missing raw samples", m_folder.Path("none.dbl"), KST_ERR_OPEN_FAILED, {}},
        {"missing FAMOS",
         m_folder.Path("none.dat"),
         KST_ERR_OPEN_FAILED,
         {"famos.OpenRead", "famos.Close"}},
        {"missing picture goes to the text reader",
         m_folder.Path("none.jpg"),
         KST_ERR_OPEN_FAILED,
         {"text.OpenRead", "text.Close"}},
        {"too short for an extension", "qld", KST_ERR_OPEN_FAILED, {"text.OpenRead", "text.Close"}},
        {"two characters", "ab", KST_ERR_OPEN_FAILED, {"text.OpenRead", "text.Close"}},
        {"empty", "", KST_ERR_OPEN_FAILED, {"text.OpenRead", "text.Close"}},
        {"a lone quote", "\"", KST_ERR_OPEN_FAILED, {"text.OpenRead", "text.Close"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_script.log.clear();
        CKSTMeasurementFile file;
        EXPECT_EQ(file.Open(c.path), c.result);
        EXPECT_EQ(file.GetType(), KST_FILE_NONE);
        EXPECT_EQ(Join(g_script.log), Join(c.log));
    }
}

TEST_F(MeasurementFileTest, QuotedPathsOpenAsWithoutQuotes)
{
    m_folder.WriteFile("doc.qld", "KESTRO-KXD");
    const CKSTString path = m_folder.Path("doc.qld");
    const CKSTString quoted[] = {"\"" + path + "\"", "\"" + path, "\"\"" + path + "\""};
    for (const CKSTString& p : quoted) {
        SCOPED_TRACE(p.c_str());
        CKSTMeasurementFile file;
        EXPECT_EQ(file.Open(p), KST_OK);
        EXPECT_EQ(file.GetType(), KST_FILE_NATIVE);
    }
    // Quotes count only when the path starts with one.
    EXPECT_EQ(CKSTMeasurementFile::UnquotePath("a\"b.qld"), "a\"b.qld");
    EXPECT_EQ(CKSTMeasurementFile::UnquotePath("\"a\"b.qld"), "ab.qld");
}

TEST_F(MeasurementFileTest, OpeningAgainClosesTheOpenObjectFirst)
{
    m_folder.WriteFile("sound.wav", "RIFF");
    m_folder.WriteFile("m.mat", "MATLAB");
    CKSTMeasurementFile file;
    ASSERT_EQ(file.Open(m_folder.Path("sound.wav")), KST_OK);
    ASSERT_EQ(file.Open(m_folder.Path("m.mat")), KST_OK);
    EXPECT_EQ(Join(g_script.log), "wav.OpenRead wav.Close mat.OpenRead");
    EXPECT_EQ(file.GetType(), KST_FILE_MATLAB);

    // A failed open leaves nothing open, not the file before it.
    g_script.log.clear();
    EXPECT_EQ(file.Open(m_folder.Path("none.wav")), KST_ERR_OPEN_FAILED);
    EXPECT_EQ(Join(g_script.log), "mat.Close wav.OpenRead wav.Close");
    EXPECT_EQ(file.CheckOpen(), KST_ERR_UNKNOWN_FILE_TYPE);
}

TEST_F(MeasurementFileTest, PictureTest)
{
    struct Case {
        const char* file;
        std::string bytes;
        bool picture;
        int32_t type;
    };
    const Case cases[] = {
        {"a.bmp", "BM", true, KST_FILE_BMP},        {"a.gif", "GIF8", true, KST_FILE_GIF},
        {"a.jpg", "\xFF\xD8", true, KST_FILE_JPEG}, {"a.Gif", "GIF8", true, KST_FILE_GIF},
        {"b.bmp", "MB", false, KST_FILE_NONE},      {"b.jpg", "\xFF", false, KST_FILE_NONE},
        {"c.png", "\x89PNG", false, KST_FILE_NONE}, {"jpeg.txt", "\xFF\xD8", false, KST_FILE_NONE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        m_folder.WriteFile(c.file, c.bytes);
        int32_t type = -1;
        EXPECT_EQ(CKSTMeasurementFile::IsPictureFile(m_folder.Path(c.file), type), c.picture);
        EXPECT_EQ(type, c.type);
    }
    int32_t type = -1;
    EXPECT_FALSE(CKSTMeasurementFile::IsPictureFile(m_folder.Path("missing.bmp"), type));
}

// --- Recognition of memory images ---

TEST_F(MeasurementFileTest, DetectTypeOfImages)
{
    struct Case {
        const char* name;
        std::string bytes;
        int32_t type;
    };
    const std::string word = "UniversalDataBinFile";
    const Case cases[] = {
        {"container", "KESTRO-KXD\x01\x02", KST_FILE_NATIVE},
        {"container magic cut short", "KESTRO-KX", KST_FILE_TEXT},
        {"little-endian buffer file, zero byte first", kUdbfLittleEndian, KST_FILE_UDBF_BIG},
        {"big-endian buffer file", kUdbfBigEndian, KST_FILE_UDBF_BIG},
        {"word right after the first byte", "x" + word, KST_FILE_UDBF_BIG},
        {"word at the start is text", word + " 1;2", KST_FILE_TEXT},
        {"word ending at byte 100", std::string(80, '\0') + word, KST_FILE_UDBF_BIG},
        {"word ending after byte 100", std::string(81, ' ') + word, KST_FILE_TEXT},
        {"FAMOS", "|CF,2,1,1;|CK,1,3,1,1;", KST_FILE_FAMOS},
        {"DASYLab", "DTDF\0\x01", KST_FILE_DASYLAB},
        {"MATLAB", "MATLAB 5.0 MAT-file", KST_FILE_MATLAB},
        {"MATLAB in lower case", "matlab 5.0", KST_FILE_TEXT},
        {"text table", "Zeit;Druck\r\n", KST_FILE_TEXT},
        {"zero bytes", std::string(200, '\0'), KST_FILE_TEXT},
        {"empty", "", KST_FILE_TEXT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CKSTMeasurementFile::DetectType(reinterpret_cast<const uint8_t*>(c.bytes.data()),
                                                  c.bytes.size()),
                  c.type);
        CKSTMemBuffer buffer;
        buffer.Write(c.bytes.data(), 1, static_cast<uint32_t>(c.bytes.size()));
        EXPECT_EQ(CKSTMeasurementFile::DetectType(buffer), c.type);
    }
    EXPECT_EQ(CKSTMeasurementFile::DetectType(nullptr, 10), KST_FILE_TEXT);
}

// --- Writers, memory objects and the operations of each type ---

TEST_F(MeasurementFileTest, OpenWriteAndOpenMemoryByType)
{
    struct Case {
        int32_t asked;
        int result;
        int32_t fileType;    // after OpenWrite
        int32_t memoryType;  // after OpenMemory
        const char* writeCall;
        const char* memoryCall;
    };
    const Case cases[] = {
        {KST_FILE_NATIVE, KST_OK, KST_FILE_NATIVE, KST_FILE_NATIVE, "", ""},
        {KST_FILE_NATIVE_ZRW, KST_OK, KST_FILE_NATIVE, KST_FILE_NATIVE, "", ""},
        {KST_FILE_TEXT, KST_OK, KST_FILE_TEXT, KST_FILE_TEXT, "text.OpenWrite",
         "text.OpenMemoryWrite"},
        {KST_FILE_FAMOS, KST_OK, KST_FILE_FAMOS, KST_FILE_FAMOS, "famos.OpenWrite",
         "famos.OpenMemoryWrite"},
        {KST_FILE_DASYLAB, KST_OK, KST_FILE_DASYLAB, KST_FILE_DASYLAB, "dasylab.OpenWrite",
         "dasylab.OpenMemoryWrite"},
        {KST_FILE_MATLAB, KST_OK, KST_FILE_MATLAB, KST_FILE_MATLAB, "mat.OpenWrite",
         "mat.OpenMemoryWrite"},
        {KST_FILE_UDBF_BIG, KST_OK, KST_FILE_UDBF_BIG, KST_FILE_UDBF_BIG, "udbf.OpenWrite",
         "udbf.OpenMemoryWrite"},
        {KST_FILE_UDBF_LITTLE, KST_OK, KST_FILE_UDBF_LITTLE, KST_FILE_UDBF_BIG, "udbf.OpenWrite",
         "udbf.OpenMemoryWrite"},
        {KST_FILE_WAV, KST_OK, KST_FILE_WAV, KST_FILE_WAV, "wav.OpenWrite", "wav.OpenMemoryWrite"},
        {KST_FILE_RECORD, KST_OK, KST_FILE_RECORD, KST_FILE_RECORD, "", ""},
        {KST_FILE_RAW_F64, KST_ERR_UNKNOWN_FILE_TYPE, KST_FILE_NONE, KST_FILE_NONE, "", ""},
        {KST_FILE_RAW_F32, KST_ERR_UNKNOWN_FILE_TYPE, KST_FILE_NONE, KST_FILE_NONE, "", ""},
        {KST_FILE_JPEG, KST_ERR_UNKNOWN_FILE_TYPE, KST_FILE_NONE, KST_FILE_NONE, "", ""},
        {KST_FILE_NONE, KST_ERR_UNKNOWN_FILE_TYPE, KST_FILE_NONE, KST_FILE_NONE, "", ""},
        {-1, KST_ERR_UNKNOWN_FILE_TYPE, KST_FILE_NONE, KST_FILE_NONE, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        CKSTMeasurementFile file;
        g_script.log.clear();
        EXPECT_EQ(file.OpenWrite(m_folder.Path("out.bin"), c.asked), c.result);
        EXPECT_EQ(file.GetType(), c.fileType);
        EXPECT_EQ(g_script.log.empty() ? "" : g_script.log[0], c.writeCall);

        g_script.log.clear();
        EXPECT_EQ(file.OpenMemory(c.asked), c.result);
        EXPECT_EQ(file.GetType(), c.memoryType);
        EXPECT_EQ(g_script.log.empty() ? "" : g_script.log.back(), c.memoryCall);
    }
}

TEST_F(MeasurementFileTest, OperationsReachTheFormatOfTheType)
{
    struct Case {
        int32_t type;
        std::vector<std::string> log;
    };
    // WriteDataSet, Write, SaveToMemory, LoadFromMemory, ReadChannels, ReadChannelList, Close.
    const Case cases[] = {
        {KST_FILE_TEXT,
         {"text.Write", "text.WriteChannels", "text.GetMemory", "text.SetMemory", "text.Read",
          "text.Read", "text.Close"}},
        {KST_FILE_FAMOS,
         {"famos.Write", "famos.WriteChannels", "famos.GetMemory", "famos.SetMemory", "famos.Read",
          "famos.Read", "famos.Close"}},
        {KST_FILE_DASYLAB,
         {"dasylab.Write", "dasylab.WriteChannels", "dasylab.GetMemory", "dasylab.SetMemory",
          "dasylab.Read", "dasylab.Read", "dasylab.Close"}},
        {KST_FILE_MATLAB,
         {"mat.Write", "mat.WriteChannels", "mat.GetMemory", "mat.SetMemory", "mat.Read",
          "mat.Read", "mat.Close"}},
        {KST_FILE_WAV,
         {"wav.Write", "wav.WriteChannels", "wav.GetMemory", "wav.SetMemory", "wav.Read",
          "wav.Read", "wav.Close"}},
        // No memory image is handed out, though the format has one.
        {KST_FILE_UDBF_BIG,
         {"udbf.Write", "udbf.WriteChannels", "udbf.SetMemory", "udbf.Read", "udbf.ReadChannelList",
          "udbf.Close"}},
    };
    CKSTDataSet dataSet;
    FillDataSet(dataSet, {1.0, 2.0});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        CKSTMeasurementFile file;
        ASSERT_EQ(file.OpenMemory(c.type), KST_OK);
        g_script.log.clear();
        EXPECT_EQ(file.WriteDataSet(dataSet), KST_OK);
        EXPECT_EQ(file.Write(dataSet.GetChannels()), KST_OK);
        CKSTMemBuffer image;
        const bool hasImage = c.type != KST_FILE_UDBF_BIG;
        EXPECT_EQ(file.SaveToMemory(image), hasImage ? KST_OK : KST_ERR_UNKNOWN_FILE_TYPE);
        image.Write("\x01", 1, 1);
        EXPECT_EQ(file.LoadFromMemory(image), KST_OK);
        CKSTDataSet read;
        EXPECT_EQ(file.ReadChannels(read), KST_OK);
        EXPECT_EQ(read.GetChannels().GetCount(), 2);
        CKSTChannelList list;
        EXPECT_EQ(file.ReadChannelList(list), KST_OK);
        EXPECT_GT(list.GetCount(), 0);
        EXPECT_EQ(file.Close(), KST_OK);
        EXPECT_EQ(Join(g_script.log), Join(c.log));
        EXPECT_EQ(file.GetType(), KST_FILE_NONE);
    }
}

TEST_F(MeasurementFileTest, BufferFileTypeFollowsTheLoadedImage)
{
    struct Case {
        std::string image;
        int32_t type;
    };
    const Case cases[] = {{kUdbfBigEndian, KST_FILE_UDBF_BIG},
                          {kUdbfLittleEndian, KST_FILE_UDBF_LITTLE}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        CKSTMeasurementFile file;
        ASSERT_EQ(file.OpenMemory(KST_FILE_UDBF_LITTLE), KST_OK);
        CKSTMemBuffer image;
        image.Write(c.image.data(), 1, static_cast<uint32_t>(c.image.size()));
        EXPECT_EQ(file.LoadFromMemory(image), KST_OK);
        EXPECT_EQ(file.GetType(), c.type);
    }
}

TEST_F(MeasurementFileTest, ClosedOrEmptiedObjectsRefuseEveryOperation)
{
    CKSTMeasurementFile closed;
    CKSTDataSet dataSet;
    CKSTChannelList list;
    CKSTMemBuffer buffer;
    EXPECT_EQ(closed.ReadChannels(dataSet), KST_ERR_UNKNOWN_FILE_TYPE);
    EXPECT_EQ(closed.ReadChannelList(list), KST_ERR_UNKNOWN_FILE_TYPE);
    EXPECT_EQ(closed.WriteDataSet(dataSet), KST_ERR_UNKNOWN_FILE_TYPE);
    EXPECT_EQ(closed.Write(list), KST_ERR_UNKNOWN_FILE_TYPE);
    EXPECT_EQ(closed.SaveToMemory(buffer), KST_ERR_UNKNOWN_FILE_TYPE);
    EXPECT_EQ(closed.LoadFromMemory(buffer), KST_ERR_UNKNOWN_FILE_TYPE);
    EXPECT_EQ(closed.Close(), KST_OK);

    // A text object without an open file or buffer.
    g_script.textLosesFile = true;
    CKSTMeasurementFile text;
    ASSERT_EQ(text.OpenMemory(KST_FILE_TEXT), KST_OK);
    EXPECT_EQ(text.CheckOpen(), KST_ERR_FILE_NOT_OPEN);
    EXPECT_EQ(text.ReadChannels(dataSet), KST_ERR_FILE_NOT_OPEN);

    // Raw samples have no writer and no memory image.
    m_folder.WriteFile("s.dbl", std::string(8, '\0'));
    CKSTMeasurementFile raw;
    ASSERT_EQ(raw.Open(m_folder.Path("s.dbl")), KST_OK);
    EXPECT_EQ(raw.WriteDataSet(dataSet), KST_ERR_UNKNOWN_FILE_TYPE);
    EXPECT_EQ(raw.Write(list), KST_ERR_UNKNOWN_FILE_TYPE);
    EXPECT_EQ(raw.SaveToMemory(buffer), KST_ERR_UNKNOWN_FILE_TYPE);
    EXPECT_EQ(raw.LoadFromMemory(buffer), KST_ERR_UNKNOWN_FILE_TYPE);
}

TEST_F(MeasurementFileTest, SelectionLeavesOutUnselectedPositions)
{
    struct Case {
        const char* name;
        std::vector<bool> selected;  // empty: no selection list
        std::string kept;
    };
    const Case cases[] = {
        {"no selection", {}, "c0 c1 c2 c3"},
        {"second and third off", {true, false, false}, "c0 c3"},
        {"all off", {false, false, false, false}, ""},
        {"longer list", {true, true, true, false, false, false}, "c0 c1 c2"},
    };
    m_folder.WriteFile("sound.wav", "RIFF");
    g_script.readChannels = 4;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CKSTChannelList selection;
        for (bool on : c.selected) {
            selection.GetAt(selection.AddNew())->SetSelected(on);
        }
        CKSTMeasurementFile file;
        ASSERT_EQ(file.Open(m_folder.Path("sound.wav")), KST_OK);
        CKSTDataSet dataSet;
        EXPECT_EQ(file.ReadChannels(dataSet, c.selected.empty() ? nullptr : &selection), KST_OK);
        std::vector<std::string> names;
        for (int i = 0; i < dataSet.GetChannels().GetCount(); ++i) {
            names.push_back(dataSet.GetChannels().GetAt(i)->GetName().c_str());
        }
        EXPECT_EQ(Join(names), c.kept);
    }

    // The buffer-file reader applies the selection itself.
    m_folder.WriteFile("buffer.dat", kUdbfBigEndian);
    CKSTChannelList none;
    none.GetAt(none.AddNew())->SetSelected(false);
    CKSTMeasurementFile file;
    ASSERT_EQ(file.Open(m_folder.Path("buffer.dat")), KST_OK);
    CKSTDataSet dataSet;
    EXPECT_EQ(file.ReadChannels(dataSet, &none), KST_OK);
    EXPECT_EQ(dataSet.GetChannels().GetCount(), 4);
}

TEST_F(MeasurementFileTest, NoExceptionLeavesAnOperation)
{
    struct Case {
        Throw kind;
        int result;
    };
    const Case cases[] = {{Throw::kCode, KST_ERR_INDEX}, {Throw::kBadAlloc, KST_ERR_TOO_LARGE}};
    m_folder.WriteFile("sound.wav", "RIFF");
    for (const Case& c : cases) {
        g_script.throwOnRead = c.kind;
        CKSTMeasurementFile file;
        ASSERT_EQ(file.Open(m_folder.Path("sound.wav")), KST_OK);
        CKSTDataSet dataSet;
        EXPECT_EQ(file.ReadChannels(dataSet), c.result);
        CKSTChannelList list;
        EXPECT_EQ(file.ReadChannelList(list), c.result);
        EXPECT_EQ(file.Close(), KST_OK);
    }
}

// --- The formats of this library through the measurement file ---

TEST_F(MeasurementFileTest, NativeFilesRoundTripOnDiskAndInMemory)
{
    CKSTDataSet source;
    FillDataSet(source, {1.0, 2.5, -3.0});
    const CKSTString path = m_folder.Path("doc.zrw");
    {
        CKSTMeasurementFile file;
        ASSERT_EQ(file.OpenWrite(path, KST_FILE_NATIVE_ZRW), KST_OK);
        EXPECT_EQ(file.WriteDataSet(source), KST_OK);
        CKSTMemBuffer image;
        EXPECT_EQ(file.SaveToMemory(image), KST_ERR_UNKNOWN_FILE_TYPE);  // not a memory object
        EXPECT_EQ(file.Close(), KST_OK);
    }
    EXPECT_EQ(ReadBytes(m_folder.Native("doc.zrw")).substr(0, 10), "KESTRO-KXD");

    CKSTMeasurementFile file;
    ASSERT_EQ(file.Open(path), KST_OK);
    CKSTDataSet read;
    // No window settings were stored.
    EXPECT_EQ(file.ReadChannels(read), KST_ERR_NO_SETTINGS);
    ASSERT_EQ(read.GetChannels().GetCount(), 1);
    EXPECT_EQ(kst_test::Values(*read.GetChannels().GetAt(0)),
              (std::vector<double>{1.0, 2.5, -3.0}));
    EXPECT_EQ(read.GetName(), path.SlashesToBackslashes());

    CKSTChannelList list;
    EXPECT_EQ(file.ReadChannelList(list), KST_OK);
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetAt(0)->GetName(), "Druck");
    EXPECT_EQ(list.GetAt(0)->GetCount(), 0u);

    // The same through memory images, recognised by their first bytes.
    CKSTMeasurementFile writer;
    ASSERT_EQ(writer.OpenMemory(KST_FILE_NATIVE), KST_OK);
    ASSERT_EQ(writer.Write(source.GetChannels()), KST_OK);
    CKSTMemBuffer image;
    ASSERT_EQ(writer.SaveToMemory(image), KST_OK);
    const int32_t type = CKSTMeasurementFile::DetectType(image);
    EXPECT_EQ(type, KST_FILE_NATIVE);
    CKSTMeasurementFile reader;
    ASSERT_EQ(reader.OpenMemory(type), KST_OK);
    ASSERT_EQ(reader.LoadFromMemory(image), KST_OK);
    CKSTDataSet fromMemory;
    EXPECT_EQ(reader.ReadChannels(fromMemory), KST_ERR_NO_SETTINGS);
    ASSERT_EQ(fromMemory.GetChannels().GetCount(), 1);
    EXPECT_EQ(kst_test::Values(*fromMemory.GetChannels().GetAt(0)),
              (std::vector<double>{1.0, 2.5, -3.0}));

    // An image of something else is refused as a container.
    CKSTMemBuffer text;
    text.Write("1;2;3", 1, 5);
    CKSTMeasurementFile wrong;
    ASSERT_EQ(wrong.OpenMemory(KST_FILE_NATIVE), KST_OK);
    EXPECT_EQ(wrong.LoadFromMemory(text), KST_ERR_NOT_CONTAINER);
}

TEST_F(MeasurementFileTest, NewerRecordKindsAreReportedWithTheirData)
{
    CKSTDataSet source;
    FillDataSet(source, {4.0, 5.0});
    const CKSTString path = m_folder.Path("newer.qld");
    {
        CKSTMeasurementFile file;
        ASSERT_EQ(file.OpenWrite(path, KST_FILE_NATIVE), KST_OK);
        ASSERT_EQ(file.WriteDataSet(source), KST_OK);
        ASSERT_EQ(file.Close(), KST_OK);
    }
    // A framed record of a kind this program does not know: tag, u16 length, payload.
    std::ofstream(m_folder.Native("newer.qld"), std::ios::binary | std::ios::app)
        .write("\xF0\x02\x00xy", 5);

    CKSTMeasurementFile file;
    ASSERT_EQ(file.Open(path), KST_OK);
    CKSTDataSet read;
    EXPECT_EQ(file.ReadChannels(read), KST_ERR_NEWER_KINDS);
    ASSERT_EQ(read.GetChannels().GetCount(), 1);
    EXPECT_EQ(kst_test::Values(*read.GetChannels().GetAt(0)), (std::vector<double>{4.0, 5.0}));
    CKSTChannelList list;
    EXPECT_EQ(file.ReadChannelList(list), KST_ERR_NEWER_KINDS);
    EXPECT_EQ(list.GetCount(), 1);
}

TEST_F(MeasurementFileTest, RecordAndRawFilesThroughTheFrontObject)
{
    // A time-vector channel: the record writer resamples it, the caller's copy stays.
    CKSTDataSet source;
    CKSTChannel channel = kst_test::TimeVector({0.0, 1.0, 2.0, 3.0}, {1.0, 2.0, 3.0, 4.0});
    channel.SetName("Temp");
    channel.SetStartTimeStamp(CKSTTimeStamp(2007, 3, 5, 10, 0, 0.0));
    source.GetChannels().AddCopy(channel);
    const CKSTString path = m_folder.Path("records.bbl");
    {
        CKSTMeasurementFile file;
        ASSERT_EQ(file.OpenWrite(path, KST_FILE_RECORD), KST_OK);
        EXPECT_EQ(file.WriteDataSet(source), KST_OK);
        EXPECT_EQ(file.Close(), KST_OK);
    }
    EXPECT_EQ(source.GetChannels().GetAt(0)->GetTimeBaseType(), CKSTChannel::kTimeVector);

    CKSTMeasurementFile file;
    ASSERT_EQ(file.Open(path), KST_OK);
    EXPECT_EQ(file.GetType(), KST_FILE_RECORD);
    CKSTDataSet read;
    EXPECT_EQ(file.ReadChannels(read), KST_OK);
    ASSERT_EQ(read.GetChannels().GetCount(), 1);
    EXPECT_EQ(kst_test::Values(*read.GetChannels().GetAt(0)),
              (std::vector<double>{1.0, 2.0, 3.0, 4.0}));
    EXPECT_EQ(read.GetName(), path.SlashesToBackslashes());

    // The record file as a memory image.
    const std::string bytes = ReadBytes(m_folder.Native("records.bbl"));
    CKSTMemBuffer image;
    image.Write(bytes.data(), 1, static_cast<uint32_t>(bytes.size()));
    CKSTMeasurementFile memory;
    ASSERT_EQ(memory.OpenMemory(KST_FILE_RECORD), KST_OK);
    CKSTMemBuffer none;
    EXPECT_EQ(memory.SaveToMemory(none), KST_ERR_UNKNOWN_FILE_TYPE);
    ASSERT_EQ(memory.LoadFromMemory(image), KST_OK);
    CKSTDataSet fromMemory;
    EXPECT_EQ(memory.ReadChannels(fromMemory), KST_OK);
    EXPECT_EQ(fromMemory.GetChannels().GetCount(), 1);

    // Raw 64-bit samples, one channel named after the file.
    const double samples[] = {0.5, 1.5, 2.5};
    m_folder.WriteFile("Messung.dbl",
                       std::string(reinterpret_cast<const char*>(samples), sizeof samples));
    CKSTMeasurementFile raw;
    ASSERT_EQ(raw.Open(m_folder.Path("Messung.dbl")), KST_OK);
    CKSTDataSet rawSet;
    EXPECT_EQ(raw.ReadChannels(rawSet), KST_OK);
    ASSERT_EQ(rawSet.GetChannels().GetCount(), 1);
    EXPECT_EQ(rawSet.GetChannels().GetAt(0)->GetName(), "Messung");
    EXPECT_EQ(kst_test::Values(*rawSet.GetChannels().GetAt(0)),
              (std::vector<double>{0.5, 1.5, 2.5}));
}

TEST_F(MeasurementFileTest, ForeignFormatsNeedTheirFactory)
{
    KstSetForeignFileFactory(nullptr);
    m_folder.WriteFile("table.csv", "1;2\n");
    m_folder.WriteFile("famos.dat", "|CF,2,1,1;");
    CKSTMeasurementFile file;
    EXPECT_EQ(file.Open(m_folder.Path("table.csv")), KST_ERR_UNKNOWN_FILE_TYPE);
    EXPECT_EQ(file.Open(m_folder.Path("famos.dat")), KST_ERR_UNKNOWN_FILE_TYPE);
    EXPECT_EQ(file.OpenMemory(KST_FILE_WAV), KST_ERR_UNKNOWN_FILE_TYPE);
    EXPECT_EQ(file.GetType(), KST_FILE_NONE);
}

}  // namespace

// A few bytes may describe billions of samples: every open is bounded by the memory the
// machine has free, and fails before allocating what lies beyond.
TEST(MeasurementFileBudget, OpensAreBoundedByTheFreeMemory)
{
    const auto imageWithGap = [](uint32_t missing) {
        CKSTChannelList list;
        CKSTChannel* channel = list.GetAt(list.AddNew());
        channel->SetName("gap");
        channel->SetDt(1.0);
        CKSTDocFile writer;
        CKSTMemBuffer image;
        EXPECT_EQ(writer.OpenMemoryWrite(), KST_OK);
        EXPECT_EQ(writer.WriteChannelRecord(*channel, 0, 0), KST_OK);
        EXPECT_EQ(writer.WriteMissingRun(0, missing), KST_OK);
        writer.GetMemory(image);
        EXPECT_LT(image.GetSize(), 128u);
        return image;
    };
    struct Case {
        uint32_t missing;
        int result;
        uint32_t samples;  // the channel read before the limit stays, without the run
    };
    const Case cases[] = {
        {1u << 31, KST_ERR_TOO_LARGE, 0},   // 36 GB of samples in 1 GB free
        {1000, KST_ERR_NO_SETTINGS, 1000},  // read whole; the image has no window settings
    };
    uint64_t (*const system)() = KstAvailableMemory;
    KstAvailableMemory = [] { return uint64_t{1} << 30; };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.missing);
        CKSTMeasurementFile file;
        ASSERT_EQ(file.OpenMemory(KST_FILE_NATIVE), KST_OK);
        ASSERT_EQ(file.LoadFromMemory(imageWithGap(c.missing)), KST_OK);
        CKSTDataSet dataSet;
        EXPECT_EQ(file.ReadChannels(dataSet), c.result);
        ASSERT_EQ(dataSet.GetChannels().GetCount(), 1);
        EXPECT_EQ(dataSet.GetChannels().GetAt(0)->GetCount(), c.samples);
    }
    KstAvailableMemory = system;
}
