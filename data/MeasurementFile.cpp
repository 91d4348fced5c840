#include "data/MeasurementFile.h"

#include <algorithm>
#include <cstring>

#include "data/DocFile.h"
#include "data/ErrorGuard.h"
#include "data/RawFile.h"
#include "data/RecordFile.h"
#include "foundation/DataFile.h"
#include "foundation/ErrorCodes.h"

namespace {

// --- This library's own formats as measurement-file objects ---

// A writable format of this library: its file class opens, loads and closes itself.
template <class File>
class CKSTOwnFormatFile : public IKSTMeasurementFile {
public:
    int OpenRead(const CKSTString& path) override { return m_file.OpenRead(path); }
    int OpenWrite(const CKSTString& path) override { return m_file.OpenWrite(path); }
    int OpenMemoryWrite() override { return m_file.OpenMemoryWrite(); }
    int SetMemory(const CKSTMemBuffer& buffer) override
    {
        m_file.SetMemory(buffer);
        return m_file.OpenMemoryRead();
    }
    int Close() override { return m_file.Close(); }
    bool IsOpen() const override { return m_file.IsOpen(); }

protected:
    explicit CKSTOwnFormatFile(int32_t type) : IKSTMeasurementFile(type) {}

    File m_file;
};

class CKSTDocMeasurementFile : public CKSTOwnFormatFile<CKSTDocFile> {
public:
    // Asked for as type 1 or 2, the container is type 1.
    CKSTDocMeasurementFile() : CKSTOwnFormatFile(KST_FILE_NATIVE) {}

    int GetMemory(CKSTMemBuffer& buffer) override
    {
        // A container written to disk has no image to hand out.
        if (!m_file.IsInMemory()) {
            return KST_ERR_UNKNOWN_FILE_TYPE;
        }
        m_file.GetMemory(buffer);
        return KST_OK;
    }

    // The window settings come with the channels (KST_ERR_NO_SETTINGS when there are none);
    // KST_ERR_NEWER_KINDS tells of records newer than this program in a file whose data were
    // read.
    int Read(CKSTDataSet& dataSet, const CKSTChannelList* selection, bool) override
    {
        uint8_t newerKinds = 0;
        const int result = m_file.ReadDataSet(dataSet, selection, &newerKinds);
        if ((result == KST_OK || result == KST_ERR_NO_SETTINGS) && newerKinds != 0) {
            return KST_ERR_NEWER_KINDS;
        }
        return result;
    }
    // The container's reader leaves out the unselected channels itself.
    int ReadDataSet(CKSTDataSet& dataSet, const CKSTChannelList* selection, bool textFlag,
                    const CKSTTextFormat*) override
    {
        return Read(dataSet, selection, textFlag);
    }
    // The channel records alone, without their samples.
    int ReadChannelList(CKSTChannelList& list, const CKSTTextFormat*) override
    {
        CKSTChannelList channels;
        uint8_t newerKinds = 0;
        int result = m_file.ReadChannelRecords(channels, false, &newerKinds);
        if (result == KST_OK && newerKinds != 0) {
            result = KST_ERR_NEWER_KINDS;
        }
        if (result == KST_OK || result == KST_ERR_NEWER_KINDS) {
            list.CopyDeep(channels);
        }
        return result;
    }
    int Write(const CKSTDataSet& dataSet, const CKSTTextFormat*) override
    {
        return m_file.WriteDataSet(dataSet, true);
    }
    int WriteChannels(const CKSTChannelList& channels, bool) override
    {
        return m_file.WriteChannels(channels, true);
    }
};

class CKSTRecordMeasurementFile : public CKSTOwnFormatFile<CKSTRecordFile> {
public:
    CKSTRecordMeasurementFile() : CKSTOwnFormatFile(KST_FILE_RECORD) {}

    int Read(CKSTDataSet& dataSet, const CKSTChannelList*, bool) override
    {
        return m_file.Read(dataSet);
    }
    int Write(const CKSTDataSet& dataSet, const CKSTTextFormat*) override
    {
        return WriteChannels(dataSet.GetChannels(), false);
    }
    int WriteChannels(const CKSTChannelList& channels, bool) override
    {
        // The record writer makes time vectors equidistant in place; the caller's channels
        // (the open document's, say) must not change by being saved.
        CKSTChannelList copy;
        copy.CopyFrom(channels);
        return m_file.WriteBinaryRecordFile(copy);
    }
};

// Raw sample files are read only: every writing operation is refused.
class CKSTRawMeasurementFile : public IKSTMeasurementFile {
public:
    CKSTRawMeasurementFile(int32_t type, CKSTRawFile::Format format)
        : IKSTMeasurementFile(type), m_file(format)
    {
    }

