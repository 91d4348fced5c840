#include "formats/TextDataFile.h"

#include "foundation/ErrorCodes.h"
#include "foundation/FileReplace.h"

CKSTTextDataFile::CKSTTextDataFile()
    : CKSTStreamFormatFile(3), m_loaded(false), m_hasReadSettings(false)
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

int CKSTTextDataFile::OpenStream(const CKSTString& path, KstOpenMode mode)
{
    return m_stream.Open(path, mode) == KST_OK ? KST_OK : KST_ERR_OPEN_FAILED;
}

int CKSTTextDataFile::ReadHead(const CKSTString& path)
{
    // The image stays in the view, or in the stream's memory buffer, once the file is closed.
    int result = KST_OK;
    const int64_t size = m_stream.GetSize();
    if (size > CKSTMemBuffer::kMaxSize) {
        result = KST_ERR_TOO_LARGE;
    } else if (size <= 0 || !m_view.Map(m_stream.GetFile(), static_cast<size_t>(size))) {
        result = m_stream.LoadFileToMemory();
    }
    if (result != KST_OK) {
        return result == KST_ERR_TOO_LARGE ? result : KST_ERR_OPEN_FAILED;
    }
    m_writeTime = m_stream.GetWriteTime();
    static_cast<void>(m_stream.Close());
    m_path = path;
    m_loaded = true;
    return KST_OK;
}

void CKSTTextDataFile::StartWrite(const CKSTString& path)
{
    // A table saved through a temporary file names the file it becomes.
    m_path = KstSavedFileOf(path);
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

bool CKSTTextDataFile::IsOpen() const
{
    return m_loaded || m_stream.IsOpen();
}

int CKSTTextDataFile::CheckOpen() const
{
    return IsOpen() ? KST_OK : KST_ERR_FILE_NOT_OPEN;
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
