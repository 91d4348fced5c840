#pragma once
// The one door through which the program opens, reads, writes and closes a measurement file of
// any supported type. A file on disk is recognised by its extension, a file image in memory by
// its first bytes; the object then holds exactly one reader or writer of that format and
// forwards every operation to it, passing its results up unchanged.
//
// No operation lets an exception out: a thrown error code is returned as it is, an allocation
// failure as KST_ERR_TOO_LARGE and anything else as KST_ERR_BAD_HEADER.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "data/ChannelList.h"
#include "data/DataSet.h"
#include "data/MeasurementFileFormat.h"
#include "foundation/MemBuffer.h"
#include "foundation/String.h"

enum KstFileType : int32_t {
    KST_FILE_NONE = 0,
    KST_FILE_NATIVE = 1,       // tagged container: QLD, KXD, ZRW
    KST_FILE_NATIVE_ZRW = 2,   // written like 1 (the object then carries 1); never recognised
    KST_FILE_TEXT = 3,         // text or CSV table: every extension not listed here
    KST_FILE_FAMOS = 4,        // DAT, RAW
    KST_FILE_DASYLAB = 5,      // DDF, DDB
    KST_FILE_MATLAB = 6,       // MAT, FIG
    KST_FILE_UDBF_BIG = 7,     // UniversalDataBinFile, byte-order flag set: DAT, RAW not FAMOS
    KST_FILE_UDBF_LITTLE = 8,  // UniversalDataBinFile, byte-order flag clear
    KST_FILE_WAV = 9,          // WAV
    KST_FILE_RAW_F64 = 10,     // DBL, read only
    KST_FILE_RAW_F32 = 11,     // FLT, read only
    KST_FILE_RECORD = 12,      // BBL
    KST_FILE_BMP = 13,         // pictures: recognised only to be refused
    KST_FILE_GIF = 14,
    KST_FILE_JPEG = 15,
};

class CKSTMeasurementFile {
public:
    CKSTMeasurementFile();
    ~CKSTMeasurementFile();
    CKSTMeasurementFile(const CKSTMeasurementFile&) = delete;
    CKSTMeasurementFile& operator=(const CKSTMeasurementFile&) = delete;

    // Opens a file for reading by its extension (the last three characters, any case); a path
    // whose first character is '"' loses every '"'. An open object is closed first. On failure
    // the format's error (KST_ERR_PICTURE_FILE for a picture) and nothing is open.
    [[nodiscard]] int Open(const CKSTString& path);
    // Creates the file with the writer of the type: 1-9 and 12, else KST_ERR_UNKNOWN_FILE_TYPE.
    [[nodiscard]] int OpenWrite(const CKSTString& path, int32_t type);
    // The same writers over a memory buffer (7 and 8 carry type 7 afterwards).
    [[nodiscard]] int OpenMemory(int32_t type);

    // Type of a file image by its first 100 bytes: the container's magic 1, the word
    // "UniversalDataBinFile" after the first byte 7, "|CF," 4, "DTDF" 5, "MATLAB" 6, else 3.
    static int32_t DetectType(const uint8_t* image, size_t size);
    static int32_t DetectType(const CKSTMemBuffer& image);

    // The whole file into the data set. With a selection list, channels at positions whose
    // entry is not selected are left out (entries beyond the list keep their channels).
    // KST_ERR_NEWER_KINDS: a native file held records newer than this program; its data were
    // read. A text table is read with the text settings when given (the application's Load
    // ASCII options), else its whole layout is detected; other types ignore them.
    [[nodiscard]] int ReadChannels(CKSTDataSet& dataSet, const CKSTChannelList* selection = nullptr,
                     bool textFlag = false, const CKSTTextFormat* textSettings = nullptr);
    // The list becomes the descriptions of the file's channels, without samples; unchanged on
    // an error other than KST_ERR_NEWER_KINDS. A selection made from it fits ReadChannels only
    // when both are given the same text settings.
    [[nodiscard]] int ReadChannelList(CKSTChannelList& list, const CKSTTextFormat* textSettings = nullptr);
    // Text files use the settings when given, else their defaults.
    [[nodiscard]] int WriteDataSet(const CKSTDataSet& dataSet, const CKSTTextFormat* textSettings = nullptr);
    [[nodiscard]] int Write(const CKSTChannelList& channels, bool textFlag = false);

    // The image written by an object opened in memory (types 1-6 and 9).
    [[nodiscard]] int SaveToMemory(CKSTMemBuffer& buffer);
    // Gives an object opened in memory the image to read (types 1-6, 9, 12; 7 and 8, after
    // which the type follows the image's byte order).
    [[nodiscard]] int LoadFromMemory(const CKSTMemBuffer& buffer);
    // Closes and deletes the format object; the result of its close (a file whose last writes
    // did not reach the disk reports KST_ERR_SHORT_TRANSFER). 0 when nothing is open.
    [[nodiscard]] int Close();

    // KST_ERR_UNKNOWN_FILE_TYPE when nothing is open; KST_ERR_FILE_NOT_OPEN for text and DASYLab
    // when the object holds no open file or buffer.
    [[nodiscard]] int CheckOpen() const;
    int32_t GetType() const { return m_type; }

    // A file with the extension BMP, GIF or JPG whose first bytes are those of that picture
    // kind; the type then is 13, 14 or 15. Anything else, also a file that cannot be read, is
    // not a picture.
    static bool IsPictureFile(const CKSTString& path, int32_t& pictureType);
    // The path as Open takes it: quotes removed when it starts with one.
    static CKSTString UnquotePath(const CKSTString& path);
    // The last three characters upper-cased; empty when the path is too short to have an
    // extension.
    static CKSTString GetExtension(const CKSTString& path);

private:
    [[nodiscard]] int OpenByExtension(const CKSTString& path);
    [[nodiscard]] int OpenWriter(const CKSTString* path, int32_t type);
    // Closes and deletes whatever object exists, type 0; for failed opens.
    void Discard() noexcept;

    int32_t m_type;
    std::unique_ptr<IKSTMeasurementFile> m_file;
};
