#pragma once
// FAMOS measurement files (".dat", ".raw"): ASCII keys "|XX,..;" with comma-separated fields and
// one binary data key "|CS" holding the samples of all channels. Version 2 files are read key by
// key through a position index built in one scan; the older version 1 by a fixed sequence of key
// searches. Files are always written as version 2.

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "data/Channel.h"
#include "data/ChannelList.h"
#include "data/DataSet.h"
#include "foundation/DataFile.h"
#include "formats/StreamFormatFile.h"
#include "foundation/HeaderInfoList.h"
#include "foundation/MemBuffer.h"
#include "foundation/String.h"
#include "foundation/TimeStamp.h"

// The field readers of the keys, over any stream. A field ends at ',' or ';', which is consumed.
class CKSTFamosKeyReader {
public:
    explicit CKSTFamosKeyReader(CKSTDataFile& stream) : m_stream(stream) {}

    // Past the next '|'. KST_ERR_END_OF_DATA when none follows.
    [[nodiscard]] int SkipToKey();
    // The two letters and the comma after a '|'; the letters into key.
    [[nodiscard]] int ReadKeyName(CKSTString& key);
    // The key's own one-character version and its comma.
    [[nodiscard]] int SkipVersion();
    // Decimal, or hexadecimal when the text holds an 'x'.
    [[nodiscard]] int ReadInteger(int64_t& value);
    // Decimal; with an 'x' the form "x<hex>*<decimal>", their product. Without a '*' after the
    // first character the value stays as it was.
    [[nodiscard]] int ReadReal(double& value);
    // A text whose length field said `length` bytes: taken by that length when a separator
    // follows it (so it may hold commas), otherwise up to the first ',' or ';' and cut to
    // `length`. A length of 0 or less skips the field and gives an empty text.
    [[nodiscard]] int ReadText(int64_t length, CKSTString& text);
    // Up to the first ',' or ';', at most `limit` characters kept.
    [[nodiscard]] int ReadTextUpTo(int64_t limit, CKSTString& text);
    [[nodiscard]] int SkipField();
    // Exactly n bytes (n <= what is left).
    [[nodiscard]] int ReadBytes(void* destination, uint32_t n);

    int64_t Tell() { return m_stream.Tell(); }
    [[nodiscard]] int Seek(int64_t position);
    // Bytes between the position and the end of the data.
    int64_t Remaining();

private:
    // -1 at the end of the data.
    [[nodiscard]] int GetByte();
    [[nodiscard]] int ReadFieldText(CKSTString& text);

    CKSTDataFile& m_stream;
};

class CKSTFamosFile : public CKSTStreamFormatFile {
public:
    CKSTFamosFile();

    // KST_ERR_UNKNOWN_FILE_TYPE unless the file was written in memory.
    [[nodiscard]] int GetMemory(CKSTMemBuffer& buffer) override;
    // An image to read, checked like a file; an empty one is KST_ERR_NOT_FAMOS too.
    [[nodiscard]] int SetMemory(const CKSTMemBuffer& buffer) override;

    [[nodiscard]] int Read(CKSTDataSet& dataSet, const CKSTChannelList* selection, bool textFlag) override;
    [[nodiscard]] int Write(const CKSTDataSet& dataSet, const CKSTTextFormat* textSettings) override;
    [[nodiscard]] int WriteChannels(const CKSTChannelList& channels, bool textFlag) override;

    // Text keys into the header, channels into the channel list, the path as the set's name.
    [[nodiscard]] int Read(CKSTDataSet& dataSet);
    // Every channel of the file; unless appending, the list is emptied first.
    [[nodiscard]] int ReadChannels(CKSTChannelList& channels, bool append);
    // Channel `index` of the position index as it stands in the file (no splitting).
    [[nodiscard]] int ReadChannel(CKSTChannel& channel, uint32_t index);
    // The "CT" text keys as string entries.
    [[nodiscard]] int ReadComments(CKSTHeaderInfoList& header);

