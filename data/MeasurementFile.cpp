#include "data/MeasurementFile.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "data/ErrorGuard.h"
#include "foundation/DataFile.h"
#include "foundation/ErrorCodes.h"

namespace {

template <class T>
void CloseAndDelete(std::unique_ptr<T>& object) noexcept
{
    if (object != nullptr) {
        try {
            object->Close();
        } catch (...) {
            // The object goes anyway; an open that failed has nothing worth reporting.
        }
        object.reset();
    }
}

// Installs the writer and opens it on the path, or in memory when there is no path.
template <class T>
int OpenWriterObject(std::unique_ptr<T>& slot, std::unique_ptr<T> object, const CKSTString* path)
{
    slot = std::move(object);
    if (slot == nullptr) {
        return KST_ERR_UNKNOWN_FILE_TYPE;
    }
    return path != nullptr ? slot->OpenWrite(*path) : slot->OpenMemoryWrite();
}

template <class T>
int OpenReaderObject(std::unique_ptr<T>& slot, std::unique_ptr<T> object, const CKSTString& path)
{
    slot = std::move(object);
    return slot != nullptr ? slot->OpenRead(path) : KST_ERR_UNKNOWN_FILE_TYPE;
}

// Channels at positions whose selection entry is not selected go; positions beyond the
// selection list keep their channels.
void RemoveUnselected(CKSTChannelList& channels, const CKSTChannelList& selection)
{
    for (int i = std::min(channels.GetCount(), selection.GetCount()) - 1; i >= 0; --i) {
        const CKSTChannel* entry = selection.GetAt(i);
        if (entry != nullptr && !entry->IsSelected()) {
            channels.RemoveAt(i);
        }
    }
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
    Close();
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
    file.Close();
    if (!StartsWith(head, n, signature->bytes)) {
        return false;
    }
    pictureType = signature->type;
    return true;
}

int CKSTMeasurementFile::Open(const CKSTString& path)
{
    // Callers are to close first; an object left open is closed rather than leaked.
    Close();
    const int result = KstGuarded([&] { return OpenByExtension(UnquotePath(path)); });
    if (result != KST_OK) {
        Discard();
    }
    return result;
}

int CKSTMeasurementFile::OpenByExtension(const CKSTString& path)
{
    const CKSTString extension = GetExtension(path);
    int result = KST_OK;
    int32_t type = KST_FILE_NONE;

    if (extension == "DAT" || extension == "RAW") {
        type = KST_FILE_FAMOS;
        result = OpenReaderObject(m_foreignFile, KstCreateForeignFile(type), path);
        if (result == KST_ERR_NOT_FAMOS) {
            CloseAndDelete(m_foreignFile);
            type = KST_FILE_UDBF_BIG;
            result = OpenReaderObject(m_foreignFile, KstCreateForeignFile(type), path);
        }
    } else if (extension == "KXD" || extension == "QLD" || extension == "ZRW") {
        result = OpenReaderObject(m_docFile, std::make_unique<CKSTDocFile>(), path);
        type = KST_FILE_NATIVE;
    } else if (extension == "WAV") {
        type = KST_FILE_WAV;
        result = OpenReaderObject(m_foreignFile, KstCreateForeignFile(type), path);
    } else if (extension == "DDF" || extension == "DDB") {
        type = KST_FILE_DASYLAB;
        result = OpenReaderObject(m_foreignFile, KstCreateForeignFile(type), path);
    } else if (extension == "MAT" || extension == "FIG") {
        type = KST_FILE_MATLAB;
        result = OpenReaderObject(m_foreignFile, KstCreateForeignFile(type), path);
    } else if (extension == "DBL") {
        result = OpenReaderObject(m_float64File,
                                  std::make_unique<CKSTRawFile>(CKSTRawFile::kFloat64), path);
        type = KST_FILE_RAW_F64;
    } else if (extension == "FLT") {
        result = OpenReaderObject(m_float32File,
                                  std::make_unique<CKSTRawFile>(CKSTRawFile::kFloat32), path);
        type = KST_FILE_RAW_F32;
    } else if (extension == "BBL") {
        result = OpenReaderObject(m_recordFile, std::make_unique<CKSTRecordFile>(), path);
        type = KST_FILE_RECORD;
    } else {
        int32_t pictureType;
        if (IsPictureFile(path, pictureType)) {
            return KST_ERR_PICTURE_FILE;
        }
        type = KST_FILE_TEXT;
        result = OpenReaderObject(m_foreignFile, KstCreateForeignFile(type), path);
    }
    if (result == KST_OK) {
        m_type = type;
    }
    return result;
}

int CKSTMeasurementFile::OpenWrite(const CKSTString& path, int32_t type)
{
    Close();
    const int result = KstGuarded([&] { return OpenWriter(&path, type); });
    if (result != KST_OK) {
        Discard();
    }
    return result;
}

int CKSTMeasurementFile::OpenMemory(int32_t type)
{
    Close();
    const int result = KstGuarded([&] { return OpenWriter(nullptr, type); });
    if (result != KST_OK) {
        Discard();
    }
    return result;
}

int CKSTMeasurementFile::OpenWriter(const CKSTString* path, int32_t type)
{
    int result = KST_OK;
    int32_t openedType = type;
    switch (type) {
        case KST_FILE_NATIVE:
        case KST_FILE_NATIVE_ZRW:
            result = OpenWriterObject(m_docFile, std::make_unique<CKSTDocFile>(), path);
            openedType = KST_FILE_NATIVE;
            break;
        case KST_FILE_TEXT:
        case KST_FILE_FAMOS:
        case KST_FILE_DASYLAB:
        case KST_FILE_MATLAB:
        case KST_FILE_WAV:
            result = OpenWriterObject(m_foreignFile, KstCreateForeignFile(type), path);
            break;
        case KST_FILE_UDBF_BIG:
        case KST_FILE_UDBF_LITTLE:
            // The object made for type 7 or 8 writes that byte order.
            result = OpenWriterObject(m_foreignFile, KstCreateForeignFile(type), path);
            if (path == nullptr) {
                openedType = KST_FILE_UDBF_BIG;
            }
            break;
        case KST_FILE_RECORD:
            result = OpenWriterObject(m_recordFile, std::make_unique<CKSTRecordFile>(), path);
            break;
        default:
            return KST_ERR_UNKNOWN_FILE_TYPE;
    }
    if (result == KST_OK) {
        m_type = openedType;
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
    switch (m_type) {
        case KST_FILE_NATIVE:
        case KST_FILE_NATIVE_ZRW:
            return m_docFile != nullptr ? KST_OK : KST_ERR_FILE_NOT_OPEN;
        case KST_FILE_TEXT:
        case KST_FILE_DASYLAB:
            return m_foreignFile != nullptr && m_foreignFile->IsOpen() ? KST_OK
                                                                       : KST_ERR_FILE_NOT_OPEN;
        case KST_FILE_FAMOS:
        case KST_FILE_MATLAB:
        case KST_FILE_UDBF_BIG:
        case KST_FILE_UDBF_LITTLE:
        case KST_FILE_WAV:
            return m_foreignFile != nullptr ? KST_OK : KST_ERR_FILE_NOT_OPEN;
        case KST_FILE_RAW_F64:
            return m_float64File != nullptr ? KST_OK : KST_ERR_FILE_NOT_OPEN;
        case KST_FILE_RAW_F32:
            return m_float32File != nullptr ? KST_OK : KST_ERR_FILE_NOT_OPEN;
        case KST_FILE_RECORD:
            return m_recordFile != nullptr ? KST_OK : KST_ERR_FILE_NOT_OPEN;
        default:
            return KST_ERR_UNKNOWN_FILE_TYPE;
    }
}

int CKSTMeasurementFile::ReadChannels(CKSTDataSet& dataSet, const CKSTChannelList* selection,
                                      bool textFlag, const CKSTTextFormat* textSettings)
{
    return KstGuarded([&] {
        const int check = CheckOpen();
        return check != KST_OK ? check : ReadByType(dataSet, selection, textFlag, textSettings);
    });
}

int CKSTMeasurementFile::ReadByType(CKSTDataSet& dataSet, const CKSTChannelList* selection,
                                    bool textFlag, const CKSTTextFormat* textSettings)
{
    int result = KST_OK;
    switch (m_type) {
        case KST_FILE_NATIVE:
        case KST_FILE_NATIVE_ZRW: {
            uint8_t newerKinds = 0;
            result = m_docFile->ReadDataSet(dataSet, selection, &newerKinds);
            if ((result == KST_OK || result == KST_ERR_NO_SETTINGS) && newerKinds != 0) {
                result = KST_ERR_NEWER_KINDS;
            }
            return result;
        }
        case KST_FILE_UDBF_BIG:
        case KST_FILE_UDBF_LITTLE:
            return m_foreignFile->Read(dataSet, selection, textFlag);
        case KST_FILE_TEXT:
        case KST_FILE_FAMOS:
        case KST_FILE_DASYLAB:
        case KST_FILE_MATLAB:
        case KST_FILE_WAV:
            // Every read states its options, so none linger from an earlier call.
            m_foreignFile->SetReadSettings(textSettings);
            // These readers take every channel; the unselected ones go below.
            result = m_foreignFile->Read(dataSet, nullptr, textFlag);
            break;
        case KST_FILE_RAW_F64:
            result = m_float64File->Read(dataSet);
            break;
        case KST_FILE_RAW_F32:
            result = m_float32File->Read(dataSet);
            break;
        case KST_FILE_RECORD:
            result = m_recordFile->Read(dataSet);
            break;
        default:
            return KST_ERR_UNKNOWN_FILE_TYPE;
    }
    if (result == KST_OK && selection != nullptr) {
        RemoveUnselected(dataSet.GetChannels(), *selection);
    }
    return result;
}

int CKSTMeasurementFile::ReadChannelList(CKSTChannelList& list, const CKSTTextFormat* textSettings)
{
    return KstGuarded([&] {
        const int check = CheckOpen();
        return check != KST_OK ? check : ReadChannelListByType(list, textSettings);
    });
}

int CKSTMeasurementFile::ReadChannelListByType(CKSTChannelList& list,
                                               const CKSTTextFormat* textSettings)
{
    if (m_type == KST_FILE_NATIVE || m_type == KST_FILE_NATIVE_ZRW) {
        CKSTChannelList channels;
        uint8_t newerKinds = 0;
        int result = m_docFile->ReadChannelRecords(channels, false, &newerKinds);
        if (result == KST_OK && newerKinds != 0) {
            result = KST_ERR_NEWER_KINDS;
        }
        if (result == KST_OK || result == KST_ERR_NEWER_KINDS) {
            list.CopyDeep(channels);
        }
        return result;
    }
    if (m_type == KST_FILE_UDBF_BIG || m_type == KST_FILE_UDBF_LITTLE) {
        CKSTChannelList channels;
        const int result = m_foreignFile->ReadChannelInfo(channels);
        if (result == KST_OK) {
            list.CopyDeep(channels);
        }
        return result;
    }
    CKSTDataSet dataSet;
    const int result = ReadByType(dataSet, nullptr, false, textSettings);
    if (result == KST_OK) {
        list.CopyDeep(dataSet.GetChannels());
    }
    return result;
}

// --- Writing ---

int CKSTMeasurementFile::WriteDataSet(const CKSTDataSet& dataSet,
                                      const CKSTTextFormat* textSettings)
{
    return KstGuarded([&] {
        const int check = CheckOpen();
        return check != KST_OK ? check : WriteDataSetByType(dataSet, textSettings);
    });
}

int CKSTMeasurementFile::WriteDataSetByType(const CKSTDataSet& dataSet,
                                            const CKSTTextFormat* textSettings)
{
    switch (m_type) {
        case KST_FILE_NATIVE:
        case KST_FILE_NATIVE_ZRW:
            return m_docFile->WriteDataSet(dataSet, true);
        case KST_FILE_TEXT:
        case KST_FILE_FAMOS:
        case KST_FILE_DASYLAB:
        case KST_FILE_MATLAB:
        case KST_FILE_UDBF_BIG:
        case KST_FILE_UDBF_LITTLE:
        case KST_FILE_WAV:
            return m_foreignFile->Write(dataSet, textSettings);
        case KST_FILE_RECORD:
            return WriteByType(dataSet.GetChannels(), false);
        default:
            return KST_ERR_UNKNOWN_FILE_TYPE;
    }
}

int CKSTMeasurementFile::Write(const CKSTChannelList& channels, bool textFlag)
{
    return KstGuarded([&] {
        const int check = CheckOpen();
        return check != KST_OK ? check : WriteByType(channels, textFlag);
    });
}

int CKSTMeasurementFile::WriteByType(const CKSTChannelList& channels, bool textFlag)
{
    switch (m_type) {
        case KST_FILE_NATIVE:
        case KST_FILE_NATIVE_ZRW:
            return m_docFile->WriteChannels(channels, true);
        case KST_FILE_TEXT:
        case KST_FILE_FAMOS:
        case KST_FILE_DASYLAB:
        case KST_FILE_MATLAB:
        case KST_FILE_UDBF_BIG:
        case KST_FILE_UDBF_LITTLE:
        case KST_FILE_WAV:
            return m_foreignFile->WriteChannels(channels, textFlag);
        case KST_FILE_RECORD: {
            // The record writer makes time vectors equidistant in place; the caller's channels
            // (the open document's, say) must not change by being saved.
            CKSTChannelList copy;
            copy.CopyFrom(channels);
            return m_recordFile->WriteBinaryRecordFile(copy);
        }
        default:
            return KST_ERR_UNKNOWN_FILE_TYPE;
    }
}

// --- Memory images ---

int CKSTMeasurementFile::SaveToMemory(CKSTMemBuffer& buffer)
{
    return KstGuarded([&] {
        const int check = CheckOpen();
        return check != KST_OK ? check : SaveToMemoryByType(buffer);
    });
}

int CKSTMeasurementFile::SaveToMemoryByType(CKSTMemBuffer& buffer)
{
    switch (m_type) {
        case KST_FILE_NATIVE:
        case KST_FILE_NATIVE_ZRW:
            // A container written to disk has no image to hand out.
            if (!m_docFile->IsInMemory()) {
                return KST_ERR_UNKNOWN_FILE_TYPE;
            }
            m_docFile->GetMemory(buffer);
            return KST_OK;
        case KST_FILE_TEXT:
        case KST_FILE_FAMOS:
        case KST_FILE_DASYLAB:
        case KST_FILE_MATLAB:
        case KST_FILE_WAV:
            return m_foreignFile->GetMemory(buffer);
        default:
            return KST_ERR_UNKNOWN_FILE_TYPE;
    }
}

int CKSTMeasurementFile::LoadFromMemory(const CKSTMemBuffer& buffer)
{
    return KstGuarded([&] {
        const int check = CheckOpen();
        return check != KST_OK ? check : LoadFromMemoryByType(buffer);
    });
}

int CKSTMeasurementFile::LoadFromMemoryByType(const CKSTMemBuffer& buffer)
{
    switch (m_type) {
        case KST_FILE_NATIVE:
        case KST_FILE_NATIVE_ZRW:
            m_docFile->SetMemory(buffer);
            return m_docFile->OpenMemoryRead();
        case KST_FILE_TEXT:
        case KST_FILE_FAMOS:
        case KST_FILE_DASYLAB:
        case KST_FILE_MATLAB:
        case KST_FILE_WAV:
            return m_foreignFile->SetMemory(buffer);
        case KST_FILE_UDBF_BIG:
        case KST_FILE_UDBF_LITTLE: {
            const int result = m_foreignFile->SetMemory(buffer);
            if (result == KST_OK) {
                m_type = m_foreignFile->GetType();
            }
            return result;
        }
        case KST_FILE_RECORD:
            m_recordFile->SetMemory(buffer);
            return m_recordFile->OpenMemoryRead();
        default:
            return KST_ERR_UNKNOWN_FILE_TYPE;
    }
}

// --- Closing ---

int CKSTMeasurementFile::Close()
{
    const int result = KstGuarded([&] { return CloseObject(); });
    Release();
    return result;
}

int CKSTMeasurementFile::CloseObject()
{
    switch (m_type) {
        case KST_FILE_NATIVE:
        case KST_FILE_NATIVE_ZRW:
            return m_docFile != nullptr ? m_docFile->Close() : KST_OK;
        case KST_FILE_TEXT:
        case KST_FILE_FAMOS:
        case KST_FILE_DASYLAB:
        case KST_FILE_MATLAB:
        case KST_FILE_UDBF_BIG:
        case KST_FILE_UDBF_LITTLE:
        case KST_FILE_WAV:
            return m_foreignFile != nullptr ? m_foreignFile->Close() : KST_OK;
        case KST_FILE_RAW_F64:
            return m_float64File != nullptr ? m_float64File->Close() : KST_OK;
        case KST_FILE_RAW_F32:
            return m_float32File != nullptr ? m_float32File->Close() : KST_OK;
        case KST_FILE_RECORD:
            return m_recordFile != nullptr ? m_recordFile->Close() : KST_OK;
        default:
            return KST_OK;
    }
}

void CKSTMeasurementFile::Discard() noexcept
{
    CloseAndDelete(m_docFile);
    CloseAndDelete(m_recordFile);
    CloseAndDelete(m_float64File);
    CloseAndDelete(m_float32File);
    CloseAndDelete(m_foreignFile);
    m_type = KST_FILE_NONE;
}

void CKSTMeasurementFile::Release() noexcept
{
    m_docFile.reset();
    m_recordFile.reset();
    m_float64File.reset();
    m_float32File.reset();
    m_foreignFile.reset();
    m_type = KST_FILE_NONE;
}
