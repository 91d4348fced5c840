#pragma once
// The format objects of the foreign file formats, as the measurement-file object drives them:
// one object per file, created, used, closed and deleted by CKSTMeasurementFile, which passes
// their results up unchanged. A format not built into this program answers every operation
// with KST_ERR_UNKNOWN_FILE_TYPE (closing succeeds, nothing is ever open).
//
// The operations are virtual and the objects are made through a KstFormatFactory, so that the
// format implementations can be supplied from outside this library without it linking to them,
// and tests can supply their own.

#include <cstdint>
#include <memory>

#include "foundation/MemBuffer.h"
#include "foundation/String.h"

class CKSTChannelList;
class CKSTDataSet;
class CKSTTextFormat;

// Text or CSV table.
class CKSTTextDataFile {
public:
    CKSTTextDataFile() = default;
    virtual ~CKSTTextDataFile() = default;
    CKSTTextDataFile(const CKSTTextDataFile&) = delete;
    CKSTTextDataFile& operator=(const CKSTTextDataFile&) = delete;

    // Reads the whole file for parsing; KST_ERR_OPEN_FAILED when it cannot be opened.
    virtual int OpenRead(const CKSTString& path);
    virtual int OpenWrite(const CKSTString& path);
    virtual int OpenMemoryWrite();
    virtual int GetMemory(CKSTMemBuffer& buffer);
    virtual int SetMemory(const CKSTMemBuffer& buffer);
    // Closes and resets the settings.
    virtual int Close();
    // A file or memory image is open.
    virtual bool IsOpen() const;
    // Channels and header into the data set, whose name becomes the path.
    virtual int Read(CKSTDataSet& dataSet, bool textFlag);
    // Default settings.
    virtual int Write(const CKSTDataSet& dataSet);
    // The dialect of the settings' format code; KST_ERR_FILE_NOT_OPEN,
    // KST_ERR_NOT_OPEN_FOR_WRITING.
    virtual int WriteByFormat(const CKSTDataSet& dataSet, const CKSTTextFormat& settings);
    virtual int WriteChannelsByFormat(const CKSTChannelList& channels, bool textFlag);
};

// FAMOS.
class CKSTFamosFile {
public:
    CKSTFamosFile() = default;
    virtual ~CKSTFamosFile() = default;
    CKSTFamosFile(const CKSTFamosFile&) = delete;
    CKSTFamosFile& operator=(const CKSTFamosFile&) = delete;

    // KST_ERR_NOT_FAMOS when the file does not start with "|CF,".
    virtual int OpenRead(const CKSTString& path);
    virtual int OpenWrite(const CKSTString& path);
    virtual int OpenMemoryWrite();
    virtual int GetMemory(CKSTMemBuffer& buffer);
    virtual int SetMemory(const CKSTMemBuffer& buffer);
    virtual int Close();
    virtual int Read(CKSTDataSet& dataSet);
    virtual int Write(const CKSTDataSet& dataSet);
    virtual int WriteChannels(const CKSTChannelList& channels);
};

// DASYLab pair of a description (".ddf") and a data (".ddb") file.
class CKSTDasylabFile {
public:
    CKSTDasylabFile() = default;
    virtual ~CKSTDasylabFile() = default;
    CKSTDasylabFile(const CKSTDasylabFile&) = delete;
    CKSTDasylabFile& operator=(const CKSTDasylabFile&) = delete;

    // Derives the companion name from either one and opens both.
    virtual int OpenRead(const CKSTString& path);
    virtual int OpenWrite(const CKSTString& path);
    virtual int OpenMemoryWrite();
    virtual int GetMemory(CKSTMemBuffer& buffer);
    virtual int SetMemory(const CKSTMemBuffer& buffer);
    virtual int Close();
    virtual bool IsOpen() const;
    virtual int Read(CKSTDataSet& dataSet);
    virtual int Write(const CKSTDataSet& dataSet);
    virtual int WriteChannels(const CKSTChannelList& channels);
};