    int OpenRead(const CKSTString& path) override { return m_file.OpenRead(path); }
    int OpenWrite(const CKSTString&) override { return KST_ERR_UNKNOWN_FILE_TYPE; }
    int OpenMemoryWrite() override { return KST_ERR_UNKNOWN_FILE_TYPE; }
    int SetMemory(const CKSTMemBuffer&) override { return KST_ERR_UNKNOWN_FILE_TYPE; }
    int Close() override { return m_file.Close(); }
    bool IsOpen() const override { return m_file.IsOpen(); }

    int Read(CKSTDataSet& dataSet, const CKSTChannelList*, bool) override
    {
        return m_file.Read(dataSet);
    }
    int Write(const CKSTDataSet&, const CKSTTextFormat*) override
    {
        return KST_ERR_UNKNOWN_FILE_TYPE;
    }
    int WriteChannels(const CKSTChannelList&, bool) override { return KST_ERR_UNKNOWN_FILE_TYPE; }

private:
    CKSTRawFile m_file;
};

// --- The file types ---

using KstMakeFile = std::unique_ptr<IKSTMeasurementFile> (*)(int32_t type);

std::unique_ptr<IKSTMeasurementFile> MakeDocFile(int32_t)
{
    return std::make_unique<CKSTDocMeasurementFile>();
}

std::unique_ptr<IKSTMeasurementFile> MakeRecordFile(int32_t)
{
    return std::make_unique<CKSTRecordMeasurementFile>();
}

std::unique_ptr<IKSTMeasurementFile> MakeRawFile(int32_t type)
{
    return std::make_unique<CKSTRawMeasurementFile>(
        type, type == KST_FILE_RAW_F64 ? CKSTRawFile::kFloat64 : CKSTRawFile::kFloat32);
}

struct FileTypeRow {
    int32_t type;
    // Upper case; files with other extensions open as text tables.
    const char* extensions[3];
    KstMakeFile make;
    // The type an object opened in memory carries until it loads an image: a
    // UniversalDataBinFile image tells its byte order only then.
    int32_t memoryType;
    // SaveToMemory hands out the image written in memory.
    bool image;
};

// The foreign formats come from the installed factory. UniversalDataBinFile files share the
// FAMOS extensions and are tried when the FAMOS reader refuses a file.
const FileTypeRow kFileTypes[] = {
    {KST_FILE_NATIVE, {"KXD", "QLD", "ZRW"}, MakeDocFile, KST_FILE_NATIVE, true},
    {KST_FILE_NATIVE_ZRW, {}, MakeDocFile, KST_FILE_NATIVE, true},
    {KST_FILE_TEXT, {}, KstCreateForeignFile, KST_FILE_TEXT, true},
    {KST_FILE_FAMOS, {"DAT", "RAW"}, KstCreateForeignFile, KST_FILE_FAMOS, true},
    {KST_FILE_DASYLAB, {"DDF", "DDB"}, KstCreateForeignFile, KST_FILE_DASYLAB, true},
    {KST_FILE_MATLAB, {"MAT", "FIG"}, KstCreateForeignFile, KST_FILE_MATLAB, true},
    {KST_FILE_UDBF_BIG, {}, KstCreateForeignFile, KST_FILE_UDBF_BIG, false},
    {KST_FILE_UDBF_LITTLE, {}, KstCreateForeignFile, KST_FILE_UDBF_BIG, false},
    {KST_FILE_WAV, {"WAV"}, KstCreateForeignFile, KST_FILE_WAV, true},
    {KST_FILE_RAW_F64, {"DBL"}, MakeRawFile, KST_FILE_RAW_F64, false},
    {KST_FILE_RAW_F32, {"FLT"}, MakeRawFile, KST_FILE_RAW_F32, false},
    {KST_FILE_RECORD, {"BBL"}, MakeRecordFile, KST_FILE_RECORD, false},
};

const FileTypeRow* FindType(int32_t type)
{
    for (const FileTypeRow& row : kFileTypes) {
        if (row.type == type) {
            return &row;
        }
    }
    return nullptr;
}

const FileTypeRow* FindExtension(const CKSTString& extension)
{
    for (const FileTypeRow& row : kFileTypes) {
        for (const char* listed : row.extensions) {
            if (listed != nullptr && extension == listed) {
                return &row;
            }
        }
    }
    return nullptr;
}

// Makes the object of the row's type and opens the path with it.
int OpenReader(std::unique_ptr<IKSTMeasurementFile>& file, const FileTypeRow& row,
               const CKSTString& path)
{
    file = row.make(row.type);
    return file != nullptr ? file->OpenRead(path) : KST_ERR_UNKNOWN_FILE_TYPE;
}

void CloseAndDelete(std::unique_ptr<IKSTMeasurementFile>& file) noexcept
{
    if (file != nullptr) {
        try {
            static_cast<void>(file->Close());
        } catch (...) {
            // The object goes anyway; an open that failed has nothing worth reporting.
        }
        file.reset();
    }
}

// The operation, when the object is open for it, with no exception let out.
template <class Operation>
int WhenOpen(const CKSTMeasurementFile& file, Operation&& operation)
{
    return KstGuarded([&] {
        const int check = file.CheckOpen();
        return check != KST_OK ? check : operation();
    });
}

bool StartsWith(const uint8_t* data, size_t size, const char* text)
{
    const size_t n = std::strlen(text);
    return size >= n && std::memcmp(data, text, n) == 0;
}

constexpr size_t kDetectBytes = 100;

}  // namespace

