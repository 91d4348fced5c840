#pragma once
// FAMOS measurement files (".dat", ".raw"): ASCII keys "|XX,..;" with comma-separated fields and
// one binary data key "|CS" holding the samples of all channels. Version 2 files are read key by
// key through a position index built in one scan; the older version 1 by a fixed sequence of key
// searches. Files are always written as version 2.

#include <cstdint>
#include <vector>

#include "data/Channel.h"
#include "data/ChannelList.h"
#include "data/DataSet.h"
#include "foundation/DataFile.h"
#include "formats/StreamFormatFile.h"
#include "foundation/HeaderInfoList.h"
#include "foundation/MemBuffer.h"
#include "foundation/String.h"

// The field readers of the keys, over any stream. A field ends at ',' or ';', which is consumed.
class CKSTFamosKeyReader {
public:
    explicit CKSTFamosKeyReader(CKSTDataFile& stream) : m_stream(stream) {}

    // Past the next '|'. KST_ERR_END_OF_DATA when none follows.
    int SkipToKey();
    // The two letters and the comma after a '|'; the letters into key.
    int ReadKeyName(CKSTString& key);
    // The key's own one-character version and its comma.
    int SkipVersion();
    // Decimal, or hexadecimal when the text holds an 'x'.
    int ReadInteger(int64_t& value);
    // Decimal; with an 'x' the form "x<hex>*<decimal>", their product. Without a '*' after the
    // first character the value stays as it was.
    int ReadReal(double& value);
    // A text whose length field said `length` bytes: taken by that length when a separator
    // follows it (so it may hold commas), otherwise up to the first ',' or ';' and cut to
    // `length`. A length of 0 or less skips the field and gives an empty text.
    int ReadText(int64_t length, CKSTString& text);
    // Up to the first ',' or ';', at most `limit` characters kept.
    int ReadTextUpTo(int64_t limit, CKSTString& text);
    int SkipField();
    // Exactly n bytes (n <= what is left).
    int ReadBytes(void* destination, uint32_t n);

    int64_t Tell() { return m_stream.Tell(); }
    int Seek(int64_t position);
    // Bytes between the position and the end of the data.
    int64_t Remaining();

private:
    // -1 at the end of the data.
    int GetByte();
    int ReadFieldText(CKSTString& text);

    CKSTDataFile& m_stream;
};

class CKSTFamosFile : public CKSTStreamFormatFile {
public:
    CKSTFamosFile();

    // KST_ERR_UNKNOWN_FILE_TYPE unless the file was written in memory.
    int GetMemory(CKSTMemBuffer& buffer) override;
    // An image to read, checked like a file; an empty one is KST_ERR_NOT_FAMOS too.
    int SetMemory(const CKSTMemBuffer& buffer) override;

    int Read(CKSTDataSet& dataSet, const CKSTChannelList* selection, bool textFlag) override;
    int Write(const CKSTDataSet& dataSet, const CKSTTextFormat* textSettings) override;
    int WriteChannels(const CKSTChannelList& channels, bool textFlag) override;

    // Text keys into the header, channels into the channel list, the path as the set's name.
    int Read(CKSTDataSet& dataSet);
    // Every channel of the file; unless appending, the list is emptied first.
    int ReadChannels(CKSTChannelList& channels, bool append);
    // Channel `index` of the position index as it stands in the file (no splitting).
    int ReadChannel(CKSTChannel& channel, uint32_t index);
    // The "CT" text keys as string entries.
    int ReadComments(CKSTHeaderInfoList& header);

    // The caller's channels stay as they are. 0, KST_ERR_FILE_NOT_OPEN,
    // KST_ERR_NOT_OPEN_FOR_WRITING or KST_ERR_SHORT_TRANSFER when a write failed.
    int WriteChannels(const CKSTChannelList& channels);
    // The string entries: visible ones, and the hidden "Comment" as "_Comment".
    int WriteComments(const CKSTHeaderInfoList& header);
    int WriteTextKey(int32_t group, const CKSTString& name, const CKSTString& text,
                     const CKSTString& comment);

    // A leading digit gets a '_' in front; blanks and the characters ,;:"+-()*/^={}[]<>| become
    // '_'.
    static CKSTString MakeKeyName(const CKSTString& text);

    uint16_t GetVersion() const { return m_version; }

    // n samples of the stream appended to the channel as raw x factor + offset (the raw value
    // itself for factor 1 and offset 0), little-endian. Only the whole samples the stream holds
    // are appended; fewer than n give KST_ERR_END_OF_DATA.
    static int AppendRawSamplesU16(CKSTChannel& channel, CKSTDataFile& stream, uint32_t n,
                                   double factor, double offset);
    static int AppendRawSamplesI16(CKSTChannel& channel, CKSTDataFile& stream, uint32_t n,
                                   double factor, double offset);
    static int AppendRawSamplesU32(CKSTChannel& channel, CKSTDataFile& stream, uint32_t n,
                                   double factor, double offset);
    static int AppendRawSamplesI32(CKSTChannel& channel, CKSTDataFile& stream, uint32_t n,
                                   double factor, double offset);
    static int AppendRawSamplesF32(CKSTChannel& channel, CKSTDataFile& stream, uint32_t n,
                                   double factor, double offset);
    static int AppendRawSamplesF64(CKSTChannel& channel, CKSTDataFile& stream, uint32_t n,
                                   double factor, double offset);

protected:
    // Checks the "|CF," start with version 1 or 2: KST_ERR_NOT_FAMOS otherwise.
    int ReadHead(const CKSTString& path) override;
    // Files are written as version 2.
    void StartWrite(const CKSTString& path) override;
    void Reset() override;

private:
    struct Component;
    struct ChannelKeys;
    // How one channel's samples are stored.
    struct ChannelPlan;

    int ReadVersion();
    int ScanKeys();
    // After the keys of the key at letter position keyPosition: past its end, then the next
    // key's name. KST_ERR_END_OF_DATA when there is none.
    int NextKey(int64_t keyPosition);
    int ReadChannelV1(CKSTChannel& channel, uint32_t index);
    int ReadChannelV2(CKSTChannel& channel, uint32_t index);
    int ReadSingleValue(CKSTChannel& channel);
    // The keys of one component from its "CC" key on; slot becomes its component index - 1.
    int ReadComponentKeys(ChannelKeys& keys, int64_t position, int& slot, bool& digital);
    // The fields of the current key into the component slot or the channel.
    int ReadKeyFields(ChannelKeys& keys, int slot);
    int ReadBufferKey(Component& component);
    int ReadComponentSamples(CKSTChannel& channel, const Component& component, bool times);
    int FindDataStart(int64_t sampleKey, int64_t& start, int64_t& end);
    int ReadChannelsV1(CKSTChannelList& channels);
    int ReadChannelsV2(CKSTChannelList& channels);
    int SearchKey(const char* name, const char* stopAt = nullptr);
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
    // Channels of a version 1 file.
    uint32_t m_channelCountV1;
};