// MATLAB Level-5 MAT file (also ".fig").
class CKSTMatFile {
public:
    CKSTMatFile() = default;
    virtual ~CKSTMatFile() = default;
    CKSTMatFile(const CKSTMatFile&) = delete;
    CKSTMatFile& operator=(const CKSTMatFile&) = delete;

    // Sets the figure flag by the extension and reads the header.
    virtual int OpenRead(const CKSTString& path);
    virtual int OpenWrite(const CKSTString& path);
    virtual int OpenMemoryWrite();
    virtual int GetMemory(CKSTMemBuffer& buffer);
    virtual int SetMemory(const CKSTMemBuffer& buffer);
    virtual int Close();
    virtual int Read(CKSTDataSet& dataSet);
    virtual int Write(const CKSTDataSet& dataSet);
    virtual int WriteChannels(const CKSTChannelList& channels);
};

// UniversalDataBinFile buffer file of the acquisition controllers.
class CKSTUdbfFile {
public:
    CKSTUdbfFile() = default;
    virtual ~CKSTUdbfFile() = default;
    CKSTUdbfFile(const CKSTUdbfFile&) = delete;
    CKSTUdbfFile& operator=(const CKSTUdbfFile&) = delete;

    // Pairs the data and description file names and opens them.
    virtual int Open(const CKSTString& path);
    // One combined file.
    virtual int OpenWrite(const CKSTString& path);
    virtual int OpenMemoryWrite();
    // Reads the image's header: the byte-order flag follows it; a version outside 102 to 107
    // is refused.
    virtual int SetMemory(const CKSTMemBuffer& buffer);
    virtual int Close();
    // All samples of the selected channels; the data set's name becomes the path.
    virtual int Read(CKSTDataSet& dataSet, const CKSTChannelList* selection);
    // Channel descriptions without samples.
    virtual int ReadChannelInfo(CKSTChannelList& channels);
    virtual int Write(const CKSTDataSet& dataSet);
    virtual int WriteChannels(const CKSTChannelList& channels);

    // 1 for the byte order of type 7, 0 for that of type 8.
    uint8_t GetByteOrder() const { return m_byteOrder; }
    void SetByteOrder(uint8_t flag) { m_byteOrder = flag; }

protected:
    uint8_t m_byteOrder = 0;
};

// WAV sound file; written as 16-bit PCM.
class CKSTWavFile {
public:
    CKSTWavFile() = default;
    virtual ~CKSTWavFile() = default;
    CKSTWavFile(const CKSTWavFile&) = delete;
    CKSTWavFile& operator=(const CKSTWavFile&) = delete;

    virtual int OpenRead(const CKSTString& path);
    virtual int OpenWrite(const CKSTString& path);
    virtual int OpenMemoryWrite();
    virtual int GetMemory(CKSTMemBuffer& buffer);
    virtual int SetMemory(const CKSTMemBuffer& buffer);
    virtual int Close();
    // Channels; the data set's name becomes the path.
    virtual int Read(CKSTDataSet& dataSet);
    virtual int Write(const CKSTDataSet& dataSet);
    virtual int WriteChannels(const CKSTChannelList& channels);
};

// Makes the format objects. Every member must be set.
struct KstFormatFactory {
    std::unique_ptr<CKSTTextDataFile> (*createText)();
    std::unique_ptr<CKSTFamosFile> (*createFamos)();
    std::unique_ptr<CKSTDasylabFile> (*createDasylab)();
    std::unique_ptr<CKSTMatFile> (*createMat)();
    std::unique_ptr<CKSTUdbfFile> (*createUdbf)();
    std::unique_ptr<CKSTWavFile> (*createWav)();
};

// The objects of this file's classes.
const KstFormatFactory& KstGetBuiltInFormatFactory();
// The factory that measurement-file objects use from their next open on; null restores the
// built-in one. Set it at start-up, before any file is opened: the factory itself is kept by
// pointer and must outlive its use.
void KstSetFormatFactory(const KstFormatFactory* factory);
const KstFormatFactory& KstGetFormatFactory();