    // The caller's channels stay as they are. 0, KST_ERR_FILE_NOT_OPEN,
    // KST_ERR_NOT_OPEN_FOR_WRITING or KST_ERR_SHORT_TRANSFER when a write failed.
    [[nodiscard]] int WriteChannels(const CKSTChannelList& channels);
    // The string entries: visible ones, and the hidden "Comment" as "_Comment".
    [[nodiscard]] int WriteComments(const CKSTHeaderInfoList& header);
    [[nodiscard]] int WriteTextKey(int32_t group, const CKSTString& name, const CKSTString& text,
                     const CKSTString& comment);

    // A leading digit gets a '_' in front; blanks and the characters ,;:"+-()*/^={}[]<>| become
    // '_'.
    static CKSTString MakeKeyName(const CKSTString& text);

    uint16_t GetVersion() const { return m_version; }

    // Total samples one read may create (channels sharing a buffer each take all of it, bit
    // channels copy their word); a read that would pass it ends with KST_ERR_TOO_LARGE, keeping
    // the channels read before. 0, the default, takes half the memory free when the read starts.
    // ReadChannels and ReadChannel each start a read.
    void SetSampleBudget(uint64_t samples) { m_sampleBudget = samples; }

    // n samples of the stream appended to the channel as raw x factor + offset (the raw value
    // itself for factor 1 and offset 0), little-endian. Only the whole samples the stream holds
    // are appended; fewer than n give KST_ERR_END_OF_DATA.
    [[nodiscard]] static int AppendRawSamplesU16(CKSTChannel& channel, CKSTDataFile& stream, uint32_t n,
                                   double factor, double offset);
    [[nodiscard]] static int AppendRawSamplesI16(CKSTChannel& channel, CKSTDataFile& stream, uint32_t n,
                                   double factor, double offset);
    [[nodiscard]] static int AppendRawSamplesU32(CKSTChannel& channel, CKSTDataFile& stream, uint32_t n,
                                   double factor, double offset);
    [[nodiscard]] static int AppendRawSamplesI32(CKSTChannel& channel, CKSTDataFile& stream, uint32_t n,
                                   double factor, double offset);
    [[nodiscard]] static int AppendRawSamplesF32(CKSTChannel& channel, CKSTDataFile& stream, uint32_t n,
                                   double factor, double offset);
    [[nodiscard]] static int AppendRawSamplesF64(CKSTChannel& channel, CKSTDataFile& stream, uint32_t n,
                                   double factor, double offset);

protected:
    // Checks the "|CF," start with version 1 or 2: KST_ERR_NOT_FAMOS otherwise.
    [[nodiscard]] int ReadHead(const CKSTString& path) override;
    // Files are written as version 2.
    void StartWrite(const CKSTString& path) override;
    void Reset() override;

private:
    struct Component;
    struct ChannelKeys;
    // Where the samples of one data index lie, or why they cannot be read.
    struct DataRange {
        int64_t start = 0;
        int64_t end = 0;
        int result = 0;
    };
    // The keys of a version 1 file that all channels share, read once.
    struct HeaderV1 {
        bool read = false;
        int result = 0;  // of the keys every channel needs
        double dx = 1.0;
        double t0 = 0.0;
        CKSTString timeUnit;
        int64_t unitEntries = 0;
        std::vector<CKSTString> units;
        int unitsResult = 0;  // of the entry after the last one in units
        CKSTTimeStamp start;
        int64_t channelsInKey = 1;
        std::vector<int64_t> formats;
        std::vector<CKSTString> names;
        int formatsResult = 0;
        int64_t dataLength = 0;
        int64_t samplesAt = 0;
    };
    // How one channel's samples are stored.
    struct ChannelPlan;

