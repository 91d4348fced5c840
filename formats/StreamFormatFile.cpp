#include "formats/StreamFormatFile.h"

#include "formats/ByteStream.h"
#include "foundation/ErrorCodes.h"

int CKSTStreamFormatFile::OpenRead(const CKSTString& path)
{
    static_cast<void>(Close());
    return ReadOpened(OpenStream(path, KST_OPEN_READ), path);
}

int CKSTStreamFormatFile::OpenWrite(const CKSTString& path)
{
    static_cast<void>(Close());
    return WriteOpened(OpenStream(path, KST_OPEN_WRITE), path);
}

int CKSTStreamFormatFile::OpenMemoryWrite()
{
    static_cast<void>(Close());
    return WriteOpened(m_stream.OpenMemoryWrite(), CKSTString());
}

int CKSTStreamFormatFile::GetMemory(CKSTMemBuffer& buffer)
{
    m_stream.GetMemory(buffer);
    return KST_OK;
}

int CKSTStreamFormatFile::SetMemory(const CKSTMemBuffer& buffer)
{
    static_cast<void>(Close());
    KstCopyMemoryImage(m_stream, buffer);
    return ReadOpened(m_stream.OpenMemoryRead(), CKSTString());
}

int CKSTStreamFormatFile::Close()
{
    const int result = m_stream.Close();
    Reset();
    return result;
}

int CKSTStreamFormatFile::OpenStream(const CKSTString& path, KstOpenMode mode)
{
    return m_stream.Open(path, mode);
}

int CKSTStreamFormatFile::ReadOpened(int opened, const CKSTString& path)
{
    if (opened != KST_OK) {
        return opened;
    }
    const int head = ReadHead(path);
    if (head != KST_OK) {
        static_cast<void>(Close());
    }
    return head;
}

int CKSTStreamFormatFile::WriteOpened(int opened, const CKSTString& path)
{
    if (opened == KST_OK) {
        StartWrite(path);
    }
    return opened;
}
