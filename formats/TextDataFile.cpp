#include "formats/TextDataFile.h"

#include <cstdio>

#include "foundation/ErrorCodes.h"
#include "foundation/FileReplace.h"

int CKSTTextDataFile::Stream::Flush()
{
    if (m_inMemory != 0 || m_file == nullptr) {
        return KST_OK;
    }
    return std::fflush(m_file) == 0 && std::ferror(m_file) == 0 ? KST_OK
                                                                  : KST_ERR_SHORT_TRANSFER;
}

CKSTTextDataFile::CKSTTextDataFile()
    : CKSTForeignFile(3), m_loaded(false), m_hasReadSettings(false)
{
    Reset();
}

CKSTTextDataFile::~CKSTTextDataFile() = default;

void CKSTTextDataFile::ResetAnalysis()
{
    m_headerLength = -1;
    m_sampleCount = 100;
    m_groupLine = -1;
    m_nameLine = -1;
    m_unitLine = -1;
    m_headerKeyword = -1;
    m_separator = ',';
    m_lineEnd = "\n";
    m_format = KST_TEXT_NONE;
    m_lines.clear();
}

void CKSTTextDataFile::Reset()
{
    m_view.Unmap();
    m_stream.GetMemoryBuffer().Free();
    m_loaded = false;
    m_rolesKnown = false;
    m_roleGroup = -1;
    m_roleName = -1;
    m_roleUnit = -1;
    m_channelCount = 0;
    m_timeBaseCount = 0;
    m_timeColumn = -1;
    m_dateAxis = false;
    m_timeUnit.Empty();
    m_path.Empty();
    m_writeTime.SetZero();
    ResetAnalysis();
}

const char* CKSTTextDataFile::Content() const
{
    return m_view.IsMapped() ? m_view.GetData()
                             : reinterpret_cast<const char*>(m_stream.GetMemoryBuffer().GetData());
}

size_t CKSTTextDataFile::ContentSize() const
{
    return m_view.IsMapped() ? m_view.GetSize() : m_stream.GetMemoryBuffer().GetSize();
}

int CKSTTextDataFile::OpenRead(const CKSTString& path)
{
    Close();
    // The image stays in the view, or in the stream's memory buffer, once the file is closed.
    int result = m_stream.Open(path, KST_OPEN_READ);
    if (result == KST_OK) {
        const int64_t size = m_stream.GetSize();
        if (size > CKSTMemBuffer::kMaxSize) {
            result = KST_ERR_TOO_LARGE;
        } else if (size <= 0 || !m_view.Map(m_stream.GetFile(), static_cast<size_t>(size))) {
            result = m_stream.LoadFileToMemory();
        }
    }
    if (result != KST_OK) {
        m_stream.Close();
        Reset();
        return result == KST_ERR_TOO_LARGE ? result : KST_ERR_OPEN_FAILED;
    }
    m_writeTime = m_stream.GetWriteTime();
    m_stream.Close();
    m_path = path;
    m_loaded = true;
    return KST_OK;
}

int CKSTTextDataFile::OpenWrite(const CKSTString& path)
{
    Close();
    if (m_stream.Open(path, KST_OPEN_WRITE) != KST_OK) {
        Reset();
        return KST_ERR_OPEN_FAILED;
    }
    // A table saved through a temporary file names the file it becomes.
    m_path = KstSavedFileOf(path);
    return KST_OK;
}

int CKSTTextDataFile::OpenMemoryWrite()
{
    Close();
    if (m_stream.OpenMemoryWrite() != KST_OK) {
        Reset();
        return KST_ERR_OPEN_FAILED;
    }
    return KST_OK;
}

int CKSTTextDataFile::GetMemory(CKSTMemBuffer& buffer)
{
    if (m_stream.IsOpen() && m_stream.IsInMemory()) {
        m_stream.GetMemory(buffer);
        return KST_OK;
    }
    if (m_loaded && m_view.IsMapped()) {
        buffer.Free();
        if (buffer.Write(m_view.GetData(), 1, static_cast<uint32_t>(m_view.GetSize())) !=
            m_view.GetSize()) {
            return KST_ERR_TOO_LARGE;
        }
        buffer.SetPosition(0);
        return KST_OK;
    }
    if (m_loaded) {
        buffer = m_stream.GetMemoryBuffer();
        return KST_OK;
    }
    return KST_ERR_FILE_NOT_OPEN;
}

int CKSTTextDataFile::SetMemory(const CKSTMemBuffer& buffer)
{
    m_view.Unmap();
    m_stream.SetMemory(buffer);
    m_loaded = true;
    ResetAnalysis();
    return KST_OK;
}

int CKSTTextDataFile::Close()
{
    const int result = m_stream.IsOpen() ? m_stream.Close() : KST_OK;
    Reset();
    return result;
}

bool CKSTTextDataFile::IsOpen() const
{
    return m_loaded || m_stream.IsOpen();
}

void CKSTTextDataFile::SetReadSettings(const CKSTTextFormat* settings)
{
    m_hasReadSettings = settings != nullptr;
    m_readSettings = settings != nullptr ? *settings : CKSTTextFormat();
}

int CKSTTextDataFile::Read(CKSTDataSet& dataSet, const CKSTChannelList*, bool)
{
    dataSet.Clear(false);
    int result = ReadAll(dataSet.GetChannels());
    if (result != KST_OK) {
        dataSet.Clear(false);
        return result;
    }
    result = ReadHeaderInfo(dataSet.GetHeader());
    dataSet.SetName(m_path);
    return result;
}
