#pragma once
// A format whose file is one byte stream, on disk or as a memory image: the stream and its
// opening, image and closing, the same for every such format. A format reads its head through
// ReadHead once the stream is open for reading; a head it refuses closes the file again, so a
// failed open leaves nothing open.

#include <cstdint>

#include "data/MeasurementFileFormat.h"
#include "formats/FormatStream.h"
#include "foundation/DataFile.h"
#include "foundation/MemBuffer.h"
#include "foundation/String.h"

class CKSTStreamFormatFile : public IKSTMeasurementFile {
public:
    // Every open closes what was open first.
    [[nodiscard]] int OpenRead(const CKSTString& path) override;
    [[nodiscard]] int OpenWrite(const CKSTString& path) override;
    [[nodiscard]] int OpenMemoryWrite() override;
    // The stream's image.
    [[nodiscard]] int GetMemory(CKSTMemBuffer& buffer) override;
    // The image is copied and read from its start.
    [[nodiscard]] int SetMemory(const CKSTMemBuffer& buffer) override;
    // The stream's close result: a file whose last writes failed reports KST_ERR_SHORT_TRANSFER.
    [[nodiscard]] int Close() override;
    bool IsOpen() const override { return m_stream.IsOpen(); }

protected:
    explicit CKSTStreamFormatFile(int32_t type) : IKSTMeasurementFile(type) {}

    // Opens the stream on the path; the result is the open's.
    [[nodiscard]] virtual int OpenStream(const CKSTString& path, KstOpenMode mode);
    // What the format checks and keeps of the start of the file or image just opened for
    // reading, the stream at its start; the path is empty for an image.
    [[nodiscard]] virtual int ReadHead(const CKSTString& path) = 0;
    // The stream has been opened for writing; the path is empty for an image.
    virtual void StartWrite(const CKSTString& /*path*/) {}
    // Forgets what the format kept of the file; the stream has been closed.
    virtual void Reset() {}

    CKSTFormatStream m_stream;

private:
    // The head of what was opened for reading, or the open's error.
    [[nodiscard]] int ReadOpened(int opened, const CKSTString& path);
    [[nodiscard]] int WriteOpened(int opened, const CKSTString& path);
};
