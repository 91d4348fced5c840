#pragma once
// A file of one type as the measurement-file object drives it: one object per file, made for a
// file type, used, closed and deleted by CKSTMeasurementFile, which passes every result up
// unchanged. This library's own formats (the native container, the record file, the raw sample
// files) implement it beside CKSTMeasurementFile; the foreign formats (text table, FAMOS,
// DASYLab, MAT, UniversalDataBinFile, WAV) live above this library: the program installs their
// factory at start-up, so this library never links them. Without a factory no foreign format
// can be opened.

#include <cstdint>
#include <memory>

#include "foundation/MemBuffer.h"
#include "foundation/String.h"

class CKSTChannelList;
class CKSTDataSet;
class CKSTTextFormat;

class IKSTMeasurementFile {
public:
    // The measurement-file type (KstFileType) the object reads or writes.
    explicit IKSTMeasurementFile(int32_t type) : m_type(type) {}
    virtual ~IKSTMeasurementFile() = default;
    IKSTMeasurementFile(const IKSTMeasurementFile&) = delete;
    IKSTMeasurementFile& operator=(const IKSTMeasurementFile&) = delete;

    // Opens the file for reading and checks what the format can tell at once. A DASYLab or
    // UniversalDataBinFile object derives its companion file from the path and opens both.
    [[nodiscard]] virtual int OpenRead(const CKSTString& path) = 0;
    [[nodiscard]] virtual int OpenWrite(const CKSTString& path) = 0;
    [[nodiscard]] virtual int OpenMemoryWrite() = 0;
    // The image an object opened in memory has written; KST_ERR_UNKNOWN_FILE_TYPE for a format
    // that hands out none.
    [[nodiscard]] virtual int GetMemory(CKSTMemBuffer& buffer);
    // Gives the object an image to read.
    [[nodiscard]] virtual int SetMemory(const CKSTMemBuffer& buffer) = 0;
    // Closes the file and resets the object's settings.
    [[nodiscard]] virtual int Close() = 0;
    // A file or memory image is open.
    virtual bool IsOpen() const = 0;
    // 0 when operations may be handed to the object, else KST_ERR_FILE_NOT_OPEN. Most formats
    // tell that within each operation and answer 0; text and DASYLab ask IsOpen.
    [[nodiscard]] virtual int CheckOpen() const;

    // Channels and header into the data set, whose name becomes the path. The selection lists
    // the channels wanted by position: the UniversalDataBinFile reader leaves out the unselected
    // ones itself, the others are given none by ReadDataSet. The text flag is the caller's and
    // concerns text tables only.
    [[nodiscard]] virtual int Read(CKSTDataSet& dataSet, const CKSTChannelList* selection, bool textFlag) = 0;
    // The reading options of a text table for the next Read (null: the table's layout is
    // detected); the other formats have none.
    virtual void SetReadSettings(const CKSTTextFormat* /*settings*/) {}
    // Read as the measurement-file object offers it: channels at positions whose selection entry
    // is not selected are left out (entries beyond the list keep their channels). By default
    // the read settings are set, every channel is read and the unselected ones go afterwards.
    [[nodiscard]] virtual int ReadDataSet(CKSTDataSet& dataSet, const CKSTChannelList* selection, bool textFlag,
                            const CKSTTextFormat* textSettings);
    // The list becomes the descriptions of the file's channels, unchanged on an error. By
    // default those of a whole ReadDataSet, samples included.
    [[nodiscard]] virtual int ReadChannelList(CKSTChannelList& list, const CKSTTextFormat* textSettings);
    // A text table writes in the dialect of the settings when they are given, else with its
    // defaults; other formats have no settings.
    [[nodiscard]] virtual int Write(const CKSTDataSet& dataSet, const CKSTTextFormat* textSettings) = 0;
    [[nodiscard]] virtual int WriteChannels(const CKSTChannelList& channels, bool textFlag) = 0;

    // A UniversalDataBinFile object tells the byte order (type 7 or 8) of what it loaded.
    int32_t GetType() const { return m_type; }

protected:
    void SetType(int32_t type) { m_type = type; }

private:
    int32_t m_type;
};

// Makes the object for a file type; null when the type has no foreign format here.
using KstForeignFileFactory = std::unique_ptr<IKSTMeasurementFile> (*)(int32_t type);

// The factory that measurement-file objects use from their next open on; null removes it. Set it
// at start-up, before any file is opened.
void KstSetForeignFileFactory(KstForeignFileFactory factory);
std::unique_ptr<IKSTMeasurementFile> KstCreateForeignFile(int32_t type);
