#pragma once
// DASYLab data files: a ".ddf" file with the magic "DTDF", an ASCII header text, a binary channel
// description and a "DATA" block of sample records, the records possibly in a companion ".ddb"
// file. Written files hold everything in the ".ddf" file: every channel as 32-bit floats in
// records of at most 512 values, each record with its own start time and sample interval.

#include <cstdint>
#include <vector>

#include "data/ChannelList.h"
#include "data/DataSet.h"
#include "formats/StreamFormatFile.h"
#include "foundation/DataFile.h"

class CKSTByteReader;

class CKSTDasylabFile : public CKSTStreamFormatFile {
public:
    CKSTDasylabFile();

    // The companion file too; the first error counts.
    [[nodiscard]] int Close() override;
    [[nodiscard]] int CheckOpen() const override;

    [[nodiscard]] int Read(CKSTDataSet& dataSet, const CKSTChannelList* selection, bool textFlag) override;
    [[nodiscard]] int Write(const CKSTDataSet& dataSet, const CKSTTextFormat* textSettings) override;
    // KST_ERR_TOO_LARGE, before anything is written, for more channels, a longer header or a
    // longer channel name than the format's 16-bit fields can describe.
    [[nodiscard]] int WriteChannels(const CKSTChannelList& channels, bool textFlag) override;

    [[nodiscard]] int ReadChannels(CKSTChannelList& channels);
    [[nodiscard]] int ReadHeaderEntries(CKSTHeaderInfoList& header) const;
    const CKSTString& GetHeaderText() const { return m_headerText; }

    // The path with its extension's last three characters "ddf" made "ddb" (toDataFile) or
    // back, keeping the case of upper-case extensions; other paths stay as they are.
    static CKSTString CompanionPath(const CKSTString& path, bool toDataFile);

protected:
    // A ".ddb" path opens the ".ddf" file beside it; KST_ERR_OPEN_FAILED when that cannot be
    // opened.
    [[nodiscard]] int OpenStream(const CKSTString& path, KstOpenMode mode) override;
    // KST_ERR_NOT_DASYLAB without the magic and the header text.
    [[nodiscard]] int ReadHead(const CKSTString& path) override;
    void Reset() override;

private:
    // The records from the reader's position on; `stream` is the reader's stream.
    [[nodiscard]] int ReadRecords(CKSTByteReader& in, CKSTDataFile& stream, CKSTChannelList& channels, int first,
                    uint16_t count);
    struct RecordTotals {
        uint64_t values = 0;
        double firstTime = 0.0;  // of the channel's first record with values
        double firstDt = 0.0;
    };
    // What the records from the reader's position hold per channel; the position stays.
    static std::vector<RecordTotals> CountRecordValues(CKSTByteReader& in, uint16_t count);
    void ReadUnits(CKSTChannelList& channels, int first) const;

    bool m_twoFiles = false;
    CKSTDataFile m_companion;
    CKSTString m_headerText;
};