CKSTMeasurementFile::CKSTMeasurementFile() : m_type(KST_FILE_NONE) {}

CKSTMeasurementFile::~CKSTMeasurementFile()
{
    static_cast<void>(Close());
}

// --- Opening ---

CKSTString CKSTMeasurementFile::UnquotePath(const CKSTString& path)
{
    CKSTString result = path;
    if (!result.IsEmpty() && result.First() == '"') {
        result.Remove('"');
    }
    return result;
}

CKSTString CKSTMeasurementFile::GetExtension(const CKSTString& path)
{
    // A dot and three characters at the least.
    if (path.GetLength() < 4) {
        return CKSTString();
    }
    CKSTString extension = path.Right(3);
    extension.MakeUpper();
    return extension;
}

bool CKSTMeasurementFile::IsPictureFile(const CKSTString& path, int32_t& pictureType)
{
    pictureType = KST_FILE_NONE;
    const CKSTString extension = GetExtension(path);
    struct Signature {
        const char* extension;
        const char* bytes;
        int32_t type;
    };
    static const Signature kSignatures[] = {
        {"BMP", "BM", KST_FILE_BMP},
        {"GIF", "GIF", KST_FILE_GIF},
        {"JPG", "\xFF\xD8", KST_FILE_JPEG},
    };
    const Signature* signature = nullptr;
    for (const Signature& s : kSignatures) {
        if (extension == s.extension) {
            signature = &s;
        }
    }
    if (signature == nullptr) {
        return false;
    }
    CKSTDataFile file;
    if (file.Open(path, KST_OPEN_READ) != KST_OK) {
        return false;
    }
    uint8_t head[3] = {0, 0, 0};
    const uint32_t n = file.Read(head, sizeof head);
    static_cast<void>(file.Close());
    if (!StartsWith(head, n, signature->bytes)) {
        return false;
    }
    pictureType = signature->type;
    return true;
}

int CKSTMeasurementFile::Open(const CKSTString& path)
{
    // Callers are to close first; an object left open is closed rather than leaked.
    static_cast<void>(Close());
    const int result = KstGuarded([&] { return OpenByExtension(UnquotePath(path)); });
    if (result != KST_OK) {
        Discard();
    }
    return result;
}

int CKSTMeasurementFile::OpenByExtension(const CKSTString& path)
{
    const FileTypeRow* row = FindExtension(GetExtension(path));
    if (row == nullptr) {
        int32_t pictureType;
        if (IsPictureFile(path, pictureType)) {
            return KST_ERR_PICTURE_FILE;
        }
        row = FindType(KST_FILE_TEXT);
    }
    int result = OpenReader(m_file, *row, path);
    if (result == KST_ERR_NOT_FAMOS) {
        CloseAndDelete(m_file);
        row = FindType(KST_FILE_UDBF_BIG);
        result = OpenReader(m_file, *row, path);
    }
    if (result == KST_OK) {
        m_type = row->type;
    }
    return result;
}

int CKSTMeasurementFile::OpenWrite(const CKSTString& path, int32_t type)
{
    static_cast<void>(Close());
    const int result = KstGuarded([&] { return OpenWriter(&path, type); });
    if (result != KST_OK) {
        Discard();
    }
    return result;
}

int CKSTMeasurementFile::OpenMemory(int32_t type)
{
    static_cast<void>(Close());
    const int result = KstGuarded([&] { return OpenWriter(nullptr, type); });
    if (result != KST_OK) {
        Discard();
    }
    return result;
}

