#pragma once
// Text and CSV tables: the reader guesses the layout of an unknown table (header length,
// separator, group, name and unit lines, time column, number, text and date/time columns and a
// few fixed dialects of loggers and partner programs); the writers produce the table layouts
// of the text settings. Everything runs over one memory image of the file.

#include <cstdint>
#include <string>
#include <vector>

#include "data/ChannelList.h"
#include "data/DataSet.h"
#include "foundation/MappedFile.h"
#include "formats/StreamFormatFile.h"
#include "formats/TextFormat.h"
#include "foundation/HeaderInfoList.h"
#include "foundation/MemBuffer.h"
#include "foundation/String.h"
#include "foundation/TimeStamp.h"

class CKSTTextDataFile : public CKSTStreamFormatFile {
public:
    // Error of a writer given a format code it has no layout for.
    static constexpr int kErrUnknownTextFormat = -1214;
    // Columns a table may have.
    static constexpr int kMaxColumns = 65535;
    // Header lengths a file may name.
    static constexpr int kMaxHeaderLines = 10000;

    CKSTTextDataFile();
    ~CKSTTextDataFile() override;

    // The image written in memory, or the file or image loaded for reading.
    [[nodiscard]] int GetMemory(CKSTMemBuffer& buffer) override;
    // The image is taken as it is; the table is analysed when it is read.
    [[nodiscard]] int SetMemory(const CKSTMemBuffer& buffer) override;
    // A file or image is loaded, or a file or memory stream open for writing.
    bool IsOpen() const override;
    [[nodiscard]] int CheckOpen() const override;

    // Reading uses the settings given here (a copy is kept; null for none): their header
    // lines, separator, X axis, date order, empty-column and group-name choices, and their
    // format code when it names a reading dialect (else the dialect is detected).
    void SetReadSettings(const CKSTTextFormat* settings) override;

    // Channels and header of the table; the data set's name becomes the path. The selection
    // and the text flag are the measurement-file object's: channels come all, the settings
    // are those of SetReadSettings.
    [[nodiscard]] int Read(CKSTDataSet& dataSet, const CKSTChannelList* selection, bool textFlag) override;
    [[nodiscard]] int ReadAll(CKSTChannelList& channels);
    [[nodiscard]] int ReadHeaderInfo(CKSTHeaderInfoList& header);

    // With settings the layout of their format code, without them the defaults.
    [[nodiscard]] int Write(const CKSTDataSet& dataSet, const CKSTTextFormat* textSettings) override;
    [[nodiscard]] int WriteChannels(const CKSTChannelList& channels, bool textFlag) override;
    // xChannel: the column of X values of an XY display (seconds layout only), or null.
    [[nodiscard]] int WriteByFormat(const CKSTDataSet& dataSet, const CKSTTextFormat& settings,
                      const CKSTChannel* xChannel);
    [[nodiscard]] int WriteChannelsByFormat(const CKSTChannelList& channels, const CKSTTextFormat& settings,
                              const CKSTChannel* xChannel);
    // Seconds layout below 1 s steps and 1800 s duration, else date and time; values in their
    // shortest exact form, times with the decimals that keep the samples apart.
    [[nodiscard]] int WriteWithDefaults(const CKSTChannelList& channels);

    // What the last header analysis found.
    int32_t GetFormatCode() const { return m_format; }
    [[nodiscard]] int GetHeaderLength() const { return m_headerLength; }
    char GetSeparator() const { return m_separator; }
    const char* GetLineEnd() const { return m_lineEnd; }
    // Header lines that held the groups, names and units of the last read, -1 none.
    [[nodiscard]] int GetGroupLine() const { return m_roleGroup; }
    [[nodiscard]] int GetNameLine() const { return m_roleName; }
    [[nodiscard]] int GetUnitLine() const { return m_roleUnit; }
    // Column of the table that became the time axis, -1 none.
    [[nodiscard]] int GetTimeColumn() const { return m_timeColumn; }

    // One line of the header analysis and what it holds.
    struct SampledLine {
        size_t offset = 0;
        size_t length = 0;
        // Keyword and comment lines take no part in the statistics.
        bool skipped = false;
        int letters = 0;
        int digits = 0;
        int tabs = 0;
        int blanks = 0;
        int points = 0;
        int commas = 0;
        int semicolons = 0;
        int ats = 0;
        int colons = 0;
        int brackets = 0;
    };

protected:
    // Any failure to open the file is KST_ERR_OPEN_FAILED.
    [[nodiscard]] int OpenStream(const CKSTString& path, KstOpenMode mode) override;
    // The whole file is read into memory and the file closed again.
    [[nodiscard]] int ReadHead(const CKSTString& path) override;
    void StartWrite(const CKSTString& path) override;
    void Reset() override;

private:
    void ResetAnalysis();
    const char* Content() const;
    size_t ContentSize() const;

    // Reading (formats/TextDataFileRead.cpp).
    [[nodiscard]] int ParseHeaderKeywords();
    void SampleLines(int count);
    int32_t DetectFormat() const;
    [[nodiscard]] int FindHeaderLength() const;
    char FindSeparator() const;
    [[nodiscard]] int ReadColumns(CKSTChannelList& channels, std::vector<int>& originalColumns);
    [[nodiscard]] int ReadHeaderNames(CKSTChannelList& channels, const std::vector<int>& originalColumns);
    void ScoreHeaderLines(int columns, int& group, int& name, int& unit) const;
    // The roles of the header lines for a table of that many columns, keyword lines and
    // dialects applied.
    void AssignLineRoles(int columns);
    std::string_view HeaderLine(int i) const;

    // Writing (formats/TextDataFileWrite.cpp).
    [[nodiscard]] int CheckWritable() const;
    [[nodiscard]] int WriteLayout(const CKSTChannelList& channels, const CKSTTextFormat& settings,
                    const CKSTChannel* xChannel, bool shortestValues);

    // The file read by OpenRead, when it could be mapped; otherwise the stream's buffer holds it.
    CKSTMappedFile m_view;
    bool m_loaded;
    CKSTString m_path;
    CKSTTimeStamp m_writeTime;
    bool m_hasReadSettings;
    CKSTTextFormat m_readSettings;

    int m_headerLength;
    int m_sampleCount;
    // Line numbers named by keyword lines, -1 none.
    int m_groupLine;
    int m_nameLine;
    int m_unitLine;
    // The roles the last read gave the header lines.
    bool m_rolesKnown;
    int m_roleGroup;
    int m_roleName;
    int m_roleUnit;
    int m_headerKeyword;  // the "@Headerlen:" number, -1 none
    int m_channelCount;
    int m_timeBaseCount;
    char m_separator;
    const char* m_lineEnd;
    int32_t m_format;
    int m_timeColumn;
    // The time axis came from date/time columns and carries the start stamp.
    bool m_dateAxis;
    CKSTString m_timeUnit;
    std::vector<SampledLine> m_lines;
};
