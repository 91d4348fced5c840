#pragma once
// MAT files of level 5 (".mat") and figure files (".fig", the same container). Written files
// hold one structure per channel with the fields "XData" (times) and "YData" (values), each a
// column of doubles. Reading walks every matrix, descending into cells, structures and objects;
// numeric matrices become channels, and an "XData" field followed by a "YData" field of the same
// structure becomes one channel. In a figure file only such fields are taken.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "data/ChannelList.h"
#include "data/DataSet.h"
#include "formats/StreamFormatFile.h"
#include "foundation/TimeStamp.h"

class CKSTByteReader;

class CKSTMatFile : public CKSTStreamFormatFile {
public:
    CKSTMatFile();

    [[nodiscard]] int Read(CKSTDataSet& dataSet, const CKSTChannelList* selection, bool textFlag) override;
    [[nodiscard]] int Write(const CKSTDataSet& dataSet, const CKSTTextFormat* textSettings) override;
    [[nodiscard]] int WriteChannels(const CKSTChannelList& channels, bool textFlag) override;

    // Every matrix of the file into the list, which is emptied first. Channels made before an
    // error stay.
    [[nodiscard]] int ReadChannels(CKSTChannelList& channels);

    // `total` stored elements of one numeric type (miINT8 .. miUINT64) of a rows x columns matrix,
    // column by column from the reader's position, appended to the matrix's channels: one per
    // column when rows >= columns, else one per row, each taking its elements in order (a matrix
    // cut short fills the first ones). NaN gives a missing sample. A long run is decoded on
    // several threads (see KstDecodeGrain). Returns the elements read.
    static uint64_t AppendMatrix(CKSTByteReader& in, uint32_t type, uint32_t rows, uint32_t columns,
                                 uint64_t total, const std::vector<CKSTChannel*>& channels);

    // The "Created on: " date of the header, else the file's last write time.
    CKSTTimeStamp GetFileTimeStamp() const { return m_fileTime; }
    bool IsByteSwapped() const { return m_swap; }

    // The date of a header text: weekday, month name, day, h:m:s and year after "Created on: ",
    // separated by any number of blanks. False when there is none or it is not a valid date.
    static bool ParseHeaderDate(const CKSTString& header, CKSTTimeStamp& stamp);
    // "Tue Mar 4 9:5:7 2008": the form the writer puts after "Created on: ".
    static CKSTString FormatHeaderDate(const CKSTTimeStamp& stamp);
    // A channel name as a variable name: blanks and other characters that a variable name
    // cannot hold become "_", a name not starting with a letter gets "x" in front, at most 63
    // characters, and "_2", "_3" ... until it differs from every name in used, to which it is
    // added.
    static CKSTString MakeVariableName(const CKSTString& name, std::set<std::string>& used);

protected:
    // KST_ERR_NOT_MAT without "MATLAB" at the start, KST_ERR_MAT_UNSUPPORTED for an unknown
    // byte-order mark. A path ending in "fig" is read as a figure file.
    [[nodiscard]] int ReadHead(const CKSTString& path) override;
    void Reset() override;

private:
    struct Tag;
    struct XDataChannel {
        int index = -1;
        CKSTString parent;
        uint32_t count = 0;
    };

    [[nodiscard]] int ReadMatrix(CKSTByteReader& in, uint64_t end, const CKSTString& name, int depth,
                   CKSTChannelList& channels);
    [[nodiscard]] int ReadFields(CKSTByteReader& in, uint64_t end, const CKSTString& name, uint64_t elements,
                   int depth, CKSTChannelList& channels);
    [[nodiscard]] int ReadNumeric(CKSTByteReader& in, uint64_t end, const CKSTString& name, uint32_t rows,
                    uint32_t columns, CKSTChannelList& channels);
    void PairXY(const CKSTString& baseName, const CKSTString& parent, CKSTChannelList& channels);

    CKSTString m_headerText;
    CKSTString m_subsystem;
    uint16_t m_version = 0;
    bool m_swap = false;
    bool m_figure = false;
    uint32_t m_matrixCounter = 0;
    CKSTTimeStamp m_fileTime;
    XDataChannel m_lastX;
};