int CKSTMeasurementFile::OpenWriter(const CKSTString* path, int32_t type)
{
    const FileTypeRow* row = FindType(type);
    if (row == nullptr) {
        return KST_ERR_UNKNOWN_FILE_TYPE;
    }
    m_file = row->make(type);
    if (m_file == nullptr) {
        return KST_ERR_UNKNOWN_FILE_TYPE;
    }
    const int result = path != nullptr ? m_file->OpenWrite(*path) : m_file->OpenMemoryWrite();
    if (result == KST_OK) {
        // On disk the object's own type: the container's is 1 however it was asked for, and the
        // object made for type 7 or 8 writes that byte order.
        m_type = path != nullptr ? m_file->GetType() : row->memoryType;
    }
    return result;
}

// --- Recognition of images ---

int32_t CKSTMeasurementFile::DetectType(const uint8_t* image, size_t size)
{
    if (image == nullptr) {
        return KST_FILE_TEXT;
    }
    // Byte comparisons, not C strings: binary headers hold zero bytes (a little-endian
    // UniversalDataBinFile starts with one).
    const size_t n = std::min(size, kDetectBytes);
    if (StartsWith(image, n, kDocMagic)) {
        return KST_FILE_NATIVE;
    }
    static const char kUdbfWord[] = "UniversalDataBinFile";
    const size_t wordLength = sizeof kUdbfWord - 1;
    for (size_t i = 1; i + wordLength <= n; ++i) {
        if (std::memcmp(image + i, kUdbfWord, wordLength) == 0) {
            return KST_FILE_UDBF_BIG;
        }
    }
    if (StartsWith(image, n, "|CF,")) {
        return KST_FILE_FAMOS;
    }
    if (StartsWith(image, n, "DTDF")) {
        return KST_FILE_DASYLAB;
    }
    if (StartsWith(image, n, "MATLAB")) {
        return KST_FILE_MATLAB;
    }
    return KST_FILE_TEXT;
}

int32_t CKSTMeasurementFile::DetectType(const CKSTMemBuffer& image)
{
    return DetectType(image.GetData(), image.GetSize());
}

// --- Reading ---

int CKSTMeasurementFile::CheckOpen() const
{
    return m_file != nullptr ? m_file->CheckOpen() : KST_ERR_UNKNOWN_FILE_TYPE;
}

int CKSTMeasurementFile::ReadChannels(CKSTDataSet& dataSet, const CKSTChannelList* selection,
                                      bool textFlag, const CKSTTextFormat* textSettings)
{
    return WhenOpen(*this, [&] {
        return m_file->ReadDataSet(dataSet, selection, textFlag, textSettings);
    });
}

int CKSTMeasurementFile::ReadChannelList(CKSTChannelList& list, const CKSTTextFormat* textSettings)
{
    return WhenOpen(*this, [&] { return m_file->ReadChannelList(list, textSettings); });
}

// --- Writing ---

int CKSTMeasurementFile::WriteDataSet(const CKSTDataSet& dataSet,
                                      const CKSTTextFormat* textSettings)
{
    return WhenOpen(*this, [&] { return m_file->Write(dataSet, textSettings); });
}

int CKSTMeasurementFile::Write(const CKSTChannelList& channels, bool textFlag)
{
    return WhenOpen(*this, [&] { return m_file->WriteChannels(channels, textFlag); });
}

// --- Memory images ---

int CKSTMeasurementFile::SaveToMemory(CKSTMemBuffer& buffer)
{
    return WhenOpen(*this, [&] {
        const FileTypeRow* row = FindType(m_type);
        return row != nullptr && row->image ? m_file->GetMemory(buffer) : KST_ERR_UNKNOWN_FILE_TYPE;
    });
}

int CKSTMeasurementFile::LoadFromMemory(const CKSTMemBuffer& buffer)
{
    return WhenOpen(*this, [&] {
        const int result = m_file->SetMemory(buffer);
        if (result == KST_OK) {
            m_type = m_file->GetType();
        }
        return result;
    });
}

// --- Closing ---

int CKSTMeasurementFile::Close()
{
    const int result = KstGuarded([&] { return m_file != nullptr ? m_file->Close() : KST_OK; });
    m_file.reset();
    m_type = KST_FILE_NONE;
    return result;
}

void CKSTMeasurementFile::Discard() noexcept
{
    CloseAndDelete(m_file);
    m_type = KST_FILE_NONE;
}
