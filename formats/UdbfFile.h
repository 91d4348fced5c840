#pragma once
// UniversalDataBinFile buffer files: a header describing the variables, then fixed-size binary
// records, each an optional time stamp and one value per input variable. Header and records lie
// in one file (or memory image), or in a description file ("bufdes...") and a data file
// ("buffer..."). The acquisition-controller client decodes the description and each data block it
// receives in memory through the same object.

#include <cstdint>
#include <memory>
#include <vector>

#include "data/Channel.h"
#include "data/ChannelList.h"
#include "data/DataSet.h"
#include "data/MeasurementFileFormat.h"
#include "foundation/DataFile.h"
#include "formats/FormatStream.h"
#include "foundation/MemBuffer.h"
#include "foundation/String.h"

class CKSTUdbfFile : public IKSTMeasurementFile {
public:
    // Variable directions.
    static constexpr uint16_t kInput = 0;
    static constexpr uint16_t kOutput = 1;
    static constexpr uint16_t kInputOutput = 2;

    // Writes big-endian files when writeBigEndian is set (file type 7), little-endian ones
    // otherwise (file type 8).
    explicit CKSTUdbfFile(bool writeBigEndian = true);
    ~CKSTUdbfFile() override;

    // Pairs a data file and its description file by their names when both exist; otherwise the
    // file alone holds header and records.
    [[nodiscard]] int OpenRead(const CKSTString& path) override { return Open(path); }
    [[nodiscard]] int Open(const CKSTString& path);
    // One combined file.
    [[nodiscard]] int OpenWrite(const CKSTString& path) override;
    [[nodiscard]] int OpenMemoryWrite() override { return OpenMemoryWrite(false); }
    // With `paired`, the header goes to a second memory stream (GetDescriptionMemory).
    [[nodiscard]] int OpenMemoryWrite(bool paired);
    [[nodiscard]] int GetMemory(CKSTMemBuffer& buffer) override;
    void GetDescriptionMemory(CKSTMemBuffer& buffer) const;
    // A combined image; the object's file type then follows its byte order.
    [[nodiscard]] int SetMemory(const CKSTMemBuffer& buffer) override;
    // A description block: the object becomes paired and reads the header from it.
    [[nodiscard]] int SetDescriptionMemory(const CKSTMemBuffer& buffer);
    // A data block of records for the description read before.
    [[nodiscard]] int SetDataMemory(const CKSTMemBuffer& buffer);
    [[nodiscard]] int Close() override;
    bool IsOpen() const override;

    [[nodiscard]] int Read(CKSTDataSet& dataSet, const CKSTChannelList* selection, bool textFlag) override;
    // The reader leaves out the unselected channels itself; there are no read settings.
    [[nodiscard]] int ReadDataSet(CKSTDataSet& dataSet, const CKSTChannelList* selection, bool textFlag,
                    const CKSTTextFormat* textSettings) override;
    // The descriptions of ReadChannelInfo.
    [[nodiscard]] int ReadChannelList(CKSTChannelList& list, const CKSTTextFormat* textSettings) override;
    [[nodiscard]] int ReadChannelInfo(CKSTChannelList& channels);
    [[nodiscard]] int Write(const CKSTDataSet& dataSet, const CKSTTextFormat* textSettings) override;
    [[nodiscard]] int WriteChannels(const CKSTChannelList& channels, bool textFlag) override;
    // The caller's channels stay as they are. Channels of different length or time base, or
    // time vectors without a regular step, are refused (KST_ERR_CHANNEL_KIND).
    [[nodiscard]] int WriteChannels(const CKSTChannelList& channels);

    // Decodes the records into one channel per wanted input variable. startReference (days,
    // below 0 none) and rawReference (a time-stamp count, 0 none) place the samples of
    // consecutive blocks on one grid: times then count from the reference.
    [[nodiscard]] int ReadData(CKSTChannelList& channels, const CKSTChannelList* selection,
                 uint32_t capacityHint, double* firstTime, int64_t* rawOrigin,
                 bool keepTimeVectors, double startReference, int64_t rawReference);

    // The records appended to existing channels, one per input variable in header order (null,
    // or missing at the end of the list: left out), times as ReadData gives them. Channels that
    // are still empty take their start and grid from the first record; a long run on the grid is
    // decoded on several threads (see KstDecodeGrain). Channels share one time base.
    [[nodiscard]] int AppendRecords(const std::vector<CKSTChannel*>& channels, double* firstTime,
                      int64_t* rawOrigin, double startReference, int64_t rawReference);

    [[nodiscard]] int GetVariableCount(int& count) const;
    [[nodiscard]] int GetVariableInfo(int index, CKSTString& name, CKSTString& unit, uint16_t& direction,
                        uint16_t& dataType, uint16_t& precision) const;
    static bool IsChannelWanted(const CKSTChannelList* selection, const CKSTString& name);
    // Bytes of a data type; 0 for an unknown one.
    static uint32_t UdbfTypeSize(uint16_t type);

    int16_t GetVersion() const { return m_version; }
    bool IsBigEndian() const { return m_bigEndian; }
    bool IsPaired() const { return m_paired; }
    uint32_t GetRecordSize() const { return m_recordSize; }
    double GetSampleRate() const { return m_sampleRate; }
    void SetWriteBigEndian(bool bigEndian) { m_writeBigEndian = bigEndian; }

private:
    class HeaderReader;
    class RecordAppender;

    void Reset();
    CKSTFormatStream& Description();
    const CKSTFormatStream& Description() const;
    [[nodiscard]] int ReadStart();
    [[nodiscard]] int ReadHeader(HeaderReader& reader);
    bool HasTimeStamps() const { return m_secondFactor > 0.0; }
    // Seconds between samples by the header's rate; 0 without one.
    double GetInterval() const;
    // Day of the channels' start: the reference, else the header's start time.
    double BaseDays(double startReference, int64_t rawReference) const;

    CKSTFormatStream m_data;
    // The description of a pair; null while header and records share m_data.
    std::unique_ptr<CKSTFormatStream> m_description;
    bool m_paired;
    int16_t m_version;
    bool m_bigEndian;
    bool m_writeBigEndian;
    uint8_t m_checksum;
    double m_dayFactor;
    double m_secondFactor;
    uint16_t m_timeType;
    double m_startTime;
    double m_sampleRate;
    uint32_t m_variableCount;
    uint32_t m_recordSize;
    // Position of the first record in the data stream.
    int64_t m_dataStart;
    std::vector<CKSTString> m_names;
    std::vector<uint16_t> m_types;
    std::vector<uint16_t> m_directions;
    std::vector<CKSTString> m_units;
    std::vector<double> m_factors;
    std::vector<uint16_t> m_precisions;
    std::vector<uint8_t> m_wanted;
};
