#pragma once
// A file of a foreign format (text table, FAMOS, DASYLab, MAT, UniversalDataBinFile, WAV) as the
// measurement-file object drives it: one object per file, made for a file type by the foreign
// format factory, used, closed and deleted by CKSTMeasurementFile, which passes every result up
// unchanged.
//
// The formats live above this library: the program installs their factory at start-up, so this
// library never links them. Without a factory no foreign format can be opened.

#include <cstdint>
#include <memory>

#include "foundation/MemBuffer.h"
#include "foundation/String.h"

class CKSTChannelList;
class CKSTDataSet;
class CKSTTextFormat;

class CKSTForeignFile {
public:
    // The measurement-file type (KstFileType) the object reads or writes.
    explicit CKSTForeignFile(int32_t type) : m_type(type) {}
    virtual ~CKSTForeignFile() = default;
    CKSTForeignFile(const CKSTForeignFile&) = delete;
    CKSTForeignFile& operator=(const CKSTForeignFile&) = delete;

    // Opens the file for reading and checks what the format can tell at once. A DASYLab or
    // UniversalDataBinFile object derives its companion file from the path and opens both.
    virtual int OpenRead(const CKSTString& path) = 0;
    virtual int OpenWrite(const CKSTString& path) = 0;
    virtual int OpenMemoryWrite() = 0;
    // The image an object opened in memory has written.
    virtual int GetMemory(CKSTMemBuffer& buffer);
    // Gives the object an image to read.
    virtual int SetMemory(const CKSTMemBuffer& buffer) = 0;
    // Closes the file and resets the object's settings.
    virtual int Close() = 0;
    // A file or memory image is open. The measurement-file object asks only the formats whose
    // open check needs it (text and DASYLab).
    virtual bool IsOpen() const = 0;

    // Channels and header into the data set, whose name becomes the path. The selection lists
    // the channels wanted by position: the UniversalDataBinFile reader leaves out the unselected
    // ones itself; the other readers are given none and the measurement-file object removes
    // them afterwards. The text flag is the caller's and concerns text tables only.
    virtual int Read(CKSTDataSet& dataSet, const CKSTChannelList* selection, bool textFlag) = 0;
    // The reading options of a text table for the next Read (null: the table's layout is
    // detected); the other formats have none.
    virtual void SetReadSettings(const CKSTTextFormat* /*settings*/) {}
    // The channel descriptions without samples, for formats that can give them without reading
    // the samples.
    virtual int ReadChannelInfo(CKSTChannelList& channels);
    // A text table writes in the dialect of the settings when they are given, else with its
    // defaults; other formats have no settings.
    virtual int Write(const CKSTDataSet& dataSet, const CKSTTextFormat* textSettings) = 0;
    virtual int WriteChannels(const CKSTChannelList& channels, bool textFlag) = 0;

    // A UniversalDataBinFile image tells its byte order (type 7 or 8) once it is loaded.
    int32_t GetType() const { return m_type; }

protected:
    void SetType(int32_t type) { m_type = type; }

private:
    int32_t m_type;
};

// Makes the object for a file type; null when the type has no foreign format here.
using KstForeignFileFactory = std::unique_ptr<CKSTForeignFile> (*)(int32_t type);

// The factory that measurement-file objects use from their next open on; null removes it. Set it
// at start-up, before any file is opened.
void KstSetForeignFileFactory(KstForeignFileFactory factory);
std::unique_ptr<CKSTForeignFile> KstCreateForeignFile(int32_t type);