    [[nodiscard]] int ReadVersion();
    [[nodiscard]] int ScanKeys();
    // After the keys of the key at letter position keyPosition: past its end, then the next
    // key's name. KST_ERR_END_OF_DATA when there is none.
    [[nodiscard]] int NextKey(int64_t keyPosition);
    // ReadChannel within the budget of the read that asks for it.
    [[nodiscard]] int ReadOneChannel(CKSTChannel& channel, uint32_t index);
    // Channel `index` appended to the list; removed again when it failed before any sample.
    [[nodiscard]] int AppendChannel(CKSTChannelList& channels, uint32_t index);
    [[nodiscard]] int SplitBitChannels(CKSTChannelList& channels, int first);
    void StartBudget();
    [[nodiscard]] bool TakeFromBudget(uint64_t samples);
    [[nodiscard]] int ReadChannelV1(CKSTChannel& channel, uint32_t index);
    [[nodiscard]] int ReadHeaderV1();
    [[nodiscard]] int SkipBytesV1(uint32_t n);
    [[nodiscard]] int ReadTimeKeyV1(HeaderV1& header);
    // Entries of the "CR" and "CP" keys, at most `wanted` of each.
    [[nodiscard]] int ReadUnitsV1(HeaderV1& header, int64_t wanted);
    [[nodiscard]] int ReadLayoutV1(HeaderV1& header, int64_t wanted);
    [[nodiscard]] int ReadStartV1(HeaderV1& header);
    [[nodiscard]] int ReadDataKeysV1(HeaderV1& header);
    [[nodiscard]] int ReadChannelV2(CKSTChannel& channel, uint32_t index);
    // Pass 1 reads the values, pass 2 the times of a time vector; timesSet tells whether the
    // channel's times were given values.
    [[nodiscard]] int ReadComponent(CKSTChannel& channel, ChannelKeys& keys, uint32_t index, int pass,
                      bool& digital, bool& timesSet);
    void ApplyChannelKeys(CKSTChannel& channel, const ChannelKeys& keys,
                          const Component& component, bool digital);
    [[nodiscard]] int ReadSingleValue(CKSTChannel& channel);
    // The keys of one component from its "CC" key on; slot becomes its component index - 1.
    [[nodiscard]] int ReadComponentKeys(ChannelKeys& keys, int64_t position, int& slot, bool& digital);
    // The fields of the current key into the component slot or the channel.
    [[nodiscard]] int ReadKeyFields(ChannelKeys& keys, int slot);
    [[nodiscard]] int ReadBufferKey(Component& component);
    [[nodiscard]] int ReadComponentSamples(CKSTChannel& channel, const Component& component, bool times,
                             bool& timesSet);
    // Every data key read once: where the samples of each index lie.
    void IndexDataKeys();
    [[nodiscard]] int FindDataStart(int64_t sampleKey, int64_t& start, int64_t& end);
    [[nodiscard]] int ReadChannelsV1(CKSTChannelList& channels);
    [[nodiscard]] int ReadChannelsV2(CKSTChannelList& channels);
    [[nodiscard]] int SearchKey(const char* name, const char* stopAt = nullptr);
    // The group keys, one per group name; the names in the order of their indices.
    std::vector<CKSTString> WriteGroupKeys(const CKSTChannelList& channels);
    // The keys of a channel and of its time component; reference and offset move past them.
    void WriteChannelKeys(const ChannelPlan& plan, int64_t group, int64_t& reference,
                          uint64_t& offset);
    void WriteBufferKey(int64_t reference, uint64_t offset, uint64_t size, double x0);
    void WriteSamples(const std::vector<ChannelPlan>& plans);
    int WriteKey(const char* prefix, const CKSTString& fields);
    int WriteText(const CKSTString& text);
    int WriteBytes(const void* data, size_t n);

    CKSTFamosKeyReader m_keys;
    CKSTString m_key;
    bool m_scanned;
    uint16_t m_version;
    bool m_interleaved;
    bool m_writeFailed;
    // Position index of a version 2 file (letter positions of keys, -1 for none).
    std::vector<int64_t> m_channelKeys;      // "CG" or "CI" of each channel
    std::vector<int64_t> m_secondComponent;  // "CC" of the second component
    std::vector<int64_t> m_firstComponent;   // "CC" of the first component (a "CI" itself)
    std::vector<int64_t> m_bufferKeys;       // "Cb" by buffer reference
    std::vector<int64_t> m_dataKeys;         // "CS" keys in file order
    std::vector<uint32_t> m_groupEnds;       // channels counted at each "CS"
    std::vector<CKSTString> m_groupNames;    // "CB" names by group index - 1
    // The first "CS" key of each data index.
    std::unordered_map<int64_t, DataRange> m_dataRanges;
    bool m_dataIndexed = false;
    // For an index no data key before the first unreadable one has.
    int m_dataIndexResult = 0;
    // Channels of a version 1 file.
    uint32_t m_channelCountV1;
    HeaderV1 m_headerV1;
    uint64_t m_sampleBudget = 0;
    uint64_t m_samplesLeft = 0;
};
